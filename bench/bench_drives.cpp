// Grouping a card of 1,000 indexed clips into drives, warm: what `ostvik-track --drives`
// does (every clip's track read on every core, summarised, grouped and printed), and the
// grouping of the summaries alone.
//
// The card is made once, by the clip maker, in the build's benchdata/drive-card: five
// one-minute clips with indexed freeGPS blocks (their tracks a minute apart), copied sparse
// under 1,000 consecutive camera names a minute apart, each its own file as on a card,
// so the drives are five clips long. OSTVIK_BENCH_CARD names another card to time instead.
// drives_cold.sh times the tool on the same card with the file cache dropped.
#include "DriveList.h"

#include "track/DriveGrouping.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kClips = 1000;
constexpr int kBases = 5;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

bool Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::cerr << "bench_drives: failed: " << command << "\n";
        return false;
    }
    return true;
}

// The camera's name of clip i: 2024-06-01 from 00:00 local, a minute a clip.
std::string CameraName(int i) {
    char name[40];
    std::snprintf(name, sizeof name, "2024_0601_%02d%02d00_F.MP4", i / 60, i % 60);
    return name;
}

bool MakeCard(const fs::path& card) {
    const fs::path bases = card.parent_path() / "drive-card-bases";
    fs::create_directories(bases);
    for (int k = 0; k < kBases; ++k) {
        const fs::path base = bases / ("base" + std::to_string(k) + ".MP4");
        if (!fs::exists(base) &&
            !Run(Quoted(OSTVIK_PYTHON) + " " + Quoted(OSTVIK_MKCLIP) + " " + Quoted(base) +
                 " --seconds 60 --size 64x48 --fps 1 --index --start 2024-06-01T12:0" +
                 std::to_string(k) + ":00")) {
            return false;
        }
    }
    const fs::path partial = card.string() + ".partial";
    fs::remove_all(partial);
    fs::create_directories(partial);
    // A shell line per copy, in batches that keep each command line well below the
    // kernel's limit on one argument.
    std::string copies;
    for (int i = 0; i < kClips; ++i) {
        copies += "cp --sparse=always " +
                  Quoted(bases / ("base" + std::to_string(i % kBases) + ".MP4")) + " " +
                  Quoted(partial / CameraName(i)) + " &&\n";
        if (i % 100 == 99 || i + 1 == kClips) {
            if (!Run(copies + "true")) {
                return false;
            }
            copies.clear();
        }
    }
    fs::rename(partial, card);
    return true;
}

// The card's folder, made on first use; empty when it could not be made.
const std::string& Card() {
    static const std::string card = [] {
        if (const char* given = std::getenv("OSTVIK_BENCH_CARD")) {
            return std::string(given);
        }
        const fs::path made = fs::path(OSTVIK_BENCH_DATA) / "drive-card";
        return fs::exists(made) || MakeCard(made) ? made.string() : std::string();
    }();
    return card;
}

void BM_DrivesOfACard(benchmark::State& state) {
    if (Card().empty()) {
        state.SkipWithError("no card");
        return;
    }
    std::ostringstream warm;
    RunDriveList({Card()}, warm);
    for (auto _ : state) {
        std::ostringstream out;
        benchmark::DoNotOptimize(RunDriveList({Card()}, out));
    }
}
BENCHMARK(BM_DrivesOfACard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GroupSummaries(benchmark::State& state) {
    if (Card().empty()) {
        state.SkipWithError("no card");
        return;
    }
    size_t failures = 0;
    const std::vector<ClipSummary> clips = SummariseClips({Card()}, failures);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GroupDrives(clips));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * clips.size()));
}
BENCHMARK(BM_GroupSummaries)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
