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

    runs = {"with rear": [], "alone": []}
    with tempfile.TemporaryDirectory() as folder:
        for run in range(1, args.runs + 1):
            for label, clip in (("with rear", args.with_rear), ("alone", args.alone)):
                args.clip = clip
                figures = playback_cpu.player_run(
                    args, os.path.join(folder, f"{run}-{label.replace(' ', '-')}.png"))
                runs[label].append(figures)
                w, h = figures["video"]
                print(f"run {run} {label:9}: picture {w}x{h}, played to "
                      f"{figures.get('played', '?')} s; steady {figures['steady'] or 0:5.1f} % "
                      f"of a core, cpu {figures['cpu']:6.2f} s, X {figures['x']:5.2f} s",
                      flush=True)

    def row(label, key):
        a = [f[key] or 0 for f in runs["with rear"]]
        b = [f[key] or 0 for f in runs["alone"]]
        ratios = [x / y for x, y in zip(a, b) if y > 0]
        print(f"{label:34} {playback_cpu.spread(a)}   {playback_cpu.spread(b)}   "
              f"{playback_cpu.spread(ratios)}")

    print(f"\nover {args.runs} runs, median [min .. max]:"
          f"{'with rear':>22}{'front alone':>26}{'ratio':>24}")
    row("steady playback, % of a core", "steady")
    row("CPU s, with web engine helpers", "cpu")
    row("CPU s, helpers and X server", "cpu_x")
    row("peak RSS MB, own process", "rss")


if __name__ == "__main__":
    main()
