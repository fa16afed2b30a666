#!/usr/bin/env python3
"""CPU of the player playing a drive across its clip boundaries beside one of its clips
played alone.

usage: drive_cpu.py PLAYER CLIP... [--runs N] [--settle S] [--screen WxH]

The clips, back to back, make one drive. Each run plays the whole drive in the player for
all but the last few seconds of it, so that playback crosses every boundary, and each clip
in turn alone for all but its last second, in virtual X servers of their own, without
sound, alternating so that the machine's other load falls on both alike. The figures are
those of playback_cpu.py (the process tree and the X server); steady playback, from --settle
seconds after start, is the one to compare: the runs are of different lengths.
"""
import argparse
import ctypes
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import playback_cpu  # noqa: E402


def length(clip):
    return float(subprocess.run(
        ["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", clip],
        capture_output=True, text=True, check=True).stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("player")
    parser.add_argument("clips", nargs="+", metavar="clip")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--screen", default="1920x1200")
    parser.add_argument("--settle", type=float, default=6)
    args = parser.parse_args()
    if len(args.clips) < 2:
        sys.exit("drive_cpu: a drive needs two clips or more")
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(playback_cpu.PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit("drive_cpu: cannot become the subreaper of the runs")

    lengths = [length(clip) for clip in args.clips]
    drive = sum(lengths) - min(5.0, lengths[-1] / 2)
    ways = [("drive", args.clips, drive)]
    ways += [(f"alone {n + 1}", [clip], seconds - 1)
             for n, (clip, seconds) in enumerate(zip(args.clips, lengths))]
    print(f"a drive of {len(args.clips)} clips ({', '.join(f'{s:.0f}' for s in lengths)} s) "
          f"played {drive:.0f} s; each clip alone", flush=True)
    with tempfile.TemporaryDirectory() as folder:
        runs = playback_cpu.alternate(args, ways, folder)
    alone = [f for label, _, _ in ways[1:] for f in runs[label]]
    # Each run's drive against the mean of its clips alone, so that a run's load falls on
    # both sides of its ratio.
    per_run = [{key: sum(runs[label][i][key] or 0 for label, _, _ in ways[1:]) / len(ways[1:])
                for key in ("steady", "steady_main")} for i in range(args.runs)]

    print(f"\nover {args.runs} runs, median [min .. max]:"
          f"{'drive':>22}{'clips alone':>26}{'ratio':>24}")
    playback_cpu.compare(runs["drive"], per_run, (
        ("steady playback, % of a core", "steady"),
        ("steady playback, own process %", "steady_main")))
    print(f"{'every run of a clip alone, %':34} "
          f"{playback_cpu.spread([f['steady'] or 0 for f in alone])}")


if __name__ == "__main__":
    main()
