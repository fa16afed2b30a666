"""The byte layouts mkclip.py writes a second of the drive in, one per camera family.

Each writer fills a record's box in place from a Record (see mkclip.py); the text
layouts build their NMEA sentences with the helpers at the end, which the text logs
share. Offsets count from the box's size field, 4 bytes before "freeGPS ".
"""

import math
import struct

BLOCK_LEN = 112
KMH_PER_KNOT = 1.852
AZDOME_MASK = 0xAA
AZDOME_TEXT_AT = 18
AZDOME_TEXT_LEN = 0x101
NEXTBASE_TEXT_AT = 0x50
SHIFTED_RMC_AT = 0x3C
SHIFTED_RMC_LEN = 80


def decimal_degrees(value, hemi):
    """Decimal degrees from a stored ddmm.mmmm value, the way a reader must do it."""
    whole = math.floor(value / 100)
    degrees = whole + (value - 100 * whole) / 60
    return -degrees if hemi in "SW" else degrees


def block_length(layout):
    """Bytes a record takes in its box, the box's size field included."""
    return LAYOUT_LENGTHS.get(layout, BLOCK_LEN)


def gps_block(record, box_size, layout="plain"):
    """The 'free' box holding one record in the chosen camera layout."""
    block = bytearray(block_length(layout))
    struct.pack_into(">I8s", block, 0, box_size, b"freeGPS ")
    LAYOUTS[layout](block, record)
    return bytes(block)


def knots(kmh):
    return kmh / KMH_PER_KNOT


def plain_fields(block, record):
    """The player's own layout: fields at p = 4, the marker; speed in km/h."""
    p = 4
    w = record.when
    struct.pack_into("<3I", block, p + 44, w.hour, w.minute, w.second)
    struct.pack_into("<I", block, p + 56, ord(record.status))
    struct.pack_into("<fI", block, p + 60, record.lat, ord(record.lat_hemi))
    struct.pack_into("<fI", block, p + 68, record.lon, ord(record.lon_hemi))
    struct.pack_into("<2f", block, p + 76, record.speed_kmh, record.course)
    struct.pack_into("<3I", block, p + 84, w.year - 2000, w.month, w.day)
    struct.pack_into("<3i", block, p + 96, *record.raw)


def viofo_fields(block, record, shift=0):
    """Viofo A119 V3 / A129 / Kenwood: offsets from the box start (+48 with a model
    header); speed in knots; accelerations as i32 in 1/256 g (only without the header)."""
    w = record.when
    if shift:
        block[0x10:0x10 + shift] = b"VIOFO A129 Plus Duo".ljust(shift, b"\0")
    struct.pack_into("<6I", block, 0x10 + shift, w.hour, w.minute, w.second,
                     w.year - 2000, w.month, w.day)
    block[0x28 + shift:0x2B + shift] = (record.status + record.lat_hemi
                                        + record.lon_hemi).encode("ascii")
    struct.pack_into("<4f", block, 0x2C + shift, record.lat, record.lon,
                     knots(record.speed_kmh), record.course)
    if not shift:
        struct.pack_into("<3i", block, 0x3C, *(4 * count for count in record.raw))


def novatek_fields(block, record):
    """Classic Novatek (Viofo A119S): date and time from 0x30, floats from 0x4C, knots."""
    w = record.when
    struct.pack_into("<6I", block, 0x30, w.hour, w.minute, w.second,
                     w.year - 2000, w.month, w.day)
    block[0x48:0x4B] = (record.status + record.lat_hemi + record.lon_hemi).encode("ascii")
    struct.pack_into("<4f", block, 0x4C, record.lat, record.lon,
                     knots(record.speed_kmh), record.course)


def vantrue_fields(block, record):
    """Vantrue N4 / Rove: doubles, hemisphere letters in words of their own, knots."""
    w = record.when
    struct.pack_into("<3I", block, 0x10, w.hour, w.minute, w.second)
    struct.pack_into("<I", block, 0x1C, ord(record.status))
    struct.pack_into("<dI", block, 0x20, record.lat, ord(record.lat_hemi))
    struct.pack_into("<dI", block, 0x30, record.lon, ord(record.lon_hemi))
    struct.pack_into("<2d", block, 0x40, knots(record.speed_kmh), record.course)
    struct.pack_into("<3I", block, 0x50, w.year - 2000, w.month, w.day)


def azdome_fields(block, record):
    """AZDome GS63H: text from byte 18, every byte XOR 0xAA. Date and time as digits,
    latitude and longitude as ddmm.mmmm times 1e4 in 8 and 9 digits, whole km/h in 8,
    G-sensor as three +ddd groups in 1/100 g at 173. No status: a record without fix
    carries no hemisphere letters."""
    w = record.when
    fix = record.status == "A"
    struct.pack_into("<I", block, 12, 0x105)
    block[16:18] = b"\x01\x03"
    text = bytearray(AZDOME_TEXT_LEN)
    text[0:8] = b"\0\0XKZD\xfe\xfe"
    text[8:22] = f"{w:%Y%m%d%H%M%S}".encode("ascii")
    text[22] = 0x0C
    text[23:38] = b"MKCLIP   ".ljust(15, b"\0")
    text[38:39] = record.lat_hemi.encode("ascii") if fix else b"\0"
    text[39:47] = f"{round(record.lat * 1e4):08d}".encode("ascii")
    text[47:48] = record.lon_hemi.encode("ascii") if fix else b"\0"
    text[48:57] = f"{round(record.lon * 1e4):09d}".encode("ascii")
    text[57:65] = f"{round(record.speed_kmh):08d}".encode("ascii")
    text[173:185] = "".join(f"{round(c / 64 * 100):+04d}" for c in record.raw).encode("ascii")
    block[AZDOME_TEXT_AT:AZDOME_TEXT_AT + AZDOME_TEXT_LEN] = bytes(b ^ AZDOME_MASK for b in text)


