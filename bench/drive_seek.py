#!/usr/bin/env python3
"""Seeks across a long drive through the player's window, timed from the screen.

usage: drive_seek.py PLAYER FOLDER --clips N [--clip-seconds S] [--fps F] [--rounds R]

FOLDER holds one drive of N clips of S seconds each, back to back, whose frames carry their
number and their clip's number in binary (tools/mkclip.py --frame-code --clip-code). The
player plays it in a virtual X server; once the drive timeline shows under the picture,
this script clicks on it (xdotool) at places far apart, a few seconds between clicks, while
ffmpeg grabs the picture's corner 60 times a second with the wall clock's time. For each
click: the drive second the click asks for (from the timeline's ends, found on the screen),
the clip and frame the picture landed on, and the time from the click to the first grab
showing them. A landing more than one pixel's worth of seconds from the place asked for is
a wrong seek and counts as failed.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import picture_holds  # noqa: E402
import playback_cpu  # noqa: E402

# The player's window opens at the screen's corner, 800x600. Its picture is drawn 500
# pixels wide a little below the title; the drive timeline lies under it, in the left 510
# pixels, between the picture and the playlist.
GRAB = (0, 30, 260, 80)  # x, y, width, height: the picture's corner and both rows of squares
LEFT_PANE = 510
TIMELINE_ROWS = (330, 480)
# Where each seek lands: fractions of the drive, start, middle and end, back and forth.
PLACES = (0.5, 0.0, 0.97, 0.25, 0.75, 0.03, 0.999, 0.5, 0.1, 0.9)


def screenshot(display, width, height):
    picture = subprocess.run(
        ["ffmpeg", "-v", "error", "-nostdin", "-f", "x11grab", "-video_size",
         f"{width}x{height}", "-i", f"{display}+0,0", "-frames:v", "1", "-pix_fmt", "gray",
         "-f", "rawvideo", "-"], capture_output=True, check=True).stdout
    return picture if len(picture) == width * height else None


def band_row_extent(picture, width, y, above):
    """The run of the clip bands across row y: pixels that differ from row `above` (the
    event marks' row, bare in this drive), holes of up to 3 pixels (the position line, drawn
    on both rows) closed. The longest run; the event list's box is the short one."""
    differs = [picture[y * width + x] != picture[above * width + x] for x in range(LEFT_PANE)]
    best, start, last = (0, 0), None, None
    for x, d in enumerate(differs):
        if not d:
            continue
        if start is None or x - last > 4:
            start = x
        last = x
        if last + 1 - start > best[1] - best[0]:
            best = (start, last + 1)
    return best


def find_timeline(picture, width):
    """(row, left, right) of the drive timeline's clip bands, or None while none shows: a
    drive of many clips draws a band edge every few pixels, so the bands are the first ten
    rows in a row of the left pane that each change value more than 100 times; the row
    read is in their middle."""
    def busy(y):
        row = picture[y * width:y * width + LEFT_PANE]
        return sum(1 for a, b in zip(row, row[1:]) if a != b) > 100
    for top in range(*TIMELINE_ROWS):
        if all(busy(y) for y in range(top, top + 10)):
            y = top + 5
            left, right = band_row_extent(picture, width, y, top - 4)
            return (y, left, right) if right - left > 200 else None
    return None


