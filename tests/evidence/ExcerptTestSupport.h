// What the excerpt tests share: running one job to its end on the test's event loop, and
// reading back what ffprobe and ffmpeg find in the file it made.
#pragma once

#include "evidence/ExcerptJob.h"

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct JobEnd {
    bool started = false;
    bool ok = false;
    std::string why;
};

// Starts a job on `request` and waits for its end (two minutes at most); `onProgress`, when
// given, is called with the job at each progress report.
JobEnd RunExcerpt(const ExcerptRequest& request,
                  const std::function<void(ExcerptJob&)>& onProgress = {});

// The file's duration as ffprobe states it for the container; -1 when it cannot.
double ProbeDuration(const std::string& path);

// The number the clip maker's frame code shows in the file's first frame: 12 squares along
// the top, lowest bit first, of side max(8, width / 24), white for 1.
int FirstFrameCode(const std::string& path, int width, int height);

// The red, green and blue of one pixel of the file's first frame (at or after `at` seconds);
// -1s when it cannot.
std::array<int, 3> FirstFramePixel(const std::string& path, int width, int height, int x, int y,
                                   double at = 0);

// The names in a folder.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);
