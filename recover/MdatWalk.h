// The walk through a cut clip's media data for its H.264 or H.265 frames, written as runs of
// NAL units each after a 4-byte length; what each unit is, the codec's syntax says. The camera's
// own blocks between frames (freeGPS and other boxes) are stepped over by their box headers; bytes
// that are neither are skipped by looking ahead for the next place where a plausible run of NAL
// units begins, or where a slice continues the stream; those stretches are kept, since the sound
// between the frames lies in them. The walk ends at the end of the data or where the last unit or
// block runs past it, and the frame it cut is left out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "recover/AccessUnit.h"
#include "recover/NalSyntax.h"
#include "track/ByteRange.h"
#include "track/ByteSource.h"

struct WalkedVideo {
    std::vector<AccessUnit> units; // from the first key frame on
    // The first of each found in the data, NAL header first (H.264 has no VPS).
    std::vector<unsigned char> vps;
    std::vector<unsigned char> sps;
    std::vector<unsigned char> pps;
    uint64_t skippedBytes = 0;      // neither frames nor camera blocks
    std::vector<ByteRange> skipped; // where those bytes lie, in order
};

// NAL units longer than this are taken for damage: no frame of a dash camera comes near.
constexpr uint32_t kMaxNalLength = 16u << 20;

class MdatWalk {
public:
    // `syntax` knows the stream's parameter sets beforehand when a template gave them, and
    // learns those the walk meets in the data.
    MdatWalk(ByteSource& source, uint64_t begin, uint64_t end, NalSyntax& syntax);

    WalkedVideo Run();

private:
    enum class Kind { Nal, Block, Damage, PastEnd };
    struct Unit {
        Kind kind = Kind::Damage;
        uint64_t length = 0; // the whole unit: length field and NAL, or the block's box
        NalHeader nal;       // what a NAL unit is; Damage for a block
    };

    Unit Look(uint64_t at);
    bool PlausibleStart(uint64_t at);
    bool WellFormed(uint64_t at, const Unit& unit);
    bool ContinuesStream(uint64_t at, const Unit& unit);
    std::optional<SliceStart> StartOf(uint64_t at, const Unit& unit);
    uint64_t LastOverlappingStart(uint64_t first);
    uint64_t Resynchronise(uint64_t from);
    void Take(uint64_t at, const Unit& unit);
    void Finish();
    void KeepParameterSet(uint64_t at, const Unit& unit);
    uint64_t Skip(uint64_t at);

    ByteSource& m_source;
    NalSyntax& m_syntax;
    uint64_t m_begin;
    uint64_t m_end;
    WalkedVideo m_video;
    bool m_open = false;
    bool m_sawSlice = false;
    bool m_key = false;
    AccessUnit m_picture;          // what the first slice of the open frame says of it
    bool m_skippedAtStart = false; // the open frame's, by its first slice
    // The frames taken start at a key picture after which a decoder skips leading pictures
    // (a CRA picture), and no other key picture has come since.
    bool m_skippingLeading = false;
    uint64_t m_start = 0;
    uint64_t m_last = 0;
    uint64_t m_biggestFrame = 0;
    uint64_t m_lastFrameEnd; // the start of the data until a frame is taken
    std::vector<unsigned char> m_window;
};
