// Throughput of the track readers on data made in memory: the NMEA parser over a long log,
// and the freeGPS scan over a clip-sized buffer of video-like bytes with a block per 1.2 MiB.
#include "NmeaCorpus.h"

#include "track/CNMEAParser.h"
#include "track/EmbeddedTrack.h"
#include "track/MemoryBytes.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

void BM_NmeaParser(benchmark::State& state) {
    const std::string log = NmeaLog(3600);
    for (auto _ : state) {
        CNMEAParser parser;
        parser.ParseBuffer(reinterpret_cast<const unsigned char*>(log.data()),
                           static_cast<unsigned>(log.size()));
        benchmark::DoNotOptimize(parser.m_dRMCLatitude);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(log.size()));
}
BENCHMARK(BM_NmeaParser);

void BM_FreeGpsScan(benchmark::State& state) {
    const uint64_t spacing = 1258291;
    std::vector<unsigned char> clip(static_cast<size_t>(state.range(0)) << 20);
    std::mt19937 random(7);
    for (auto& byte : clip) {
        byte = static_cast<unsigned char>(random());
    }
    for (uint64_t p = 1 << 20; p + 200 < clip.size(); p += spacing) {
        std::memcpy(&clip[p], "freeGPS", 7);
    }
    MemoryBytes source(clip.data(), clip.size());
    for (auto _ : state) {
        uint64_t blocks = ScanFreeGpsBlocks(
            source, [](const FreeGpsBlock& b) { benchmark::DoNotOptimize(b.latitude); });
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(clip.size()));
}
BENCHMARK(BM_FreeGpsScan)->Arg(256);

} // namespace

BENCHMARK_MAIN();
