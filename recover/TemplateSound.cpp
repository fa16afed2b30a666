#include "recover/TemplateSound.h"

#include <string_view>

#include "recover/AudioConfig.h"
#include "recover/TrackBoxes.h"

namespace {

// An mp4a entry with its esds is under a hundred bytes; a bigger one is damage.
constexpr uint64_t kMaxEntry = 4096;
// Where an mp4a entry's child boxes begin: after the sample entry's and the sound fields.
constexpr size_t kSoundFields = 36;
constexpr unsigned kEsTag = 3;
constexpr unsigned kDecoderConfigTag = 4;
constexpr unsigned kDecoderSpecificTag = 5;
// Fields of a decoder config descriptor before its own descriptors: object type, stream
// type, buffer size and the two bit rates.
constexpr size_t kDecoderConfigFields = 13;
constexpr unsigned kMpeg4Audio = 0x40;

// A descriptor of the esds: its tag, then its size in 7-bit groups with a flag on each that
// another follows, then that many bytes.
struct Descriptor {
    unsigned tag = 0;
    size_t payload = 0;
    size_t end = 0;
};

std::optional<Descriptor> DescriptorAt(std::span<const unsigned char> bytes, size_t at) {
    if (at >= bytes.size()) {
        return std::nullopt;
    }
    Descriptor found;
    found.tag = bytes[at++];
    size_t size = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= bytes.size()) {
            return std::nullopt;
        }
        const unsigned char byte = bytes[at++];
        size = size << 7 | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            found.payload = at;
            found.end = at + size;
            return found.end <= bytes.size() ? std::optional(found) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<Descriptor> Inside(std::span<const unsigned char> bytes, size_t at, size_t end,
                                 unsigned tag) {
    while (at < end) {
        const std::optional<Descriptor> next = DescriptorAt(bytes.first(end), at);
        if (!next) {
            return std::nullopt;
        }
        if (next->tag == tag) {
            return next;
        }
        at = next->end;
    }
    return std::nullopt;
}

// The AudioSpecificConfig inside an esds payload (after its version and flags).
std::vector<unsigned char> DecoderConfig(std::span<const unsigned char> esds) {
    const std::optional<Descriptor> stream = Inside(esds, 4, esds.size(), kEsTag);
    if (!stream || stream->end - stream->payload < 3) {
        return {};
    }
    const unsigned flags = esds[stream->payload + 2];
    size_t at = stream->payload + 3;
    at += (flags & 0x80) ? 2 : 0;                                                // depends on
    at += (flags & 0x40) && at < stream->end ? size_t{1} + esds[at] : size_t{0}; // URL
    at += (flags & 0x20) ? 2 : 0;                                                // OCR stream
    const std::optional<Descriptor> decoder = Inside(esds, at, stream->end, kDecoderConfigTag);
    if (!decoder || decoder->end - decoder->payload < kDecoderConfigFields ||
        esds[decoder->payload] != kMpeg4Audio) {
        return {};
    }
    const std::optional<Descriptor> specific =
        Inside(esds, decoder->payload + kDecoderConfigFields, decoder->end, kDecoderSpecificTag);
    if (!specific) {
        return {};
    }
    return {esds.begin() + specific->payload, esds.begin() + specific->end};
}

// The media time the first edit that shows something starts at; empty edits (a sound that
// starts late) are not carried over.
uint64_t EditDelay(ByteSource& source, const Mp4Box& track, uint32_t timescale) {
    const std::optional<Mp4Box> list = FindMp4Box(source, track, "edts/elst");
    if (!list) {
        return 0;
    }
    const std::vector<unsigned char> bytes = Bytes(source, list->payload, 48);
    if (bytes.size() < 8) {
        return 0;
    }
    const bool wide = bytes[0] == 1;
    const size_t entry = wide ? 20 : 12;
    const size_t count = static_cast<size_t>(BigEndian(bytes, 4, 4));
    for (size_t i = 0; i < count && 8 + (i + 1) * entry <= bytes.size(); ++i) {
        const size_t at = 8 + i * entry + (wide ? 8 : 4);
        const uint64_t raw = BigEndian(bytes, at, wide ? 8 : 4);
        const int64_t media =
            wide ? static_cast<int64_t>(raw) : static_cast<int64_t>(static_cast<int32_t>(raw));
        // Priming is a few frames; more than a second is not what this edit is for.
        if (media >= 0) {
            return static_cast<uint64_t>(media) < timescale ? static_cast<uint64_t>(media) : 0;
        }
    }
    return 0;
}

} // namespace

std::optional<SoundSetup> ReadTemplateSound(ByteSource& source, std::string& why) {
    const std::optional<Mp4Box> movie = FindMp4Box(source, "moov");
    const std::optional<Mp4Box> track = movie ? TrackOf(source, *movie, "soun") : std::nullopt;
    if (!track) {
        why = "the template has no sound track";
        return std::nullopt;
    }
    const std::optional<Mp4Box> header = FindMp4Box(source, *track, "mdia/mdhd");
    const std::optional<Mp4Box> entries = FindMp4Box(source, *track, "mdia/minf/stbl/stsd");
    const std::vector<unsigned char> mdhd =
        header ? Bytes(source, header->payload, 32) : std::vector<unsigned char>();
    const std::vector<unsigned char> stsd =
        entries ? Bytes(source, entries->payload, 16) : std::vector<unsigned char>();
    const uint64_t entrySize = stsd.size() >= 16 ? BigEndian(stsd, 8, 4) : 0;
    SoundSetup setup;
    if (mdhd.size() >= 32) {
        setup.timescale = static_cast<uint32_t>(BigEndian(mdhd, mdhd[0] == 1 ? 20 : 12, 4));
    }
    if (setup.timescale == 0 || entrySize <= kSoundFields || entrySize > kMaxEntry ||
        entries->payload + 8 + entrySize > entries->end) {
        why = "the template's sound track has no usable clock or sample entry";
        return std::nullopt;
    }
    setup.sampleEntry = Bytes(source, entries->payload + 8, entrySize);
    const std::string_view entry(reinterpret_cast<const char*>(setup.sampleEntry.data()),
                                 setup.sampleEntry.size());
    if (entry.substr(4, 4) != "mp4a") {
        why = "the template's sound is '" + std::string(entry.substr(4, 4)) + "', not AAC (mp4a)";
        return std::nullopt;
    }
    const size_t esds = entry.find("esds", kSoundFields);
    if (esds != std::string_view::npos && esds >= 4) {
        const uint64_t size = BigEndian(setup.sampleEntry, esds - 4, 4);
        if (size >= 8 && esds - 4 + size <= setup.sampleEntry.size()) {
            setup.config = DecoderConfig(
                std::span(setup.sampleEntry).subspan(esds + 4, static_cast<size_t>(size - 8)));
        }
    }
    const std::optional<AudioConfig> config = ReadAudioConfig(setup.config);
    const uint64_t ticks = config ? uint64_t{config->frameSamples} * setup.timescale : 0;
    if (!config || ticks % config->coreRate != 0) {
        why = "the template's sound is not AAC of raw frames this recovery reads";
        return std::nullopt;
    }
    setup.frameDuration = static_cast<uint32_t>(ticks / config->coreRate);
    setup.channels = config->channels;
    setup.delay = EditDelay(source, *track, setup.timescale);
    return setup;
}
