#!/usr/bin/env python3
"""Make synthetic dash-camera clips for Ostvik's tests, benchmarks and demo.

A clip is a small H.264 video (H.265 with --codec h265) made by ffmpeg,
followed (for MP4/MOV) by one extra top-level 'mdat' box that carries one
binary "freeGPS" record per second of a synthetic drive: the car waits,
pulls away, cruises, slows for a corner, turns by 90 degrees, brakes and
stops; longer drives repeat such trips, turning left and right in turn.
Optional companions are the camera's text log (.TXT beside the clip), a plain
NMEA log and a CSV of the drive's ground truth computed from exactly the
values stored in the clip.

Only the Python standard library and the ffmpeg command are needed. The drive
is made in mkclip_drive.py and each camera's record layout in mkclip_layouts.py.
"""

import datetime
import os
import random
import struct
import subprocess
import sys
import tempfile
from mkclip_drive import make_drive
from mkclip_layouts import (LAYOUTS, LAYOUT_LENGTHS, decimal_degrees, gpgga, gprmc, gps_block,
                            seventymai_gps_box)

import mkclip_sources
from mkclip_boxes import (LayoutError, add_gps_index, box_header, drop_user_data,
                          set_movie_duration, top_level_boxes)
from mkclip_args import (FRAME_CODE_BITS, MIB, READER_START, SPARSE_VIDEO_SECONDS, build_parser,
                         check_args)
import mkclip_codec
import mkclip_gpmf
import mkclip_insta360
import mkclip_ligo
import mkclip_powercut
import mkclip_sony
import mkclip_ts
import mkclip_tesla
import mkclip_dji
from mkclip_navitel import navitel_boxes
from mkclip_kenwood import kenwood_user_data
import mkclip_transcend
import mkclip_vantrue
from mkclip_texttrack import (TEXT_TRACK_LAYOUTS, fill_text_track, payloads,
                              placeholder_subtitles)

LAYOUTS.update({"vantrue-s1": mkclip_vantrue.s1_fields,
                "transcend": mkclip_transcend.transcend_fields})
LAYOUT_LENGTHS.update({"vantrue-s1": mkclip_vantrue.S1_LENGTH,
                       "transcend": mkclip_transcend.TRANSCEND_LENGTH})

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FILLER_SEED = 20240602
FILLER_CHUNK = 4 * MIB
CONTAINERS = {".mp4": "mp4", ".mov": "mov", ".avi": "avi", ".ts": "mpegts"}


# ---------------------------------------------------------------- video


def burn_filter(records, seconds):
    """One caption per second: a caption must not change within its second."""
    parts = []
    for r in records[:seconds]:
        s = r.second
        parts.append(
            f"drawtext=fontfile={FONT}:text='{s} s   {r.speed_kmh:.1f} km/h'"
            f":x=8:y=h-th-8:fontsize=18:fontcolor=white:box=1:boxcolor=black@0.6"
            f":enable='gte(t,{s})*lt(t,{s + 1})'")
    return ",\n".join(parts)


