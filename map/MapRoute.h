// What the map page draws beyond the marker: the clip's whole route, and the heading the
// marker's arrow points to. Pure functions over the stores, so they are tested alone.
#pragma once

#include <climits>
#include <string>

class CMapTrackStore;
class CSpeedDialModel;

// The seconds from `first` to `last` that have a position, as a JSON array of
// [second, latitude, longitude].
std::string RouteJson(const CMapTrackStore& store, int first = 0, int last = INT_MAX);

// Initial great-circle bearing from the first point to the second, in degrees clockwise
// from north, 0 to below 360.
double BearingDegrees(double latitude1, double longitude1, double latitude2, double longitude2);

// The heading at a second: the course the receiver recorded for it when the dial has a
// record, else the bearing from the nearest earlier position that differs, else 0.
double HeadingAt(const CMapTrackStore& store, const CSpeedDialModel* dial, int second);
