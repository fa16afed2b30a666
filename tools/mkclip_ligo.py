"""SigmaStar LigoGPS cameras for mkclip.py, in three places: a timed-metadata track whose
sample entry is 'ssmd', one LIGOGPSINFO block a second (ligo-ssmd); one block a second in a
PES packet of a transport stream's private stream (ligo-ts); and one block of a slot a
second in a 'skip' box after the movie or the packets (ligo-trailer). A block is the name,
a header word (5: scrambled coordinates, as most of these cameras write them) and a slot
count, then 132-byte slots: '####', the byte count and the encrypted counter and text
line. Seconds without a fix get a slot of zeros.

The text keeps the camera's habits: the speed in knots under a "km/h" label, scaled by the
scrambling firmwares' own factor, and each coordinate's digits below its tens carried by the
other coordinate, divided by the scrambling scale. The transport stream's blocks are
written plain (header word 0), as exiftool reads that stream's blocks whatever the word.
"""
import math
import struct

import mkclip_gpmf
from mkclip_layouts import decimal_degrees

MAGIC = b"LIGOGPSINFO\0"
SCRAMBLED = 5
UNMARKED = 0
SLOT = 0x84
SCALE = 1.524855137
KNOTS = 1.85407333
PLAIN_KNOTS = 1.852
TS_PID = 0x0300
PRIVATE_STREAM_1 = 0xBD
# 90 kHz ticks: ffmpeg's transport streams start their video 1.4 s in.
FIRST_PTS = 126000
PACKET = 188
FOOTER = b"&&&&"

# Steering forms of three stored bytes: the steering byte's top bits, where the space falls
# among the four bytes, and the bits of each stored byte the steering byte carries.
SPACE_FORMS = {0: (0x40, (0x01, 0x06, 0x18)), 1: (0x60, (0x03, 0x04, 0x18)),
               2: (0x80, (0x03, 0x0C, 0x10)), 3: (0xA0, (0x01, 0x06, 0x18))}


def encrypt(plain):
    out = bytearray()
    i = 0
    while len(plain) - i >= 4:
        group = plain[i:i + 4]
        i += 4
        spaces = [k for k in range(4) if group[k] == 0x20]
        if spaces:
            steering, masks = SPACE_FORMS[spaces[0]]
            stored = [group[k] ^ 0x20 for k in range(4) if k != spaces[0]]
            for k, mask in enumerate(masks):
                steering |= stored[k] & mask
                stored[k] &= ~mask & 0xFF
            out += bytes([steering] + stored)
            continue
        steering = 0xC0
        stored = []
        for k, mask in enumerate((0x01, 0x02, 0x0C)):
            value = group[k] ^ 0x20
            steering |= value & mask
            stored.append(value & ~mask & 0xFF)
        steering |= group[3] & 0x30
        stored.append((group[3] & ~0x30 & 0xFF) ^ 0x20)
        out += bytes([steering] + stored)
    for byte in plain[i:]:
        out += bytes([byte & 0x13, byte & ~0x13 & 0xFF])
    return bytes(out)


def scramble(lat, lon):
    """The stored pair for a real (unsigned) latitude and longitude."""
    lat_tens = math.floor(lat / 10) * 10
    lon_tens = math.floor(lon / 10) * 10
    return lat_tens + (lon - lon_tens) / SCALE, lon_tens + (lat - lat_tens) / SCALE


def add_arguments(parser):
    parser.add_argument("--straddle", action="store_true",
                        help="with --layout ligo-ts, cut each record's PES packet in two "
                        "transport packets with a packet of the video between them")


def check(parser, args):
    if args.layout == "ligo-ts" and args.container != "mpegts":
        parser.error("--layout ligo-ts needs a .ts clip")
    if args.straddle and args.layout != "ligo-ts":
        parser.error("--straddle needs --layout ligo-ts")


def text(record, scrambled=True):
    lat = abs(decimal_degrees(record.lat, record.lat_hemi))
    lon = abs(decimal_degrees(record.lon, record.lon_hemi))
    stored_lat, stored_lon = scramble(lat, lon) if scrambled else (lat, lon)
    knots = record.speed_kmh / (KNOTS if scrambled else PLAIN_KNOTS)
    g = [raw / 64 for raw in record.raw]
    return (f"{record.when:%Y/%m/%d %H:%M:%S} {record.lat_hemi}:{stored_lat:.6f} "
            f"{record.lon_hemi}:{stored_lon:.6f} {knots:.2f} km/h "
            f"A:{record.course:.1f} x:{g[0]:.3f} y:{g[1]:.3f} z:{g[2]:.3f}")


def slot(record, scrambled=True):
    if record.status != "A":
        return bytes(SLOT)
    plain = struct.pack("<I", record.second + 1) + text(record, scrambled).encode()
    cipher = encrypt(plain)
    return (b"####" + struct.pack("<I", len(cipher)) + cipher).ljust(SLOT, b"\0")


def block(record, word=SCRAMBLED):
    return MAGIC + struct.pack(">I", word) + struct.pack("<I", 1) + slot(record, word != UNMARKED)


def trailer(records):
    """A 'skip' box of one block, a slot a second, closed by '&&&&' and the box's size, so
    that a reader finds it from the file's end."""
    body = MAGIC + struct.pack(">I", SCRAMBLED) + struct.pack("<I", len(records))
    body += b"".join(slot(r) for r in records)
    size = 8 + len(body) + 8
    return struct.pack(">I", size) + b"skip" + body + FOOTER + struct.pack(">I", size)


def append_trailer(path, records):
    with open(path, "ab") as f:
        f.write(trailer(records))


def pts_field(pts):
    """A PES header's 5-byte time stamp ('0010' and the 33 bits with marker bits)."""
    return bytes([0x21 | (pts >> 29) & 0x0E, (pts >> 22) & 0xFF, 0x01 | (pts >> 14) & 0xFE,
                  (pts >> 7) & 0xFF, 0x01 | (pts << 1) & 0xFE])


def ts_packet(payload, start, counter):
    """One transport packet of TS_PID, padded to 188 bytes by an adaptation field."""
    stuffing = PACKET - 4 - len(payload)
    if stuffing < 0:
        raise ValueError("a packet's payload is at most 184 bytes")
    header = struct.pack(">BHB", 0x47, (0x4000 if start else 0) | TS_PID,
                         (0x30 if stuffing else 0x10) | (counter & 0x0F))
    adaptation = b""
    if stuffing:
        adaptation = bytes([stuffing - 1]) + (b"\0" + b"\xff" * (stuffing - 2)
                                              if stuffing > 1 else b"")
    return header + adaptation + payload


def ts_packets(record, counter, straddle=False):
    """The record's PES packet (private_stream_1, time-stamped at its second) in one
    transport packet, or cut in two (the cut inside the slot) when `straddle`."""
    data = block(record, UNMARKED)
    header = bytes([0x80, 0x80, 5]) + pts_field(FIRST_PTS + 90000 * record.second)
    pes = b"\0\0\1" + bytes([PRIVATE_STREAM_1]) + struct.pack(">H", len(header) + len(data))
    pes += header + data
    cut = len(pes) // 2 if straddle else len(pes)
    parts = [pes[:cut], pes[cut:]] if straddle else [pes]
    return [ts_packet(part, k == 0, counter + k) for k, part in enumerate(parts)]


def add_ssmd_track(path, records, top_level_boxes, spacing=None):
    return mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, spacing,
                                      [block(r) for r in records], b"ssmd", b"SigmaStar\0")
