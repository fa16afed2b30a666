// Reads arbitrary bytes as a 70mai GPSData log, line by line, and checks what each record
// holds against the line rules: a status of A or V and finite numbers.
#include "track/SeventyMaiLog.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    ForEachSeventyMaiRecord(in, [](const SeventyMaiRecord& record) {
        if ((record.status != 'A' && record.status != 'V') || !std::isfinite(record.latitude) ||
            !std::isfinite(record.longitude) || !std::isfinite(record.heading)) {
            std::abort();
        }
    });
    return 0;
}