def frame_code_box(width):
    """Side of one bit's square in the frame-number strip of a picture `width` wide."""
    return max(8, width // 24)


def frame_code_filter(width, clip_code=None):
    """Each frame's number in binary across the top-left corner, lowest bit first: a white
    square for a 1, black for a 0, so a reader of a scaled or composed picture can tell
    exactly which frame of which clip it shows. A clip code is a second row under it, the
    same on every frame, for drives of clips whose frames count from 0 alike."""
    box = frame_code_box(width)
    rows = 1 if clip_code is None else 2
    parts = [f"drawbox=x=0:y=0:w={box * FRAME_CODE_BITS}:h={box * rows}:color=black:t=fill"]
    for bit in range(FRAME_CODE_BITS):
        parts.append(f"drawbox=x={bit * box}:y=0:w={box}:h={box}:color=white:t=fill"
                     f":enable='mod(floor(n/{1 << bit}),2)'")
        if clip_code is not None and clip_code >> bit & 1:
            parts.append(f"drawbox=x={bit * box}:y={box}:w={box}:h={box}:color=white:t=fill")
    return ",\n".join(parts)


srt_time = mkclip_sources.srt_time


def data_subtitles(records, seconds):
    """SRT text with one cue per second of video, holding that second's track line."""
    cues = []
    for r in records[:seconds]:
        s = r.second
        cues.append(f"{s + 1}\n{srt_time(s)} --> {srt_time(s + 1)}\n"
                    f"T:{s * 1000} {sensor_line(r)}\n")
    return "\n".join(cues)


def write_video(path, container, seconds, size, fps, burn_records, subtitles, colour=None,
                moov_room=0, created=None, frame_code=False, moov_last=False,
                encoder_options=("-c:v", "libx264"), clip_code=None):
    if colour:
        source = f"color=c={colour}:size={size}:rate={fps}:duration={seconds}"
    else:
        source = f"testsrc2=size={size}:rate={fps}:duration={seconds}"
    cmd = ["ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", source]
    with tempfile.NamedTemporaryFile("w", suffix=".filter") as script, \
            tempfile.NamedTemporaryFile("w", suffix=".srt") as cues:
        if subtitles:
            cues.write(subtitles)
            cues.flush()
            cmd += ["-i", cues.name, "-map", "0:v", "-map", "1:s", "-c:s", "mov_text"]
        # A script file, since a long clip's captions exceed the argument limit.
        filters = []
        if burn_records:
            filters.append(burn_filter(burn_records, seconds))
        if frame_code:
            filters.append(frame_code_filter(int(size.split("x")[0]), clip_code))
        if filters:
            script.write(",\n".join(filters))
            script.flush()
            cmd += ["-filter_script:v", script.name]
        cmd += [*encoder_options, "-pix_fmt", "yuv420p", "-fflags", "+bitexact",
                "-flags:v", "+bitexact", "-map_metadata", "-1"]
        if created:
            cmd += ["-metadata", f"creation_time={created:%Y-%m-%dT%H:%M:%S}Z"]
        if moov_room:
            cmd += ["-moov_size", str(moov_room)]
        elif container in ("mp4", "mov") and not moov_last:
            cmd += ["-movflags", "+faststart"]
        cmd += ["-f", container, path]
        subprocess.run(cmd, check=True)


# ---------------------------------------------------------------- embedded records


def first_box_at(video_end, first_marker):
    """File offset of the first record box, leaving room for a padding box."""
    right_after = video_end + 16
    earliest = right_after + 8
    if first_marker is None:
        return right_after if right_after >= READER_START else max(READER_START, earliest)
    if first_marker - 4 < earliest:
        raise LayoutError(f"--first-block-at {first_marker} leaves no room for the 8-byte "
                          f"padding box; the smallest allowed here is {earliest + 4}")
    return first_marker - 4


class Filler:
    """Seeded random bytes standing in for video data where padding would be a hole."""

    def __init__(self):
        self.chunk = memoryview(random.Random(FILLER_SEED).randbytes(FILLER_CHUNK))
        assert b"freeGPS" not in self.chunk
        self.at = 0

    def write(self, f, end):
        while f.tell() < end:
            count = min(end - f.tell(), len(self.chunk) - self.at)
            f.write(self.chunk[self.at:self.at + count])
            self.at = (self.at + count) % len(self.chunk)


def append_records(path, records, first_box, spacing, total=None, layout="plain", filler=None):
    """Append the records' 'mdat'; padding is left as holes so big files stay cheap,
    unless a Filler writes it. Returns the offset of each record's box."""
    pad = filler.write if filler else lambda f, end: None
    with open(path, "r+b") as f:
        mdat = f.seek(0, os.SEEK_END)
        f.write(box_header(b"mdat", 0, large=True))
        gap = first_box - f.tell()
        if gap:
            f.write(box_header(b"free", gap))
            pad(f, first_box)
        for i, record in enumerate(records):
            f.seek(first_box + i * spacing)
            f.write(gps_block(record, spacing, layout))
            pad(f, first_box + (i + 1) * spacing)
        end = first_box + len(records) * spacing
        if total is not None and total > end:
            f.seek(end)
            f.write(box_header(b"free", total - end))
            pad(f, total)
            end = total
        f.truncate(end)
        f.seek(mdat)
        f.write(box_header(b"mdat", end - mdat, large=True))
    return [first_box + i * spacing for i in range(len(records))]


def sparse_count(total, first_box, spacing):
    """Records that fit before `total`, keeping any tail big enough for a box."""
    count = (total - first_box) // spacing
    if 0 < total - first_box - count * spacing < 8:
        count -= 1
    if count < 1:
        raise LayoutError(f"--sparse-size {total} holds no record at this spacing")
    return count


# ---------------------------------------------------------------- BlackVue


def unix_ms(when):
    return int(when.replace(tzinfo=datetime.timezone.utc).timestamp() * 1000)


def blackvue_gps(records):
    """NMEA lines, each after the '[unix ms]' stamp of its second."""
    lines = []
    for r in records:
        stamp = f"[{unix_ms(r.when)}]"
        lines += [stamp + gprmc(r), stamp + gpgga(r)]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def blackvue_3gf(records, per_second=10):
    """10-byte big-endian records, ten a second, 128 counts to 1 g (the drive's 1/64 g
    counts doubled), ended by 0xFFFFFFFF."""
    out = bytearray()
    for r in records:
        for k in range(per_second):
            out += struct.pack(">I3h", r.second * 1000 + k * (1000 // per_second),
                               *(2 * count + k for count in r.raw))
    return bytes(out + b"\xff" * 10)


def append_blackvue(path, records):
    """A top-level 'free' box holding 'gps ' and '3gf ', as BlackVue cameras write."""
    gps, g3f = blackvue_gps(records), blackvue_3gf(records)
    children = box_header(b"gps ", 8 + len(gps)) + gps + box_header(b"3gf ", 8 + len(g3f)) + g3f
    with open(path, "ab") as f:
        f.write(box_header(b"free", 8 + len(children)) + children)


# ---------------------------------------------------------------- text logs


def sensor_line(r):
    x, y, z = (count / 64 for count in r.raw)
    return f"X:{x:f} Y:{y:f} Z:{z:f} G:{0:f} {gprmc(r)}"


def sidecar_line(r, dollar_every):
    line_number = r.second + 1
    if dollar_every and line_number % dollar_every == 0:
        return gprmc(r)
    return sensor_line(r)


def write_lines(path, lines):
    with open(path, "w", encoding="ascii", newline="") as f:
        f.writelines(line + "\r\n" for line in lines)


def write_truth(path, records):
    lines = ["second,latitude,longitude,speed_kmh,course,x_raw,y_raw,z_raw,status"]
    for r in records:
        lat = decimal_degrees(r.lat, r.lat_hemi)
        lon = decimal_degrees(r.lon, r.lon_hemi)
        lines.append(",".join(map(str, (r.second, lat, lon, r.speed_kmh, r.course,
                                         *r.raw, r.status))))
    with open(path, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------- command line


def plan(args):
    """Drive length, video length and (for --sparse-size) the first record box."""
    if args.sparse_size is None:
        seconds = args.seconds or 10
        return seconds, seconds, None
    # The short video is far below 1 MiB, so the layout can be fixed before it
    # exists and checked afterwards.
    planned_box = first_box_at(0, args.first_block_at)
    seconds = sparse_count(args.sparse_size, planned_box, args.block_spacing)
    return seconds, SPARSE_VIDEO_SECONDS, planned_box


def embed(args, records, planned_box):
    if args.layout == "ligo-trailer":
        mkclip_ligo.append_trailer(args.output, records)
        return
    if args.layout == "ligo-ts":
        mkclip_ts.add_gps_stream(args.output, records, lambda record, counter:
                                 mkclip_ligo.ts_packets(record, counter, args.straddle))
        return
    if args.container == "mpegts":
        mkclip_ts.add_gps_stream(args.output, records)
        return
    if args.layout == "tesla":
        return
    if args.layout == "blackvue":
        append_blackvue(args.output, records)
        return
    if args.layout in ("70mai-box", "navitel", "kenwood"):
        drop_user_data(args.output)
        writers = {"70mai-box": seventymai_gps_box, "navitel": navitel_boxes,
                   "kenwood": kenwood_user_data}
        with open(args.output, "ab") as f:
            f.write(writers[args.layout](records))
        return
    if args.layout == "gopro":
        mkclip_gpmf.add_gpmd_track(args.output, records, top_level_boxes,
                                   args.block_spacing if args.sparse_size else None)
        return
    if args.layout == "ligo-ssmd":
        mkclip_ligo.add_ssmd_track(args.output, records, top_level_boxes)
        return
    if args.layout == "vantrue-n2s":
        mkclip_vantrue.add_fmas_track(args.output, records, top_level_boxes,
                                      args.block_spacing if args.sparse_size else None)
        return
    if args.layout == "dji-djmd":
        mkclip_dji.add_djmd_track(args.output, records, top_level_boxes)
        return
    if args.layout == "insta360":
        mkclip_insta360.append_trailer(args.output, records)
        return
    if args.layout == "camm":
        mkclip_insta360.add_camm_track(args.output, records, top_level_boxes)
        return
    if args.layout == "sony-rtmd":
        mkclip_sony.add_rtmd_track(args.output, records, top_level_boxes)
        return
    if args.layout in TEXT_TRACK_LAYOUTS:
        fill_text_track(args.output, payloads(args.layout, records))
        return
    first_box = first_box_at(os.path.getsize(args.output), args.first_block_at)
    if planned_box is not None and first_box != planned_box:
        raise LayoutError("the video is too large for --sparse-size's layout")
    boxes = append_records(args.output, records, first_box, args.block_spacing,
                           args.sparse_size, args.layout,
                           Filler() if args.filler == "random" else None)
    if args.index:
        if boxes and boxes[-1] > 0xFFFFFFFF:
            raise LayoutError("the index holds 32-bit offsets; the records reach past 4 GiB")
        add_gps_index(args.output, [(offset, args.block_spacing) for offset in boxes])


def main(argv=None):
    parser = build_parser(__doc__.split("\n\n")[0])
    args = parser.parse_args(argv)
    base, ext = os.path.splitext(args.output)
    container = CONTAINERS.get(ext.lower())
    check_args(parser, args, container)
    mkclip_powercut.check(parser, args)
    mkclip_ligo.check(parser, args)
    mkclip_codec.check(parser, args)
    try:
        seconds, video_seconds, planned_box = plan(args)
    except LayoutError as error:
        sys.exit(f"mkclip: {error}")
    if args.hard_brake is not None and not 1 <= args.hard_brake < seconds - 4:
        parser.error("--hard-brake needs a SECOND inside the drive, with four seconds after it")
    records = make_drive(seconds, args.origin, args.start, args.status, args.hard_brake,
                         args.steady)

    try:
        # Room for the video's own 'moov' and the index after it.
        moov_room = 65536 + 8 * len(records) if args.index else 0
        subtitles = None
        if args.data_subtitles:
            subtitles = data_subtitles(records, video_seconds)
        elif args.nmea_subtitles is not None:
            subtitles = mkclip_sources.nmea_subtitles(
                records, video_seconds, lambda r: (gprmc(r), gpgga(r)), args.nmea_subtitles)
        elif args.layout in TEXT_TRACK_LAYOUTS and not args.no_embedded:
            subtitles = placeholder_subtitles(payloads(args.layout, records[:video_seconds]))
        created = args.start if "70mai" in args.sidecar_kind or args.layout == "camm" else None
        if args.layout == "tesla" and not args.no_embedded:
            mkclip_tesla.write_clip(args.output, container, records, video_seconds, args.size,
                                    args.fps)
        else:
            write_video(args.output, container, video_seconds, args.size, args.fps,
                        records if args.burn else None, subtitles, args.colour, moov_room,
                        created, args.frame_code,
                        moov_last=args.layout in ("gopro", "70mai-box", "ligo-ssmd", "navitel",
                                                  "kenwood", "vantrue-n2s", "dji-djmd", "camm",
                                                  "sony-rtmd"),
                        encoder_options=mkclip_codec.encoder_options(args),
                        clip_code=args.clip_code)
    except subprocess.CalledProcessError:
        sys.exit("mkclip: ffmpeg failed (its message is above)")
    if args.power_cut:
        mkclip_powercut.write_layout(args.power_cut, mkclip_powercut.rewrite(
            args.output, records, args.fps, args.block_spacing,
            lambda record, size: gps_block(record, size, args.layout),
            Filler() if args.filler == "random" else None))
    elif container != "avi" and not args.no_embedded:
        try:
            embed(args, records, planned_box)
            if args.sparse_size is not None:
                set_movie_duration(args.output, seconds)
        except LayoutError as error:
            # A clip without its records would only mislead whoever uses it.
            os.remove(args.output)
            sys.exit(f"mkclip: {error}")
    if args.sidecar:
        write_lines(base + ".TXT",
                    [sidecar_line(r, args.sidecar_dollar_every) for r in records])
    if "blackvue" in args.sidecar_kind:
        with open(base + ".gps", "wb") as f:
            f.write(blackvue_gps(records))
        with open(base + ".3gf", "wb") as f:
            f.write(blackvue_3gf(records))
    if "nmea" in args.sidecar_kind:
        write_lines(base + ".NMEA", [s for r in records for s in (gpgga(r), gprmc(r))])
    if "70mai" in args.sidecar_kind:
        mkclip_sources.write_seventymai_log(args.output, [
            mkclip_sources.seventymai_line(r, unix_ms(r.when) // 1000,
                                           decimal_degrees(r.lat, r.lat_hemi),
                                           decimal_degrees(r.lon, r.lon_hemi))
            for r in records])
    if args.nmea_log:
        write_lines(args.nmea_log, [s for r in records for s in (gpgga(r), gprmc(r))])
    if args.truth:
        write_truth(args.truth, records)


if __name__ == "__main__":
    main()
