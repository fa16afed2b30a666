"""Sony cameras for mkclip.py: a timed-metadata track whose sample entry is 'rtmd', five
samples a second (the cameras write one a frame), laid out as exiftool's notes on Sony's
rtmd describe it. A sample is big-endian: a 16-bit header length (0x1c) and the header,
then tags of a 16-bit id and a 16-bit length before their value; a 0x060e tag is a 16-byte
label, a 0x8300 tag a set whose tags follow it, and a zero id ends the sample. The GPS tags
are the Exif GPS tags with 0x8500 added to their ids: version, latitude and longitude
references and degree, minute and second rationals, time of day as rationals, status,
measure mode, datum and date. Each sample's fix lies its fraction of the way to the next
second's, stamped with its own time.
"""
import datetime
import struct

import mkclip_gpmf
from mkclip_layouts import decimal_degrees

PER_SECOND = 5
HEADER = 0x1C
LABEL = bytes.fromhex("060e2b34025301010c02010101010000")


def tag(ident, value):
    return struct.pack(">HH", ident, len(value)) + value


def rationals(*pairs):
    return b"".join(struct.pack(">II", n, d) for n, d in pairs)


def dms(value):
    """Degrees, minutes and thousandths of seconds of an unsigned angle."""
    degrees = int(value)
    minutes = int((value - degrees) * 60)
    seconds = round(((value - degrees) * 60 - minutes) * 60 * 1000)
    return rationals((degrees, 1), (minutes, 1), (seconds, 1000))


def sample(record, following, fraction):
    lat0 = decimal_degrees(record.lat, record.lat_hemi)
    lon0 = decimal_degrees(record.lon, record.lon_hemi)
    lat = lat0 + (decimal_degrees(following.lat, following.lat_hemi) - lat0) * fraction
    lon = lon0 + (decimal_degrees(following.lon, following.lon_hemi) - lon0) * fraction
    when = record.when + datetime.timedelta(seconds=fraction)
    gps = b"".join([
        tag(0x8500, bytes([2, 2, 0, 0])),
        tag(0x8501, (b"S" if lat < 0 else b"N") + b"\0"),
        tag(0x8502, dms(abs(lat))),
        tag(0x8503, (b"W" if lon < 0 else b"E") + b"\0"),
        tag(0x8504, dms(abs(lon))),
        tag(0x8507, rationals((when.hour, 1), (when.minute, 1),
                              (when.second * 1000 + when.microsecond // 1000, 1000))),
        tag(0x8509, record.status.encode() + b"\0"),
        tag(0x850A, b"3\0"),
        tag(0x8512, b"WGS-84\0\0"),
        tag(0x851D, when.strftime("%Y:%m:%d").encode() + b"\0"),
    ])
    header = struct.pack(">H", HEADER) + bytes(HEADER - 2)
    return header + LABEL + struct.pack(">HH", 0x8300, len(gps)) + gps + bytes(4)


def samples(records):
    out = []
    for k, r in enumerate(records):
        following = records[min(k + 1, len(records) - 1)]
        out += [sample(r, following, j / PER_SECOND) for j in range(PER_SECOND)]
    return out


def add_rtmd_track(path, records, top_level_boxes):
    return mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, None, samples(records),
                                      b"rtmd", b"Timed Metadata Media Handler\0", PER_SECOND)
