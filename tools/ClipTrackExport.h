// One clip's track as the track tool exports it: the clip loaded into stores of its own (so
// several can load at once on different threads), then written in one of the tool's formats.
#pragma once

#include "track/ClipTrack.h"

#include <ostream>
#include <string>

class ClipTrackExport {
public:
    // True for the names Write takes: csv, gpx, geojson, kml, lines.
    static bool KnownFormat(const std::string& format);
    // The file name extension of a format's output.
    static std::string Extension(const std::string& format);

    // Runs the player's loading steps on the clip. False, with the reason in `why`, when the
    // clip is not a readable regular file; the loaders themselves fail silently.
    bool Read(const std::string& path, std::string& why);

    // The track in `format`, named `name` where the format carries a name.
    void Write(std::ostream& out, const std::string& format, const std::string& name) const;

    const TrackStores& Stores() const { return m_track.Stores(); }
    const ClipTrack& Track() const { return m_track; }

private:
    ClipTrack m_track;
};
