#!/usr/bin/env python3
"""CPU of the player with a second camera's picture beside the same clip alone.

usage: channels_cpu.py PLAYER WITH_REAR ALONE [--runs N] [--seconds S] [--screen WxH]

WITH_REAR is a front clip with its rear clip beside it, ALONE the same front clip in a
folder of its own. Each run plays both in the player, in virtual X servers of their own,
for S seconds without sound, alternating so that the machine's other load falls on both
alike; the figures are those of playback_cpu.py (the process tree and the X server).
"""
import argparse
import ctypes
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import playback_cpu  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("player")
    parser.add_argument("with_rear")
    parser.add_argument("alone")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--screen", default="1920x1200")
    parser.add_argument("--settle", type=float, default=6)
    args = parser.parse_args()
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(playback_cpu.PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit("channels_cpu: cannot become the subreaper of the runs")

    with tempfile.TemporaryDirectory() as folder:
        runs = playback_cpu.alternate(args, (("with rear", [args.with_rear], args.seconds),
                                             ("alone", [args.alone], args.seconds)), folder)

    print(f"\nover {args.runs} runs, median [min .. max]:"
          f"{'with rear':>22}{'front alone':>26}{'ratio':>24}")
    playback_cpu.compare(runs["with rear"], runs["alone"], (
        ("steady playback, % of a core", "steady"),
        ("CPU s, with web engine helpers", "cpu"),
        ("CPU s, helpers and X server", "cpu_x"),
        ("peak RSS MB, own process", "rss")))


if __name__ == "__main__":
    main()
