"""The clip maker's command line: its options, their checks, and the limits they keep to."""
import argparse
import datetime
import sys

import mkclip_codec
import mkclip_ligo
import mkclip_powercut
from mkclip_layouts import LAYOUTS, block_length
from mkclip_texttrack import TEXT_TRACK_LAYOUTS, check_text_track

MIB = 1 << 20
# The reader starts looking 1 MiB into the file and skips 1 MiB + 108 bytes
# past each record it takes, so records closer than this are never seen.
READER_START = MIB
READER_SKIP = MIB + 108
DEFAULT_SPACING = 0x110000
# exiftool only recognises a record box whose size has a zero first and fourth
# byte, i.e. a multiple of 0x100 below 16 MiB.
MAX_SPACING = 1 << 24
SPARSE_VIDEO_SECONDS = 2
FRAME_CODE_BITS = 12
TS_LAYOUTS = ("plain", "ligo-ts", "ligo-trailer")
OTHER_LAYOUTS = ["blackvue", "gopro", "70mai-box", "ligo-ssmd", "ligo-ts", "ligo-trailer", "navitel",
                 "kenwood", "vantrue-n2s", "tesla", "dji-djmd", "insta360", "camm",
                 "sony-rtmd"] + TEXT_TRACK_LAYOUTS


