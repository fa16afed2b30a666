"""DJI Osmo Action 4 for mkclip.py: a timed-metadata track whose sample entry is 'djmd', a
ProductMeta protobuf message per frame (five a second here), as DJI's dvtm_library.proto
and exiftool's notes on the 'dvtm_ac203.proto' messages lay it out: the proto file's name
at 1-1-1, and the GPS at 3-4-2: the coordinates at 1 (unit at 1: 0 radians, 1 degrees;
latitude 2, longitude 3), the altitude in mm at 2, the status at 3 (1 invalid), whether
the time is known at 5 and the time at 6-1 as "YYYY-MM-DD HH-MM-SS".

Each second's first sample carries that second's record; the samples after it walk toward
the next second's, so that a reader taking the wrong sample of a second is seen.
"""
import datetime
import math
import struct

import mkclip_gpmf
from mkclip_layouts import decimal_degrees
from mkclip_tesla import field, varint

PROTOCOL = b"dvtm_ac203.proto"
MODEL = b"Osmo Action 4"
SAMPLES_PER_SECOND = 5
ALTITUDE_MM = 25_000
GPS_INVALID = 1


def nested(number, parts):
    body = b"".join(parts)
    return field(number, 2, varint(len(body)) + body)


def text(number, value):
    return field(number, 2, varint(len(value)) + value)


def product_meta(sample, record, later):
    share = (sample % SAMPLES_PER_SECOND) / SAMPLES_PER_SECOND
    clip = nested(1, [nested(1, [text(1, PROTOCOL), text(10, MODEL)])])
    header = nested(1, [field(1, 0, varint(sample + 1)),
                        field(2, 0, varint(sample * 1_000_000 // SAMPLES_PER_SECOND))])
    if record.status == "A":
        lat = [decimal_degrees(r.lat, r.lat_hemi) for r in (record, later)]
        lon = [decimal_degrees(r.lon, r.lon_hemi) for r in (record, later)]
        # Radians, the unit proto3 leaves out as zero.
        coordinates = nested(1, [
            field(2, 1, struct.pack("<d", math.radians(lat[0] + (lat[1] - lat[0]) * share))),
            field(3, 1, struct.pack("<d", math.radians(lon[0] + (lon[1] - lon[0]) * share)))])
        when = record.when + datetime.timedelta(seconds=share)
        gps = [coordinates, field(2, 0, varint(ALTITUDE_MM)), field(5, 0, varint(1)),
               nested(6, [text(1, f"{when:%Y-%m-%d %H-%M-%S}".encode())])]
    else:
        gps = [field(3, 0, varint(GPS_INVALID))]
    frame = nested(3, [header, nested(4, [nested(2, gps)])])
    return clip + frame


def add_djmd_track(path, records, top_level_boxes):
    payloads = [product_meta(k, records[k // SAMPLES_PER_SECOND],
                             records[min(k // SAMPLES_PER_SECOND + 1, len(records) - 1)])
                for k in range(len(records) * SAMPLES_PER_SECOND)]
    return mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, None, payloads, b"djmd",
                                      b"DJI meta\0", SAMPLES_PER_SECOND)
