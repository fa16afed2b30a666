// One camera family's way of keeping a clip's track: in the clip itself (blocks, boxes, a
// timed-metadata or text track) or in a file beside it. Every family answers the same three
// questions, so the loader, the track tool and the player walk one table of them
// (CameraReaders) instead of knowing each format: whether a file may be its own, from a
// cheap look; which file beside the clip it reads; and what reading it gave.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "track/ByteSource.h"
#include "track/TrackStores.h"

class ClipFolder;

struct ReaderOutcome {
    // The family's data was there. A reader that puts anything into the stores says so,
    // and the walk ends with it, fix or not: the next row would read into filled stores.
    bool found = false;
    bool fix = false;                  // at least one second with a valid fix
    std::string why;                   // when there is no fix
    std::optional<uint64_t> damagedAt; // the byte offset of the first damaged record
};

struct ReaderInput {
    ByteSource& bytes;        // the clip, or the file beside it the reader named
    const std::string& path;  // where those bytes are, for messages
    const ClipFolder* folder; // the clip's folder; null when the bytes stand alone
};

class CameraReader {
public:
    virtual ~CameraReader() = default;

    // As the tool's outcomes and the README's camera table name it.
    virtual std::string_view Family() const = 0;

    // A reader of the clip's own bytes says nothing; a reader of a file beside the clip
    // says which file it reads for this clip, once the file is there.
    virtual bool ReadsBeside() const { return false; }
    virtual std::optional<std::string> FileBeside(const ClipFolder& /*folder*/) const {
        return std::nullopt;
    }

    // Whether the bytes may be this family's, from a look that reads little (a header, the
    // top-level boxes); a yes is no promise that Read finds anything.
    virtual bool Claims(ByteSource& bytes) const = 0;

    // Reads into the stores, which the loader has emptied and bounded at the clip's last
    // second. Damaged records are skipped, the rest kept.
    virtual ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const = 0;
};
