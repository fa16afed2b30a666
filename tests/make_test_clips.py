#!/usr/bin/env python3
"""Makes the clips, sidecar logs and ground truths the pipeline tests read.

usage: make_test_clips.py MKCLIP OUTDIR
"""
import os
import subprocess
import sys
from pathlib import Path

# name, clip maker arguments; every clip also gets a truth CSV named <stem>.truth.csv
CLIPS = [
    ("drive.MP4", ["--seconds", "12"]),
    ("south.MP4", ["--seconds", "6", "--origin=-33.4489,-70.6693"]),
    # No valid fix inside the clip, so the player falls back to the sidecar read as NMEA.
    ("nofix.MP4", ["--seconds", "5", "--status", "V"]),
    ("nofix-log.AVI", ["--seconds", "5", "--nmea-log", "{out}/nofix.TXT"]),
    # A camera that writes only the sidecar log, with bare sentence lines among X lines.
    ("sidecar.MOV", ["--seconds", "8", "--no-embedded", "--sidecar",
                     "--sidecar-dollar-every", "4"]),
    ("plain.AVI", ["--seconds", "6", "--sidecar"]),
    # A fleet's folder tree for the batch export: extensions in any letter case, and path
    # order (mid, zulu, alpha) unlike time order (zulu, mid, alpha).
    ("batch/A/mid.Mp4", ["--seconds", "2", "--fps", "5", "--size", "64x48",
                         "--start", "2024-06-01T12:00:00", "--origin", "60,18"]),
    ("batch/A/sub/zulu.MOV", ["--seconds", "2", "--fps", "5", "--size", "64x48",
                              "--start", "2024-06-01T10:00:00", "--origin", "59,18"]),
    ("batch/b/alpha.mp4", ["--seconds", "2", "--fps", "5", "--size", "64x48",
                           "--start", "2024-06-01T14:00:00", "--origin", "61,18"]),
    # Driving events: two whole trips driven gently, and one trip with a hard stab of the
    # brakes in its cruise, in a folder a camera keeps its locked clips in.
    ("events/smooth.MP4", ["--seconds", "120", "--fps", "5", "--size", "64x48"]),
    # Cameras that keep the track in a text track of the clip.
    ("thinkware.MP4", ["--seconds", "6", "--layout", "thinkware"]),
    ("garmin.MP4", ["--seconds", "6", "--layout", "garmin"]),
    ("events/EVENT/brake.MP4", ["--seconds", "60", "--fps", "5", "--size", "64x48",
                                "--hard-brake", "25"]),
]


def rmc_without_date(latitude: str) -> str:
    body = f"GPRMC,120000.00,A,{latitude},N,01800.0000,E,0,0,,,"
    sum = 0
    for c in body:
        sum ^= ord(c)
    return f"${body}*{sum:02X}\r\n"


def make_batch_extras(batch: Path) -> None:
    """Clips of the batch tree that need no video: two positioned by a log without a date,
    two of the same name without any track, a clip that is a FIFO, and a file that is no
    clip."""
    for clip, latitude in (("b/nodate-a.mp4", "1000.0000"), ("c/nodate-b.MP4", "1100.0000")):
        (batch / clip).parent.mkdir(parents=True, exist_ok=True)
        (batch / clip).write_bytes(b"")
        (batch / clip).with_suffix(".TXT").write_text(rmc_without_date(latitude))
    for clip in ("A/empty.mp4", "c/empty.mp4"):
        (batch / clip).write_bytes(b"")
    stuck = batch / "c" / "stuck.MP4"
    if not stuck.exists():
        os.mkfifo(stuck)
    (batch / "A" / "notes.txt").write_text("not a clip\n")


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    mkclip, out = sys.argv[1], Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for name, args in CLIPS:
        clip = out / name
        clip.parent.mkdir(parents=True, exist_ok=True)
        truth = out / (clip.stem + ".truth.csv")
        command = [sys.executable, mkclip, str(clip), "--truth", str(truth)]
        command += [a.replace("{out}", str(out)) for a in args]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            print(f"make_test_clips: {name} failed:\n{result.stderr}", file=sys.stderr)
            return 1
    make_batch_extras(out / "batch")
    print(f"made {len(CLIPS)} clips in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
