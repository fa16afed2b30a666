// Kenwood DRV-A301W and kin: a top-level `udta` box that opens with "VIDEO" and a run of
// 'U', then one text record a second, each after two 0xFE bytes.
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4Boxes.h"
#include "track/TrackLine.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr std::string_view kOpening = "VIDEOUUUUUUUUUUUUUUUUUUUUUU";
constexpr std::string_view kRecordMark = "\xfe\xfe";
// An hour of records with their g-sensor samples stays well below this; the box's size
// comes from the file, so it bounds what is read at once.
constexpr uint64_t kMaxBoxBytes = 8 << 20;
constexpr double kThousandths = 1000.0;

// Reads the record's fields left to right, as exiftool's notes lay them out.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    std::optional<long long> Digits(size_t count) {
        if (count == 0 || m_at + count > m_text.size()) {
            return std::nullopt;
        }
        long long value = 0;
        for (size_t i = 0; i < count; ++i) {
            const char c = m_text[m_at + i];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        m_at += count;
        return value;
    }
    // The digits up to the next non-digit, at most 18 so the number fits.
    std::optional<long long> Number() {
        size_t count = 0;
        while (m_at + count < m_text.size() && count < 18 && m_text[m_at + count] >= '0' &&
               m_text[m_at + count] <= '9') {
            ++count;
        }
        return Digits(count);
    }
    std::optional<char> OneOf(std::string_view letters) {
        if (m_at >= m_text.size() || letters.find(m_text[m_at]) == std::string_view::npos) {
            return std::nullopt;
        }
        return m_text[m_at++];
    }
    void Skip() { ++m_at; }

private:
    std::string_view m_text;
    size_t m_at = 0;
};

// The camera's clock, as seconds from 1970 in whatever zone it keeps.
std::optional<int64_t> Clock(Cursor& in) {
    const auto y = in.Digits(4), mo = in.Digits(2), d = in.Digits(2);
    const auto h = in.Digits(2), mi = in.Digits(2), s = in.Digits(2);
    if (!y || !mo || !d || !h || !mi || !s) {
        return std::nullopt;
    }
    return UtcSeconds(static_cast<int>(*y), static_cast<int>(*mo), static_cast<int>(*d),
                      static_cast<int>(*h), static_cast<int>(*mi), static_cast<int>(*s));
}

// Signed degrees from DDMM.MMMM × 10⁴, or nothing for minutes past 59 or too many degrees.
std::optional<double> Degrees(std::optional<char> hemi, std::optional<long long> digits,
                              double maxDegrees, char negative) {
    if (!hemi || !digits) {
        return std::nullopt;
    }
    const long long whole = *digits / 1'000'000;
    const double minutes = (*digits % 1'000'000) / 1e4;
    const double degrees = whole + minutes / 60.0;
    if (minutes >= 60.0 || degrees > maxDegrees) {
        return std::nullopt;
    }
    return *hemi == negative ? -degrees : degrees;
}

struct TextRecord {
    int64_t clock = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int speed = 0;
    std::optional<std::array<double, 3>> g;
};

std::optional<TextRecord> DecodeRecord(std::string_view text) {
    Cursor in(text);
    TextRecord record;
    const std::optional<int64_t> clock = Clock(in);
    if (!clock) {
        return std::nullopt;
    }
    record.clock = *clock;
    // The record's second clock and the bytes around it are not understood.
    in.Skip();
    if (!Clock(in)) {
        return std::nullopt;
    }
    in.Skip();
    const auto ns = in.OneOf("NS");
    const auto lat = Degrees(ns, in.Number(), 90.0, 'S');
    const auto ew = in.OneOf("EW");
    const auto lon = Degrees(ew, in.Number(), 180.0, 'W');
    if (!lat || !lon || !in.OneOf("+-") || !in.Digits(4)) {
        return std::nullopt;
    }
    const std::optional<long long> speed = in.Number();
    if (!speed || *speed > 999) {
        return std::nullopt;
    }
    record.latitude = *lat;
    record.longitude = *lon;
    record.speed = static_cast<int>(*speed);
    std::array<double, 3> g{};
    for (double& axis : g) {
        const auto sign = in.OneOf("+-");
        const auto value = in.Number();
        if (!sign || !value) {
            return record;
        }
        axis = (*sign == '-' ? -*value : *value) / kThousandths;
    }
    record.g = g;
    return record;
}

std::optional<Mp4Box> KenwoodBox(ByteSource& bytes) {
    const std::optional<Mp4Box> box = FindMp4Box(bytes, "udta");
    if (!box) {
        return std::nullopt;
    }
    const std::span<const unsigned char> head = bytes.Read(box->payload, kOpening.size());
    if (std::string_view(reinterpret_cast<const char*>(head.data()), head.size()) != kOpening) {
        return std::nullopt;
    }
    return box;
}

// The clock's zone is not known, so the records give no UTC time; each lands at the second
// its clock is past the first record's.
class KenwoodReader : public CameraReader {
public:
    std::string_view Family() const override { return "Kenwood udta"; }
    bool Claims(ByteSource& bytes) const override { return KenwoodBox(bytes).has_value(); }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        const std::optional<Mp4Box> box = KenwoodBox(input.bytes);
        if (!box) {
            return {.why = "no Kenwood udta box"};
        }
        const std::span<const unsigned char> bytes = input.bytes.Read(
            box->payload, static_cast<size_t>(std::min(box->end - box->payload, kMaxBoxBytes)));
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        ReaderOutcome outcome;
        std::optional<int64_t> first;
        for (size_t at = text.find(kRecordMark); at != std::string_view::npos;) {
            const size_t begin = at + kRecordMark.size();
            const size_t next = text.find('\xfe', begin);
            at = next == std::string_view::npos ? next : text.find(kRecordMark, next);
            const size_t end = next == std::string_view::npos ? text.size() : next;
            outcome.found = true;
            const std::optional<TextRecord> record = DecodeRecord(text.substr(begin, end - begin));
            const int64_t second = record ? record->clock - first.value_or(record->clock) : -1;
            if (!record || second < 0 || second > stores.map.LastSecond()) {
                outcome.damagedAt = outcome.damagedAt.value_or(box->payload + begin - 2);
                continue;
            }
            first = first.value_or(record->clock);
            const int s = static_cast<int>(second);
            const bool fix = record->latitude != 0.0 || record->longitude != 0.0;
            outcome.fix = outcome.fix || fix;
            stores.map.PutEntry(s, record->latitude, record->longitude, fix ? 'A' : 'V');
            stores.dial.SetSpeedRecord(s, record->speed, 0);
            if (record->g) {
                const auto& g = *record->g;
                stores.chart.AddTrackLine(EmbeddedTrackLine(s * 1000, g[0], g[1], g[2]).c_str());
            }
        }
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no Kenwood record with a fix"
                                        : "a Kenwood udta box without records";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& KenwoodInClipReader() {
    static const KenwoodReader reader;
    return reader;
}
