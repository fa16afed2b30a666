#include "track/readers/ProtobufWire.h"

#include <bit>

namespace {

constexpr int kMaxVarintBytes = 10;
// Field numbers above this are reserved to no one, so not a camera's.
constexpr uint64_t kMaxFieldNumber = (uint64_t{1} << 29) - 1;

uint64_t LittleEndian(std::span<const unsigned char> bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        value |= uint64_t{bytes[i]} << (8 * i);
    }
    return value;
}

std::optional<ProtobufField> FindAt(std::span<const unsigned char> message,
                                    std::span<const uint32_t> path, bool& damaged) {
    std::optional<ProtobufField> found;
    ProtobufFields fields(message);
    while (const std::optional<ProtobufField> field = fields.Next()) {
        if (field->number != path.front()) {
            continue;
        }
        if (path.size() == 1) {
            found = field;
        } else if (field->wire == ProtobufField::Wire::Bytes) {
            if (std::optional<ProtobufField> inner =
                    FindAt(field->data, path.subspan(1), damaged)) {
                found = inner;
            }
        }
    }
    damaged = damaged || fields.Damaged();
    return found;
}

} // namespace

std::optional<double> ProtobufField::Double() const {
    if (wire != Wire::Fixed64) {
        return std::nullopt;
    }
    return std::bit_cast<double>(LittleEndian(data));
}

std::optional<float> ProtobufField::Float() const {
    if (wire != Wire::Fixed32) {
        return std::nullopt;
    }
    return std::bit_cast<float>(static_cast<uint32_t>(LittleEndian(data)));
}

std::optional<uint64_t> ProtobufFields::Varint() {
    uint64_t value = 0;
    for (int i = 0; i < kMaxVarintBytes && i < static_cast<int>(m_rest.size()); ++i) {
        const unsigned char byte = m_rest[static_cast<size_t>(i)];
        value |= uint64_t{byte & 0x7fu} << (7 * i);
        if ((byte & 0x80u) == 0) {
            m_rest = m_rest.subspan(static_cast<size_t>(i) + 1);
            return value;
        }
    }
    return std::nullopt;
}

std::optional<ProtobufField> ProtobufFields::Next() {
    if (m_rest.empty() || m_damaged) {
        return std::nullopt;
    }
    const std::optional<uint64_t> key = Varint();
    const auto damage = [&]() -> std::optional<ProtobufField> {
        m_damaged = true;
        return std::nullopt;
    };
    if (!key || (*key >> 3) == 0 || (*key >> 3) > kMaxFieldNumber) {
        return damage();
    }
    ProtobufField field;
    field.number = static_cast<uint32_t>(*key >> 3);
    size_t bytes = 0;
    switch (*key & 7) {
    case 0: {
        const std::optional<uint64_t> value = Varint();
        if (!value) {
            return damage();
        }
        field.wire = ProtobufField::Wire::Varint;
        field.varint = *value;
        return field;
    }
    case 1:
        field.wire = ProtobufField::Wire::Fixed64;
        bytes = 8;
        break;
    case 2: {
        const std::optional<uint64_t> length = Varint();
        if (!length || *length > m_rest.size()) {
            return damage();
        }
        field.wire = ProtobufField::Wire::Bytes;
        bytes = static_cast<size_t>(*length);
        break;
    }
    case 5:
        field.wire = ProtobufField::Wire::Fixed32;
        bytes = 4;
        break;
    default:
        return damage();
    }
    if (bytes > m_rest.size()) {
        return damage();
    }
    field.data = m_rest.first(bytes);
    m_rest = m_rest.subspan(bytes);
    return field;
}

std::optional<ProtobufField> FindProtobufField(std::span<const unsigned char> message,
                                               std::initializer_list<uint32_t> path,
                                               bool& damaged) {
    if (path.size() == 0) {
        return std::nullopt;
    }
    return FindAt(message, std::span<const uint32_t>(path.begin(), path.size()), damaged);
}
