"""Navitel, iBOX, Cobra and kin: top-level 'gps0' and 'gsen' boxes after the movie, and an
'IDIT' box with the recording's start time at the very end, laid out as exiftool's notes
on these cameras describe them."""
import struct

# The g-sensor samples this often a second; its box carries no times, only the order.
GSEN_PER_SECOND = 5


def box(kind, body):
    return struct.pack(">I4s", 8 + len(body), kind) + body


def signed_ddmm(value, hemi):
    return -value if hemi in "SW" else value


def gps0_record(r):
    """32 little-endian bytes: latitude and longitude as DDMM.MMMM doubles (south and west
    negative), altitude in m, whole km/h, the date and time as bytes from year 2000, the
    course halved, and three bytes the cameras write as 1 1 0. Without a fix, nothing."""
    if r.status != "A":
        return b"\0" * 32
    return struct.pack("<2diH6B4B", signed_ddmm(r.lat, r.lat_hemi),
                       signed_ddmm(r.lon, r.lon_hemi), 25, round(r.speed_kmh),
                       r.when.year - 2000, r.when.month, r.when.day, r.when.hour,
                       r.when.minute, r.when.second, int(r.course // 2), 1, 1, 0)


def gsen_counts(records):
    """Signed bytes of 1/16 g: each second's first sample is its truth, the rest walk
    toward the next second's, so that a reader taking the wrong sample is seen."""
    body = b""
    for k, r in enumerate(records):
        following = records[min(k + 1, len(records) - 1)].raw
        for j in range(GSEN_PER_SECOND):
            body += struct.pack("<3b", *(
                max(-128, min(127, round((now + (later - now) * j / GSEN_PER_SECOND) / 4)))
                for now, later in zip(r.raw, following)))
    return body


def navitel_boxes(records):
    start = records[0].when if records else None
    stamp = f"{start:%Y-%m-%dT%H:%M:%S}+0000".encode() + b"\0" if start else b""
    return (box(b"gps0", b"".join(gps0_record(r) for r in records))
            + box(b"gsen", gsen_counts(records)) + box(b"IDIT", stamp))
