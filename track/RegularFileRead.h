// Reading a file that a track reader opens by name beside a clip: a sidecar log, a camera's
// GPS file, a log kept for a whole card. Such names come from a card or a folder anyone may
// have written, so only a regular file of bounded size is read: a FIFO under a log's name
// would hold the reader (and the window) until a writer came, and a link to a device such
// as /dev/zero would never end. The checks are made on the opened descriptor, so the name
// cannot be swapped for something else between check and read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The whole file at `path`, or nothing when it is missing, not a regular file, larger than
// `maxBytes` or cannot be read. A file that exists but is refused gets one line on standard
// error saying why; a missing one is the usual case and says nothing.
std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxBytes);

// The same read, silent: when nothing is returned, `why` says why (without the path) and
// `missing` whether the file was simply not there.
struct RegularFileRefusal {
    bool missing = false;
    std::string why;
};
std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxBytes,
                                           RegularFileRefusal& refusal);

// The line the first form writes for a refusal of a file that is there; nothing for a
// missing one.
void SayRefused(const std::string& path, const RegularFileRefusal& refusal);
