#include "recover/StreamCodec.h"

#include <algorithm>
#include <vector>

#include "recover/AvcSyntax.h"
#include "recover/CameraBoxes.h"
#include "recover/HevcSetup.h"
#include "recover/HevcSpsFacts.h"
#include "recover/HevcSyntax.h"
#include "recover/SpsFacts.h"
#include "recover/SpsSetup.h"
#include "track/Mp4Boxes.h"

namespace {

// How far into the media data the codec is looked for, and how many units are stepped over
// before searching byte by byte instead.
constexpr uint64_t kSniffReach = 64u << 20;
constexpr int kSniffUnits = 256;
// An SPS is a few dozen bytes; a longer one is no real one.
constexpr uint64_t kMaxSps = 1024;
constexpr size_t kWindow = 1u << 20;

std::optional<VideoCodec> CodecOfSps(std::span<const unsigned char> nal) {
    if (AvcSyntax().Classify(nal).kind == NalKind::Sps && ReadSpsFacts(nal)) {
        return VideoCodec::H264;
    }
    if (HevcSyntax().Classify(nal).kind == NalKind::Sps && ReadHevcSps(nal)) {
        return VideoCodec::H265;
    }
    return std::nullopt;
}

std::optional<VideoCodec> SpsAt(ByteSource& source, uint64_t at, uint64_t length, uint64_t end) {
    if (length < 4 || length > kMaxSps || at + 4 + length > end) {
        return std::nullopt;
    }
    const std::span<const unsigned char> read = source.Read(at + 4, static_cast<size_t>(length));
    const std::vector<unsigned char> nal(read.begin(), read.end());
    return nal.size() == length ? CodecOfSps(nal) : std::nullopt;
}

// Steps over units and camera boxes while either codec takes each unit for one of its own;
// `at` is left where neither does.
std::optional<VideoCodec> StepThrough(ByteSource& source, uint64_t& at, uint64_t end) {
    const AvcSyntax avc;
    const HevcSyntax hevc;
    for (int count = 0; count < kSniffUnits && end - at >= 8; ++count) {
        const std::span<const unsigned char> read = source.Read(at, 16);
        const std::vector<unsigned char> head(read.begin(), read.end());
        if (head.size() < 8) {
            break;
        }
        const uint64_t length = BigEndian(head, 0, 4);
        if (IsCameraBox(head.data() + 4)) {
            const uint64_t size = length == 1 && head.size() == 16 ? BigEndian(head, 8, 8)
                                  : length == 0                    ? end - at
                                                                   : length;
            if (size < 8) {
                break;
            }
            at += size;
            continue;
        }
        if (const std::optional<VideoCodec> codec = SpsAt(source, at, length, end)) {
            return codec;
        }
        const std::span<const unsigned char> start = std::span(head).subspan(4, 3);
        if (length == 0 || length > kMaxNalLength ||
            (avc.Classify(start).kind == NalKind::Damage &&
             hevc.Classify(start).kind == NalKind::Damage)) {
            break;
        }
        at += 4 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<VideoCodec> SniffCodec(ByteSource& source, uint64_t begin, uint64_t end) {
    end = std::min(end, source.Length());
    const uint64_t reach = end - std::min(end, begin) > kSniffReach ? begin + kSniffReach : end;
    uint64_t at = begin;
    if (const std::optional<VideoCodec> codec = StepThrough(source, at, reach)) {
        return codec;
    }
    std::vector<unsigned char> window;
    while (at < reach && reach - at >= 8) {
        const std::span<const unsigned char> read =
            source.Read(at, static_cast<size_t>(std::min<uint64_t>(kWindow, reach - at)));
        window.assign(read.begin(), read.end());
        if (window.size() < 8) {
            break;
        }
        // An SPS's length opens with two zero bytes; the header's type is checked first.
        for (size_t i = 0; i + 8 <= window.size(); ++i) {
            if (window[i] != 0 || window[i + 1] != 0 ||
                ((window[i + 4] & 0x1F) != 7 && (window[i + 4] >> 1 & 0x3F) != 33)) {
                continue;
            }
            if (const std::optional<VideoCodec> codec =
                    SpsAt(source, at + i, BigEndian(window, i, 4), end)) {
                return codec;
            }
        }
        at += window.size() - 7;
    }
    return std::nullopt;
}

std::unique_ptr<NalSyntax> SyntaxFor(VideoCodec codec, const VideoSetup* known) {
    const std::span<const unsigned char> sps =
        known ? std::span<const unsigned char>(known->sps) : std::span<const unsigned char>();
    const std::span<const unsigned char> pps =
        known ? std::span<const unsigned char>(known->pps) : std::span<const unsigned char>();
    if (codec == VideoCodec::H265) {
        return std::make_unique<HevcSyntax>(sps, pps);
    }
    return std::make_unique<AvcSyntax>(sps);
}

std::optional<StreamPictures> PicturesOf(VideoCodec codec, std::span<const unsigned char> sps) {
    if (codec == VideoCodec::H265) {
        const std::optional<HevcSpsFacts> facts = ReadHevcSps(sps);
        if (!facts) {
            return std::nullopt;
        }
        return StreamPictures{facts->width, facts->height, facts->pocLsbBits};
    }
    const std::optional<SpsFacts> facts = ReadSpsFacts(sps);
    if (!facts) {
        return std::nullopt;
    }
    return StreamPictures{facts->width, facts->height, facts->pocLsbBits};
}

std::optional<VideoSetup> SetupFromStream(VideoCodec codec, const WalkedVideo& video,
                                          bool& timingAssumed, std::string& why) {
    if (codec == VideoCodec::H265) {
        return SetupFromHevcSets(video.vps, video.sps, video.pps, timingAssumed, why);
    }
    return SetupFromParameterSets(video.sps, video.pps, timingAssumed, why);
}
