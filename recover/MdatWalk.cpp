#include "recover/MdatWalk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "recover/BitReader.h"
#include "recover/SliceStart.h"
#include "track/Mp4Boxes.h"

namespace {

// Box types cameras put between frames; their headers are told apart from NAL lengths by
// the type, whose first letter read as a NAL header is never a valid one.
constexpr std::array<std::string_view, 6> kCameraBoxes = {"free", "skip", "wide",
                                                          "gps ", "GPS ", "udta"};

// The look-ahead reads this much at a time, so skipping damage costs few reads.
constexpr size_t kWindow = 1u << 20;
constexpr size_t kHeaderBytes = 16;
// Parameter sets longer than this are no real ones.
constexpr size_t kMaxParameterSet = 1024;
// SEI units up to this long are checked for their messages when the walk looks for a start;
// longer ones are not taken as one.
constexpr size_t kMaxSei = 65536;
// Sound between two frames is at most this long; beyond it a slice is only taken for a new
// start when a valid unit follows it.
constexpr uint64_t kMaxSoundGap = 4u << 20;
// A new start may be this much bigger than twice the biggest frame so far (a key frame after
// a run of small ones).
constexpr uint64_t kFrameSizeMargin = 256u << 10;

bool IsCameraBox(const unsigned char* type) {
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    return std::find(kCameraBoxes.begin(), kCameraBoxes.end(), name) != kCameraBoxes.end();
}

bool IsSlice(int type) {
    return type == 1 || type == 5;
}

// SEI messages fill their unit exactly: each a type and a size (in runs of 255 and a last
// byte) and that many bytes, then the stop bit; random bytes rarely come out even.
bool SeiWhole(std::span<const unsigned char> rbsp) {
    size_t at = 0;
    for (int message = 0; message < 64 && at < rbsp.size(); ++message) {
        if (rbsp[at] == 0x80 && at + 1 == rbsp.size()) {
            return true;
        }
        uint64_t size = 0;
        for (int field = 0; field < 2; ++field) {
            uint64_t value = 0;
            while (at < rbsp.size() && rbsp[at] == 0xFF) {
                value += 255;
                ++at;
            }
            if (at == rbsp.size()) {
                return false;
            }
            size = value + rbsp[at++];
        }
        if (size > rbsp.size() - at) {
            return false;
        }
        at += size;
    }
    return false;
}

// The NAL unit types a camera's H.264 stream holds, with the reference flag each must have:
// IDR slices and parameter sets are always referenced, SEI and delimiters never.
bool AllowedHeader(uint8_t header) {
    if ((header & 0x80) != 0) {
        return false;
    }
    const int type = header & 0x1F;
    const bool referenced = (header & 0x60) != 0;
    switch (type) {
    case 1:
        return true;
    case 5:
    case 7:
    case 8:
        return referenced;
    case 6:
    case 9:
    case 10:
    case 11:
    case 12:
        return !referenced;
    default:
        return false;
    }
}

} // namespace

MdatWalk::MdatWalk(ByteSource& source, uint64_t begin, uint64_t end,
                   std::span<const unsigned char> sps)
    : m_source(source), m_begin(begin), m_end(std::min(end, source.Length())) {
    if (!sps.empty()) {
        m_sps = ReadSpsFacts(sps);
    }
}

std::optional<SliceStart> MdatWalk::StartOf(uint64_t at, const Unit& unit) {
    if (!m_sps) {
        return std::nullopt;
    }
    const std::span<const unsigned char> read =
        m_source.Read(at + 4, static_cast<size_t>(std::min<uint64_t>(unit.length - 4, 64)));
    const std::vector<unsigned char> start(read.begin(), read.end());
    const std::optional<SliceStart> slice = ReadSliceStart(start, *m_sps);
    if (!slice) {
        return std::nullopt;
    }
    // An IDR picture is intra-coded and numbered 0.
    if ((unit.header & 0x1F) == 5 && (slice->sliceType != 2 || slice->frameNum != 0)) {
        return std::nullopt;
    }
    return slice;
}

