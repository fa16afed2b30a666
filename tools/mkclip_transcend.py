"""Transcend DrivePro: the classic Novatek freeGPS block (mkclip_layouts.novatek_fields)
with latitude and longitude again as doubles at 0x70 and 0x80 and the altitude at 0xA0, as
exiftool's notes on these cameras describe them."""
import math
import struct

from mkclip_layouts import novatek_fields

TRANSCEND_LENGTH = 0xB0


def finer(value):
    """The receiver's DDMM value with a quarter of a float's step more than the float keeps,
    so that the doubles differ from the floats they round to."""
    step = 2.0 ** (math.floor(math.log2(value)) - 23) if value > 0 else 0.0
    return value + step / 4


def transcend_fields(block, record):
    novatek_fields(block, record)
    struct.pack_into("<d", block, 0x70, finer(record.lat))
    struct.pack_into("<d", block, 0x80, finer(record.lon))
    struct.pack_into("<d", block, 0xA0, 25.0)
