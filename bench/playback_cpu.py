#!/usr/bin/env python3
"""CPU time and memory of the player beside mpv alone, playing the same clip.

usage: playback_cpu.py PLAYER CLIP... [--runs N] [--seconds S] [--screen WxH]

Each run starts its own virtual X server, then plays the clips there for S seconds: first in
the player (no sound, quitting by itself), then in `mpv --vo=gpu` with its window the size of
the player's video window, also without sound. Figures per program:

  cpu       user + system seconds of the program and every process it started (the
            player's web engine helpers), all reaped by this script, which makes itself
            the subreaper so that no helper's time escapes;
  main      user + system seconds of the program's own process alone;
  steady    CPU seconds per second of the tree (and of the own process) while the clip
            plays, from --settle seconds after start to the end: start-up left out;
  X         the X server's CPU seconds during the run (both draw through it; mpv's EGL
            output costs it far more than the player's GLX one);
  rss       peak resident memory of the program's own process, sampled;
  tree rss  peak of the summed resident memory of the whole process tree, sampled: a
            library's pages that several of its processes map count once in each;
  tree pss  peak of the summed proportional memory of the tree (each shared page split
            among the processes that map it): what the tree adds to the machine's use.
The memory figures are sampled over the S seconds the clip plays, start-up included: what
a program does as it quits is left out (the player's --grab, which this script uses to see
that the picture was shown, holds a copy of the whole screen for a moment).

Then the median, minimum and maximum of each figure over the runs and the player/mpv ratios.
"""
import argparse
import ctypes
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TICKS = os.sysconf("SC_CLK_TCK")
PR_SET_CHILD_SUBREAPER = 36


