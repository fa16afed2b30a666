// The clips of one moment from every camera of a set. A camera with two or three channels
// (front, rear, interior) records each into a file of its own, beside each other or in a
// folder per channel; the player shows them together, the front one as the picture and the
// clock. They are told apart by the channel letters and times in their names where names
// have both; otherwise (plain names in channel folders, the same name in Front/ and Rear/)
// by their recording times and lengths, which two cameras of one moment share.
#pragma once

#include <string>
#include <vector>

struct ChannelClip {
    std::string path;
    char channel = 0;         // 'F', 'R', 'I', 'O'; 0 where nothing says
    double offsetSeconds = 0; // when its second 0 was recorded, after the main clip's
                              // second 0 (negative: it started earlier)
};

struct ChannelSet {
    ChannelClip main;                // the front camera's clip: the picture and the clock
    std::vector<ChannelClip> others; // the other cameras' clips of the moment, R, I, O order
};

// Two clips of one moment, told by recording times rather than names, run this close: within
// this many seconds, or this share of the longer one.
constexpr double kChannelLengthSeconds = 2.0;
constexpr double kChannelLengthShare = 0.05;

// The clips of the same moment as the clip at `path` from the set's other cameras, found
// beside it (same folder, and sibling channel folders: Front/ Rear/ ..., F/ R/ I/). Opening
// any channel finds the others: for a rear clip, `main` is the front clip of its moment.
// A clip of no set comes back alone as `main`. Never throws; unreadable folders are logged.
//
// By names, when the clip's name has a channel letter and a time: clips whose names are of
// the same pattern, of other channels, with name times at most kChannelSkewSeconds from its
// own, the nearest of each channel. Otherwise by recording time, compared on the first
// clock both clips have (name time, the movie header's creation time, the file time less
// the length): clips of other channels (by name or folder) that started within
// kChannelSkewSeconds and run lengths close to its own, the nearest of each channel.
// The main clip is the front one (a clip of no channel stands for it); without one, the
// first of R, I, O whose track has a dated fix, else the first of them. Offsets are counted
// on the same clocks; 0 where the two clips share none.
ChannelSet FindChannelClips(const std::string& path);