def nextbase_512gw_fields(block, record):
    """Nextbase 512GW: the camera's clock as 14 digits at 0x34, the G-sensor as i32 in
    1/256 g at 0x44, then the receiver's RMC and GGA sentences (knots)."""
    struct.pack_into("<I", block, 12, 0x140)
    block[0x34:0x42] = f"{record.when:%Y%m%d%H%M%S}".encode("ascii")
    struct.pack_into("<3i", block, 0x44, *(4 * count for count in record.raw))
    text = (gprmc(record) + "\r\n" + gpgga(record) + "\r\n").encode("ascii")
    block[NEXTBASE_TEXT_AT:NEXTBASE_TEXT_AT + len(text)] = text


def shifted_rmc_fields(block, record):
    """Cameras storing their $GPRMC sentence (knots) at 0x3C with every byte plus 16."""
    struct.pack_into("<I", block, 12, 0x1F0)
    block[0x10:0x18] = b"ZXSBNXYS"
    text = gprmc(record).encode("ascii")
    assert len(text) <= SHIFTED_RMC_LEN
    block[SHIFTED_RMC_AT:SHIFTED_RMC_AT + len(text)] = bytes(b + 16 for b in text)


def nextbase_512g_fields(block, record):
    """Nextbase 512G: a big-endian record at 0x30 with speed in m/s x 100, course x 100
    (-180..180), date and time (seconds x 10) and decimal degrees x 1e7; no status, so a
    record without fix holds a zero position."""
    w = record.when
    fix = record.status == "A"
    block[0x10:0x14] = b"x.xx"
    block[0x20:0x25] = b"00000"
    lat = decimal_degrees(record.lat, record.lat_hemi) if fix else 0.0
    lon = decimal_degrees(record.lon, record.lon_hemi) if fix else 0.0
    course = record.course - 360 if record.course > 180 else record.course
    struct.pack_into(">HHhHBBBBHBiiB", block, 0x30, 0x2453, round(record.speed_kmh / 3.6 * 100),
                     round(course * 100), w.year, w.month, w.day, w.hour, w.minute,
                     w.second * 10, 2, round(lat * 1e7), round(lon * 1e7), 16)


LAYOUTS = {
    "plain": plain_fields,
    "viofo": viofo_fields,
    "viofo-model": lambda block, record: viofo_fields(block, record, 48),
    "novatek": novatek_fields,
    "vantrue": vantrue_fields,
    "azdome": azdome_fields,
    "nextbase-512gw": nextbase_512gw_fields,
    "shifted-rmc": shifted_rmc_fields,
    "nextbase-512g": nextbase_512g_fields,
}
# Layouts that reach past BLOCK_LEN.
LAYOUT_LENGTHS = {
    "azdome": AZDOME_TEXT_AT + AZDOME_TEXT_LEN,
    "nextbase-512gw": 0x150,
    "shifted-rmc": SHIFTED_RMC_AT + SHIFTED_RMC_LEN,
}


def nmea(body):
    checksum = 0
    for byte in body.encode("ascii"):
        checksum ^= byte
    return f"${body}*{checksum:02X}"


def nmea_position(r):
    return f"{r.lat:09.4f},{r.lat_hemi},{r.lon:010.4f},{r.lon_hemi}"


def gprmc(r):
    mode = "A" if r.status == "A" else "N"
    return nmea(f"GPRMC,{r.when:%H%M%S}.000,{r.status},{nmea_position(r)},"
                f"{r.speed_kmh / KMH_PER_KNOT:.3f},{r.course:.2f},{r.when:%d%m%y},,,{mode}")


def gpgga(r):
    fix = 1 if r.status == "A" else 0
    return nmea(f"GPGGA,{r.when:%H%M%S}.000,{nmea_position(r)},{fix},08,0.9,25.0,M,19.6,M,,")


def seventymai_gps_box(records):
    """70mai's top-level 'GPS ' box: a 36-byte little-endian record a second (two words of
    1, the second, km/h x 1000, then a hemisphere letter and DDMM.mmm x 1000 for each of
    latitude and longitude, ten bytes unused); a camera without a fix writes no position.
    The camera fills the rest of the box with zeros, which end the records."""
    body = b""
    for r in records:
        lat = round(r.lat * 1000) if r.status == "A" else 0
        lon = round(r.lon * 1000) if r.status == "A" else 0
        body += struct.pack("<4Ic", 1, 1, r.second, round(r.speed_kmh * 1000),
                            r.lat_hemi.encode()) + struct.pack("<I", lat)
        body += r.lon_hemi.encode() + struct.pack("<I", lon) + b"\0" * 10
    body += b"\0" * 36
    return struct.pack(">I4s", 8 + len(body), b"GPS ") + body
