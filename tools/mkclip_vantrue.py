"""Vantrue cameras beyond the N4's doubles (mkclip_layouts.vantrue_fields): the S1's
"horsontech" freeGPS block and the N2S's FMAS records in a gpmd track, laid out as
exiftool's notes on these cameras describe them."""
import struct

import mkclip_gpmf

S1_LENGTH = 0x80
FMAS_LENGTH = 0xA0
KMH_PER_KNOT = 1.852
KMH_PER_MPH = 1.60934
# FMAS keeps the minute's fraction in these parts, as exiftool reads it.
FMAS_FRACTION = 6000


def s1_fields(block, record):
    """Vantrue S1: the maker's name at 0x30; status and hemisphere letters at 0x40; year
    since 2000, month, day, hour, minute and second as 32-bit words from 0x44; longitude,
    latitude (DDMM), knots, course and altitude as floats from 0x5C; accelerations as
    32-bit thousandths of a g at 0x70."""
    w = record.when
    struct.pack_into("<I", block, 12, 0x78)
    block[0x30:0x3A] = b"horsontech"
    block[0x40:0x43] = (record.status + record.lat_hemi + record.lon_hemi).encode("ascii")
    struct.pack_into("<6I", block, 0x44, w.year - 2000, w.month, w.day, w.hour, w.minute,
                     w.second)
    struct.pack_into("<5f", block, 0x5C, record.lon, record.lat, record.speed_kmh / KMH_PER_KNOT,
                     record.course, 25.0)
    struct.pack_into("<3i", block, 0x70, *(round(c * 1000 / 64) for c in record.raw))


def degrees_minutes(value):
    """Whole degrees, whole minutes and the minute's fraction in FMAS parts of a DDMM value."""
    degrees = int(value // 100)
    minutes = value - 100 * degrees
    whole = int(minutes)
    fraction = min(round((minutes - whole) * FMAS_FRACTION), FMAS_FRACTION - 1)
    return degrees, whole, fraction


def fmas_record(record):
    """One N2S sample: "FMAS", "OFNIMMAS" and "SAMM" as the camera writes them; the date and
    time from 0x60; three float accelerations in g at 0x6C; status, longitude's and
    latitude's hemisphere letters at 0x78; degrees, minutes (a zero byte after the
    longitude's) and the minute's fraction for each; whole mph and whole degrees of course."""
    w = record.when
    sample = bytearray(FMAS_LENGTH)
    sample[0:8] = b"FMAS\0\0\0\0"
    sample[0x48:0x54] = b"OFNIMMASSAMM"
    struct.pack_into("<I", sample, 0x54, 1)
    struct.pack_into("<H5B", sample, 0x60, w.year, w.month, w.day, w.hour, w.minute, w.second)
    struct.pack_into("<3f", sample, 0x6C, *(c / 64 for c in record.raw))
    sample[0x78:0x7B] = (record.status + record.lon_hemi + record.lat_hemi).encode("ascii")
    lon_deg, lon_min, lon_frac = degrees_minutes(record.lon)
    lat_deg, lat_min, lat_frac = degrees_minutes(record.lat)
    struct.pack_into("<BBBHBBHHH", sample, 0x7B, lon_deg, lon_min, 0, lon_frac, lat_deg,
                     lat_min, lat_frac, round(record.speed_kmh / KMH_PER_MPH),
                     round(record.course) % 360)
    return bytes(sample)


def add_fmas_track(path, records, top_level_boxes, spacing=None):
    """The records as FMAS samples of a gpmd track after the video, one a second,
    `spacing` bytes apart when given."""
    mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, spacing,
                               payloads=[fmas_record(r) for r in records])
