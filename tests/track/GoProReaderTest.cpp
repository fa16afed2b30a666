// The GoPro reader on two real recordings from GoPro's own GPMF samples, against exiftool's
// reading of the same files (tests/data/cameras/gopro/*.ref.csv), through the real loader.
#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/ClipTrackLoader.h"
#include "track/UtcTime.h"
#include "track/readers/CameraReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

const CameraReader& GoProGpmfReader();

namespace {

namespace fs = std::filesystem;

const fs::path kGoPro =
    fs::path(OSTVIK_MKCLIP).parent_path().parent_path() / "tests/data/cameras/gopro";

struct RefRow {
    std::optional<double> utc;
    double time = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    std::optional<double> kmh;
};

std::vector<RefRow> ReadReference(const fs::path& csv) {
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line); // the header
    std::vector<RefRow> rows;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back(); // exiftool's CSV ends its lines with CR LF
        }
        if (line.empty()) {
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');) {
            cells.push_back(cell);
        }
        cells.resize(5);
        RefRow row{
            .time = std::stod(cells[1]), .lat = std::stod(cells[2]), .lon = std::stod(cells[3])};
        if (!cells[0].empty()) {
            row.utc = std::stod(cells[0]);
        }
        if (!cells[4].empty()) {
            row.kmh = std::stod(cells[4]);
        }
        rows.push_back(row);
    }
    return rows;
}

// The reference row standing for second s: the nearest to s (the earlier on a tie) among
// the rows at [s - 0.5, s + 0.5).
std::optional<RefRow> RowForSecond(const std::vector<RefRow>& rows, int s) {
    std::optional<RefRow> best;
    for (const RefRow& row : rows) {
        if (row.time < s - 0.5 || row.time >= s + 0.5) {
            continue;
        }
        if (!best || std::fabs(row.time - s) < std::fabs(best->time - s)) {
            best = row;
        }
    }
    return best;
}

struct Loaded {
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    TrackSourceOutcome outcome;
    bool fix = false;
};

void Load(const fs::path& clip, Loaded& loaded) {
    loaded.outcome.path = clip.string();
    loaded.fix =
        LoadEmbeddedTrack(clip.string(), {loaded.map, loaded.chart, loaded.dial}, loaded.outcome);
}

// Every second of the clip against its reference row; `skip` leaves out damaged seconds.
void ExpectMatchesReference(const Loaded& loaded, const std::string& name, double duration,
                            const std::vector<int>& skip = {}) {
    const std::vector<RefRow> rows = ReadReference(kGoPro / (name + ".ref.csv"));
    ASSERT_FALSE(rows.empty());
    int compared = 0;
    for (int s = 0; s <= static_cast<int>(duration); ++s) {
        if (std::find(skip.begin(), skip.end(), s) != skip.end()) {
            continue;
        }
        SCOPED_TRACE(name + " second " + std::to_string(s));
        const std::optional<RefRow> row = RowForSecond(rows, s);
        if (!row) {
            EXPECT_FALSE(loaded.map.HasPosition(s));
            continue;
        }
        ASSERT_TRUE(loaded.map.HasPosition(s));
        EXPECT_NEAR(loaded.map.m_latitudes[s], row->lat, 1e-5);
        EXPECT_NEAR(loaded.map.m_longitudes[s], row->lon, 1e-5);
        if (row->utc) {
            EXPECT_EQ(loaded.map.m_utcTimes[s], static_cast<int64_t>(std::floor(*row->utc)));
        }
        if (row->kmh) {
            const SpeedRecord* record = loaded.dial.Find(s);
            ASSERT_NE(record, nullptr);
            EXPECT_NEAR(record->speed, *row->kmh, 1.0);
        }
        ++compared;
    }
    EXPECT_GT(compared, static_cast<int>(duration) - static_cast<int>(skip.size()));
}

// Durations as exiftool gives them (movie header).
constexpr double kKarmaSeconds = 12.0787;
constexpr double kMaxSeconds = 10.5173;

TEST(GoProReader, KarmaDronePositionsMatchExiftoolEverySecond) {
    Loaded loaded;
    Load(kGoPro / "karma.mp4", loaded);
    EXPECT_TRUE(loaded.fix) << loaded.outcome.why;
    EXPECT_EQ(loaded.outcome.family, "GoPro GPMF");
    EXPECT_FALSE(loaded.outcome.damagedAt.has_value());
    ExpectMatchesReference(loaded, "karma.mp4", kKarmaSeconds);
}

TEST(GoProReader, MaxGps5MatchesExiftoolEverySecondWithSpeed) {
    Loaded loaded;
    Load(kGoPro / "max-heromode.mp4", loaded);
    EXPECT_TRUE(loaded.fix) << loaded.outcome.why;
    EXPECT_EQ(loaded.outcome.family, "GoPro GPMF");
    ExpectMatchesReference(loaded, "max-heromode.mp4", kMaxSeconds);
}

