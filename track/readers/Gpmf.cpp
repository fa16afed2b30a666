#include "track/readers/Gpmf.h"

#include "track/UtcTime.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// GoPro's GPSP is the dilution of precision times 100, "under 500 is good" in GoPro's own
// documentation: a fix whose precision is worse is drawn as no fix rather than a wrong place.
constexpr double kMaxGpsp = 500.0;

// 2000-01-01T00:00:00Z, GPS9's day 0.
constexpr double kGps9Epoch = 946'684'800.0;

constexpr double kStandardGravity = 9.80665;

struct Item {
    std::string_view key;
    char type = 0;
    size_t structSize = 0;
    size_t repeat = 0;
    std::span<const unsigned char> value; // structSize * repeat bytes
    size_t at = 0;                        // the header's offset in the payload
};

// Calls take(item) for each item of [begin, end) of `bytes`; the offset of the first item
// that does not fit, if one does not.
template <typename Take>
std::optional<size_t> ForEachItem(std::span<const unsigned char> bytes, size_t begin, size_t end,
                                  Take take) {
    size_t at = begin;
    while (end - at >= 8) {
        Item item;
        item.key = std::string_view(reinterpret_cast<const char*>(bytes.data() + at), 4);
        item.type = static_cast<char>(bytes[at + 4]);
        item.structSize = bytes[at + 5];
        item.repeat = static_cast<size_t>(bytes[at + 6]) << 8 | bytes[at + 7];
        item.at = at;
        const size_t length = item.structSize * item.repeat;
        if (length > end - at - 8) {
            return at;
        }
        item.value = bytes.subspan(at + 8, length);
        take(item);
        at += 8 + std::min((length + 3) / 4 * 4, end - at - 8);
    }
    return std::nullopt;
}

size_t TypeSize(char type) {
    switch (type) {
    case 'b':
    case 'B':
    case 'c':
        return 1;
    case 's':
    case 'S':
        return 2;
    case 'l':
    case 'L':
    case 'f':
    case 'q':
    case 'F':
        return 4;
    case 'd':
    case 'j':
    case 'J':
    case 'Q':
        return 8;
    case 'G':
    case 'U':
        return 16;
    default:
        return 0;
    }
}