// A picture's frame_num is one more than the last reference picture's, or 0 at an IDR: bytes
// of another kind seldom match it, and a picture after a lost reference would not decode.
bool MdatWalk::ContinuesStream(uint64_t at, const Unit& unit) {
    if (!m_lastReference || !IsSlice(unit.header & 0x1F) || !unit.firstSlice ||
        at - m_lastFrameEnd > kMaxSoundGap) {
        return false;
    }
    const std::optional<SliceStart> slice = StartOf(at, unit);
    if (!slice) {
        return false;
    }
    const uint32_t expected = (*m_lastReference + 1) % (1u << m_sps->frameNumBits);
    return slice->frameNum == expected || (unit.header & 0x1F) == 5;
}

MdatWalk::Unit MdatWalk::Look(uint64_t at) {
    Unit unit;
    const uint64_t room = m_end - at;
    std::array<unsigned char, kHeaderBytes> head = {};
    const std::span<const unsigned char> read =
        m_source.Read(at, static_cast<size_t>(std::min<uint64_t>(room, kHeaderBytes)));
    std::copy(read.begin(), read.end(), head.begin());
    if (read.size() < 6) {
        unit.kind = Kind::PastEnd;
        return unit;
    }
    if (IsCameraBox(head.data() + 4)) {
        uint64_t size = BigEndian(head, 0, 4);
        if (size == 1 && read.size() >= 16) {
            size = BigEndian(head, 8, 8);
        } else if (size == 0) {
            size = room;
        }
        if (size >= 8) {
            unit.kind = size > room ? Kind::PastEnd : Kind::Block;
            unit.length = size;
            return unit;
        }
    }
    const uint64_t length = BigEndian(head, 0, 4);
    unit.header = head[4];
    if (length == 0 || length > kMaxNalLength || !AllowedHeader(unit.header)) {
        return unit;
    }
    if (IsSlice(unit.header & 0x1F)) {
        if (length < 2) {
            return unit;
        }
        // first_mb_in_slice is 0 exactly when its Exp-Golomb code is the single bit 1.
        unit.firstSlice = (head[5] & 0x80) != 0;
    }
    unit.length = 4 + length;
    unit.kind = unit.length > room ? Kind::PastEnd : Kind::Nal;
    return unit;
}

// A frame or a block may begin at `at` when a unit that can open a frame starts there
// and is followed by another valid unit (or the end), which random bytes seldom manage.
bool MdatWalk::PlausibleStart(uint64_t at) {
    const Unit unit = Look(at);
    if (unit.kind == Kind::Block) {
        return true;
    }
    if (unit.kind != Kind::Nal) {
        return false;
    }
    const int type = unit.header & 0x1F;
    if ((IsSlice(type) ? !unit.firstSlice : type < 6 || type > 9) || !WellFormed(at, unit)) {
        return false;
    }
    const uint64_t next = at + unit.length;
    if (next == m_end) {
        return true;
    }
    const Kind after = Look(next).kind;
    return after == Kind::Nal || after == Kind::Block || after == Kind::PastEnd ||
           ContinuesStream(at, unit);
}

// What a unit of each kind that may open a frame must look like inside, checked only where
// the walk looks for a new start, so that damage seldom passes for one.
bool MdatWalk::WellFormed(uint64_t at, const Unit& unit) {
    const int type = unit.header & 0x1F;
    const uint64_t payload = unit.length - 4;
    if (IsSlice(type)) {
        // Frames keep to their size: a slice far bigger than any frame before is damage.
        const bool sized = m_biggestFrame == 0 || payload <= 2 * m_biggestFrame + kFrameSizeMargin;
        return sized && (!m_sps || StartOf(at, unit).has_value());
    }
    if (type == 9) {
        return payload == 2; // the header and primary_pic_type with its stop bit
    }
    const uint64_t cap = type == 6 ? kMaxSei : kMaxParameterSet;
    if (payload > cap) {
        return false;
    }
    const std::span<const unsigned char> read = m_source.Read(at + 4, static_cast<size_t>(payload));
    const std::vector<unsigned char> bytes(read.begin(), read.end());
    if (bytes.size() != payload || bytes.back() == 0) {
        return false;
    }
    if (type == 7) {
        return ReadSpsFacts(bytes).has_value();
    }
    return type != 6 || SeiWhole(UnescapedPayload(std::span(bytes).subspan(1)));
}

