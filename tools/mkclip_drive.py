"""The synthetic drive mkclip.py stores: one Record per second, as the camera stores it.

The car waits, pulls away, cruises, slows for a corner, turns by 90 degrees, brakes and
stops; longer drives repeat such trips, turning left and right in turn. On request the
driver also stabs the brakes once, hard enough to count as a harsh braking. Speeds and
courses follow eased curves, positions are dead reckoned from them, and the G-sensor
values are the accelerations those curves imply.
"""

import bisect
import datetime
import math
import random
import struct
from dataclasses import dataclass

TRIP_SECONDS = 60
TURN_KMH = 20.0
TOP_KMH = 60.0
ACCEL_MS2 = 1.5
DECEL_MS2 = 2.0
FIRST_COURSE = 30.0
EARTH_RADIUS_M = 6371008.8
G_MS2 = 9.80665
NOISE_SEED = 20240601
# Lost within one second by a hard stab of the brakes: about 0.8 g at its peak.
HARD_BRAKE_KMH = 18.0


@dataclass
class Record:
    """One second of the drive, holding the values exactly as stored."""

    second: int
    when: datetime.datetime
    lat: float  # float32 NMEA ddmm.mmmm, always positive
    lat_hemi: str
    lon: float  # float32 NMEA dddmm.mmmm, always positive
    lon_hemi: str
    speed_kmh: float  # float32
    course: float  # float32
    raw: tuple  # accelerometer X, Y, Z as the camera's signed 8-bit counts
    status: str


class Curve:
    """Piecewise cosine ease between (time, value) keys.

    Easing keeps the derivative continuous, so the accelerations derived from
    it look like a driver's rather than step changes.
    """

    def __init__(self, keys):
        self.keys = keys
        self.times = [t for t, _ in keys]

    def at(self, t):
        """Return (value, rate of change per second) at time t."""
        i = bisect.bisect_right(self.times, t) - 1
        if not 0 <= i < len(self.keys) - 1:
            return self.keys[max(i, 0)][1], 0.0
        (t0, v0), (t1, v1) = self.keys[i], self.keys[i + 1]
        x = (t - t0) / (t1 - t0)
        value = v0 + (v1 - v0) * (1 - math.cos(math.pi * x)) / 2
        rate = (v1 - v0) * math.pi * math.sin(math.pi * x) / (2 * (t1 - t0))
        return value, rate


def float32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def trip_keys(start, length, course, turn):
    """Speed (km/h) and course keys for one trip that ends at rest."""
    cruise_kmh = TURN_KMH + (TOP_KMH - TURN_KMH) * min(max((length - 10) / 50, 0.0), 1.0)
    rest = 0.1 * length
    corner = min(0.3 * length, 5.0)
    moving = length - 2 * rest - corner
    accel = cruise_kmh / 3.6 / ACCEL_MS2
    slow = (cruise_kmh - TURN_KMH) / 3.6 / DECEL_MS2
    brake = TURN_KMH / 3.6 / DECEL_MS2
    # Short trips cannot fit gentle ramps, so they get firmer ones instead.
    squeeze = min(1.0, moving / (accel + slow + brake))
    accel, slow, brake = accel * squeeze, slow * squeeze, brake * squeeze
    cruise = moving - accel - slow - brake
    t = [start + rest]
    for step in (accel, cruise, slow, corner, brake):
        t.append(t[-1] + step)
    speed = [(start, 0.0), (t[0], 0.0), (t[1], cruise_kmh), (t[2], cruise_kmh),
             (t[3], TURN_KMH), (t[4], TURN_KMH), (t[5], 0.0)]
    heading = [(start, course), (t[3], course), (t[4], course + turn)]
    return speed, heading


def with_hard_brake(speed, at):
    """The speed keys with a stab of the brakes centred on second `at`: HARD_BRAKE_KMH
    lost within a second, won back over the next three. Best placed in a cruise."""
    curve = Curve(speed)
    start, end = at - 0.5, at + 3.5
    before, after = curve.at(start)[0], curve.at(end)[0]
    kept = [key for key in speed if not start <= key[0] <= end]
    dip = [(start, before), (at + 0.5, max(before - HARD_BRAKE_KMH, 0.0)), (end, after)]
    return sorted(kept + dip)


def drive_curves(seconds, hard_brake=None):
    """Speed and course curves for a drive of about TRIP_SECONDS-long trips."""
    trips = max(1, math.ceil(seconds / TRIP_SECONDS))
    speed, heading = [], []
    start, course = 0.0, FIRST_COURSE
    for i in range(trips):
        length = seconds // trips + (1 if i < seconds % trips else 0)
        turn = 90.0 if i % 2 == 0 else -90.0
        trip_speed, trip_heading = trip_keys(start, length, course, turn)
        speed += trip_speed
        heading += trip_heading
        start += length
        course += turn
    speed.append((start, 0.0))
    heading.append((start, course))
    speed = dedupe(speed)
    if hard_brake is not None:
        speed = with_hard_brake(speed, hard_brake)
    return Curve(speed), Curve(dedupe(heading))


def dedupe(keys):
    """Drop zero-length spans (e.g. no slowing down when cruise = turn speed)."""
    kept = [keys[0]]
    for key in keys[1:]:
        if key[0] > kept[-1][0]:
            kept.append(key)
        else:
            kept[-1] = key
    return kept


def positions(speed, heading, origin, seconds, steps=20):
    """Latitude/longitude (decimal degrees) at each whole second, dead reckoned."""
    lat, lon = origin
    track = [(lat, lon)]
    dt = 1.0 / steps
    for second in range(1, seconds):
        for k in range(steps):
            t = second - 1 + (k + 0.5) * dt
            v = speed.at(t)[0] / 3.6
            course = math.radians(heading.at(t)[0])
            north, east = v * math.cos(course) * dt, v * math.sin(course) * dt
            lat += math.degrees(north / EARTH_RADIUS_M)
            lon += math.degrees(east / (EARTH_RADIUS_M * math.cos(math.radians(lat))))
        track.append((lat, lon))
    return track


def nmea_angle(degrees, hemispheres):
    """Split decimal degrees into a float32 ddmm.mmmm value and its hemisphere."""
    size = abs(degrees)
    whole = math.floor(size)
    return float32(whole * 100 + (size - whole) * 60), hemispheres[degrees < 0]


def accel_raw(g):
    return max(-128, min(127, round(g * 64)))


def make_drive(seconds, origin, start, status, hard_brake=None, steady_kmh=None):
    if steady_kmh is None:
        speed, heading = drive_curves(seconds, hard_brake)
    else:
        speed, heading = Curve([(0.0, steady_kmh)]), Curve([(0.0, 0.0)])
    noise = random.Random(NOISE_SEED)
    records = []
    for second, (lat, lon) in enumerate(positions(speed, heading, origin, seconds)):
        kmh, kmh_rate = speed.at(second)
        course, course_rate = heading.at(second)
        along = kmh_rate / 3.6 / G_MS2
        across = kmh / 3.6 * math.radians(course_rate) / G_MS2
        up = 1.0 + noise.gauss(0.0, 0.02)
        lat_value, lat_hemi = nmea_angle(lat, "NS")
        lon_value, lon_hemi = nmea_angle(lon, "EW")
        records.append(Record(
            second=second,
            when=start + datetime.timedelta(seconds=second),
            lat=lat_value, lat_hemi=lat_hemi, lon=lon_value, lon_hemi=lon_hemi,
            speed_kmh=float32(kmh), course=float32(course % 360.0),
            raw=(accel_raw(along), accel_raw(across), accel_raw(up)),
            status=status))
    return records
