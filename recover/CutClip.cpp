#include "recover/CutClip.h"

#include <algorithm>

#include "recover/IndexReach.h"
#include "track/Mp4Boxes.h"

namespace {

// A file type box lists a handful of brands; anything longer is no real one.
constexpr uint64_t kMaxFileType = 4096;
// More top-level boxes than any clip has: a walk through damage stays short.
constexpr int kMaxTopBoxes = 4096;

} // namespace

std::optional<CutClip> FindCutClip(ByteSource& source, std::string& why) {
    const uint64_t length = source.Length();
    CutClip cut;
    bool movie = false;
    uint64_t movieBegin = 0;
    uint64_t movieEnd = 0;
    bool movieCut = false;
    bool media = false;
    bool runsPast = false;
    uint64_t at = 0;
    for (int count = 0; count < kMaxTopBoxes && length - at >= 8; ++count) {
        const std::span<const unsigned char> head = source.Read(at, 16);
        if (head.size() < 8) {
            break;
        }
        const std::string_view type(reinterpret_cast<const char*>(head.data()) + 4, 4);
        uint64_t size = BigEndian(head, 0, 4);
        uint64_t header = 8;
        if (size == 1 && head.size() == 16) {
            size = BigEndian(head, 8, 8);
            header = 16;
        } else if (size == 0) {
            size = length - at;
        }
        if (size < header) {
            break;
        }
        if (type == "ftyp" && at == 0 && size <= kMaxFileType && size <= length) {
            const std::span<const unsigned char> box = source.Read(0, size);
            cut.fileType.assign(box.begin(), box.end());
        } else if (type == "moov" && !movie) {
            movie = true;
            movieBegin = at + header;
            movieEnd = at + std::min(size, length - at);
            movieCut = size > length - at;
        } else if (type == "mdat" && !media) {
            media = true;
            cut.mediaBegin = at + header;
            runsPast = size > length - at;
        }
        if (size > length - at) {
            break;
        }
        at += size;
    }
    if (!media) {
        why = "no media data (mdat) found: not an MP4/MOV clip";
        return std::nullopt;
    }
    // An index cut short (the camera lost power while writing it after the media) is no index.
    if (movie && !movieCut && !runsPast && IndexReach(source, movieBegin, movieEnd) <= length) {
        why = "the clip has its index (moov) and is whole: nothing to recover";
        return std::nullopt;
    }
    // A camera that lost power left the media box's size unwritten or too small, so its
    // data is taken to run to the end of the file whatever the size says.
    cut.mediaEnd = length;
    return cut;
}
