#include "track/SeventyMaiLog.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/Mp4ClipTime.h"
#include "track/RegularFileRead.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>
#include <type_traits>

namespace fs = std::filesystem;

namespace {

// A log covers hours of driving at under a hundred bytes a second; this is over a week of it.
constexpr uint64_t kMaxSeventyMaiLogBytes = 64u << 20;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename T> std::optional<T> Number(std::string_view field) {
    field = Trimmed(field);
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    T value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    return value;
}

std::vector<std::string_view> Fields(std::string_view line, size_t most) {
    std::vector<std::string_view> fields;
    while (fields.size() < most) {
        const size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        line.remove_prefix(comma + 1);
    }
    return fields;
}

bool IsLogName(const std::string& name) {
    const std::string lower = Lower(name);
    return lower.size() > 11 && lower.starts_with("gpsdata") && lower.ends_with(".txt");
}

void AddLogsIn(const fs::path& folder, std::vector<std::string>& logs) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (IsLogName(it->path().filename().string()) && it->is_regular_file(error)) {
            logs.push_back(it->path().string());
        }
    }
}

bool IsClipName(const fs::path& name) {
    const std::string extension = Lower(name.extension().string());
    return extension == ".mp4" || extension == ".mov";
}

// The clip the folder was listed for; for a log's path (the map's NMEA log step is handed
// the sidecar's), the clip of the same name in the listing.
std::optional<std::string> ClipOf(const ClipFolder& folder) {
    const fs::path given(folder.ClipPath());
    if (IsClipName(given)) {
        return folder.ClipPath();
    }
    for (const std::string& name : folder.Names()) {
        const fs::path candidate(name);
        if (candidate.stem() == given.stem() && IsClipName(candidate)) {
            return folder.PathOf(name);
        }
    }
    return std::nullopt;
}

// A clip's own records begin as it does; where its header keeps local time they begin a
// whole number of quarter hours (a time zone's offset, at most 14 hours) away from it, and
// that is the amount the header is off. Anything further is no zone, and nothing moves.
int64_t ZoneShift(int64_t firstRecord, int64_t headerStart) {
    constexpr int64_t kQuarterHour = 900;
    constexpr int64_t kWidestZone = 14 * 3600;
    int64_t distance = 0;
    if (__builtin_sub_overflow(firstRecord, headerStart, &distance) ||
        distance > kWidestZone + kQuarterHour / 2 || distance < -kWidestZone - kQuarterHour / 2) {
        return 0;
    }
    const int64_t rounded =
        distance >= 0 ? distance + kQuarterHour / 2 : distance - kQuarterHour / 2;
    return rounded / kQuarterHour * kQuarterHour;
}

} // namespace

std::optional<SeventyMaiRecord> ParseSeventyMaiLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line, 10);
    if (fields.size() < 6) {
        return std::nullopt;
    }
    const std::optional<int64_t> time = Number<int64_t>(fields[0]);
    const std::string_view status = Trimmed(fields[1]);
    const std::optional<double> latitude = Number<double>(fields[2]);
    const std::optional<double> longitude = Number<double>(fields[3]);
    const std::optional<double> heading = Number<double>(fields[4]);
    const std::optional<double> speed = Number<double>(fields[5]);
    if (!time || (status != "A" && status != "V") || !latitude || !longitude || !heading ||
        !speed) {
        return std::nullopt;
    }
    SeventyMaiRecord record;
    record.unixTime = *time;
    record.status = status.front();
    record.latitude = *latitude;
    record.longitude = *longitude;
    record.heading = *heading / 100.0;
    // 0.01 m/s is 36 m/h; dividing last keeps a whole km/h whole (750 units are 27 km/h,
    // where multiplying by 0.036 gives a hair less and the dial would show 26).
    record.speedKmh = *speed * 36.0 / 1000.0;
    if (fields.size() >= 9) {
        const std::optional<double> x = Number<double>(fields[6]);
        const std::optional<double> y = Number<double>(fields[7]);
        const std::optional<double> z = Number<double>(fields[8]);
        if (x && y && z) {
            record.hasSensor = true;
            record.x = *x;
            record.y = *y;
            record.z = *z;
        }
    }
    if (fields.size() >= 10) {
        record.clipName = std::string(Trimmed(fields[9]));
    }
    return record;
}

