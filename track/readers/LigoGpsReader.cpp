// SigmaStar-based cameras of many budget brands keep their LIGOGPSINFO blocks (see
// LigoGpsRecord.h) as the samples of a timed-metadata track whose sample entry is `ssmd`,
// one block a second. The same sample entry carries other makers' binary GPS, so a clip is
// only claimed when its first sample opens with the block's name.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/Mp4SampleTable.h"
#include "track/Truncate.h"
#include "track/readers/BlockSecond.h"
#include "track/readers/LigoGpsRecord.h"
#include "track/readers/LigoGpsSeconds.h"

#include <algorithm>

namespace {

// Far more slots than a second holds; a larger sample is damage.
constexpr uint64_t kMaxSampleBytes = kLigoHeaderBytes + 256 * kLigoSlotBytes;
// A block a second for over a week.
constexpr uint64_t kMaxSamples = 1u << 20;

bool OpensWithMagic(std::span<const unsigned char> bytes) {
    return bytes.size() >= kLigoMagic.size() &&
           std::equal(kLigoMagic.begin(), kLigoMagic.end(), bytes.begin(),
                      [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

bool FirstSampleIsLigo(ByteSource& bytes, const Mp4Track& track) {
    bool ligo = false;
    ForEachMp4Sample(bytes, track, 1, [&](const Mp4Sample& sample) {
        ligo = OpensWithMagic(bytes.Read(sample.offset, kLigoMagic.size()));
        return false;
    });
    return ligo;
}

class LigoGpsReader : public CameraReader {
public:
    std::string_view Family() const override { return "SigmaStar LigoGPS"; }

    bool Claims(ByteSource& bytes) const override {
        const std::optional<Mp4Track> track = FindMp4Track(bytes, "ssmd");
        return track && FirstSampleIsLigo(bytes, *track);
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "ssmd");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "an ssmd track without a time scale" : "no ssmd track";
            return outcome;
        }
        const uint64_t length = input.bytes.Length();
        const double scale = track->timescale;
        int lastPut = -1;
        int blocks = 0;
        const auto damage = [&](uint64_t at) {
            outcome.damagedAt = outcome.damagedAt.value_or(at);
        };
        ForEachMp4Sample(input.bytes, *track, kMaxSamples, [&](const Mp4Sample& sample) {
            if (sample.size < kLigoHeaderBytes || sample.size > kMaxSampleBytes ||
                sample.offset >= length || sample.size > length - sample.offset) {
                damage(sample.offset);
                return true;
            }
            const std::span<const unsigned char> bytes =
                input.bytes.Read(sample.offset, static_cast<size_t>(sample.size));
            if (bytes.size() < sample.size) {
                return false; // the clip shrank
            }
            if (!OpensWithMagic(bytes)) {
                damage(sample.offset);
                return true;
            }
            ++blocks;
            const bool plain = LigoCoordinatesPlain(bytes);
            const size_t slots = (bytes.size() - kLigoHeaderBytes) / kLigoSlotBytes;
            for (size_t k = 0; k < slots; ++k) {
                const size_t at = kLigoHeaderBytes + k * kLigoSlotBytes;
                const LigoSlot slot = ReadLigoSlot(bytes.subspan(at, kLigoSlotBytes), plain);
                if (slot.kind == LigoSlot::Kind::Damaged) {
                    damage(sample.offset + at);
                }
                if (slot.kind != LigoSlot::Kind::Fix) {
                    continue;
                }
                // A block of several slots spreads them over its sample's time.
                const double time =
                    (static_cast<double>(sample.time) +
                     static_cast<double>(sample.duration * k) / static_cast<double>(slots)) /
                    scale;
                const int second = TruncateToInt(time);
                if (second <= lastPut || second > stores.map.LastSecond()) {
                    continue;
                }
                PutBlockSecond(stores, second, LigoBlockOf(slot.fix, sample.offset + at));
                outcome.fix = outcome.fix || stores.map.HasPosition(second);
                lastPut = second;
            }
            return true;
        });
        outcome.found = blocks > 0;
        if (!outcome.found) {
            outcome.why = "no readable LIGOGPSINFO block";
        } else if (!outcome.fix) {
            outcome.why = "no LIGOGPSINFO record with a fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& LigoGpsInClipReader() {
    static const LigoGpsReader reader;
    return reader;
}
