// The excerpt's track second by second as CSV beside the report, for an assessor who wants
// the numbers behind the charts: time on the excerpt's clock and in UTC, place, speed, and
// the G-sensor's reading along the car. An unknown value is an empty field.
#pragma once

#include "evidence/ReportFacts.h"

#include <string>

std::string ReportCsv(const ReportFacts& facts);
