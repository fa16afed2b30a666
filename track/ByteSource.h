// Read access to a clip's bytes by offset, for the readers that look for track data in a
// clip. A read may give fewer bytes than asked for: past the end, or because the file shrank
// or its card was pulled since it was opened; a reader takes a short read as the end of the
// clip and keeps what it found before it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "track/FileExtent.h"

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The length when the source was opened.
    virtual uint64_t Length() const = 0;

    // Up to `count` bytes from `offset`; the view stays valid until the next Read.
    virtual std::span<const unsigned char> Read(uint64_t offset, size_t count) = 0;

    // The stretches that may hold data, in order and not overlapping; outside them the
    // bytes are zeros. One stretch over everything when nothing is known of holes.
    virtual std::vector<FileExtent> DataExtents() { return {{0, Length()}}; }
};
