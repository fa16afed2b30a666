// An MP4 clip built box by box around one text track, for the tests of the readers of text
// samples: its sample table can be damaged in the ways a card or a camera damages them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct HandClip {
    std::string handler = "sbtl";
    std::string format = "tx3g";
    std::vector<std::string> texts;
    uint32_t claimedSamples = 0;  // stsz count; 0: the real count
    uint32_t samplesPerChunk = 0; // 0: all in one chunk
    int badChunk = -1;            // its offset written as badOffset
    uint64_t badOffset = 0;
    uint32_t bigSample = UINT32_MAX; // index whose size is written as 10 MB
    bool co64 = false;
    uint32_t repeats = 0; // chunks that all point at the first sample, sizes given once
    bool bare = false;    // samples without a cue's 16-bit length, as binary records may be

    static std::string U32(uint32_t v) {
        return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                static_cast<char>(v)};
    }
    static std::string Box(const std::string& type, const std::string& payload) {
        return U32(static_cast<uint32_t>(8 + payload.size())) + type + payload;
    }

    std::string Bytes() const {
        std::string data;
        std::vector<uint32_t> sizes;
        for (const std::string& text : texts) {
            const std::string sample = bare ? text
                                            : std::string{static_cast<char>(text.size() >> 8),
                                                          static_cast<char>(text.size())} +
                                                  text;
            sizes.push_back(static_cast<uint32_t>(sample.size()));
            data += sample;
        }
        const std::string mdat = Box("mdat", data);
        const uint32_t count = static_cast<uint32_t>(texts.size());
        std::string stsz = U32(0) + U32(0) + U32(claimedSamples ? claimedSamples : count);
        for (uint32_t i = 0; i < count; ++i) {
            stsz += U32(i == bigSample ? 10u << 20 : sizes[i]);
        }
        if (repeats > 0) {
            stsz = U32(0) + U32(sizes[0]) + U32(repeats);
        }
        const uint32_t perChunk = samplesPerChunk ? samplesPerChunk : count;
        const std::string stsc = U32(0) + U32(1) + U32(1) + U32(perChunk) + U32(1);
        std::vector<uint64_t> offsets;
        uint64_t at = 16; // after the ftyp box
        for (uint32_t i = 0; i < count; i += perChunk) {
            offsets.push_back(at + 8);
            for (uint32_t k = i; k < std::min(count, i + perChunk); ++k) {
                at += sizes[k];
            }
        }
        if (repeats > 0) {
            offsets.assign(repeats, offsets[0]);
        }
        if (badChunk >= 0) {
            offsets[static_cast<size_t>(badChunk)] = badOffset;
        }
        std::string chunkTable = U32(0) + U32(static_cast<uint32_t>(offsets.size()));
        for (uint64_t offset : offsets) {
            chunkTable +=
                co64 ? U32(static_cast<uint32_t>(offset >> 32)) + U32(static_cast<uint32_t>(offset))
                     : U32(static_cast<uint32_t>(offset));
        }
        const std::string stts = U32(0) + U32(1) + U32(count) + U32(1000);
        const std::string stsd = U32(0) + U32(1) + Box(format, std::string(8, '\0'));
        const std::string stbl = Box("stsd", stsd) + Box("stts", stts) + Box("stsc", stsc) +
                                 Box("stsz", stsz) + Box(co64 ? "co64" : "stco", chunkTable);
        const std::string mdhd = U32(0) + U32(0) + U32(0) + U32(1000) + U32(count * 1000) + U32(0);
        const std::string hdlr = U32(0) + U32(0) + handler + std::string(12, '\0') + '\0';
        const std::string mdia =
            Box("mdhd", mdhd) + Box("hdlr", hdlr) + Box("minf", Box("stbl", stbl));
        return Box("ftyp", "isom" + U32(0)) + mdat + Box("moov", Box("trak", Box("mdia", mdia)));
    }
};
