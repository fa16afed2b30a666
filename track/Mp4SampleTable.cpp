#include "track/Mp4SampleTable.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Larger than the sample table of any clip's track; a damaged size reads no more.
constexpr uint64_t kMaxTableBytes = 64u << 20;

class Table {
public:
    Table() = default;
    Table(ByteSource& source, const Mp4Box& box) {
        const uint64_t length = std::min(box.end - box.payload, kMaxTableBytes);
        const std::span<const unsigned char> bytes = source.Read(box.payload, length);
        m_bytes.assign(bytes.begin(), bytes.end());
    }

    bool Has(uint64_t at, uint64_t count) const {
        return at <= m_bytes.size() && count <= m_bytes.size() - at;
    }
    uint64_t U(uint64_t at, uint64_t count) const {
        return Has(at, count) ? BigEndian(m_bytes, at, count) : 0;
    }
    // Entries of `entrySize` bytes after an 8-byte header (version, flags, count), as many
    // as the count claims and the box holds.
    uint64_t Entries(uint64_t entrySize, uint64_t header = 8) const {
        if (!Has(0, header)) {
            return 0;
        }
        return std::min<uint64_t>(U(header - 4, 4), (m_bytes.size() - header) / entrySize);
    }

private:
    std::vector<unsigned char> m_bytes;
};

Table ChildTable(ByteSource& source, const Mp4Box& parent, std::string_view type) {
    const std::optional<Mp4Box> box = FindMp4Box(source, parent, type);
    return box ? Table(source, *box) : Table();
}

uint32_t Timescale(ByteSource& source, const Mp4Box& mdia) {
    const Table mdhd = ChildTable(source, mdia, "mdhd");
    // Version 1 has 64-bit creation and modification times before the time scale.
    return static_cast<uint32_t>(mdhd.U(mdhd.U(0, 1) == 1 ? 20 : 12, 4));
}

} // namespace

std::optional<Mp4Track> FindMp4Track(ByteSource& source, std::string_view format) {
    std::optional<Mp4Track> found;
    ForEachMp4Track(source, [&](const Mp4Track& track) {
        if (track.IsFormat(format)) {
            found = track;
        }
        return !found;
    });
    return found;
}

void ForEachMp4Track(ByteSource& source, const std::function<bool(const Mp4Track&)>& visit) {
    const std::optional<Mp4Box> moov = FindMp4Box(source, "moov");
    if (!moov) {
        return;
    }
    ForEachMp4Box(source, moov->payload, moov->end, [&](const Mp4Box& trak) {
        if (!trak.Is("trak")) {
            return true;
        }
        const std::optional<Mp4Box> mdia = FindMp4Box(source, trak, "mdia");
        const std::optional<Mp4Box> minf = mdia ? FindMp4Box(source, *mdia, "minf") : std::nullopt;
        const std::optional<Mp4Box> stbl = minf ? FindMp4Box(source, *minf, "stbl") : std::nullopt;
        const std::optional<Mp4Box> stsd = stbl ? FindMp4Box(source, *stbl, "stsd") : std::nullopt;
        if (!stsd) {
            return true;
        }
        // version and flags, entry count, then the first entry's size and format
        const std::span<const unsigned char> head = source.Read(stsd->payload, 16);
        if (head.size() < 16 || stsd->end - stsd->payload < 16 || BigEndian(head, 4, 4) == 0) {
            return true;
        }
        Mp4Track track{.stbl = *stbl};
        std::memcpy(track.format, head.data() + 12, 4);
        track.timescale = Timescale(source, *mdia);
        return visit(track);
    });
}

void ForEachMp4Sample(ByteSource& source, const Mp4Track& track, uint64_t maxSamples,
                      const std::function<bool(const Mp4Sample&)>& take) {
    const Table stts = ChildTable(source, track.stbl, "stts");
    const Table stsc = ChildTable(source, track.stbl, "stsc");
    const Table stsz = ChildTable(source, track.stbl, "stsz");
    Table offsets = ChildTable(source, track.stbl, "stco");
    uint64_t offsetBytes = 4;
    if (!offsets.Has(0, 8)) {
        offsets = ChildTable(source, track.stbl, "co64");
        offsetBytes = 8;
    }
    const uint64_t fixedSize = stsz.U(4, 4);
    const uint64_t samples =
        std::min(fixedSize != 0 ? stsz.U(8, 4) : stsz.Entries(4, 12), maxSamples);
    const uint64_t chunks = offsets.Entries(offsetBytes);
    const uint64_t runs = stsc.Entries(12);
    const uint64_t timeRuns = stts.Entries(8);

    uint64_t sample = 0;
    uint64_t run = 0;
    uint64_t timeRun = 0;
    uint64_t leftInTimeRun = timeRuns > 0 ? stts.U(8, 4) : 0;
    uint64_t time = 0;
    for (uint64_t chunk = 0; chunk < chunks && sample < samples; ++chunk) {
        // The run of `stsc` that covers this chunk (its first chunks are numbered from 1).
        while (run + 1 < runs && stsc.U(8 + (run + 1) * 12, 4) <= chunk + 1) {
            ++run;
        }
        if (runs == 0 || stsc.U(8 + run * 12, 4) > chunk + 1) {
            return; // a chunk before the first run: the table is damaged
        }
        uint64_t at = offsets.U(8 + chunk * offsetBytes, offsetBytes);
        const uint64_t perChunk = stsc.U(8 + run * 12 + 4, 4);
        for (uint64_t k = 0; k < perChunk && sample < samples; ++k, ++sample) {
            // Runs of zero samples say nothing; samples past the table keep its end time.
            while (leftInTimeRun == 0 && timeRun + 1 < timeRuns) {
                ++timeRun;
                leftInTimeRun = stts.U(8 + timeRun * 8, 4);
            }
            const uint64_t duration = leftInTimeRun > 0 ? stts.U(12 + timeRun * 8, 4) : 0;
            const uint64_t size = fixedSize != 0 ? fixedSize : stsz.U(12 + sample * 4, 4);
            if (!take({.offset = at, .size = size, .time = time, .duration = duration})) {
                return;
            }
            at += size;
            time += duration;
            leftInTimeRun -= leftInTimeRun > 0 ? 1 : 0;
        }
    }
}

void ForEachMp4SampleBytes(
    ByteSource& source, const Mp4Track& track, uint64_t maxSamples, uint64_t maxBytes,
    const std::function<bool(const Mp4Sample&, std::span<const unsigned char>)>& take,
    const std::function<void(uint64_t offset)>& damaged) {
    const uint64_t length = source.Length();
    ForEachMp4Sample(source, track, maxSamples, [&](const Mp4Sample& sample) {
        if (sample.size > maxBytes || sample.offset >= length ||
            sample.size > length - sample.offset) {
            damaged(sample.offset);
            return true;
        }
        const std::span<const unsigned char> bytes =
            source.Read(sample.offset, static_cast<size_t>(sample.size));
        return bytes.size() == sample.size && take(sample, bytes);
    });
}
