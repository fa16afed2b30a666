"""GoPro's GPMF telemetry for mkclip.py: a timed-metadata track whose sample entry is
'gpmd', one payload a second, as the HERO5 to HERO10 write it. Each payload holds a GPS5
stream of 18 fixes under one GPSU time, with its fix type (GPSF), precision (GPSP) and
scales (SCAL). The fixes of a second run evenly from its record towards the next one.

The video is written with its 'moov' last; the payloads go into an 'mdat' after the video's
own, the 'moov' after them gains the track (64-bit chunk offsets), so no video offset moves.
"""
import os
import struct

from mkclip_layouts import decimal_degrees

FIXES_PER_SECOND = 18
TIMESCALE = 1000
GPS5_SCALES = (10_000_000, 10_000_000, 1000, 1000, 100)
PRECISION = 120  # dilution of precision x 100: a good fix


def klv(key, kind, size, repeat, value):
    item = key + bytes([ord(kind) if kind else 0, size]) + struct.pack(">H", repeat) + value
    return item + b"\0" * (-len(item) % 4)


def nest(key, items):
    body = b"".join(items)
    return klv(key, "", 4, len(body) // 4, body)


def payload(record, following):
    lat0 = decimal_degrees(record.lat, record.lat_hemi)
    lon0 = decimal_degrees(record.lon, record.lon_hemi)
    lat1 = decimal_degrees(following.lat, following.lat_hemi)
    lon1 = decimal_degrees(following.lon, following.lon_hemi)
    fixes = b""
    for i in range(FIXES_PER_SECOND):
        t = i / FIXES_PER_SECOND
        values = (lat0 + (lat1 - lat0) * t, lon0 + (lon1 - lon0) * t, 12.0,
                  record.speed_kmh / 3.6, record.speed_kmh / 3.6)
        fixes += struct.pack(">5i", *(round(v * s) for v, s in zip(values, GPS5_SCALES)))
    gpsu = record.when.strftime("%y%m%d%H%M%S").encode() + b".000"
    stream = nest(b"STRM", [
        klv(b"GPSF", "L", 4, 1, struct.pack(">I", 3 if record.status == "A" else 0)),
        klv(b"GPSU", "U", 16, 1, gpsu),
        klv(b"GPSP", "S", 2, 1, struct.pack(">H", PRECISION)),
        klv(b"SCAL", "l", 4, 5, struct.pack(">5i", *GPS5_SCALES)),
        klv(b"GPS5", "l", 20, FIXES_PER_SECOND, fixes),
    ])
    return nest(b"DEVC", [klv(b"DVID", "L", 4, 1, struct.pack(">I", 1)), stream])


def box(kind, body):
    return struct.pack(">I", 8 + len(body)) + kind + body


def full_box(kind, version_flags, body):
    return box(kind, struct.pack(">I", version_flags) + body)


def gpmd_trak(track_id, sizes, offsets, fourcc=b"gpmd", handler=b"GoPro MET\0", per_second=1):
    count = len(sizes)
    duration = count * TIMESCALE // per_second
    matrix = struct.pack(">9I", 0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000)
    tkhd = full_box(b"tkhd", 0, struct.pack(">IIIII", 0, 0, track_id, 0, duration)
                    + b"\0" * 8 + struct.pack(">hhhh", 0, 0, 0, 0) + matrix + b"\0" * 8)
    mdhd = full_box(b"mdhd", 0, struct.pack(">IIIIHH", 0, 0, TIMESCALE, duration, 0x55C4, 0))
    hdlr = full_box(b"hdlr", 0, b"mhlr" + b"meta" + b"\0" * 12 + handler)
    dinf = box(b"dinf", full_box(b"dref", 0, struct.pack(">I", 1) + full_box(b"url ", 1, b"")))
    entry = box(fourcc, b"\0" * 6 + struct.pack(">H", 1) + b"\0" * 4)
    stbl = box(b"stbl", b"".join([
        full_box(b"stsd", 0, struct.pack(">I", 1) + entry),
        full_box(b"stts", 0, struct.pack(">III", 1, count, TIMESCALE // per_second)),
        full_box(b"stsc", 0, struct.pack(">IIII", 1, 1, 1, 1)),
        full_box(b"stsz", 0, struct.pack(">II", 0, count) + struct.pack(f">{count}I", *sizes)),
        full_box(b"co64", 0, struct.pack(">I", count) + struct.pack(f">{count}Q", *offsets)),
    ]))
    minf = box(b"minf", full_box(b"nmhd", 0, b"") + dinf + stbl)
    return box(b"trak", tkhd + box(b"mdia", mdhd + hdlr + minf))


def add_gpmd_track(path, records, top_level_boxes, spacing=None, payloads=None, fourcc=b"gpmd",
                   handler=b"GoPro MET\0", per_second=1):
    """Puts a payload for each record (GPMF unless `payloads` are given; `per_second` of them
    a second) after the video,
    `spacing` bytes apart when given (the space between left as holes), and the track that
    names them, its sample entry `fourcc`, into 'moov'."""
    if payloads is None:
        payloads = [payload(r, records[min(i + 1, len(records) - 1)])
                    for i, r in enumerate(records)]
    with open(path, "r+b") as f:
        boxes = top_level_boxes(f)
        at, size, kind = boxes[-1]
        if kind != b"moov":
            raise ValueError("the video's 'moov' must come last")
        f.seek(at)
        moov = f.read(size)
        step = spacing or max(len(p) for p in payloads)
        data_at = at + 16
        end = data_at + step * (len(payloads) - 1) + len(payloads[-1])
        f.seek(at)
        f.write(struct.pack(">I4sQ", 1, b"mdat", end - at))
        offsets = []
        for i, p in enumerate(payloads):
            offsets.append(data_at + i * step)
            f.seek(offsets[-1])
            f.write(p)
        f.truncate(end)
        f.seek(end)
        # mvhd's last word is the next free track id.
        mvhd_end = 8 + struct.unpack(">I", moov[8:12])[0]
        track_id = struct.unpack(">I", moov[mvhd_end - 4:mvhd_end])[0]
        moov = (moov[:mvhd_end - 4] + struct.pack(">I", track_id + 1) + moov[mvhd_end:]
                + gpmd_trak(track_id, [len(p) for p in payloads], offsets, fourcc, handler,
                          per_second))
        f.write(struct.pack(">I", len(moov)) + moov[4:])
    return os.path.getsize(path)
