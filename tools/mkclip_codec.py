"""The video codec a clip is encoded with: H.264 (libx264, an avc1 sample entry), as most
dash cameras record, or H.265 (libx265, an hvc1 sample entry with its hvcC), as newer ones
do; and the parameter sets of either's sample entry, which a camera writes again in front of
each key frame."""

import struct

ENCODERS = {"h264": "libx264", "h265": "libx265"}


def add_arguments(parser):
    parser.add_argument("--codec", choices=sorted(ENCODERS), default="h264",
                        help="the video's codec (default h264); h265 is written as cameras "
                        "write it, an hvc1 sample entry")
    parser.add_argument("--gop", type=int, metavar="FRAMES",
                        help="a key frame every FRAMES frames (default: the encoder's own "
                        "choice, which in a short clip is the first frame only)")
    parser.add_argument("--no-b-frames", action="store_true",
                        help="encode the video without B-frames, as dash cameras do")


def check(parser, args):
    if args.codec != "h264" and (args.container not in ("mp4", "mov") or args.layout == "tesla"):
        parser.error("--codec h265 needs an MP4 or MOV clip whose video the maker encodes")
    if args.gop is not None and args.gop < 1:
        parser.error("--gop needs a positive number of frames")


def encoder_options(args):
    options = ["-c:v", ENCODERS[args.codec]]
    if args.codec == "h265":
        # ffmpeg would name the entry hev1; cameras write hvc1, which players of every
        # platform take.
        options += ["-tag:v", "hvc1", "-x265-params", "log-level=error"]
    if args.gop is not None:
        options += ["-g", str(args.gop)]
    if args.no_b_frames:
        options += ["-bf", "0"]
    return options


def avc_parameter_sets(data):
    """The SPS and PPS of the clip's avcC, each behind a 4-byte length."""
    at = data.index(b"avcC") + 4
    sets = b""
    count = data[at + 5] & 0x1F
    at += 6
    for _ in range(2):
        for _ in range(count):
            length = struct.unpack(">H", data[at:at + 2])[0]
            sets += struct.pack(">I", length) + data[at + 2:at + 2 + length]
            at += 2 + length
        count = data[at]
        at += 1
    return sets


# VPS, SPS and PPS: the hvcC's other arrays (x265 puts its banner there as an SEI unit) are
# no part of what a camera repeats before a key frame.
HEVC_SET_TYPES = (32, 33, 34)


def hevc_parameter_sets(data):
    """The VPS, SPS and PPS of the clip's hvcC, each behind a 4-byte length."""
    at = data.index(b"hvcC") + 4 + 22
    arrays = data[at]
    at += 1
    sets = b""
    for _ in range(arrays):
        kind = data[at] & 0x3F
        count = struct.unpack(">H", data[at + 1:at + 3])[0]
        at += 3
        for _ in range(count):
            length = struct.unpack(">H", data[at:at + 2])[0]
            if kind in HEVC_SET_TYPES:
                sets += struct.pack(">I", length) + data[at + 2:at + 2 + length]
            at += 2 + length
    return sets


def parameter_sets(data):
    """The parameter sets of the clip's sample entry, whichever codec it holds."""
    return hevc_parameter_sets(data) if b"hvcC" in data else avc_parameter_sets(data)
