#include "recover/MdatWalk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "recover/BitReader.h"
#include "recover/CameraBoxes.h"
#include "track/Mp4Boxes.h"

namespace {

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
// No coded slice is longer than its picture with three bytes a point (4:4:4 uncoded, or
// twice a 4:2:0 picture) and this much for headers: a longer length is damage, however well
// its first bytes read.
constexpr uint64_t kSliceHeadroom = 64u << 10;
// A new start may be this much bigger than twice the biggest frame so far (a key frame after
// a run of small ones).
constexpr uint64_t kFrameSizeMargin = 256u << 10;

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

// Units that may come before a picture's first slice, and so open a frame.
bool Opens(NalKind kind) {
    return kind == NalKind::Delimiter || kind == NalKind::Sei || kind == NalKind::Vps ||
           kind == NalKind::Sps || kind == NalKind::Pps;
}

bool IsParameterSet(NalKind kind) {
    return kind == NalKind::Vps || kind == NalKind::Sps || kind == NalKind::Pps;
}

} // namespace

MdatWalk::MdatWalk(ByteSource& source, uint64_t begin, uint64_t end, NalSyntax& syntax)
    : m_source(source), m_syntax(syntax), m_begin(begin), m_end(std::min(end, source.Length())),
      m_lastFrameEnd(begin) {}

std::optional<SliceStart> MdatWalk::StartOf(uint64_t at, const Unit& unit) {
    if (!m_syntax.KnowsSlices()) {
        return std::nullopt;
    }
    const std::span<const unsigned char> read =
        m_source.Read(at + 4, static_cast<size_t>(std::min<uint64_t>(unit.length - 4, 64)));
    const std::vector<unsigned char> start(read.begin(), read.end());
    return m_syntax.ReadSlice(unit.nal, start);
}

// A picture that carries on from the last one taken, close enough after it that only sound
// can lie between them: bytes of another kind seldom pass for one.
bool MdatWalk::ContinuesStream(uint64_t at, const Unit& unit) {
    if (unit.nal.kind != NalKind::Slice || !unit.nal.firstSlice ||
        at - m_lastFrameEnd > kMaxSoundGap) {
        return false;
    }
    const std::optional<SliceStart> slice = StartOf(at, unit);
    return slice && m_syntax.Continues(unit.nal, *slice);
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
    const uint64_t points = m_syntax.PicturePoints();
    const uint64_t longest = points != 0
                                 ? std::min<uint64_t>(kMaxNalLength, 3 * points + kSliceHeadroom)
                                 : kMaxNalLength;
    if (length < m_syntax.HeaderLength() || length > longest) {
        return unit;
    }
    unit.nal =
        m_syntax.Classify(std::span(head).subspan(4, std::min<size_t>(read.size() - 4, length)));
    if (unit.nal.kind == NalKind::Damage) {
        return unit;
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
    const NalKind kind = unit.nal.kind;
    if ((kind == NalKind::Slice ? !unit.nal.firstSlice : !Opens(kind)) || !WellFormed(at, unit)) {
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
    const NalKind kind = unit.nal.kind;
    const uint64_t length = unit.length - 4; // the NAL unit, header included
    if (kind == NalKind::Slice) {
        // Frames keep to their size: a slice far bigger than any frame before is damage.
        const bool sized = m_biggestFrame == 0 || length <= 2 * m_biggestFrame + kFrameSizeMargin;
        return sized && (!m_syntax.KnowsSlices() || StartOf(at, unit).has_value());
    }
    if (kind == NalKind::Delimiter) {
        return length == m_syntax.DelimiterLength();
    }
    const uint64_t cap = kind == NalKind::Sei ? kMaxSei : kMaxParameterSet;
    if (length > cap || length <= m_syntax.HeaderLength()) {
        return false;
    }
    const std::span<const unsigned char> read = m_source.Read(at + 4, static_cast<size_t>(length));
    const std::vector<unsigned char> bytes(read.begin(), read.end());
    if (bytes.size() != length || bytes.back() == 0) {
        return false;
    }
    if (kind == NalKind::Sei) {
        return SeiWhole(UnescapedPayload(std::span(bytes).subspan(m_syntax.HeaderLength())));
    }
    return m_syntax.Reads(kind, bytes);
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
            // A length below kMaxNalLength opens with a zero byte.
            const bool nal =
                m_window[i] == 0 &&
                m_syntax.Classify(std::span(m_window).subspan(
                                      i + 4, std::min<size_t>(m_window.size() - i - 4,
                                                              m_syntax.HeaderLength() + 1)))
                        .kind != NalKind::Damage;
            const bool box = i + 8 <= m_window.size() && IsCameraBox(&m_window[i + 4]);
            if ((nal || box) && PlausibleStart(from + i)) {
                return LastOverlappingStart(from + i);
            }
        }
        from += usable;
    }
    return m_end;
}