uint64_t Big(const unsigned char* p, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

// A number of a numeric type; NaN for any other (text, GUIDs, dates).
double Number(char type, const unsigned char* p) {
    switch (type) {
    case 'b':
        return static_cast<int8_t>(p[0]);
    case 'B':
        return p[0];
    case 's':
        return static_cast<int16_t>(Big(p, 2));
    case 'S':
        return static_cast<double>(Big(p, 2));
    case 'l':
        return static_cast<int32_t>(Big(p, 4));
    case 'L':
        return static_cast<double>(Big(p, 4));
    case 'f':
        return std::bit_cast<float>(static_cast<uint32_t>(Big(p, 4)));
    case 'd':
        return std::bit_cast<double>(Big(p, 8));
    case 'j':
        return static_cast<double>(static_cast<int64_t>(Big(p, 8)));
    case 'J':
        return static_cast<double>(Big(p, 8));
    case 'q':
        return static_cast<int32_t>(Big(p, 4)) / 65536.0;
    case 'Q':
        return static_cast<double>(static_cast<int64_t>(Big(p, 8))) / 4294967296.0;
    default:
        return std::nan("");
    }
}

// The field types of one record: TYPE's characters ("f[8]L" repeats f eight times) for a
// structure ('?'), else as many of the item's own type as the structure size holds.
std::vector<char> FieldTypes(const Item& item, std::span<const unsigned char> typeText) {
    std::vector<char> fields;
    if (item.type != '?') {
        const size_t size = TypeSize(item.type);
        if (size != 0) {
            fields.assign(item.structSize / size, item.type);
        }
        return fields;
    }
    for (size_t i = 0; i < typeText.size() && typeText[i] != 0; ++i) {
        const char type = static_cast<char>(typeText[i]);
        size_t count = 1;
        if (i + 1 < typeText.size() && typeText[i + 1] == '[') {
            count = 0;
            for (i += 2; i < typeText.size() && typeText[i] >= '0' && typeText[i] <= '9'; ++i) {
                count = std::min<size_t>(count * 10 + (typeText[i] - '0'), 256);
            }
        }
        fields.insert(fields.end(), count, type);
    }
    return fields;
}

// One STRM's items: its sticky values, and the one data item the reader takes from it.
struct Stream {
    std::span<const unsigned char> type;
    std::vector<double> scale;
    std::optional<double> fix;       // GPSF
    std::optional<double> precision; // GPSP
    std::optional<double> utc;       // GPSU
    std::span<const unsigned char> orientation;
    std::optional<Item> data;
};

bool IsData(std::string_view key) {
    return key == "GPS5" || key == "GPS9" || key == "GLPI" || key == "GPRI" || key == "SYST" ||
           key == "ACCL";
}

std::optional<double> FirstNumber(const Item& item) {
    const size_t size = TypeSize(item.type);
    if (size == 0 || item.value.size() < size) {
        return std::nullopt;
    }
    const double value = Number(item.type, item.value.data());
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

void Take(Stream& stream, const Item& item) {
    if (item.key == "TYPE") {
        stream.type = item.value;
    } else if (item.key == "SCAL") {
        const size_t size = TypeSize(item.type);
        stream.scale.clear();
        for (size_t at = 0; size != 0 && at + size <= item.value.size(); at += size) {
            stream.scale.push_back(Number(item.type, item.value.data() + at));
        }
    } else if (item.key == "GPSF") {
        stream.fix = FirstNumber(item);
    } else if (item.key == "GPSP") {
        stream.precision = FirstNumber(item);
    } else if (item.key == "GPSU") {
        stream.utc = GpsuSeconds(item.value);
    } else if (item.key == "ORIN") {
        stream.orientation = item.value;
    } else if (IsData(item.key) && !stream.data) {
        stream.data = item;
    }
}

// Calls take(index, count, fields) for each record of the stream's data, its fields scaled
// by SCAL (one divisor for all, or one each); nothing when a divisor is zero.
template <typename TakeRecord> void ForEachRecord(const Stream& stream, TakeRecord take) {
    const Item& item = *stream.data;
    const std::vector<char> types = FieldTypes(item, stream.type);
    size_t bytes = 0;
    for (char type : types) {
        bytes += TypeSize(type);
    }
    if (types.empty() || bytes > item.structSize) {
        return;
    }
    for (double divisor : stream.scale) {
        if (!(std::isfinite(divisor) && divisor != 0.0)) {
            return;
        }
    }
    std::vector<double> fields(types.size());
    for (size_t r = 0; r < item.repeat; ++r) {
        const unsigned char* p = item.value.data() + r * item.structSize;
        for (size_t f = 0; f < types.size(); ++f) {
            const double divisor =
                stream.scale.empty() ? 1.0 : stream.scale[f % stream.scale.size()];
            fields[f] = Number(types[f], p) / divisor;
            p += TypeSize(types[f]);
        }
        take(r, item.repeat, fields);
    }
}

// What a DEVC gave; the positions of one payload come from one kind of stream.
struct DeviceRecords {
    std::vector<GpmfFix> gps9;
    std::vector<GpmfFix> gps5;
    std::vector<GpmfFix> karma;
    std::optional<double> karmaFix; // the best fix type of the Karma's raw GPS records
};

// Which of the chart's axes (0 x along the lens, 1 y across, 2 z up) each accelerometer
// channel measures, and its sign. GoPro names its camera axes Z up through the top, X
// across, Y out through the lens; HERO5 writes them in Z, X, Y order ("up/down, right/left,
// forward/back" in its stream name), later cameras say their order in ORIN, a small letter
// meaning the axis reversed.
std::array<std::pair<int, double>, 3> AccelAxes(std::span<const unsigned char> orientation) {
    std::array<std::pair<int, double>, 3> axes{{{2, 1.0}, {1, 1.0}, {0, 1.0}}};
    if (orientation.size() < 3) {
        return axes;
    }
    std::array<std::pair<int, double>, 3> named{};
    int seen = 0;
    for (size_t i = 0; i < 3; ++i) {
        const char c = static_cast<char>(orientation[i]);
        const char upper = static_cast<char>(c & ~0x20);
        const int axis = upper == 'Y' ? 0 : upper == 'X' ? 1 : upper == 'Z' ? 2 : -1;
        if (axis < 0 || (seen & 1 << axis) != 0) {
            return axes;
        }
        seen |= 1 << axis;
        named[i] = {axis, c == upper ? 1.0 : -1.0};
    }
    return named;
}

void ReadStream(const Stream& stream, double start, double duration, DeviceRecords& device,
                GpmfSink& sink) {
    const std::string_view key = stream.data->key;
    const auto at = [&](size_t index, size_t count) {
        return start + static_cast<double>(index) * duration / static_cast<double>(count);
    };
    ForEachRecord(stream, [&](size_t index, size_t count, const std::vector<double>& f) {
        if (key == "GPS5" && f.size() >= 5) {
            GpmfFix fix{
                .seconds = at(index, count), .latitude = f[0], .longitude = f[1], .speed = f[3]};
            fix.valid = stream.fix.value_or(3) >= 2 && stream.precision.value_or(0) <= kMaxGpsp;
            // GPSU dates the stream's first fix; the others follow as they are placed.
            if (stream.utc) {
                fix.clock = *stream.utc + (fix.seconds - start);
            }
            device.gps5.push_back(fix);
        } else if (key == "GPS9" && f.size() >= 9) {
            // Each fix carries its own day, time, dilution of precision and fix type.
            device.gps9.push_back({.seconds = at(index, count),
                                   .latitude = f[0],
                                   .longitude = f[1],
                                   .speed = f[3],
                                   .valid = f[8] >= 2 && f[7] * 100.0 <= kMaxGpsp,
                                   .clock = kGps9Epoch + f[5] * 86400.0 + f[6]});
        } else if (key == "GLPI" && f.size() >= 7) {
            // The Karma's position: its clock, latitude, longitude, altitudes, then its
            // velocity north and east.
            device.karma.push_back({.seconds = at(index, count),
                                    .latitude = f[1],
                                    .longitude = f[2],
                                    .speed = std::hypot(f[5], f[6]),
                                    .valid = true,
                                    .clock = f[0],
                                    .systemClock = true});
        } else if (key == "GPRI" && f.size() >= 9) {
            device.karmaFix = std::max(device.karmaFix.value_or(0), f[8]);
        } else if (key == "SYST" && f.size() >= 2) {
            sink.SystemClock(f[0], f[1]);
        } else if (key == "ACCL" && f.size() >= 3) {
            std::array<double, 3> g{};
            for (size_t i = 0; const auto& [axis, sign] : AccelAxes(stream.orientation)) {
                g[static_cast<size_t>(axis)] = sign * f[i++] / kStandardGravity;
            }
            sink.Accel(at(index, count), g);
        }
    });
}

} // namespace

std::optional<double> GpsuSeconds(std::span<const unsigned char> text) {
    if (text.size() < 12) {
        return std::nullopt;
    }
    int parts[6] = {};
    for (size_t i = 0; i < 12; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        parts[i / 2] = parts[i / 2] * 10 + (text[i] - '0');
    }
    const std::optional<int64_t> whole =
        UtcSeconds(2000 + parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
    if (!whole) {
        return std::nullopt;
    }
    double fraction = 0.0;
    double unit = 0.1;
    if (text.size() > 12 && text[12] == '.') {
        for (size_t i = 13; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            fraction += (text[i] - '0') * unit;
            unit /= 10.0;
        }
    }
    return static_cast<double>(*whole) + fraction;
}

std::optional<size_t> ReadGpmfPayload(std::span<const unsigned char> bytes, double start,
                                      double duration, GpmfSink& sink) {
    std::optional<size_t> damage;
    std::vector<GpmfFix> karma;
    std::vector<GpmfFix> gps5;
    std::vector<GpmfFix> gps9;
    const auto note = [&](std::optional<size_t> at) {
        if (at && !damage) {
            damage = at;
        }
    };
    note(ForEachItem(bytes, 0, bytes.size(), [&](const Item& devc) {
        if (devc.key != "DEVC" || devc.type != 0) {
            return;
        }
        DeviceRecords device;
        const size_t devcBegin = devc.at + 8;
        note(ForEachItem(bytes, devcBegin, devcBegin + devc.value.size(), [&](const Item& strm) {
            if (strm.key != "STRM" || strm.type != 0) {
                return;
            }
            Stream stream;
            const size_t strmBegin = strm.at + 8;
            note(ForEachItem(bytes, strmBegin, strmBegin + strm.value.size(),
                             [&](const Item& item) { Take(stream, item); }));
            if (stream.data) {
                ReadStream(stream, start, duration, device, sink);
            }
        }));
        // The Karma's positions carry no fix status; its raw GPS records in the same DEVC
        // do, and without them the position stands.
        for (GpmfFix& fix : device.karma) {
            fix.valid = device.karmaFix.value_or(3) >= 2;
        }
        karma.insert(karma.end(), device.karma.begin(), device.karma.end());
        gps5.insert(gps5.end(), device.gps5.begin(), device.gps5.end());
        gps9.insert(gps9.end(), device.gps9.begin(), device.gps9.end());
    }));
    // A HERO11 writes GPS9 and GPS5 side by side; GPS9 dates each fix. A camera's own GPS
    // goes before the drone's carrying it.
    const std::vector<GpmfFix>& fixes = !gps9.empty() ? gps9 : !gps5.empty() ? gps5 : karma;
    for (const GpmfFix& fix : fixes) {
        sink.Fix(fix);
    }
    return damage;
}
