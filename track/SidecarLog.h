// The sidecar log: the text file beside a clip, same name with the extension .TXT, one line
// per second of G-sensor values and an NMEA sentence. ReadSidecarLog turns it into track
// lines; the playlist hands its path to the map store's NMEA log loader.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The sidecar path the playlist loads as an NMEA log: the file name's extension replaced by
// TXT, or ".TXT" added to a name without one; an existing file whose name differs only in
// letter case is preferred, since cameras write upper case and copies may not keep it.
std::string SidecarPathFor(const std::string& clipPath);

// The same for any other file a camera writes beside its clip (".gps", ".NMEA", ...).
std::string SidecarPathWithExtension(const std::string& clipPath, const std::string& extension);

// True for a .MOV or .AVI clip (any letter case): only those carry a sidecar log.
bool CarriesSidecarLog(const std::string& clipPath);

// The sidecar of a clip that carries one, found as SidecarPathFor finds it; empty for any
// other clip.
std::string SidecarLogOf(const std::string& clipPath);

// True when a line of the bytes begins with "X": the camera's own sidecar form, one line a
// second. Any other text beside the clip (a receiver's NMEA log) has lines that are not
// seconds.
bool IsSensorSidecar(std::string_view bytes);

// Calls `emit` with each track line that the bytes of a sensor sidecar give (nothing for
// other text, see IsSensorSidecar): lines end at
// CR LF, LF or CR; line n (from 0) has time n * 1000; a line that begins with "X" gives
// "T:<t> <line>", one that begins with "$" the line with zero sensor fields, any other line
// nothing but its second. Bytes after the last line end are not a line.
void ForEachSidecarTrackLine(std::string_view bytes,
                             const std::function<void(const std::string& line)>& emit);

// A camera writes well under a kilobyte of sentences a second and a clip lasts minutes; a
// text log beside a clip larger than this (over nine hours of that) is no clip's log.
constexpr uint64_t kMaxNmeaTextBytes = 32u << 20;

// Reads the sidecar of the clip, if it has one, and sends each of its track lines through
// DispatchTrackLine. Returns the number of lines dispatched.
int ReadSidecarLog(const std::string& clipPath);

// The same, handing each line to `emit` instead, for readers that keep one set of stores
// per clip and so cannot share the process-wide dispatch.
int ReadSidecarLog(const std::string& clipPath,
                   const std::function<void(const std::string& line)>& emit);

// The track lines of a sidecar's bytes already read (as a log or UTF-16 text), each handed
// to `emit`; returns how many.
int SidecarTrackLines(const std::string& bytes,
                      const std::function<void(const std::string& line)>& emit);
