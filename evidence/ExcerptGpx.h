// The excerpt's track as GPX, beside the MP4: the same writer as the track tool's, fed the
// seconds the excerpt shows, each at its second of the excerpt.
#pragma once

#include <string>
#include <vector>

#include "evidence/ExcerptSeconds.h"

std::string ExcerptGpx(const std::vector<ExcerptSecond>& seconds, const std::string& name);
