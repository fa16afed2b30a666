// What the tests of the text-track cameras (Thinkware, Garmin, Nextbase) share: exiftool's
// reading of a made clip, its date stamps, and where the clip's text samples lie, to damage
// one in place.
#pragma once

#include "tests/support/Shell.h"
#include "track/ClipFile.h"
#include "track/Mp4SampleTable.h"
#include "track/Mp4TextSamples.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

// exiftool's fields for each sample (its -p format, fields parted by '|'), split at '|'.
inline std::vector<std::vector<std::string>> Exiftool(const std::string& clip,
                                                      const std::string& fields) {
    const ToolRun run = Shell("exiftool -q -q -ee -n -p '" + fields + "' " + Quoted(clip));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '|');) {
            row.push_back(cell);
        }
        rows.push_back(row);
    }
    return rows;
}

// Epoch seconds of exiftool's "YYYY:MM:DD hh:mm:ss" in UTC; -1 for anything else.
inline int64_t EpochOf(const std::string& text) {
    std::tm tm{};
    std::istringstream in(text);
    in >> std::get_time(&tm, "%Y:%m:%d %H:%M:%S");
    return in.fail() ? -1 : static_cast<int64_t>(timegm(&tm));
}

// Where each of the text track's samples lies in the file, in time order.
inline std::vector<uint64_t> SampleOffsets(const std::string& clip) {
    ClipFile file;
    EXPECT_TRUE(file.Open(clip));
    std::vector<uint64_t> offsets;
    ForEachMp4TextSample(file, [&](const TextSample& sample) {
        if (sample.size > 2) {
            offsets.push_back(sample.offset);
        }
    });
    return offsets;
}

// Where the k-th sample of the clip's track with sample entry `format` lies; 0 when there
// is none.
inline uint64_t TrackSampleOffset(const std::string& clip, std::string_view format, int k) {
    ClipFile file;
    EXPECT_TRUE(file.Open(clip));
    uint64_t offset = 0;
    ForEachMp4Track(file, [&](const Mp4Track& track) {
        if (!track.IsFormat(format)) {
            return true;
        }
        int n = 0;
        ForEachMp4Sample(file, track, k + 1, [&](const Mp4Sample& sample) {
            offset = n++ == k ? sample.offset : offset;
            return true;
        });
        return false;
    });
    return offset;
}

inline void Overwrite(const std::string& clip, uint64_t at, const std::string& bytes) {
    std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(at));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