uint64_t MdatWalk::Resynchronise(uint64_t from) {
    while (m_end - from > 5) {
        const std::span<const unsigned char> read = m_source.Read(from, kWindow);
        if (read.size() < 6) {
            return m_end;
        }
        m_window.assign(read.begin(), read.end());
        // The last bytes of a window are looked at again at the start of the next, where
        // a box type after them is whole.
        const size_t usable = m_window.size() < kWindow ? m_window.size() - 5 : m_window.size() - 8;
        for (size_t i = 0; i < usable; ++i) {
            // A length below kMaxNalLength opens with a zero byte; a NAL header is never zero.
            const bool nal = m_window[i] == 0 && m_window[i + 4] != 0;
            const bool box = i + 8 <= m_window.size() && IsCameraBox(&m_window[i + 4]);
            if ((nal || box) && PlausibleStart(from + i)) {
                return from + i;
            }
        }
        from += usable;
    }
    return m_end;
}

void MdatWalk::Finish() {
    if (m_open && m_sawSlice && (m_key || !m_video.units.empty())) {
        m_picture.offset = m_start;
        m_picture.size = static_cast<uint32_t>(m_last - m_start);
        m_picture.key = m_key;
        m_video.units.push_back(m_picture);
        m_biggestFrame = std::max<uint64_t>(m_biggestFrame, m_picture.size);
        m_lastFrameEnd = m_last;
    }
    m_open = false;
    m_sawSlice = false;
    m_key = false;
    m_picture = {};
}

void MdatWalk::KeepParameterSet(uint64_t at, const Unit& unit) {
    const int type = unit.header & 0x1F;
    std::vector<unsigned char>& kept = type == 7 ? m_video.sps : m_video.pps;
    if (!kept.empty() || unit.length - 4 > kMaxParameterSet) {
        return;
    }
    const std::span<const unsigned char> bytes =
        m_source.Read(at + 4, static_cast<size_t>(unit.length - 4));
    kept.assign(bytes.begin(), bytes.end());
    // The stream's own SPS is the truth, whatever a template says, when it can be read.
    if (type == 7) {
        if (const std::optional<SpsFacts> facts = ReadSpsFacts(kept)) {
            m_sps = facts;
        }
    }
}

void MdatWalk::Take(uint64_t at, const Unit& unit) {
    const int type = unit.header & 0x1F;
    if (IsSlice(type)) {
        if (unit.firstSlice && m_sawSlice) {
            Finish();
        }
        if (!m_open) {
            if (!unit.firstSlice) {
                return; // the rest of a picture whose start was lost
            }
            m_open = true;
            m_start = at;
        }
        if (unit.firstSlice) {
            const std::optional<SliceStart> slice = StartOf(at, unit);
            m_picture.reference = (unit.header & 0x60) != 0;
            m_picture.hasPocLsb = slice && slice->hasPocLsb;
            m_picture.pocLsb = slice ? slice->pocLsb : 0;
            if (m_picture.reference) {
                m_lastReference = slice ? std::optional<uint32_t>(slice->frameNum) : std::nullopt;
            }
        }
        m_sawSlice = true;
        m_key = m_key || type == 5;
    } else if (type >= 6 && type <= 9) {
        if (m_sawSlice) {
            Finish();
        }
        if (!m_open) {
            m_open = true;
            m_start = at;
        }
        if (type == 7 || type == 8) {
            KeepParameterSet(at, unit);
        }
    } else if (!m_open) {
        return;
    }
    m_last = at + unit.length;
}

WalkedVideo MdatWalk::Run() {
    uint64_t at = m_begin;
    while (at < m_end) {
        const Unit unit = Look(at);
        if (unit.kind == Kind::PastEnd) {
            // A cut slice that continues a picture leaves that picture incomplete; any
            // other cut unit follows a whole one.
            if (IsSlice(unit.header & 0x1F) && !unit.firstSlice) {
                m_open = false;
            }
            Finish();
            // Sound between frames may look like a NAL unit too long for what is left, so
            // the rest is still searched for frames; a cut block of the camera's is the end.
            if (unit.header == 0) {
                break;
            }
            const uint64_t resumed = Resynchronise(at + 1);
            m_video.skippedBytes += resumed - at;
            at = resumed;
            continue;
        }
        if (unit.kind == Kind::Block) {
            Finish();
            at += unit.length;
            continue;
        }
        if (unit.kind == Kind::Damage) {
            // Cameras write a frame as one slice, so the frame before the damage is whole.
            Finish();
            const uint64_t resumed = Resynchronise(at + 1);
            m_video.skippedBytes += resumed - at;
            at = resumed;
            continue;
        }
        Take(at, unit);
        at += unit.length;
    }
    Finish();
    return std::move(m_video);
}
