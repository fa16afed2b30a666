// Read access to a clip's bytes by offset, for the readers that look for track data in a
// clip. A read may give fewer bytes than asked for: past the end, or because the file shrank
// or its card was pulled since it was opened; a reader takes a short read as the end of the
// clip and keeps what it found before it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "track/ByteRange.h"
#include "track/FileExtent.h"

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The length when the source was opened.
    virtual uint64_t Length() const = 0;

    // Up to `count` bytes from `offset`; the view stays valid until the next Read.
    virtual std::span<const unsigned char> Read(uint64_t offset, size_t count) = 0;

    // Hands the bytes of each range, as Read gives them, to take(index, bytes) in order; the
    // view stays valid during that call only. A source that reads many ranges faster at
    // once than one by one does so here.
    virtual void ReadEach(std::span<const ByteRange> ranges,
                          const std::function<void(size_t, std::span<const unsigned char>)>& take) {
        for (size_t i = 0; i < ranges.size(); ++i) {
            take(i, Read(ranges[i].offset, ranges[i].count));
        }
    }

    // Another reader of the same bytes, for another thread; null when there is none.
    virtual std::unique_ptr<ByteSource> Twin() { return nullptr; }

    // The stretches that may hold data, in order and not overlapping; outside them the
    // bytes are zeros. One stretch over everything when nothing is known of holes.
    virtual std::vector<FileExtent> DataExtents() { return {{0, Length()}}; }
};
