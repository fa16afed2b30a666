"""Camera layouts that keep the track as one sample a second in a text track, for
mkclip.py: Thinkware's g-sensor and RMC cue, Garmin's binary PNDM record, and the
Nextbase 322GW's binary sample of clock, accelerations and NUL-padded RMC and GGA.

ffmpeg writes the track from SRT cues; a binary record cannot pass through SRT, so its
cue holds as many placeholder letters as the record has bytes and the record is written
over them afterwards. All three cameras' tracks are 'text' tracks, which is how exiftool tells
them from a subtitle track; ffmpeg names an MP4's 'sbtl', so the handler is renamed.
"""
import struct

import datetime

from mkclip_layouts import KMH_PER_KNOT, decimal_degrees, gpgga, gprmc, nmea_position
from mkclip_sources import srt_time

TEXT_TRACK_LAYOUTS = ["thinkware", "garmin", "nextbase-322gw"]
# A 12-bit sensor over +-4 g: the range and the counts per g the cue states.
THINKWARE_RANGE_G = 4
THINKWARE_PER_G = 512
# The drive's accelerations are in 1/64 g.
DRIVE_PER_G = 64
KMH_PER_MPH = 1.609344
SEMICIRCLES_PER_DEGREE = (1 << 31) / 180
PLACEHOLDER = ord("X")
# The camera's accelerations are i32 counts of 1/1280 g, its y axis counted the other way.
NEXTBASE_PER_G = 1280
NEXTBASE_SENTENCE_LEN = 128
# The camera's clock runs on local time; two hours ahead shows a reader taking UTC from it.
NEXTBASE_CLOCK_AHEAD = datetime.timedelta(hours=2)


def thinkware_cue(r):
    """gsensori,<range>,<per g>,<x>,<y>,<z>;GPRMC,... (no '$', no checksum);CAR,..."""
    counts = ",".join(str(c * THINKWARE_PER_G // DRIVE_PER_G) for c in r.raw)
    mode = "A" if r.status == "A" else "N"
    rmc = (f"GPRMC,{r.when:%H%M%S}.00,{r.status},{nmea_position(r)},"
           f"{r.speed_kmh / KMH_PER_KNOT:.3f},{r.course:.2f},{r.when:%d%m%y},,,{mode}")
    return (f"gsensori,{THINKWARE_RANGE_G},{THINKWARE_PER_G},{counts};{rmc};"
            "CAR,0,0,0,0.0,0,0,0,0,0,0,0,0").encode("ascii")


def garmin_record(r, sized):
    """PNDM, speed in whole mph (u16 at 8), latitude and longitude in semicircles (i32 at
    12 and 16), big-endian; zeros for the position without a fix. `sized` puts the
    record's own 32-bit size before it, as some of the camera's clips have it."""
    fix = r.status == "A"
    lat = decimal_degrees(r.lat, r.lat_hemi) if fix else 0.0
    lon = decimal_degrees(r.lon, r.lon_hemi) if fix else 0.0
    record = struct.pack(">4s4xH2xii", b"PNDM", round(r.speed_kmh / KMH_PER_MPH),
                         round(lat * SEMICIRCLES_PER_DEGREE), round(lon * SEMICIRCLES_PER_DEGREE))
    return struct.pack(">I", 4 + len(record)) + record if sized else record


def wrong_checksum(sentence):
    """The sentence with a checksum that does not validate, as these cameras write it."""
    body, checksum = sentence.rsplit("*", 1)
    return f"{body}*{int(checksum, 16) ^ 0x5A:02X}"


def nextbase_sample(r):
    """4 unknown bytes, the clock as 14 digits, y, x and z as little-endian i32 (y counted
    the other way), then RMC and GGA, each NUL-padded to 128 bytes; 288 bytes in all with
    the 2 undescribed bytes at the end."""
    x, y, z = (count * NEXTBASE_PER_G // DRIVE_PER_G for count in r.raw)
    clock = f"{r.when + NEXTBASE_CLOCK_AHEAD:%Y%m%d%H%M%S}".encode("ascii")
    sentences = b"".join((wrong_checksum(s) + "\r\n").encode("ascii").ljust(
        NEXTBASE_SENTENCE_LEN, b"\0") for s in (gprmc(r), gpgga(r)))
    return b"\0\0\0\x01" + clock + struct.pack("<3i", -y, x, z) + sentences + b"\0\0"


def check_text_track(parser, args, container):
    if args.layout in TEXT_TRACK_LAYOUTS and (container == "avi" or args.sparse_size is not None
                                              or args.data_subtitles
                                              or args.nmea_subtitles is not None):
        parser.error(f"--layout {args.layout} needs an MP4 or MOV clip without --sparse-size "
                     "and without another subtitle track")


def payloads(layout, records):
    """Each second's sample text; every other Garmin record carries its size."""
    if layout == "thinkware":
        return [thinkware_cue(r) for r in records]
    if layout == "nextbase-322gw":
        return [nextbase_sample(r) for r in records]
    return [garmin_record(r, r.second % 2 == 1) for r in records]


def placeholder_subtitles(texts):
    """One cue a second, each as long as its text, all letters."""
    return "\n".join(f"{s + 1}\n{srt_time(s)} --> {srt_time(s + 1)}\n{'X' * len(t)}\n"
                     for s, t in enumerate(texts))


def fill_text_track(path, texts):
    """Writes the texts over their placeholders and names the track a 'text' track."""
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        at = data.find(b"hdlr")
        while at >= 0:
            # type, version and flags, pre-defined, then the handler's own type
            if data[at + 12:at + 16] == b"sbtl":
                data[at + 12:at + 16] = b"text"
            at = data.find(b"hdlr", at + 4)
        at = 0
        for text in texts:
            placeholder = struct.pack(">H", len(text)) + bytes([PLACEHOLDER]) * len(text)
            at = data.index(placeholder, at)
            data[at + 2:at + 2 + len(text)] = text
            at += 2 + len(text)
        f.seek(0)
        f.write(data)
