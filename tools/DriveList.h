// The track tool's list of drives: every clip the paths name or hold is read on every core,
// summarised, and the clips grouped into drives (DriveGrouping), printed one row a drive.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "track/DriveGrouping.h"

// A header, then per drive, tab-separated: its first and last clip in the sequence, how
// many clip files it holds (other cameras' clips included), its start and end (ISO 8601
// with Z in UTC; without Z in the camera's clock when no clip had a dated track; empty
// when neither is known), its seconds, km to one decimal, the highest km/h, and how many
// driving events its clips hold.
void WriteDriveTable(std::ostream& out, const std::vector<Drive>& drives);

// The summaries of every clip the paths name or hold, read on every core, in path order;
// each clip that cannot be read and each folder that cannot be searched is one line on
// standard error and counted in `failures`.
std::vector<ClipSummary> SummariseClips(const std::vector<std::string>& paths, size_t& failures);

// Exit status: 0 when every clip was read, 1 when any could not be or a folder could not be
// searched (each one line on standard error; the others are still grouped and printed) or
// no clip was found.
int RunDriveList(const std::vector<std::string>& paths, std::ostream& out);
