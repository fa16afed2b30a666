// The driving events of one clip found from its G-sensor readings and GPS speed: harsh
// braking, harsh acceleration, hard cornering and impacts, each at the second of its peak.
//
// Readings are judged minus the clip's rest reading, on the axes SensorAxes decides.
// Thresholds, in g, from what fleet telematics vendors publish for passenger cars and vans:
// GPS Insight ("Defining Thresholds for Your Fleet") recommends 0.37 acceleration, 0.38
// braking and 0.38 turning for the lightest weight class and quotes the DOT's 0.45 g as
// harsh braking; Digital Matter ("Harsh Event Setup") sets 0.45 (4.4 m/s²) for acceleration
// and braking and 0.56 (5.5 m/s²) for cornering by default, high on purpose; Positrace
// ("Harsh behavior detection") puts crash detection anywhere from 1 to 2.5 g. We take
// braking 0.40, acceleration 0.35, cornering 0.40, and an impact at 1.5 g horizontally: a
// tyre on a road cannot give much more than 1 g, so beyond that something struck the car.
//
// A reading alone is not yet an event, since one per second cannot tell a manoeuvre from a
// jolt. Braking and acceleration need the GPS speed to change in the same direction by at
// least 2 km/h per second around the second (SpeedSpan); cornering needs the car moving
// (5 km/h) and its course turning by at least 2.5 degrees a second. Where the dial has too
// few speeds to tell, the reading of a neighbouring second must be past the threshold too,
// the same way round. So a pothole (a vertical bump, or a lone spike while the speed stays
// put) is no event. An impact needs no confirmation (a parked car can be hit); only the
// horizontal part counts, a vertical spike alone being the road; its peak is the whole
// reading minus rest. A second gives one event at most: an impact, else braking or
// acceleration, else cornering. Events of one kind less than four seconds apart are one
// event, at the peak.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ClipTrack;
class CGSampleStore;
class CSpeedDialModel;

enum class DrivingEventKind { HarshBraking, HarshAcceleration, HardCornering, Impact, Locked };

// The name the track tool prints: "harsh-braking", "harsh-acceleration", ...
const char* DrivingEventName(DrivingEventKind kind);

struct DrivingEvent {
    int second = 0;
    DrivingEventKind kind = DrivingEventKind::HarshBraking;
    double peakG = 0.0;
    std::optional<int> speedKmh; // the dial's speed at the second, when it has one
};

// In order of second.
std::vector<DrivingEvent> DetectDrivingEvents(const CGSampleStore& chart,
                                              const CSpeedDialModel& dial);
// The clip's events: first, at second 0 with no peak, "locked" when the camera locked the
// clip (CameraLockedClip), then those of its track.
std::vector<DrivingEvent> DetectClipEvents(const std::string& clipPath, const ClipTrack& track);
