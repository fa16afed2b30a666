"""Kenwood: a top-level 'udta' box after the movie, "VIDEO" and a run of 'U', then one text
record a second after two 0xFE bytes, laid out as exiftool's notes on the DRV-A301W show:
the second's clock, the next second's, the position as hemisphere and DDMM.MMMM digits,
altitude and km/h, then the g-sensor's samples in thousandths of a g."""
import datetime
import struct

SAMPLES_PER_RECORD = 5


def kenwood_record(r):
    if r.status == "A":
        place = f"{r.lat_hemi}{round(r.lat * 1e4):08d}{r.lon_hemi}{round(r.lon * 1e4):09d}"
    else:
        place = "N00000000E000000000"
    later = r.when + datetime.timedelta(seconds=1)
    counts = "".join(f"{round(c / 64 * 1000):+04d}" for c in r.raw) * SAMPLES_PER_RECORD
    return (b"\xfe\xfe" + f"{r.when:%Y%m%d%H%M%S}.{later:%Y%m%d%H%M%S}".encode() + b"\x03"
            + f"{place}+0025{round(r.speed_kmh):03d}{counts}".encode())


def kenwood_user_data(records):
    body = b"VIDEO" + b"U" * 22 + b"".join(kenwood_record(r) for r in records)
    return struct.pack(">I4s", 8 + len(body), b"udta") + body
