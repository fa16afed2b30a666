// The few protobuf wire rules the cameras that write protobuf need, read by hand: their
// messages are small and only a handful of fields matter, so a generated parser and its
// library would add much and check no more. Every read stays inside the bytes given, and
// anything the wire format does not allow (a varint past ten bytes, a length past the end,
// a group, field number 0) ends the walk as damage.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

struct ProtobufField {
    enum class Wire { Varint = 0, Fixed64 = 1, Bytes = 2, Fixed32 = 5 };

    uint32_t number = 0;
    Wire wire = Wire::Varint;
    uint64_t varint = 0;                 // a varint's value
    std::span<const unsigned char> data; // the bytes of the other three kinds

    // The value as the `double` and `float` of a .proto file, little-endian on the wire;
    // nothing when the field is of another kind.
    std::optional<double> Double() const;
    std::optional<float> Float() const;
};

class ProtobufFields {
public:
    explicit ProtobufFields(std::span<const unsigned char> message) : m_rest(message) {}

    // The next field, or nothing at the end or at damage.
    std::optional<ProtobufField> Next();
    bool Damaged() const { return m_damaged; }

private:
    std::optional<uint64_t> Varint();

    std::span<const unsigned char> m_rest;
    bool m_damaged = false;
};

// The last field at `path`, a chain of field numbers from the top message down through
// embedded messages (as exiftool names DJI's, "3-4-2-1" = {3, 4, 2, 1}); where a message
// repeats a field, the last one counts, as protobuf merges them. Nothing when the path is
// absent; `damaged` is set when damage was met on the way.
std::optional<ProtobufField> FindProtobufField(std::span<const unsigned char> message,
                                               std::initializer_list<uint32_t> path, bool& damaged);
