// One second of track as a camera embeds it in a clip: the record every embedded reader
// (the freeGPS scan, the `gps ` index, each camera layout) gives, whatever the layout it
// was decoded from. The loader turns the records into the three stores' seconds.
#pragma once

#include <cstdint>

#include "track/UtcTime.h"

struct FreeGpsBlock {
    uint64_t offset = 0;    // of the "freeGPS" marker in the file
    char status = 'V';      // 'A' is a valid fix
    double latitude = 0.0;  // decimal degrees, south negative
    double longitude = 0.0; // decimal degrees, west negative
    float speed = 0.0f;     // km/h, whatever unit the layout stores
    float course = 0.0f;    // degrees
    bool hasSensor = true;  // false: the layout holds no accelerations, so x, y, z mean nothing
    double x = 0.0;         // accelerations in g
    double y = 0.0;
    double z = 0.0;
    int64_t utcTime = kUnknownUtc; // from the block's date and time fields
};
