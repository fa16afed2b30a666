#!/usr/bin/env python3
"""Makes the clips, sidecar logs and ground truths the pipeline tests read.

usage: make_test_clips.py MKCLIP OUTDIR
"""
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
]


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    mkclip, out = sys.argv[1], Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for name, args in CLIPS:
        clip = out / name
        truth = out / (clip.stem + ".truth.csv")
        command = [sys.executable, mkclip, str(clip), "--truth", str(truth)]
        command += [a.replace("{out}", str(out)) for a in args]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            print(f"make_test_clips: {name} failed:\n{result.stderr}", file=sys.stderr)
            return 1
    print(f"made {len(CLIPS)} clips in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
