#include "track/Mp4TextSamples.h"

#include "track/Mp4Boxes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// Larger than the sample tables of any clip's text track; a damaged size reads no more.
constexpr uint64_t kMaxTableBytes = 64u << 20;

// More text than any track of cues holds: the most bytes read for one track.
constexpr uint64_t kMaxTextBytes = 64u << 20;

// A box's payload, copied: it has to outlive the next read of the source. Only as many
// bytes as the box and the file hold, never as many as a count inside claims.
std::vector<unsigned char> Payload(ByteSource& source, const Mp4Box& box) {
    const uint64_t length = std::min(box.end - box.payload, kMaxTableBytes);
    const std::span<const unsigned char> bytes = source.Read(box.payload, length);
    return {bytes.begin(), bytes.end()};
}

class Table {
public:
    explicit Table(std::vector<unsigned char> bytes) : m_bytes(std::move(bytes)) {}

    bool Has(uint64_t at, uint64_t count) const {
        return at <= m_bytes.size() && count <= m_bytes.size() - at;
    }
    uint64_t U(uint64_t at, int count) const {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = value << 8 | m_bytes[at + i];
        }
        return value;
    }
    uint32_t U32(uint64_t at) const { return static_cast<uint32_t>(U(at, 4)); }
    uint64_t size() const { return m_bytes.size(); }

    // Entries of `entrySize` bytes after a header of `header` bytes, as many as the count
    // at `countAt` claims and the table holds.
    uint64_t Entries(uint64_t countAt, uint64_t header, uint64_t entrySize) const {
        if (!Has(countAt, 4) || !Has(header, 0)) {
            return 0;
        }
        return std::min<uint64_t>(U32(countAt), (size() - header) / entrySize);
    }

private:
    std::vector<unsigned char> m_bytes;
};

std::optional<Table> ChildTable(ByteSource& source, const Mp4Box& parent, std::string_view type) {
    if (const std::optional<Mp4Box> box = FindMp4Box(source, parent, type)) {
        return Table(Payload(source, *box));
    }
    return std::nullopt;
}

bool IsTextHandler(ByteSource& source, const Mp4Box& mdia) {
    const std::optional<Table> hdlr = ChildTable(source, mdia, "hdlr");
    if (!hdlr || !hdlr->Has(8, 4)) {
        return false;
    }
    const uint32_t handler = hdlr->U32(8);
    return handler == 0x74657874 /* text */ || handler == 0x7362746C /* sbtl */ ||
           handler == 0x73756274 /* subt */;
}

bool HasTextEntry(const Table& stsd) {
    // version and flags, entry count, then the first entry's size and format
    if (stsd.Entries(4, 8, 8) == 0 || !stsd.Has(12, 4)) {
        return false;
    }
    const uint32_t format = stsd.U32(12);
    return format == 0x74783367 /* tx3g */ || format == 0x74657874 /* text */;
}

uint32_t Timescale(ByteSource& source, const Mp4Box& mdia) {
    const std::optional<Table> mdhd = ChildTable(source, mdia, "mdhd");
    if (!mdhd || !mdhd->Has(0, 1)) {
        return 0;
    }
    // Version 1 has 64-bit creation and modification times before the time scale.
    const uint64_t at = mdhd->U(0, 1) == 1 ? 20 : 12;
    return mdhd->Has(at, 4) ? mdhd->U32(at) : 0;
}

// The sizes of `stsz` (one size for all, or one each) or of the compact `stz2`.
class SampleSizes {
public:
    SampleSizes(std::optional<Table> stsz, std::optional<Table> stz2) {
        if (stsz && stsz->Has(4, 8)) {
            m_table = std::move(stsz);
            m_fixed = m_table->U32(4);
            m_count = m_fixed != 0 ? m_table->U32(8) : m_table->Entries(8, 12, 4);
            m_bits = 32;
        } else if (stz2 && stz2->Has(4, 8)) {
            m_table = std::move(stz2);
            m_bits = static_cast<int>(m_table->U(7, 1));
            if (m_bits == 4 || m_bits == 8 || m_bits == 16) {
                const uint64_t held = (m_table->size() - 12) * 8 / static_cast<uint64_t>(m_bits);
                m_count = std::min<uint64_t>(m_table->U32(8), held);
            }
        }
    }

    uint64_t Count() const { return m_count; }

    uint64_t Size(uint64_t sample) const {
        if (m_fixed != 0) {
            return m_fixed;
        }
        switch (m_bits) {
        case 32:
            return m_table->U32(12 + sample * 4);
        case 16:
            return m_table->U(12 + sample * 2, 2);
        case 8:
            return m_table->U(12 + sample, 1);
        case 4: {
            const uint64_t pair = m_table->U(12 + sample / 2, 1);
            return sample % 2 == 0 ? pair >> 4 : pair & 0x0F;
        }
        default:
            return 0;
        }
    }

private:
    std::optional<Table> m_table;
    uint32_t m_fixed = 0;
    uint64_t m_count = 0;
    int m_bits = 0;
};

