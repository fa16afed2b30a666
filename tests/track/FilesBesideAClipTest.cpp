// Files the track readers open by name beside a clip are read only when they are regular
// files of bounded size: a FIFO or a link to a device under a log's name, or a log grown past
// any camera's, is refused with one line on standard error, never waited on or read whole.
#include "track/BlackVueTrack.h"
#include "track/CMapTrackStore.h"
#include "track/ClipFile.h"
#include "track/SidecarLog.h"

#include "ChildRun.h"
#include "NmeaText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

enum class Planted { Fifo, DevZero, Oversized };

struct Reader {
    const char* name;
    const char* file;                                // what it opens beside CLIP
    std::string line;                                // a line it would take, for the oversized file
    std::function<int(const fs::path& folder)> read; // nonzero when it took anything
};

TEST(FilesBesideAClip, OnlyRegularFilesOfBoundedSizeAreRead) {
    const std::string rmc = RmcAt("120000", "5930.0000", 'N', "01800.0000", 'E');
    const std::vector<Reader> readers{
        {"sidecar lines", "CLIP.TXT", "X:0 Y:0 Z:0 G:0 " + rmc + "\r\n",
         [](const fs::path& folder) {
             return ReadSidecarLog((folder / "CLIP.MOV").string(), [](const std::string&) {});
         }},
        {"NMEA log", "CLIP.TXT", rmc + "\r\n",
         [](const fs::path& folder) {
             CMapTrackStore map;
             map.LoadNmeaLog((folder / "CLIP.TXT").string());
             return static_cast<int>(map.size());
         }},
        {"BlackVue files", "CLIP.gps", "[1000]" + rmc + "\r\n",
         [](const fs::path& folder) {
             return static_cast<int>(
                 ReadBlackVueSidecars(ClipFolder((folder / "CLIP.mp4").string())).has_value());
         }},
        // The clip itself has no cap, but its open must not wait on a FIFO either.
        {"clip", "CLIP.mp4", "",
         [](const fs::path& folder) {
             ClipFile clip;
             return static_cast<int>(clip.Open((folder / "CLIP.mp4").string()));
         }},
    };
    // Past every cap: 64 MiB for BlackVue's files, 32 MiB for NMEA text.
    constexpr off_t kOversized = (64 << 20) + 1;
    for (const Reader& reader : readers) {
        for (const Planted planted : {Planted::Fifo, Planted::DevZero, Planted::Oversized}) {
            if (planted == Planted::Oversized && reader.line.empty()) {
                continue;
            }
            const fs::path folder =
                fs::path(::testing::TempDir()) / ("ostvik-beside-" + std::to_string(::getpid()));
            fs::remove_all(folder);
            fs::create_directories(folder);
            const fs::path file = folder / reader.file;
            if (planted == Planted::Fifo) {
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            } else if (planted == Planted::DevZero) {
                fs::create_symlink("/dev/zero", file);
            } else {
                // A log that begins well and runs on in a hole, so it costs no disk.
                std::ofstream(file, std::ios::binary) << reader.line;
                ASSERT_EQ(::truncate(file.c_str(), kOversized), 0);
            }
            const ChildRun run = RunInChild([&] { return reader.read(folder); });
            fs::remove_all(folder);
            SCOPED_TRACE(std::string(reader.name) + ", planted " +
                         std::to_string(static_cast<int>(planted)));
            EXPECT_EQ(run.status, 0) << run.err;
            if (reader.line.empty()) {
                continue; // a clip that cannot be opened is its caller's to report
            }
            const char* why = planted == Planted::Oversized ? "larger than" : "not a regular file";
            EXPECT_NE(run.err.find(file.string() + ": " + why), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
    }
}

} // namespace
