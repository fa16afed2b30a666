// What the recovery tests share: the clip maker's power-cut clips and the record of where
// it put each frame and block, cutting such a clip short, running the tool, and reading
// back what ffmpeg decodes from the result.
#pragma once

#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"

#include <cstdint>
#include <string>
#include <vector>

// Every clip of these tests: small, so each test runs in a few seconds.
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr const char* kClipOptions = "--seconds 4 --size 160x120 --fps 10 --frame-code "
                                     "--no-b-frames";

struct LayoutRow {
    bool frame = false; // else a freeGPS block
    int index = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    int shown = -1; // a frame's number in the order frames are shown
};

// The rows of the clip maker's --power-cut layout file.
std::vector<LayoutRow> ReadLayout(const std::string& path);

// The first `length` bytes of `from`, as a new file `to`.
void CopyCut(const std::string& from, const std::string& to, uint64_t length);

// ostvik-recover with `arguments` (quoted already).
ToolRun Recover(const std::string& arguments);

// The burnt-in number of each frame ffmpeg decodes from `clip`, in the order it shows them;
// `errors` gets what ffmpeg said on standard error.
std::vector<int> FrameCodes(const std::string& clip, std::string& errors);

struct Packet {
    uint64_t offset = 0;
    uint64_t size = 0;
};

// Where ffprobe finds each video packet of a whole clip, in the order they are decoded.
std::vector<Packet> VideoPackets(const std::string& clip);

struct SoundPacket {
    uint64_t offset = 0;
    uint64_t size = 0;
    double time = 0.0;     // its presentation time, in seconds
    double duration = 0.0; // in seconds
};

// Where ffprobe finds each packet of the clip's first sound stream, and when it plays it.
std::vector<SoundPacket> SoundPackets(const std::string& clip);

// How many of `packets` lie whole before `cut`.
int WholeBefore(const std::vector<Packet>& packets, uint64_t cut);

// The presentation times of the clip's video frames, in seconds.
std::vector<double> FrameTimes(const std::string& clip);
