// Writes what the three stores hold for a clip in the formats the track tool offers: CSV of
// every second, and GPX or GeoJSON of the seconds with a position.
#pragma once

#include <ostream>
#include <string>

#include "track/TrackStores.h"

// Header, then one row per second from 0 to the last second any store holds; a store with
// nothing for a second leaves its fields empty.
void WriteTrackCsv(std::ostream& out, const TrackStores& stores);

// A GPX 1.1 track of the seconds with a position, speed and course in an extension.
void WriteTrackGpx(std::ostream& out, const TrackStores& stores, const std::string& name);

// A GeoJSON Feature: a LineString of the same points, and per-point second, speed and
// heading as arrays beside the coordinates.
void WriteTrackGeoJson(std::ostream& out, const TrackStores& stores, const std::string& name);
