// DJI drones and Osmo cameras: a NAME.SRT subtitle file beside the clip, a cue for each
// second (or each frame) whose text holds the position in one of three ways: a line
// `GPS(lon,lat,alt)`, bracketed `[latitude: …] [longitude: …]` fields, or `GPS (lon, lat,
// alt)` among the camera's settings. Each cue's start time places it at its clip second.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/ClipFolder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

// An hour of cues written per frame stays well below this.
constexpr uint64_t kMaxSrtBytes = 64u << 20;
// Enough of the start to hold the first cue's time line.
constexpr size_t kClaimBytes = 512;

void SkipSpaces(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
}

bool Take(std::string_view& text, char expected) {
    SkipSpaces(text);
    if (text.empty() || text.front() != expected) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

// from_chars reads no '+' and no locale, which is what the camera writes.
template <typename T> std::optional<T> Number(std::string_view& text) {
    SkipSpaces(text);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

// The start of "HH:MM:SS,mmm --> HH:MM:SS,mmm", in whole seconds.
std::optional<int> CueSecond(std::string_view line) {
    std::string_view text = line.substr(0, line.find("-->"));
    const std::optional<int> hours = Number<int>(text);
    std::optional<int> minutes;
    std::optional<int> seconds;
    if (hours && Take(text, ':') && (minutes = Number<int>(text)) && Take(text, ':') &&
        (seconds = Number<int>(text)) && *hours >= 0 && *hours < 1000 && *minutes >= 0 &&
        *minutes < 60 && *seconds >= 0 && *seconds < 60) {
        return *hours * 3600 + *minutes * 60 + *seconds;
    }
    return std::nullopt;
}

struct CuePosition {
    std::optional<double> latitude;
    std::optional<double> longitude;
    bool damaged = false;

    bool Complete() const { return latitude && longitude; }
};

// The number after `key` and a colon, as in "[latitude: 22.5]".
void ReadField(std::string_view line, std::string_view key, std::optional<double>& into,
               bool& damaged) {
    const size_t at = line.find(key);
    if (at == std::string_view::npos) {
        return;
    }
    std::string_view rest = line.substr(at + key.size());
    std::optional<double> value;
    if (Take(rest, ':') && (value = Number<double>(rest))) {
        into = value;
    } else {
        damaged = true;
    }
}

void ReadLine(std::string_view line, CuePosition& cue) {
    for (size_t at = line.find("GPS"); at != std::string_view::npos;
         at = line.find("GPS", at + 3)) {
        std::string_view rest = line.substr(at + 3);
        if (!Take(rest, '(')) {
            continue;
        }
        // Longitude first.
        const std::optional<double> longitude = Number<double>(rest);
        std::optional<double> latitude;
        if (longitude && Take(rest, ',') && (latitude = Number<double>(rest))) {
            cue.latitude = latitude;
            cue.longitude = longitude;
        } else {
            cue.damaged = true;
        }
        return;
    }
    ReadField(line, "latitude", cue.latitude, cue.damaged);
    ReadField(line, "longitude", cue.longitude, cue.damaged);
    // Some firmware spells it so.
    ReadField(line, "longtitude", cue.longitude, cue.damaged);
}

class SrtTrack {
public:
    SrtTrack(const TrackStores& stores, ReaderOutcome& outcome)
        : m_stores(stores), m_outcome(outcome) {}

    void Line(std::string_view line, uint64_t offset) {
        if (line.find("-->") != std::string_view::npos) {
            EndCue();
            m_second = CueSecond(line);
            m_cueAt = offset;
            if (!m_second) {
                Damaged(offset);
            }
            return;
        }
        if (m_second && !m_cue.Complete()) {
            ReadLine(line, m_cue);
        }
    }

    // Cues written per frame give a second many times: its first fix stands.
    void EndCue() {
        const std::optional<int> second = m_second;
        const CuePosition cue = m_cue;
        m_second.reset();
        m_cue = {};
        if (!second) {
            return;
        }
        if (!cue.Complete()) {
            if (cue.damaged) {
                Damaged(m_cueAt);
            }
            return;
        }
        const double lat = *cue.latitude;
        const double lon = *cue.longitude;
        if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90.0 ||
            std::fabs(lon) > 180.0) {
            Damaged(m_cueAt);
            return;
        }
        m_outcome.found = true;
        if (*second == m_fixSecond) {
            return;
        }
        // 0,0 is what the camera writes before its receiver has a fix. The cue's date and
        // time are the camera's local clock, with no zone given, so the second has no UTC.
        const bool fix = lat != 0.0 || lon != 0.0;
        m_stores.map.PutEntry(*second, lat, lon, fix ? 'A' : 'V');
        if (fix && *second <= m_stores.map.LastSecond()) {
            m_fixSecond = *second;
            m_outcome.fix = true;
        }
    }

private:
    void Damaged(uint64_t offset) { m_outcome.damagedAt = m_outcome.damagedAt.value_or(offset); }

    const TrackStores& m_stores;
    ReaderOutcome& m_outcome;
    std::optional<int> m_second;
    uint64_t m_cueAt = 0;
    CuePosition m_cue;
    int m_fixSecond = -1;
};

class DjiSrtReader : public CameraReader {
public:
    std::string_view Family() const override { return "DJI subtitles"; }
    bool ReadsBeside() const override { return true; }
    std::optional<std::string> FileBeside(const ClipFolder& folder) const override {
        std::string srt = folder.Beside(".SRT");
        std::error_code error;
        if (std::filesystem::is_regular_file(srt, error)) {
            return srt;
        }
        return std::nullopt;
    }
    bool Claims(ByteSource& bytes) const override {
        const std::span<const unsigned char> start = bytes.Read(0, kClaimBytes);
        const std::string_view text(reinterpret_cast<const char*>(start.data()), start.size());
        return text.find("-->") != std::string_view::npos;
    }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        if (input.bytes.Length() > kMaxSrtBytes) {
            return {.why = "larger than any subtitle file"};
        }
        const std::span<const unsigned char> read =
            input.bytes.Read(0, static_cast<size_t>(input.bytes.Length()));
        ReaderOutcome outcome;
        SrtTrack track(stores, outcome);
        const std::string_view text(reinterpret_cast<const char*>(read.data()), read.size());
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find('\n', at), text.size());
            std::string_view line = text.substr(at, end - at);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            track.Line(line, at);
            at = end + 1;
        }
        track.EndCue();
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no cue with a fix" : "no cue with a position";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& DjiSrtBesideReader() {
    static const DjiSrtReader reader;
    return reader;
}
