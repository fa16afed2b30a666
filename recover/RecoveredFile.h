// Writes a recovered clip: the cut clip's file type, the rebuilt index, and the cut clip's
// media data copied unchanged after a new media box header, so whatever the camera put
// between the frames (its GPS blocks) stays where its readers look. The copy goes through
// a bounded buffer whatever the clip's size, into NAME.part renamed at the end, so a
// failure leaves no half-written file under the name asked for.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "track/ByteSource.h"

// Bytes of the media box header written before the copied data: always the 64-bit form.
constexpr uint64_t kMediaHeaderLength = 16;

bool WriteRecoveredFile(ByteSource& cut, uint64_t mediaBegin, uint64_t mediaEnd,
                        std::span<const unsigned char> head, const std::string& path,
                        std::string& why);