void ForEachSeventyMaiRecord(std::istream& in,
                             const std::function<void(const SeventyMaiRecord&)>& take) {
    std::string line;
    bool tooLong = false;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::string_view chunk(buffer, static_cast<size_t>(in.gcount()));
        size_t at = 0;
        while (at < chunk.size()) {
            const size_t end = chunk.find('\n', at);
            const std::string_view piece =
                chunk.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
            // A line longer than any record is dropped as it streams past, never kept whole.
            if (!tooLong && line.size() + piece.size() <= kMaxSeventyMaiLine) {
                line.append(piece);
            } else {
                tooLong = true;
                line.clear();
            }
            if (end == std::string_view::npos) {
                break;
            }
            if (!tooLong) {
                if (const std::optional<SeventyMaiRecord> record = ParseSeventyMaiLine(line)) {
                    take(*record);
                }
            }
            line.clear();
            tooLong = false;
            at = end + 1;
        }
    }
}

std::vector<std::string> SeventyMaiLogsFor(const ClipFolder& clipFolder) {
    std::vector<std::string> logs;
    std::error_code error;
    fs::path folder = fs::absolute(fs::path(clipFolder.ClipPath()), error).parent_path();
    if (error) {
        return logs;
    }
    // The clip's own folder as it was listed; the two above it read here.
    for (const std::string& name : clipFolder.Names()) {
        const fs::path path = folder / name;
        if (IsLogName(name) && fs::is_regular_file(path, error)) {
            logs.push_back(path.string());
        } else if (Lower(name) == "gps" && fs::is_directory(path, error)) {
            AddLogsIn(path, logs);
        }
    }
    for (int level = 1; level < 3 && folder.has_relative_path(); ++level) {
        folder = folder.parent_path();
        AddLogsIn(folder, logs);
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (Lower(it->path().filename().string()) == "gps" && it->is_directory(error)) {
                AddLogsIn(it->path(), logs);
            }
        }
    }
    std::sort(logs.begin(), logs.end());
    logs.erase(std::unique(logs.begin(), logs.end()), logs.end());
    return logs;
}

bool LoadSeventyMaiTrack(const ClipFolder& folder, const TrackStores& stores) {
    const std::optional<std::string> clipPath = ClipOf(folder);
    if (!clipPath) {
        return false;
    }
    const std::vector<std::string> logs = SeventyMaiLogsFor(folder);
    if (logs.empty()) {
        return false;
    }
    ClipFile clip;
    if (!clip.Open(*clipPath)) {
        return false;
    }
    const std::optional<ClipTime> time = ReadClipTime(clip);
    if (!time) {
        return false;
    }
    // Seconds [0, duration): a record at the clip's end belongs to the next clip.
    const int64_t seconds = std::min<int64_t>(
        static_cast<int64_t>(std::ceil(std::min(time->durationSeconds, 1e9))), kMaxTrackSecond);
    const std::string clipName = Lower(fs::path(*clipPath).filename().string());
    std::map<int, SeventyMaiRecord> inside;
    std::map<int64_t, SeventyMaiRecord> named; // by time, the records that name the clip
    for (const std::string& log : logs) {
        std::istringstream in(ReadRegularFile(log, kMaxSeventyMaiLogBytes).value_or(""));
        ForEachSeventyMaiRecord(in, [&](const SeventyMaiRecord& record) {
            if (!record.clipName.empty() && Lower(record.clipName) == clipName) {
                named.try_emplace(record.unixTime, record);
            }
            // A damaged time and a start before 1970 can be a difference no integer holds.
            int64_t second = 0;
            if (__builtin_sub_overflow(record.unixTime, time->startUnix, &second) || second < 0 ||
                second >= seconds) {
                return;
            }
            inside.try_emplace(static_cast<int>(second), record);
        });
    }
    if (!named.empty()) {
        inside.clear();
        const int64_t start = time->startUnix + ZoneShift(named.begin()->first, time->startUnix);
        for (const auto& [unixTime, record] : named) {
            int64_t second = 0;
            if (!__builtin_sub_overflow(unixTime, start, &second) && second >= 0 &&
                second < seconds) {
                inside.try_emplace(static_cast<int>(second), record);
            }
        }
    }
    // In second order, since a chart sample cuts off every later one.
    bool anyFix = false;
    for (const auto& [second, record] : inside) {
        if (record.status == 'A') {
            stores.map.PutEntry(second, record.latitude, record.longitude, 'A', record.unixTime);
            stores.dial.SetSpeedRecord(second, TruncateToInt(record.speedKmh),
                                       TruncateToInt(record.heading));
            anyFix = anyFix || stores.map.HasPosition(second);
        } else {
            stores.map.PutEntry(second, 0.0, 0.0, 'V', record.unixTime);
        }
        if (record.hasSensor) {
            const std::string line = EmbeddedTrackLine(second * 1000, record.x, record.y, record.z);
            stores.chart.AddTrackLine(line.c_str());
        }
    }
    return anyFix;
}
