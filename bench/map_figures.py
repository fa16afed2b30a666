#!/usr/bin/env python3
"""The map's figures on a real run of the player in a virtual X server.

usage: map_figures.py PLAYER CLIP [PLAYER_BEFORE]

Prints, for each player given: the resident memory of the player's process tree (the
browser's helper processes included), as the sum of RSS and of PSS (shared pages divided
among the processes that map them), sampled while the clip plays; and, for a player with the
map, the time from start to the map page's first SetMarker, from its "ostvik.map" log.
"""
import os
import subprocess
import sys
import threading
import time


def tree(root):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def memory_kb(pid):
    rss = pss = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Rss:"):
                    rss = int(line.split()[1])
                elif line.startswith("Pss:"):
                    pss = int(line.split()[1])
    except OSError:
        pass
    return rss, pss


def find_player(root, exe):
    for pid in tree(root):
        try:
            if os.path.realpath(f"/proc/{pid}/exe") == exe:
                return pid
        except OSError:
            pass
    return None


def measure(player, clip, sample_at=12.0, run_for=16000):
    env = dict(os.environ, QT_LOGGING_RULES="ostvik.map.info=true",
               QTWEBENGINE_DISABLE_SANDBOX="1")
    start = time.monotonic()
    proc = subprocess.Popen(
        ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24", player, "--no-audio",
         "--quit-after", str(run_for), clip],
        stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=env, text=True)
    first_marker = []

    def read_log():
        for line in proc.stderr:
            if "first marker on the page" in line and not first_marker:
                first_marker.append(time.monotonic() - start)

    reader = threading.Thread(target=read_log, daemon=True)
    reader.start()
    time.sleep(sample_at)
    exe = os.path.realpath(player)
    pid = find_player(proc.pid, exe)
    rss = pss = 0
    if pid is not None:
        for member in tree(pid):
            r, p = memory_kb(member)
            rss += r
            pss += p
    proc.wait()
    reader.join(timeout=5)
    return rss / 1024, pss / 1024, (first_marker[0] if first_marker else None)


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    for player in sys.argv[1:2] + sys.argv[3:]:
        rss, pss, first = measure(player, sys.argv[2])
        print(f"{player}: RSS {rss:.0f} MB, PSS {pss:.0f} MB", end="")
        print(f", first SetMarker {first:.2f} s after start" if first is not None else "")
    return 0


if __name__ == "__main__":
    sys.exit(main())