def stat_fields(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()


def own_cpu(fields):
    # Fields after the command name: state is [0], utime [11], stime [12], cutime [13],
    # cstime [14].
    return (int(fields[11]) + int(fields[12])) / TICKS


def descendants(root):
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                children.setdefault(int(stat_fields(entry)[1]), []).append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def status_kb(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def pss_kb(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def all_children_cpu():
    usage = os.times()
    return usage.children_user + usage.children_system


def reap_strays(keep):
    """Kills and reaps whatever is left of a run: helpers orphaned to this subreaper."""
    for pid in descendants(os.getpid())[1:]:
        if pid == keep:
            continue
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass
    # Orphans come to this process one generation at a time as their parents die.
    for _ in range(100):
        left = [pid for pid in descendants(os.getpid())[1:] if pid != keep]
        if not left:
            return
        for pid in left:
            try:
                os.kill(pid, signal.SIGKILL)
                os.waitpid(pid, os.WNOHANG)
            except (OSError, ChildProcessError):
                pass
        time.sleep(0.05)


class Sampler(threading.Thread):
    """Samples the process tree: peak memory, and CPU time at each moment, for the rate of
    steady playback once start-up is over."""

    def __init__(self, root, settle, playing):
        super().__init__(daemon=True)
        self.root = root
        self.settle = settle
        self.playing = playing
        self.hwm_kb = 0
        self.tree_kb = 0
        self.tree_pss_kb = 0
        self.first = None  # (moment, {pid: cpu seconds}) once settled
        self.last = None
        self.stop = threading.Event()

    def run(self):
        started = time.monotonic()
        while not self.stop.wait(0.25):
            pids = descendants(self.root)
            now = time.monotonic()
            if now - started < self.playing:
                self.hwm_kb = max(self.hwm_kb, status_kb(self.root, "VmRSS"))
                self.tree_kb = max(self.tree_kb, sum(status_kb(pid, "VmRSS") for pid in pids))
                self.tree_pss_kb = max(self.tree_pss_kb, sum(pss_kb(pid) for pid in pids))
            if now - started < self.settle:
                continue
            cpu = {}
            for pid in pids:
                try:
                    cpu[pid] = own_cpu(stat_fields(pid))
                except (OSError, IndexError, ValueError):
                    pass
            if self.first is None:
                self.first = (now, cpu)
            self.last = (now, cpu)

    def steady(self, pid=None):
        """Per cent of one core between the first settled sample and the last one, of
        the whole tree or of one process; None when the run was too short."""
        if self.first is None or self.last[0] - self.first[0] < 2:
            return None
        (t0, a), (t1, b) = self.first, self.last
        pids = [pid] if pid is not None else b.keys()
        return 100 * sum(b.get(p, 0) - a.get(p, 0) for p in pids) / (t1 - t0)


def run_one(command, env, limit, keep, settle, playing):
    """Runs command to its end, killed after limit seconds; returns its figures."""
    before = all_children_cpu()
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, start_new_session=True,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    sampler = Sampler(process.pid, settle, playing)
    sampler.start()
    output = []
    reader = threading.Thread(target=lambda: output.extend(process.stdout), daemon=True)
    reader.start()
    killer = threading.Timer(limit, lambda: os.killpg(process.pid, signal.SIGKILL))
    killer.start()
    # Waits without reaping, so that the process's own times can still be read.
    os.waitid(os.P_PID, process.pid, os.WEXITED | os.WNOWAIT)
    wall = time.monotonic() - started
    killer.cancel()
    sampler.stop.set()
    sampler.join()
    main = own_cpu(stat_fields(process.pid))
    process.wait()
    reader.join(timeout=5)
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except OSError:
        pass
    reap_strays(keep)
    return {
        "cpu": all_children_cpu() - before,
        "main": main,
        "steady": sampler.steady(),
        "steady_main": sampler.steady(process.pid),
        "rss": sampler.hwm_kb / 1024,
        "tree": sampler.tree_kb / 1024,
        "tree_pss": sampler.tree_pss_kb / 1024,
        "wall": wall,
        "status": process.returncode,
        "timed_out": wall >= limit,
        "out": "".join(output),
    }


class VirtualScreen:
    """An X server of its own for one run, so that no run draws on another's screen."""

    def __init__(self, size):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-screen", "0", f"{size}x24", "-nolisten", "tcp", "-displayfd",
             str(write)], pass_fds=[write], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def cpu(self):
        return own_cpu(stat_fields(self.process.pid))

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def measured(command, env, screen_size, limit, settle, playing):
    screen = VirtualScreen(screen_size)
    try:
        env = dict(env, DISPLAY=screen.display)
        x_before = screen.cpu()
        figures = run_one(command, env, limit, keep=screen.process.pid, settle=settle,
                          playing=playing)
        figures["x"] = screen.cpu() - x_before
        figures["cpu_x"] = figures["cpu"] + figures["x"]
    finally:
        screen.close()
    return figures


def player_run(args, grab):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("WAYLAND_DISPLAY", None)
    command = [args.player, "--no-audio", "--quit-after", str(int(args.seconds * 1000)),
               "--grab", grab, *args.clips]
    figures = measured(command, env, args.screen, args.seconds + 90, args.settle, args.seconds)
    video = re.search(r"^video (\d+)x(\d+)", figures["out"], re.M)
    played = re.search(r"^time (\d+):(\d+):(\d+)/", figures["out"], re.M)
    if figures["status"] != 0 or video is None:
        raise RuntimeError(f"the player failed (status {figures['status']}): {figures['out']}")
    figures["video"] = (int(video.group(1)), int(video.group(2)))
    if played:
        h, m, s = (int(g) for g in played.groups())
        figures["played"] = h * 3600 + m * 60 + s
    return figures


def mpv_run(args, size):
    width, height = size
    command = ["mpv", "--no-config", "--vo=gpu", "--gpu-sw", "--no-audio", "--really-quiet",
               "--osc=no", "--load-scripts=no", "--ytdl=no", "--no-border",
               "--keepaspect-window=no", f"--geometry={width}x{height}+0+0",
               f"--length={args.seconds}", *args.clips]
    figures = measured(command, dict(os.environ), args.screen, args.seconds + 60, args.settle,
                       args.seconds)
    if figures["status"] != 0:
        raise RuntimeError(f"mpv failed (status {figures['status']})")
    return figures


def spread(values):
    return f"{statistics.median(values):7.2f} [{min(values):6.2f} .. {max(values):6.2f}]"


def alternate(args, ways, folder):
    """Plays each way of ways, (label, clips, seconds), in the player once a run, in turn,
    so that the machine's other load falls on all alike. Returns each way's figures."""
    runs = {label: [] for label, _, _ in ways}
    for run in range(1, args.runs + 1):
        for label, clips, seconds in ways:
            args.clips, args.seconds = clips, seconds
            figures = player_run(args, os.path.join(folder, f"{run}-{len(runs[label])}.png"))
            runs[label].append(figures)
            w, h = figures["video"]
            print(f"run {run} {label:9}: picture {w}x{h}, played to "
                  f"{figures.get('played', '?')} s; steady {figures['steady'] or 0:5.1f} % "
                  f"of a core, cpu {figures['cpu']:6.2f} s, X {figures['x']:5.2f} s",
                  flush=True)
    return runs


def compare(ours, theirs, rows):
    """A line per (label, key) of rows: the figure's spread in both, and their ratios."""
    for label, key in rows:
        a = [f[key] or 0 for f in ours]
        b = [f[key] or 0 for f in theirs]
        ratios = [x / y for x, y in zip(a, b) if y > 0]
        print(f"{label:34} {spread(a)}   {spread(b)}   {spread(ratios)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("player")
    parser.add_argument("clips", nargs="+", metavar="clip")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--screen", default="1920x1200")
    parser.add_argument("--settle", type=float, default=6,
                        help="seconds from start before the steady rate is sampled")
    args = parser.parse_args()
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit("playback_cpu: cannot become the subreaper of the runs")

    ours, theirs = [], []
    with tempfile.TemporaryDirectory() as folder:
        for run in range(1, args.runs + 1):
            player = player_run(args, os.path.join(folder, f"grab{run}.png"))
            mpv = mpv_run(args, player["video"])
            ours.append(player)
            theirs.append(mpv)
            w, h = player["video"]
            print(f"run {run}: video {w}x{h}, player played to {player.get('played', '?')} s "
                  f"in {player['wall']:.1f} s; mpv {mpv['wall']:.1f} s", flush=True)
            for name, f in (("  player", player), ("  mpv", mpv)):
                print(f"{name:8} cpu {f['cpu']:6.2f} s (own process {f['main']:6.2f} s), "
                      f"X server {f['x']:5.2f} s, rss {f['rss']:5.0f} MB, "
                      f"tree rss {f['tree']:5.0f} MB, tree pss {f['tree_pss']:5.0f} MB",
                      flush=True)
                print(f"{'':8} steady playback {f['steady'] or 0:5.1f} % of a core "
                      f"(own process {f['steady_main'] or 0:5.1f} %)", flush=True)

    print(f"\nover {args.runs} runs, median [min .. max]:"
          f"{'player':>22}{'mpv --vo=gpu':>26}{'ratio':>24}")
    compare(ours, theirs, (
        ("CPU s, with web engine helpers", "cpu"),
        ("CPU s, own process only", "main"),
        ("steady playback, % of a core", "steady"),
        ("steady playback, own process %", "steady_main"),
        ("X server CPU s", "x"),
        ("CPU s, helpers and X server", "cpu_x"),
        ("peak RSS MB, own process", "rss"),
        ("peak RSS MB, process tree", "tree"),
        ("peak PSS MB, process tree", "tree_pss")))


if __name__ == "__main__":
    main()
