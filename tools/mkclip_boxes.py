"""Edits of a made clip's top-level MP4 boxes: finding them, adding an index of the
records, dropping the user data, and setting the movie's length."""
import os
import struct


def box_header(kind, size, large=False):
    if large or size > 0xFFFFFFFF:
        return struct.pack(">I4sQ", 1, kind, size)
    return struct.pack(">I4s", size, kind)


class LayoutError(Exception):
    """The requested record layout cannot be built around this video."""


def top_level_boxes(f):
    """(offset, size, type) of each top-level box."""
    boxes, at, end = [], 0, f.seek(0, os.SEEK_END)
    while at + 8 <= end:
        f.seek(at)
        size, kind = struct.unpack(">I4s", f.read(8))
        if size == 1:
            size = struct.unpack(">Q", f.read(8))[0]
        elif size == 0:
            size = end - at
        if size < 8:
            break
        boxes.append((at, size, kind))
        at += size
    return boxes


def add_gps_index(path, entries):
    """Name the record boxes in a 'gps ' atom inside 'moov', as some cameras do.

    The video was written with room reserved after its 'moov' (a 'free' box); the index
    goes into that room, so no sample offset moves and 'moov' stays in front, where
    readers such as exiftool look for the index before the media data."""
    table = b"".join(struct.pack(">II", offset, box_size) for offset, box_size in entries)
    index = struct.pack(">I4sII", 16 + len(table), b"gps ", 0x101, len(entries)) + table
    with open(path, "r+b") as f:
        boxes = top_level_boxes(f)
        kinds = [kind for _, _, kind in boxes]
        if b"moov" not in kinds or kinds.index(b"moov") + 1 >= len(kinds) \
                or kinds[kinds.index(b"moov") + 1] != b"free":
            raise LayoutError("the video has no room reserved after its 'moov'")
        at, size, _ = boxes[kinds.index(b"moov")]
        room = boxes[kinds.index(b"moov") + 1][1]
        left = room - len(index)
        if left != 0 and left < 8:
            raise LayoutError("the room after 'moov' is too small for the index")
        f.seek(at)
        moov = f.read(size)
        # Right after 'mvhd', before any track sets a handler type: exiftool takes the
        # index only where no handler is current.
        mvhd_end = 8 + struct.unpack(">I", moov[8:12])[0]
        f.seek(at)
        f.write(struct.pack(">I", size + len(index)) + moov[4:mvhd_end] + index
                + moov[mvhd_end:])
        if left:
            f.write(box_header(b"free", left))


def drop_user_data(path):
    """Turn the 'udta' ffmpeg writes into 'moov' into a 'free' box of the same size, as a
    camera writes none: the handler its 'meta' names would otherwise stay current in
    exiftool, which then passes over a top-level box after 'moov'."""
    with open(path, "r+b") as f:
        at, size, _ = next(box for box in top_level_boxes(f) if box[2] == b"moov")
        child = at + 8
        while child + 8 <= at + size:
            f.seek(child)
            child_size, kind = struct.unpack(">I4s", f.read(8))
            if child_size < 8:
                break
            if kind == b"udta":
                f.seek(child + 4)
                f.write(b"free")
            child += child_size


def set_movie_duration(path, seconds):
    """Make the movie header say the clip lasts `seconds`.

    A sparse clip's picture is kept short so the file is made fast, but a camera's clip
    lasts as long as its records, and readers drop records past the movie's end."""
    with open(path, "r+b") as f:
        boxes = top_level_boxes(f)
        at = next(at for at, _, kind in boxes if kind == b"moov")
        f.seek(at + 8)
        header = f.read(8)
        if header[4:8] != b"mvhd":
            raise LayoutError("the video's 'moov' does not start with 'mvhd'")
        f.seek(at + 16)
        version = f.read(1)[0]
        timing = at + 16 + 4 + (16 if version == 1 else 8)
        f.seek(timing)
        timescale = struct.unpack(">I", f.read(4))[0]
        f.write(struct.pack(">Q" if version == 1 else ">I", seconds * timescale))
