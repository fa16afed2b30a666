"""Insta360 cameras for mkclip.py, in the two ways their clips carry a track.

insta360: the trailer after the movie, laid out as exiftool's notes on INSV files describe
it. Records run backwards from the end: each record's bytes, then its 2-byte id and 4-byte
length. The file closes with 78 bytes: the last record's id and length, 32 unknown bytes
(zeros), the trailer's length in bytes at offset 38, 4 unknown bytes and the 32-character
magic. A 0x101 record holds protobuf-style serial and model strings, a 0x700 record the
53-byte GPS fixes: the UTC second, an unknown counter (the clip's milliseconds here), the
fix's millisecond (as exiftool 13.64 reads it; 12.57 read it with the counter), the
status, the latitude, its hemisphere, the longitude, its hemisphere, the speed in m/s, the course
and the altitude, numbers little-endian, degrees unsigned. Two fixes a second, the second
one half way to the next second's, 500 ms into the second.

camm: Google's camera motion metadata, a timed-metadata track whose sample entry is 'camm',
four samples a second. A packet is a reserved 16-bit word, its 16-bit type and its values,
little-endian: type 6 a full GPS fix (seconds from the GPS epoch, fix type, latitude and
longitude doubles, altitude and accuracies, velocity east, north and up in m/s), type 3
an acceleration in m/s^2. The first and third samples of a second hold a fix and an
acceleration, the others an acceleration alone; the third sample's fix lies half way to the
next second's.
"""
import calendar
import math
import struct

import mkclip_gpmf
from mkclip_layouts import decimal_degrees

MAGIC = b"8db42d694ccc418790edff439fe026bf"
GPS_ID = 0x700
MAKER_ID = 0x101
TAIL = 78
G = 9.80665
GPS_EPOCH = 315964800
CAMM_PER_SECOND = 4


def unix(when):
    return calendar.timegm(when.timetuple())


def position(record, following, fraction):
    lat0 = decimal_degrees(record.lat, record.lat_hemi)
    lon0 = decimal_degrees(record.lon, record.lon_hemi)
    lat1 = decimal_degrees(following.lat, following.lat_hemi)
    lon1 = decimal_degrees(following.lon, following.lon_hemi)
    return lat0 + (lat1 - lat0) * fraction, lon0 + (lon1 - lon0) * fraction


def halves(records):
    """(record, the next one, the fraction of the way to it) for each fix written."""
    for k, r in enumerate(records):
        following = records[min(k + 1, len(records) - 1)]
        for fraction in (0.0, 0.5):
            yield r, following, fraction


def gps_fix(record, following, fraction):
    lat, lon = position(record, following, fraction)
    course = (record.course + 3.0 * fraction) % 360.0
    return struct.pack("<IIHcdcdcddd", unix(record.when),
                       round((record.second + fraction) * 1000), round(fraction * 1000),
                       record.status.encode(), abs(lat), b"S" if lat < 0 else b"N",
                       abs(lon), b"W" if lon < 0 else b"E", record.speed_kmh / 3.6, course,
                       30.0 + fraction)


def trailer(records):
    maker = b"\x0a\x08" + b"IXE12345" + b"\x12\x0b" + b"Insta360 X3"
    gps = b"".join(gps_fix(*half) for half in halves(records))
    entries = [(MAKER_ID, maker), (GPS_ID, gps)]
    body = b""
    for i, (ident, data) in enumerate(entries):
        body += data
        if i + 1 < len(entries):
            body += struct.pack("<HI", ident, len(data))
    length = len(body) + TAIL
    ident, data = entries[-1]
    tail = (struct.pack("<HI", ident, len(data)) + bytes(32) + struct.pack("<I", length)
            + bytes(4) + MAGIC)
    assert len(tail) == TAIL
    return body + tail


def append_trailer(path, records):
    with open(path, "ab") as f:
        f.write(trailer(records))


def camm_fix(record, following, fraction):
    lat, lon = position(record, following, fraction)
    speed = record.speed_kmh / 3.6
    course = (record.course + 3.0 * fraction) % 360.0
    east = speed * math.sin(math.radians(course))
    north = speed * math.cos(math.radians(course))
    fix_type = 3 if record.status == "A" else 0
    return struct.pack("<HHdIddfffffff", 0, 6, unix(record.when) + fraction - GPS_EPOCH,
                       fix_type, lat, lon, 30.0, 2.5, 4.0, east, north, 0.0, 0.3)


def camm_acceleration(record, quarter):
    """The drive's 1/64 g counts in m/s^2; the later quarters drift, so that a reader
    taking another sample than the second's first is seen."""
    return struct.pack("<HH3f", 0, 3, *((count / 64 + 0.05 * quarter) * G for count in record.raw))


def camm_samples(records):
    samples = []
    for k, r in enumerate(records):
        following = records[min(k + 1, len(records) - 1)]
        for quarter in range(CAMM_PER_SECOND):
            sample = b""
            if quarter in (0, 2):
                sample += camm_fix(r, following, quarter / CAMM_PER_SECOND)
            samples.append(sample + camm_acceleration(r, quarter))
    return samples


def add_camm_track(path, records, top_level_boxes):
    return mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, None,
                                      camm_samples(records), b"camm", b"CameraMetadataMotion\0",
                                      CAMM_PER_SECOND)