// Decoding times from `stts`: runs of samples that share one duration.
class SampleTimes {
public:
    explicit SampleTimes(std::optional<Table> stts) : m_table(std::move(stts)) {
        m_runs = m_table ? m_table->Entries(4, 8, 8) : 0;
        LoadRun();
    }

    // The time of the next sample, then steps past it. Samples beyond the table keep the
    // time at its end.
    uint64_t Next() {
        const uint64_t time = m_time;
        if (m_left > 0) {
            m_time += m_delta;
            if (--m_left == 0) {
                ++m_run;
                LoadRun();
            }
        }
        return time;
    }

private:
    void LoadRun() {
        while (m_run < m_runs) {
            m_left = m_table->U32(8 + m_run * 8);
            m_delta = m_table->U32(12 + m_run * 8);
            if (m_left > 0) {
                return;
            }
            ++m_run;
        }
        m_left = 0;
    }

    std::optional<Table> m_table;
    uint64_t m_runs = 0;
    uint64_t m_run = 0;
    uint64_t m_left = 0;
    uint64_t m_delta = 0;
    uint64_t m_time = 0;
};

void ReadTrack(ByteSource& source, const Mp4Box& stbl, int track, uint32_t timescale,
               const std::function<void(const TextSample&)>& take) {
    const std::optional<Table> stsd = ChildTable(source, stbl, "stsd");
    const std::optional<Table> stsc = ChildTable(source, stbl, "stsc");
    std::optional<Table> offsets = ChildTable(source, stbl, "stco");
    int offsetBytes = 4;
    if (!offsets) {
        offsets = ChildTable(source, stbl, "co64");
        offsetBytes = 8;
    }
    if (!stsd || !HasTextEntry(*stsd) || !stsc || !offsets) {
        return;
    }
    const SampleSizes sizes(ChildTable(source, stbl, "stsz"), ChildTable(source, stbl, "stz2"));
    SampleTimes times(ChildTable(source, stbl, "stts"));
    const uint64_t chunks = offsets->Entries(4, 8, static_cast<uint64_t>(offsetBytes));
    const uint64_t runs = stsc->Entries(4, 8, 12);
    const uint64_t samples = std::min(sizes.Count(), kMaxTextSamples);

    uint64_t sample = 0;
    uint64_t run = 0;
    uint64_t read = 0;
    std::string text;
    for (uint64_t chunk = 0; chunk < chunks && sample < samples; ++chunk) {
        // The run of `stsc` that covers this chunk (its first chunks are numbered from 1).
        while (run + 1 < runs && stsc->U32(8 + (run + 1) * 12) <= chunk + 1) {
            ++run;
        }
        if (runs == 0 || stsc->U32(8 + run * 12) > chunk + 1) {
            return; // a chunk before the first run: the table is damaged
        }
        uint64_t at = offsets->U(8 + chunk * static_cast<uint64_t>(offsetBytes), offsetBytes);
        const uint64_t perChunk = stsc->U32(8 + run * 12 + 4);
        for (uint64_t k = 0; k < perChunk && sample < samples; ++k, ++sample) {
            const uint64_t size = sizes.Size(sample);
            const uint64_t time = times.Next();
            const uint64_t start = at;
            at += size;
            if (size < 2 || size > kMaxTextSampleBytes || start >= source.Length() ||
                size > source.Length() - start) {
                continue;
            }
            // Only the text is read: a cue's 16-bit length, then that many bytes, at most
            // the sample's. What follows it in the sample (style boxes) is of no use here.
            const std::span<const unsigned char> head = source.Read(start, 2);
            if (head.size() < 2) {
                return; // the clip shrank
            }
            const uint64_t length = std::min<uint64_t>(head[0] << 8 | head[1], size - 2);
            // Every read is counted, so a table that points many samples at the same bytes
            // ends here rather than reading them again and again.
            if (2 + length > kMaxTextBytes - read) {
                return;
            }
            read += 2 + length;
            const std::span<const unsigned char> bytes = source.Read(start + 2, length);
            if (bytes.size() < length) {
                return;
            }
            text.assign(reinterpret_cast<const char*>(bytes.data()), length);
            const double seconds = timescale != 0 ? static_cast<double>(time) / timescale : 0.0;
            take({track, seconds, text, start, size});
        }
    }
}

} // namespace

void ForEachMp4TextSample(ByteSource& source, const std::function<void(const TextSample&)>& take) {
    const std::optional<Mp4Box> moov = FindMp4Box(source, "moov");
    if (!moov) {
        return;
    }
    int track = 0;
    ForEachMp4Box(source, moov->payload, moov->end, [&](const Mp4Box& trak) {
        if (!trak.Is("trak")) {
            return true;
        }
        const std::optional<Mp4Box> mdia = FindMp4Box(source, trak, "mdia");
        if (!mdia || !IsTextHandler(source, *mdia)) {
            return true;
        }
        const std::optional<Mp4Box> minf = FindMp4Box(source, *mdia, "minf");
        const std::optional<Mp4Box> stbl = minf ? FindMp4Box(source, *minf, "stbl") : std::nullopt;
        if (stbl) {
            ReadTrack(source, *stbl, track, Timescale(source, *mdia), take);
        }
        ++track;
        return true;
    });
}
