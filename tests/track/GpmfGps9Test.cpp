// GPS9, the position stream of GoPro HERO11 and later: no public recording of one is at
// hand, so its payload is built here from GoPro's description and its values stated by hand.
#include "track/readers/Gpmf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// One key-length-value item: big-endian, the value padded to 4 bytes.
std::vector<unsigned char> Item(const std::string& key, char type, int size, int repeat,
                                const std::vector<unsigned char>& value) {
    std::vector<unsigned char> item(key.begin(), key.end());
    item.push_back(static_cast<unsigned char>(type));
    item.push_back(static_cast<unsigned char>(size));
    item.push_back(static_cast<unsigned char>(repeat >> 8));
    item.push_back(static_cast<unsigned char>(repeat & 0xFF));
    item.insert(item.end(), value.begin(), value.end());
    item.resize((item.size() + 3) / 4 * 4, 0);
    return item;
}

std::vector<unsigned char> Nest(const std::string& key,
                                const std::vector<std::vector<unsigned char>>& items) {
    std::vector<unsigned char> body;
    for (const auto& item : items) {
        body.insert(body.end(), item.begin(), item.end());
    }
    return Item(key, '\0', 4, static_cast<int>(body.size() / 4), body);
}

void Put(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

struct Gps9Fix {
    int32_t lat, lon, alt, speed2d, speed3d, days, ms;
    uint16_t dop, fix;
};

class Recorded : public GpmfSink {
public:
    void Fix(const GpmfFix& fix) override { fixes.push_back(fix); }
    void Accel(double, const std::array<double, 3>&) override {}
    void SystemClock(double, double) override {}
    std::vector<GpmfFix> fixes;
};

TEST(GpmfGps9, EachFixCarriesItsOwnTimeAndPrecision) {
    // 2024-06-01 is day 8918 after 2000-01-01 (24 years with 6 leap days, then 152 days of
    // January to May); 12:00:00 is 43 200 000 ms after midnight.
    const std::vector<Gps9Fix> fixes{
        {593293000, 180686000, 12000, 13890, 1389, 8918, 43200000, 150, 3},
        {593294000, 180687000, 12000, 13890, 1389, 8918, 43200500, 600, 3}, // DOP 6.0
        {593295000, 180688000, 12000, 13890, 1389, 8918, 43201000, 120, 0}, // no fix
    };
    std::vector<unsigned char> records;
    for (const Gps9Fix& f : fixes) {
        for (int32_t v : {f.lat, f.lon, f.alt, f.speed2d, f.speed3d, f.days, f.ms}) {
            Put(records, static_cast<uint32_t>(v), 4);
        }
        Put(records, f.dop, 2);
        Put(records, f.fix, 2);
    }
    std::vector<unsigned char> scale;
    for (uint32_t s : {10000000u, 10000000u, 1000u, 1000u, 100u, 1u, 1000u, 100u, 1u}) {
        Put(scale, s, 4);
    }
    const std::string type = "lllllllSS";
    const std::vector<unsigned char> payload =
        Nest("DEVC",
             {Nest("STRM", {Item("TYPE", 'c', 1, 9, {type.begin(), type.end()}),
                            Item("SCAL", 'l', 4, 9, scale), Item("GPS9", '?', 32, 3, records)})});

    Recorded sink;
    EXPECT_FALSE(ReadGpmfPayload(payload, 5.0, 1.0, sink).has_value());
    ASSERT_EQ(sink.fixes.size(), 3u);
    EXPECT_NEAR(sink.fixes[0].latitude, 59.3293, 1e-9);
    EXPECT_NEAR(sink.fixes[0].longitude, 18.0686, 1e-9);
    EXPECT_NEAR(sink.fixes[0].speed, 13.89, 1e-9);
    EXPECT_NEAR(sink.fixes[0].clock, 1717243200.0, 1e-6); // 2024-06-01T12:00:00Z
    EXPECT_NEAR(sink.fixes[1].clock, 1717243200.5, 1e-6);
    // Spread over the payload's second, from its start.
    EXPECT_NEAR(sink.fixes[1].seconds, 5.0 + 1.0 / 3, 1e-9);
    EXPECT_TRUE(sink.fixes[0].valid);
    EXPECT_FALSE(sink.fixes[1].valid); // dilution above 5
    EXPECT_FALSE(sink.fixes[2].valid); // fix type 0
}

} // namespace
