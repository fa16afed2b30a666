// GoPro's GPMF telemetry, one payload (one sample of the clip's `gpmd` track) at a time:
// key-length-value items (a 4-character key, a type character, a structure size and a
// big-endian repeat count, the value padded to 4 bytes), where type 0 nests items (DEVC
// holds STRMs, a STRM holds one sensor's stream with its sticky SCAL, TYPE, ... before it).
// Only what the player shows is taken: positions, the camera's accelerometer, and the
// clock pairs that date the Karma drone's positions.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>

struct GpmfFix {
    double seconds = 0.0; // clip time
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0; // over ground, m/s
    bool valid = false;
    // UTC as epoch seconds; or, with `systemClock`, the Karma's clock since its start, which
    // the payloads' SYST pairs turn into UTC once all are read. NaN when the stream has none.
    double clock = std::nan("");
    bool systemClock = false;
};

class GpmfSink {
public:
    virtual ~GpmfSink() = default;
    virtual void Fix(const GpmfFix& fix) = 0;
    // One accelerometer reading in g on the chart's axes: x along the camera's lens, y across
    // it, z up through its top.
    virtual void Accel(double seconds, const std::array<double, 3>& g) = 0;
    // A Karma SYST pair: its clock and UTC (epoch seconds) at the same moment.
    virtual void SystemClock(double system, double utc) = 0;
};

// Hands the payload's records to `sink`, each stream's records spread evenly from `start`
// over `duration` seconds, as exiftool places them. The offset within the payload of the
// first item whose length runs past its container, when one does; the items before it are
// kept, those after it in the same container are not.
std::optional<size_t> ReadGpmfPayload(std::span<const unsigned char> bytes, double start,
                                      double duration, GpmfSink& sink);

// Epoch seconds of GPSU's "yymmddhhmmss.sss" (20yy), or nothing when it is not a time.
std::optional<double> GpsuSeconds(std::span<const unsigned char> text);