def grab_times(log):
    """Each grab's wall-clock time: its pts in microseconds (-use_wallclock_as_timestamps
    with -copyts), since showinfo's pts_time prints too few digits for that."""
    times = []
    for line in open(log, errors="replace"):
        found = re.search(r"\bn:\s*\d+\s+pts:\s*(\d+)", line)
        if found:
            times.append(int(found.group(1)) / 1e6)
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("player")
    parser.add_argument("folder")
    parser.add_argument("--clips", type=int, required=True)
    parser.add_argument("--clip-seconds", type=float, default=60)
    parser.add_argument("--fps", type=float, default=10)
    parser.add_argument("--rounds", type=int, default=3, help="times through the places")
    parser.add_argument("--pause", type=float, default=3, help="seconds between clicks")
    args = parser.parse_args()
    span = args.clips * args.clip_seconds
    places = PLACES * args.rounds

    screen = playback_cpu.VirtualScreen("1280x800")
    env = dict(os.environ, DISPLAY=screen.display, QT_QPA_PLATFORM="xcb",
               QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("WAYLAND_DISPLAY", None)
    seconds = 60 + len(places) * (args.pause + 1)
    player = subprocess.Popen([args.player, "--no-audio", "--quit-after",
                               str(int(seconds * 1000)), args.folder], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    grabber = None
    try:
        with tempfile.TemporaryDirectory() as work:
            timeline, waited = None, time.monotonic()
            while timeline is None:
                if time.monotonic() - waited > 45 or player.poll() is not None:
                    sys.exit("drive_seek: the drive timeline never showed")
                time.sleep(0.5)
                picture = screenshot(screen.display, 800, 600)
                timeline = picture and find_timeline(picture, 800)
            print(f"drive timeline after {time.monotonic() - waited:.1f} s", flush=True)

            x, y, w, h = GRAB
            raw, log = os.path.join(work, "grab.raw"), os.path.join(work, "grab.log")
            with open(log, "w") as log_file:
                grabber = subprocess.Popen(
                    ["ffmpeg", "-v", "info", "-nostdin", "-y", "-use_wallclock_as_timestamps",
                     "1", "-f", "x11grab", "-framerate", "60", "-draw_mouse", "0",
                     "-video_size", f"{w}x{h}", "-i", f"{screen.display}+{x},{y}", "-copyts",
                     "-vf", "format=gray,showinfo", "-fps_mode", "passthrough", "-f",
                     "rawvideo", raw], stderr=log_file, env=env)
                time.sleep(2)
                clicks = []
                for n, place in enumerate(places):
                    # The line marking the position sits on the band's left end at first:
                    # the ends are read again once a seek has moved it away.
                    if n == 1:
                        found = find_timeline(screenshot(screen.display, 800, 600), 800)
                        timeline = found or timeline
                        print(f"timeline bands from x {timeline[1]} to {timeline[2]} on row "
                              f"{timeline[0]}", flush=True)
                    row, left, right = timeline
                    at = left + round(place * (right - 1 - left))
                    subprocess.run(["xdotool", "mousemove", str(at), str(row)], env=env,
                                   check=True)
                    time.sleep(0.2)
                    # Timed from before xdotool starts: its click reaches the X server a few
                    # milliseconds later (it then sleeps 100 ms before it exits), so the
                    # figure errs long.
                    before = time.time()
                    subprocess.run(["xdotool", "click", "1"], env=env, check=True)
                    clicks.append((before, at))
                    time.sleep(args.pause)
                grabber.terminate()
                grabber.wait()
            report(raw, log, clicks, timeline, span, args)
    finally:
        if grabber and grabber.poll() is None:
            grabber.kill()
        if player.poll() is None:
            os.killpg(player.pid, 9)
        player.wait()
        screen.close()


def report(raw, log, clicks, timeline, span, args):
    x, y, w, h = GRAB
    box = 13 * 500 / 320  # a square of the 320-wide clip, drawn 500 pixels wide
    times = grab_times(log)
    frames = picture_holds.frame_numbers(raw, w, h, box)
    clip_numbers = picture_holds.frame_numbers(raw, w, h, box, row=1)
    count = min(len(times), len(frames))
    if count < 2:
        sys.exit("drive_seek: nothing was captured")
    shown = [(times[i], clip_numbers[i] * args.clip_seconds + frames[i] / args.fps,
              clip_numbers[i], frames[i]) for i in range(count)]
    print(f"{count} grabs, {(count - 1) / (times[count - 1] - times[0]):.0f} a second")
    results = []
    _, left, right = timeline
    # The second under a pixel, as the timeline works it out; one pixel's worth either way,
    # and a frame, is as near as a click can ask.
    reach = span / (right - left) + 1 / args.fps
    for n, (clicked, at) in enumerate(clicks):
        asked = (at - left) * span / (right - left)
        landed = next((s for s in shown if s[0] >= clicked and abs(s[1] - asked) <= reach),
                      None)
        ends = clicks[n + 1][0] if n + 1 < len(clicks) else float("inf")
        label = f"seek {n + 1:2}: to {asked:7.1f} s (clip {int(asked // args.clip_seconds):3})"
        if landed is None or landed[0] >= ends:
            print(f"{label}: never showed")
            results.append(None)
            continue
        took = (landed[0] - clicked) * 1000
        results.append(took)
        print(f"{label}: landed on clip {landed[2]:3} frame {landed[3]:4} ({landed[1]:7.1f} s) "
              f"{took:5.0f} ms after the click")
    if None in results:
        print(f"worst: {results.count(None)} seek(s) never showed their frame")
        return
    print(f"worst of {len(results)} seeks: {max(results):.0f} ms, median "
          f"{sorted(results)[len(results) // 2]:.0f} ms")


if __name__ == "__main__":
    main()
