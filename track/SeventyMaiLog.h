// The GPS logs of 70mai cameras: GPSData000001.txt and its successors, kept in a GPS folder
// beside the video folders, or at the card's root, each covering hours of driving rather
// than one clip. A line is a record of one second:
//   unix time, A|V, latitude, longitude, heading x 100, speed in 0.01 m/s[, gx, gy, gz[,
//   the clip's file name, ...]]
// with the position in signed decimal degrees and the accelerations in g. A clip takes the
// records that name it, or where none does, the records whose time falls inside it; each
// is placed at its time minus the clip's start.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "track/ClipFolder.h"
#include "track/TrackStores.h"

struct SeventyMaiRecord {
    int64_t unixTime = 0;
    char status = 'V';
    double latitude = 0.0;
    double longitude = 0.0;
    double heading = 0.0;  // degrees
    double speedKmh = 0.0; // converted from the log's 0.01 m/s
    bool hasSensor = false;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    std::string clipName; // the clip the camera was recording, empty when not given
};

// Longer than any record; a longer line is damage and is passed over without keeping it.
constexpr size_t kMaxSeventyMaiLine = 4096;

// The record of one line (without its line end); nothing for a header, junk or a line with
// too few fields. The accelerations count only when all three are numbers.
std::optional<SeventyMaiRecord> ParseSeventyMaiLine(std::string_view line);

// Calls `take` for each record of a log read from `in`. Lines end at LF (a CR before it is
// dropped); the bytes after the last line end are a line the camera was still writing and
// are not taken.
void ForEachSeventyMaiRecord(std::istream& in,
                             const std::function<void(const SeventyMaiRecord&)>& take);

// The logs a clip's records may be in: GPSData*.txt in the clip's folder, in the two
// folders above it (the card's root, for clips in Normal/ or Normal/Front/) and in a
// folder GPS inside any of these three, names in any letter case; sorted.
std::vector<std::string> SeventyMaiLogsFor(const ClipFolder& clipFolder);

// Fills the stores from the records inside the clip's span. The folder is listed for the
// clip or for its sidecar: the clip is then the MP4 / MOV of the same name. The clip's start is its
// movie header's creation time, which the format keeps in UTC like the log's unix times; the time
// in a 70mai file name is local time of an unknown zone and is not used. Some cameras write local
// time into the header too: records that name the clip (whatever the letter case) move its start by
// the whole quarter hours of that zone. The first record of a second stands for it; a V record
// places no position and no speed. True when a record gave a valid fix.
bool LoadSeventyMaiTrack(const ClipFolder& folder, const TrackStores& stores);