// A camera at rest reads 1 g upward: the chart's z is GoPro's up axis on both cameras
// (HERO5's fixed channel order, MAX's ORIN), x and y near 0 (within 0.3 g of tilt).
TEST(GoProReader, ChartHasGravityOnItsZAxis) {
    for (const char* name : {"karma.mp4", "max-heromode.mp4"}) {
        SCOPED_TRACE(name);
        Loaded loaded;
        Load(kGoPro / name, loaded);
        ASSERT_GE(loaded.chart.m_samples.size(), 10u);
        for (size_t s = 0; s < 10; ++s) {
            EXPECT_NEAR(loaded.chart.m_samples[s].z, 1.0, 0.1);
            EXPECT_LT(std::fabs(loaded.chart.m_samples[s].x), 0.3);
            EXPECT_LT(std::fabs(loaded.chart.m_samples[s].y), 0.5);
        }
    }
}

// The MAX walks south-east the whole clip (latitude falls, longitude grows in exiftool's
// rows), so each second's course lies between 90 and 180 degrees.
TEST(GoProReader, CourseFollowsTheTrack) {
    Loaded loaded;
    Load(kGoPro / "max-heromode.mp4", loaded);
    for (int s = 1; s <= 10; ++s) {
        const SpeedRecord* record = loaded.dial.Find(s);
        ASSERT_NE(record, nullptr) << s;
        EXPECT_GT(record->heading, 90) << s;
        EXPECT_LT(record->heading, 180) << s;
    }
}

class GoProDamage : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("gopro-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Bytes(const std::string& name) { return FileBytes(kGoPro / name); }
    fs::path Write(const std::string& bytes) {
        const fs::path path = m_dir / "GOPR0001.MP4";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_dir;
};

// The MAX clip writes one DEVC a payload, payload k at clip time 1.001 k s; the fifth one's
// header made all ones runs its length past the payload.
TEST_F(GoProDamage, AnOverwrittenPayloadKeepsTheOtherSeconds) {
    std::string bytes = Bytes("max-heromode.mp4");
    size_t at = 0;
    for (int k = 0; k < 5; ++k) {
        at = bytes.find("DEVC", k == 0 ? 0 : at + 4);
        ASSERT_NE(at, std::string::npos);
    }
    bytes.replace(at, 8, 8, '\xff');
    Loaded loaded;
    Load(Write(bytes), loaded);
    EXPECT_TRUE(loaded.fix);
    ASSERT_TRUE(loaded.outcome.damagedAt.has_value());
    EXPECT_EQ(*loaded.outcome.damagedAt, at);
    // Seconds 4 and 5 lie in the lost payload's stretch [4.004, 5.005).
    ExpectMatchesReference(loaded, "max-heromode.mp4", kMaxSeconds, {4, 5});
}

TEST_F(GoProDamage, AClipCutInHalfLosesItsTableWithoutHarm) {
    const std::string bytes = Bytes("karma.mp4");
    const fs::path path = Write(bytes.substr(0, bytes.size() / 2));
    ClipFile file;
    ASSERT_TRUE(file.Open(path.string()));
    EXPECT_FALSE(GoProGpmfReader().Claims(file));
    Loaded loaded;
    Load(path, loaded);
    EXPECT_FALSE(loaded.fix);
    EXPECT_NE(loaded.outcome.family, "GoPro GPMF");
}

// A payload read back as zeros (a lost block of the card) holds no items; the seconds of
// the payloads before it stay.
TEST_F(GoProDamage, AZeroedPayloadLosesOnlyItsSeconds) {
    std::string bytes = Bytes("max-heromode.mp4");
    // The eleventh and last payload's DEVC, as in the test above.
    size_t last = 0;
    for (int k = 0; k < 11; ++k) {
        last = bytes.find("DEVC", k == 0 ? 0 : last + 4);
        ASSERT_NE(last, std::string::npos);
    }
    bytes.replace(last, 64, 64, '\0');
    Loaded loaded;
    Load(Write(bytes), loaded);
    EXPECT_TRUE(loaded.fix);
    EXPECT_FALSE(loaded.outcome.damagedAt.has_value());
    ExpectMatchesReference(loaded, "max-heromode.mp4", 9.0);
    // The lost payload ran from 10.010 s; second 10 takes the fix before it, at 9.954 s
    // (9.009 + 17 x 1.001 / 18), the nearest left in [9.5, 10.5).
    const std::vector<RefRow> rows = ReadReference(kGoPro / "max-heromode.mp4.ref.csv");
    ASSERT_EQ(rows.size(), 191u);
    ASSERT_TRUE(loaded.map.HasPosition(10));
    EXPECT_NEAR(loaded.map.m_latitudes[10], rows[180].lat, 1e-7);
    EXPECT_NEAR(rows[180].time, 9.954, 1e-3);
}

// None of our clip maker's clips has a gpmd track, so none is the GoPro reader's.
TEST(GoProReader, ClaimsNoneOfTheClipMakersClips) {
    int looked = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(OSTVIK_TESTDATA)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".MP4" && ext != ".mp4" && ext != ".MOV")) {
            continue;
        }
        ClipFile file;
        ASSERT_TRUE(file.Open(entry.path().string()));
        EXPECT_FALSE(GoProGpmfReader().Claims(file)) << entry.path();
        ++looked;
    }
    EXPECT_GT(looked, 0);
}

} // namespace
