// Writes what the three stores hold for a clip in the formats the track tool offers: CSV of
// every second, and GPX, GeoJSON or KML of the seconds with a position. A name goes into
// these as PrintableUtf8 gives it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "track/TrackStores.h"

enum class TrackFormat { Gpx, Kml, Csv, GeoJson };

// The track in one of the formats below, named `name` where the format carries a name.
void WriteTrack(std::ostream& out, TrackFormat format, const TrackStores& stores,
                const std::string& name);

// Header, then one row per second from 0 to the last second any store holds; a store with
// nothing for a second leaves its fields empty. A camera's extras, when it wrote any, follow
// as columns of their own.
void WriteTrackCsv(std::ostream& out, const TrackStores& stores);

// A GPX 1.1 track of the seconds with a position: each point's UTC time when its source
// gave a date, speed and course in an extension.
void WriteTrackGpx(std::ostream& out, const TrackStores& stores, const std::string& name);

// The same points as one GPX <trkseg>, for a track put together from several clips.
void WriteGpxSegment(std::ostream& out, const TrackStores& stores);

// A GPX 1.1 document of one track named `name` holding the given <trkseg> texts in order.
void WriteGpxTrack(std::ostream& out, const std::string& name,
                   const std::vector<std::string>& segments);

// The UTC time of the clip's second 0, worked out from the first second with a fix whose
// source gave a date; kUnknownUtc when none did.
int64_t ClipStartUtc(const TrackStores& stores);

// A GeoJSON Feature: a LineString of the same points, and per-point second, speed and
// heading as arrays beside the coordinates. One point gives a Point Feature with those as
// plain properties; none gives an empty FeatureCollection.
void WriteTrackGeoJson(std::ostream& out, const TrackStores& stores, const std::string& name);

// A KML 2.2 document: a LineString of the same points (when there are two or more) and a
// placemark per point with its UTC time stamp, second, speed and heading.
void WriteTrackKml(std::ostream& out, const TrackStores& stores, const std::string& name);
