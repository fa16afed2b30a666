#!/usr/bin/env python3
"""Spreads a made MP4 clip to a given size, as a long recording spreads its camera's records
among its video: a sparse `free` box (holes, no bytes written) goes in before the first
`mdat`, and every chunk offset (`stco`, `co64`) that points past it moves with it.

usage: spread_clip.py IN OUT BYTES
"""
import struct
import sys

CONTAINERS = {b"moov", b"trak", b"mdia", b"minf", b"stbl", b"edts", b"dinf", b"mvex"}


def boxes(data, begin, end):
    at = begin
    while at + 8 <= end:
        size, kind = struct.unpack_from(">I4s", data, at)
        header = 8
        if size == 1:
            size = struct.unpack_from(">Q", data, at + 8)[0]
            header = 16
        elif size == 0:
            size = end - at
        if size < header or at + size > end:
            return
        yield at, header, size, kind
        at += size


def move_offsets(data, begin, end, past, by):
    for at, header, size, kind in boxes(data, begin, end):
        if kind in CONTAINERS:
            move_offsets(data, at + header, at + size, past, by)
        elif kind in (b"stco", b"co64"):
            wide = kind == b"co64"
            count = struct.unpack_from(">I", data, at + header + 4)[0]
            entry = at + header + 8
            for _ in range(count):
                fmt = ">Q" if wide else ">I"
                value = struct.unpack_from(fmt, data, entry)[0]
                if value >= past:
                    value += by
                    if not wide and value >= 1 << 32:
                        sys.exit("spread_clip: a 32-bit chunk offset would pass 4 GiB")
                    struct.pack_into(fmt, data, entry, value)
                entry += 8 if wide else 4


def main():
    source, target, wanted = sys.argv[1], sys.argv[2], int(sys.argv[3])
    data = bytearray(open(source, "rb").read())
    media = next((at for at, _, _, kind in boxes(data, 0, len(data)) if kind == b"mdat"), None)
    if media is None:
        sys.exit(f"spread_clip: {source} has no mdat")
    padding = wanted - len(data)
    if padding < 16 or padding >= 1 << 32:
        sys.exit("spread_clip: the size wanted leaves no room for a 32-bit free box")
    move_offsets(data, 0, len(data), media, padding)
    with open(target, "wb") as out:
        out.write(data[:media])
        out.write(struct.pack(">I4s", padding, b"free"))
        out.seek(padding - 8, 1)
        out.write(data[media:])


if __name__ == "__main__":
    main()
