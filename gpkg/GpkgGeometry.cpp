#include "gpkg/GpkgGeometry.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace {

constexpr uint8_t kLittleEndian = 1;
constexpr uint32_t kWkbPoint = 1;
constexpr uint32_t kWkbLineString = 2;
// Flags: bit 0 little-endian, bits 1-3 the envelope's kind (0 none, 1 min/max x and y).
constexpr uint8_t kFlagsNoEnvelope = 0x01;
constexpr uint8_t kFlagsXyEnvelope = 0x03;

template <typename T> void Put(std::vector<uint8_t>& out, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    // The encoding is little-endian whatever the machine: the flags above say so.
    if constexpr (std::endian::native == std::endian::big) {
        std::reverse(std::begin(bytes), std::end(bytes));
    }
    out.insert(out.end(), std::begin(bytes), std::end(bytes));
}

template <typename T> T Get(const uint8_t* at, bool little) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, at, sizeof(T));
    if (little != (std::endian::native == std::endian::little)) {
        std::reverse(std::begin(bytes), std::end(bytes));
    }
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

void PutHeader(std::vector<uint8_t>& out, uint8_t flags, int32_t srsId) {
    out.push_back('G');
    out.push_back('P');
    out.push_back(0);
    out.push_back(flags);
    Put<int32_t>(out, srsId);
}

} // namespace

std::vector<uint8_t> GpkgPoint(const LonLat& point, int32_t srsId) {
    std::vector<uint8_t> out;
    PutHeader(out, kFlagsNoEnvelope, srsId);
    out.push_back(kLittleEndian);
    Put<uint32_t>(out, kWkbPoint);
    Put<double>(out, point.lon);
    Put<double>(out, point.lat);
    return out;
}

std::vector<uint8_t> GpkgLine(const std::vector<LonLat>& points, int32_t srsId) {
    if (points.size() < 2) {
        return {};
    }
    const auto [west, east] =
        std::minmax_element(points.begin(), points.end(),
                            [](const LonLat& a, const LonLat& b) { return a.lon < b.lon; });
    const auto [south, north] =
        std::minmax_element(points.begin(), points.end(),
                            [](const LonLat& a, const LonLat& b) { return a.lat < b.lat; });
    std::vector<uint8_t> out;
    PutHeader(out, kFlagsXyEnvelope, srsId);
    for (double edge : {west->lon, east->lon, south->lat, north->lat}) {
        Put<double>(out, edge);
    }
    const std::vector<uint8_t> wkb = WkbLine(points);
    out.insert(out.end(), wkb.begin(), wkb.end());
    return out;
}

std::vector<uint8_t> WkbLine(const std::vector<LonLat>& points) {
    if (points.size() < 2) {
        return {};
    }
    std::vector<uint8_t> out;
    out.push_back(kLittleEndian);
    Put<uint32_t>(out, kWkbLineString);
    Put<uint32_t>(out, static_cast<uint32_t>(points.size()));
    for (const LonLat& point : points) {
        Put<double>(out, point.lon);
        Put<double>(out, point.lat);
    }
    return out;
}

std::optional<LonLat> ReadGpkgPoint(const std::vector<uint8_t>& blob) {
    if (blob.size() < 8 || blob[0] != 'G' || blob[1] != 'P') {
        return std::nullopt;
    }
    // Envelope kinds 1 to 4 hold 4, 6, 6 and 8 doubles.
    static constexpr size_t kEnvelopeDoubles[] = {0, 4, 6, 6, 8};
    const unsigned envelope = (blob[3] >> 1) & 0x07;
    if (envelope >= std::size(kEnvelopeDoubles)) {
        return std::nullopt;
    }
    const size_t wkb = 8 + 8 * kEnvelopeDoubles[envelope];
    if (blob.size() < wkb + 21 || blob[wkb] > 1) {
        return std::nullopt;
    }
    const bool little = blob[wkb] == kLittleEndian;
    if (Get<uint32_t>(&blob[wkb + 1], little) != kWkbPoint) {
        return std::nullopt;
    }
    return LonLat{Get<double>(&blob[wkb + 5], little), Get<double>(&blob[wkb + 13], little)};
}