// A length is four bytes, the first ones zero: the end of sound padded with zeros and the
// first bytes of a real length read as a length too, a few bytes before the real one, and
// may pass for a start. Of starts that overlap so, the last is the real one.
uint64_t MdatWalk::LastOverlappingStart(uint64_t first) {
    uint64_t last = first;
    for (uint64_t at = first + 1; at < first + 4 && at + 5 < m_end; ++at) {
        if (PlausibleStart(at)) {
            last = at;
        }
    }
    return last;
}

void MdatWalk::Finish() {
    if (m_open && m_sawSlice && m_key) {
        m_skippingLeading = m_video.units.empty() ? !m_picture.ordersAnew : false;
    }
    // A player would skip such a picture, leaving a hole where its index puts it.
    const bool skipped = m_skippedAtStart && m_skippingLeading;
    if (m_open && m_sawSlice && (m_key || !m_video.units.empty()) && !skipped) {
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
    m_skippedAtStart = false;
    m_picture = {};
}

void MdatWalk::KeepParameterSet(uint64_t at, const Unit& unit) {
    if (unit.length - 4 > kMaxParameterSet) {
        return;
    }
    const std::span<const unsigned char> bytes =
        m_source.Read(at + 4, static_cast<size_t>(unit.length - 4));
    // Every set is learnt, since a later one may replace it; the first stands in the setup.
    m_syntax.Learn(unit.nal.kind, bytes);
    std::vector<unsigned char>& kept = unit.nal.kind == NalKind::Vps   ? m_video.vps
                                       : unit.nal.kind == NalKind::Sps ? m_video.sps
                                                                       : m_video.pps;
    if (kept.empty()) {
        kept.assign(bytes.begin(), bytes.end());
    }
}

void MdatWalk::Take(uint64_t at, const Unit& unit) {
    const NalHeader& nal = unit.nal;
    if (nal.kind == NalKind::Slice) {
        if (nal.firstSlice && m_sawSlice) {
            Finish();
        }
        if (!m_open) {
            if (!nal.firstSlice) {
                return; // the rest of a picture whose start was lost
            }
            m_open = true;
            m_start = at;
        }
        if (nal.firstSlice) {
            const std::optional<SliceStart> slice = StartOf(at, unit);
            m_picture.reference = nal.reference;
            m_picture.ordersAnew = nal.ordersAnew;
            m_skippedAtStart = nal.skippedAtStart;
            m_picture.hasPocLsb = slice && slice->hasPocLsb;
            m_picture.pocLsb = slice ? slice->pocLsb : 0;
            m_syntax.Taken(nal, slice);
        }
        m_sawSlice = true;
        m_key = m_key || nal.key;
    } else if (Opens(nal.kind)) {
        if (m_sawSlice) {
            Finish();
        }
        if (!m_open) {
            m_open = true;
            m_start = at;
        }
        if (IsParameterSet(nal.kind)) {
            KeepParameterSet(at, unit);
        }
    } else if (!m_open) {
        return;
    }
    m_last = at + unit.length;
}

uint64_t MdatWalk::Skip(uint64_t at) {
    const uint64_t resumed = Resynchronise(at + 1);
    m_video.skippedBytes += resumed - at;
    m_video.skipped.push_back({at, static_cast<size_t>(resumed - at)});
    return resumed;
}

WalkedVideo MdatWalk::Run() {
    uint64_t at = m_begin;
    while (at < m_end) {
        const Unit unit = Look(at);
        if (unit.kind == Kind::PastEnd) {
            // A cut slice that continues a picture leaves that picture incomplete; any
            // other cut unit follows a whole one.
            if (unit.nal.kind == NalKind::Slice && !unit.nal.firstSlice) {
                m_open = false;
            }
            Finish();
            // Sound between frames may look like a NAL unit too long for what is left, so
            // the rest is still searched for frames; a cut block of the camera's is the end.
            if (unit.nal.kind == NalKind::Damage) {
                break;
            }
            at = Skip(at);
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
            at = Skip(at);
            continue;
        }
        Take(at, unit);
        at += unit.length;
    }
    Finish();
    return std::move(m_video);
}
