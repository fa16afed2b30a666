"""A clip as a dash camera leaves it when its power is cut while recording: the file type
box, then one media box of unwritten size (0) holding, second after second, that second's
freeGPS block and its video frames, each key frame led by the parameter sets (H.264's SPS
and PPS, H.265's VPS, SPS and PPS) as cameras write them; no movie box. The layout file
names where each frame and block lies, so a test can cut the clip anywhere and know which
frames were whole before the cut."""

import json
import os
import struct
import subprocess

from mkclip_codec import parameter_sets

MIB = 1 << 20


def add_arguments(parser):
    parser.add_argument("--power-cut", metavar="LAYOUT",
                        help="write the clip as a camera leaves it when power is cut (no "
                        "moov, frames and freeGPS blocks interleaved in one open-ended mdat) "
                        "and the offset and size of each frame and block as CSV to LAYOUT, "
                        "with the number each frame is shown as")


def check(parser, args):
    if args.power_cut and (args.layout != "plain" or args.sparse_size is not None
                           or args.container not in ("mp4", "mov") or args.no_embedded):
        parser.error("--power-cut takes the plain layout in an MP4/MOV clip, no --sparse-size")


def video_packets(path, fps):
    """(offset, size, key, shown) of each video packet, in the order they are decoded;
    shown is the number of the picture it holds in the order pictures are shown."""
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                          "packet=pos,size,flags,pts_time", "-of", "json", path],
                         check=True, capture_output=True, text=True).stdout
    return [(int(p["pos"]), int(p["size"]), "K" in p["flags"],
             round(float(p["pts_time"]) * fps)) for p in json.loads(out)["packets"]]


def rewrite(path, records, fps, spacing, gps_block, filler):
    """Replaces the clip at `path` with its power-cut form; the layout's rows."""
    packets = video_packets(path, fps)
    with open(path, "rb") as f:
        data = f.read(packets[-1][0] + packets[-1][1])
    file_type = data[:struct.unpack(">I", data[:4])[0]] if data[4:8] == b"ftyp" else b""
    sets = parameter_sets(data)
    rows = []
    partial = path + ".part"
    with open(partial, "wb") as f:
        f.write(file_type)
        f.write(struct.pack(">I4s", 0, b"mdat"))
        # Cameras reserve room at the start; the track reader searches from 1 MiB on.
        pad = MIB - f.tell()
        f.write(struct.pack(">I4s", pad, b"free") + bytes(pad - 8))
        for second, record in enumerate(records):
            block = f.tell()
            f.write(gps_block(record, spacing))
            rows.append(("block", second, block, spacing, ""))
            if filler:
                filler.write(f, block + spacing)
            f.seek(block + spacing)
            for index in range(second * fps, min((second + 1) * fps, len(packets))):
                offset, size, key, shown = packets[index]
                frame = (sets if key else b"") + data[offset:offset + size]
                rows.append(("frame", index, f.tell(), len(frame), shown))
                f.write(frame)
        f.truncate(f.tell())
    os.replace(partial, path)
    return rows


def write_layout(path, rows):
    with open(path, "w") as f:
        f.write("kind,index,offset,size,shown\n")
        for row in rows:
            f.write(",".join(str(v) for v in row) + "\n")
