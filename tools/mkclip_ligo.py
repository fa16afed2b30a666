"""SigmaStar LigoGPS cameras for mkclip.py: a timed-metadata track whose sample entry is
'ssmd', one LIGOGPSINFO block a second. A block is the name, a header word (5: scrambled
coordinates, as most of these cameras write them) and a slot count, then one 132-byte slot:
'####', the byte count and the encrypted counter and text line. Seconds without a fix get
a slot of zeros.

The text keeps the camera's habits: the speed in knots under a "km/h" label, scaled by the
scrambling firmwares' own factor, and each coordinate's digits below its tens carried by the
other coordinate, divided by the scrambling scale.
"""
import math
import struct

import mkclip_gpmf
from mkclip_layouts import decimal_degrees

MAGIC = b"LIGOGPSINFO\0"
SCRAMBLED = 5
SLOT = 0x84
SCALE = 1.524855137
KNOTS = 1.85407333

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


def text(record):
    lat = decimal_degrees(record.lat, record.lat_hemi)
    lon = decimal_degrees(record.lon, record.lon_hemi)
    stored_lat, stored_lon = scramble(abs(lat), abs(lon))
    g = [raw / 64 for raw in record.raw]
    return (f"{record.when:%Y/%m/%d %H:%M:%S} {record.lat_hemi}:{stored_lat:.6f} "
            f"{record.lon_hemi}:{stored_lon:.6f} {record.speed_kmh / KNOTS:.2f} km/h "
            f"A:{record.course:.1f} x:{g[0]:.3f} y:{g[1]:.3f} z:{g[2]:.3f}")


def block(record):
    slot = bytes(SLOT)
    if record.status == "A":
        plain = struct.pack("<I", record.second + 1) + text(record).encode()
        cipher = encrypt(plain)
        slot = (b"####" + struct.pack("<I", len(cipher)) + cipher).ljust(SLOT, b"\0")
    return MAGIC + struct.pack(">I", SCRAMBLED) + struct.pack("<I", 1) + slot


def add_ssmd_track(path, records, top_level_boxes, spacing=None):
    return mkclip_gpmf.add_gpmd_track(path, records, top_level_boxes, spacing,
                                      [block(r) for r in records], b"ssmd", b"SigmaStar\0")