def parse_origin(text):
    try:
        lat, lon = (float(part) for part in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError("expected LAT,LON in decimal degrees")
    if not (-90 < lat < 90 and -180 <= lon <= 180):
        raise argparse.ArgumentTypeError("latitude or longitude out of range")
    return lat, lon


def parse_size(text):
    try:
        width, height = (int(part) for part in text.lower().split("x"))
    except ValueError:
        raise argparse.ArgumentTypeError("expected WIDTHxHEIGHT")
    if width < 16 or height < 16 or width % 2 or height % 2:
        raise argparse.ArgumentTypeError("width and height must be even and >= 16")
    return f"{width}x{height}"


def parse_spacing(text):
    spacing = int(text, 0)
    if spacing % 0x100 or not 0x100 <= spacing < MAX_SPACING:
        raise argparse.ArgumentTypeError(
            f"must be a multiple of 0x100 from 0x100 to below 16 MiB "
            f"(e.g. {spacing // 0x100 * 0x100})")
    return spacing


def byte_count(text):
    value = int(text, 0)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def positive(text):
    value = int(text, 0)
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value


def build_parser(description):
    parser = argparse.ArgumentParser(
        description=description,
        epilog="Negative --origin values need the '=' form: --origin=-33.8688,151.2093. "
               "Byte counts accept 0x hex.")
    parser.add_argument("output", help="clip path; .MP4/.MOV/.AVI (any case) picks the "
                        "container; AVI clips never carry embedded records")
    parser.add_argument("--seconds", type=positive,
                        help="length of video and drive (default 10)")
    parser.add_argument("--size", type=parse_size, default="320x240",
                        help="video size WxH (default 320x240)")
    parser.add_argument("--fps", type=positive, default=10, help="frame rate (default 10)")
    parser.add_argument("--start", type=datetime.datetime.fromisoformat,
                        default=datetime.datetime(2024, 6, 1, 12, 0, 0),
                        help="UTC time of the first record (default 2024-06-01T12:00:00)")
    parser.add_argument("--origin", type=parse_origin, default=(59.3293, 18.0686),
                        help="start position LAT,LON in decimal degrees, negative for "
                        "S/W (default 59.3293,18.0686)")
    parser.add_argument("--status", choices="AV", default="A",
                        help="GPS status of every record (default A)")
    parser.add_argument("--hard-brake", type=int, metavar="SECOND",
                        help="also brake hard once, centred on SECOND (best during a cruise): "
                        "18 km/h lost within a second, about 0.8 g, won back over the next "
                        "three")
    parser.add_argument("--steady", type=float, metavar="KMH",
                        help="drive due north at KMH km/h from the first second to the last "
                        "instead of the trips, so distances are easy to work out by hand")
    parser.add_argument("--burn", action="store_true",
                        help="draw each second's number and speed on the picture")
    parser.add_argument("--frame-code", action="store_true",
                        help="draw each frame's number in binary across the top-left corner "
                             f"({FRAME_CODE_BITS} squares, lowest bit first, white for 1)")
    parser.add_argument("--clip-code", type=int, metavar="N",
                        help="with --frame-code, also draw N (0 to 4095) in binary in a "
                             "second row under the frame number, to tell the clips of a "
                             "drive apart")
    parser.add_argument("--colour", metavar="COLOUR",
                        help="a picture of one colour (an ffmpeg colour: red, 0x00ff00, ...) "
                             "instead of the test pattern")
    parser.add_argument("--no-embedded", action="store_true",
                        help="write no records after the video")
    parser.add_argument("--block-spacing", type=parse_spacing, default=DEFAULT_SPACING,
                        metavar="BYTES", help="distance between records and size of each "
                        "record box (default 0x110000); below 1 MiB + 108 the reader "
                        "skips records, below 0x8000 exiftool misses some")
    parser.add_argument("--first-block-at", type=byte_count, metavar="OFFSET",
                        help="file offset of the first record's 'freeGPS' marker "
                        "(default: the first box starts at 1 MiB, or right after the "
                        "video if that is larger)")
    parser.add_argument("--sparse-size", type=byte_count, metavar="BYTES",
                        help="make the file BYTES long, filled with records every "
                        "--block-spacing bytes; the drive gets one second per record, "
                        f"the video {SPARSE_VIDEO_SECONDS} s; padding is left sparse")
    parser.add_argument("--layout", choices=sorted(LAYOUTS) + OTHER_LAYOUTS, default="plain",
                        help="byte layout of each record: plain (the player's own, km/h), "
                        "viofo (A119 V3/A129/Kenwood), viofo-model (the same after a "
                        "48-byte model name), novatek (A119S), vantrue (N4/Rove), "
                        "azdome (XOR-masked text), nextbase-512gw (NMEA text), shifted-rmc "
                        "($GPRMC with every byte +16), nextbase-512g (big-endian records), "
                        "blackvue (a top-level 'free' box holding 'gps ' NMEA and '3gf ' "
                        "G-sensor records), thinkware (g-sensor and RMC cues in a text track), "
                        "garmin (binary PNDM records in a text track), nextbase-322gw (binary samples "
                        "of clock, accelerations, RMC and GGA in a text track), gopro (GPMF in a gpmd "
                        "track, 18 fixes a second), 70mai-box (a top-level 'GPS ' box), "
                        "ligo-ssmd (LIGOGPSINFO blocks in an ssmd track), ligo-ts (a "
                        "LIGOGPSINFO block a second in a .ts clip's private stream), "
                        "ligo-trailer (a LIGOGPSINFO block of a slot a second in a 'skip' box "
                        "after the movie or the packets, closed by '&&&&' and its size), navitel "
                        "('gps0', 'gsen' and 'IDIT' boxes after the movie), "
                        "kenwood (text records in a top-level 'udta' box), vantrue-s1 "
                        "(the S1's 'horsontech' block), vantrue-n2s (FMAS records in a gpmd "
                        "track), transcend (novatek with doubles after it), "
                        "tesla (a SeiMetadata protobuf in an SEI unit of every frame), "
                        "dji-djmd (Osmo Action 4 protobuf in a djmd track), insta360 (GPS "
                        "records in the Insta360 trailer), camm (GPS and acceleration "
                        "packets in a camm track), sony-rtmd (GPS tags in an rtmd track); "
                        "default plain")
    parser.add_argument("--filler", choices=["holes", "random"], default="holes",
                        help="what lies between the records: holes (sparse, the default) or "
                        "seeded random bytes actually written, standing in for video data")
    parser.add_argument("--index", action="store_true",
                        help="also name every record box in a 'gps ' atom inside 'moov' "
                        "(MP4/MOV)")
    parser.add_argument("--sidecar-kind", choices=["blackvue", "nmea", "70mai"], action="append",
                        default=[], help="also write another maker's log beside the clip: "
                        "blackvue (NAME.gps and NAME.3gf), nmea (NAME.NMEA), 70mai "
                        "(../GPS/GPSData000001.txt, and the clip's creation time set to "
                        "--start); repeatable")
    parser.add_argument("--sidecar", action="store_true",
                        help="also write the camera's text log, same name with .TXT")
    parser.add_argument("--sidecar-dollar-every", type=positive, metavar="K",
                        help="make sidecar lines K, 2K, ... bare $GPRMC lines")
    parser.add_argument("--nmea-log", metavar="PATH",
                        help="also write a GPGGA + GPRMC log, one pair per second")
    parser.add_argument("--data-subtitles", action="store_true",
                        help="also write a subtitle stream (MP4/MOV) with one cue per second "
                        "holding that second's track line, T:<ms> and the sidecar's X line")
    parser.add_argument("--nmea-subtitles", type=int, nargs="?", const=0, metavar="FROM",
                        help="also write a subtitle stream (MP4/MOV) with one cue per second, "
                        "from second FROM (default 0), holding that second's GPRMC and GPGGA")
    parser.add_argument("--truth", metavar="PATH",
                        help="also write the drive as CSV with the stored values")
    mkclip_powercut.add_arguments(parser)
    mkclip_ligo.add_arguments(parser)
    mkclip_codec.add_arguments(parser)
    return parser


def check_args(parser, args, container):
    if container is None:
        parser.error("output must end in .mp4, .mov, .avi or .ts")
    args.container = container
    if args.clip_code is not None and not (args.frame_code and 0 <= args.clip_code < 4096):
        parser.error("--clip-code needs --frame-code and a number from 0 to 4095")
    if container == "mpegts" and (args.layout not in TS_LAYOUTS or args.index or args.sparse_size
                                  or args.data_subtitles or args.nmea_subtitles is not None):
        parser.error("a .ts clip carries the Novatek stream's records or LIGOGPSINFO blocks only")
    if args.sparse_size is not None:
        if args.seconds is not None:
            parser.error("--sparse-size sets the drive length; drop --seconds")
        if args.no_embedded:
            parser.error("--sparse-size needs the embedded records")
    if container == "avi" and (args.sparse_size is not None or args.first_block_at is not None):
        parser.error("AVI clips carry no embedded records")
    if args.layout in OTHER_LAYOUTS and args.index:
        parser.error(f"--index names freeGPS records; --layout {args.layout} writes none")
    if args.layout not in OTHER_LAYOUTS and args.block_spacing < block_length(args.layout):
        parser.error(f"--layout {args.layout} needs a --block-spacing of at least "
                     f"{block_length(args.layout)}")
    if args.index and (container == "avi" or args.no_embedded):
        parser.error("--index needs an MP4 or MOV clip with embedded records")
    if args.data_subtitles and container == "avi":
        parser.error("--data-subtitles needs an MP4 or MOV clip")
    if args.nmea_subtitles is not None and (container == "avi" or args.data_subtitles):
        parser.error("--nmea-subtitles needs an MP4 or MOV clip without --data-subtitles")
    check_text_track(parser, args, container)
    if args.sidecar_dollar_every and not args.sidecar:
        parser.error("--sidecar-dollar-every needs --sidecar")
    if args.start.tzinfo is not None:
        args.start = args.start.astimezone(datetime.timezone.utc).replace(tzinfo=None)
    if args.block_spacing < READER_SKIP:
        print(f"mkclip: note: spacing {args.block_spacing} is below {READER_SKIP}; "
              "Ostvik's reader will skip records", file=sys.stderr)
