// The route of a whole drive as the map draws it: every main clip's valid fixes in drive
// order, each placed at its second on the drive's axis and given the speed band its
// recorded speed falls in, with a break wherever the line between two fixes would be
// invented (a clip without a track, two clips that end and start far apart). Pure, so the
// rules are tested without a page; the view sends it whole once and then only indices.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct LoadedDrive;

// The speed bands the route is coloured by, 30 km/h wide up to 120: kSpeedBandCount bands
// from 0-30 km/h to 120 km/h and more, and one for a fix with no recorded speed.
constexpr int kSpeedBandWidthKmh = 30;
constexpr int kSpeedBandCount = 5;
constexpr int kUnknownSpeedBand = kSpeedBandCount;

// The band of a speed in whole km/h; the top band takes everything from 120 up.
int SpeedBand(int kmh);

// Two clips whose last and first fixes lie further apart than this are not joined by a
// line: at the drive's largest gap between clips, 60 s, it is a car at 30 km/h, and more
// means the track is missing, not that the car jumped.
constexpr double kDriveJoinMetres = 500.0;

struct DriveRoutePoint {
    int driveSecond = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int band = kUnknownSpeedBand;
    bool startsRun = false; // no line from the point before
    size_t clip = 0;        // index in the drive's clips
    int clipSecond = 0;
};

using DriveRoute = std::vector<DriveRoutePoint>;

DriveRoute BuildDriveRoute(const LoadedDrive& drive);

// The route as the page takes it in one call: a JSON object of flat arrays, "s" the drive
// seconds, "la" and "lo" the places to 1e-6 degree (a decimetre), "b" the bands and "r"
// the indices at which a run starts.
std::string DriveRouteJson(const DriveRoute& route);

// The index of the last point at or before `driveSecond`; -1 when the route starts later.
int DriveRouteIndexAt(const DriveRoute& route, double driveSecond);
