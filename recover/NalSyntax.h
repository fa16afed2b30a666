// What the walk through a cut clip's media data must know of one codec's NAL units: what
// each header says the unit is, whether a parameter set reads as one, and where a picture's
// first slice places it in the stream. The walk itself (lengths, camera boxes, damage,
// frames) is the same for H.264 and H.265; each codec answers these questions in a class of
// its own, which keeps the stream's parameter sets and the last picture taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "recover/SliceStart.h"

enum class NalKind {
    Damage,    // no camera's stream holds a unit with this header
    Slice,     // coded picture data
    Delimiter, // access unit delimiter
    Sei,       // SEI that comes before a picture's slices
    Vps,
    Sps,
    Pps,
    Trailing, // belongs to the picture before it: end of sequence or stream, filler, suffix SEI
};

struct NalHeader {
    NalKind kind = NalKind::Damage;
    bool firstSlice = false; // a slice that opens its picture
    bool key = false;        // a picture a decoder may start at
    bool reference = false;  // a picture whose order count the next ones' are counted from
    bool ordersAnew = false; // the picture order count starts again at this picture
    // A leading picture that refers to pictures before its key picture (H.265's RASL): a
    // decoder that starts at that key picture skips it.
    bool skippedAtStart = false;
};

class NalSyntax {
public:
    virtual ~NalSyntax() = default;

    virtual std::string_view Name() const = 0;
    virtual size_t HeaderLength() const = 0;
    // The whole access unit delimiter, header included: its length is fixed.
    virtual size_t DelimiterLength() const = 0;

    // The unit whose first bytes, its header and at least one byte after it, are `start`.
    virtual NalHeader Classify(std::span<const unsigned char> start) const = 0;

    // Whether the parameter set `nal` (header first) of `kind` reads as one.
    virtual bool Reads(NalKind kind, std::span<const unsigned char> nal) const = 0;
    // Takes the parameter set for reading slices from now on, when it reads.
    virtual void Learn(NalKind kind, std::span<const unsigned char> nal) = 0;
    // Whether the sets slice headers are read with are known.
    virtual bool KnowsSlices() const = 0;
    // The picture's width and height by its sequence set; 0 while none is known.
    virtual uint64_t PicturePoints() const = 0;

    // The start of the picture whose first slice is `nal` (header first); nothing when it
    // does not read as one with the sets known.
    virtual std::optional<SliceStart> ReadSlice(const NalHeader& header,
                                                std::span<const unsigned char> nal) const = 0;
    // Whether that picture carries on from the last one taken (or, for a codec that can
    // tell, may open the stream), as bytes of another kind seldom do.
    virtual bool Continues(const NalHeader& header, const SliceStart& slice) const = 0;
    // A picture the walk took, opened by a slice with `header` and `slice`, when it read.
    virtual void Taken(const NalHeader& header, const std::optional<SliceStart>& slice) = 0;
};
