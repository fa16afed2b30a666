#!/usr/bin/env python3
"""How long the player's picture stood still, read from a screen capture of its window.

Each frame of the clips played carries its number in binary across the picture's top-left
corner (tools/mkclip.py --frame-code: 12 squares, lowest bit first, white for 1). The capture
is the window's corner holding the picture's as raw grey frames (RAW) with ffmpeg's showinfo lines (LOG) giving
each grab's time. Every grab's frame number is read back; where the number falls (one clip
ended, the next began) is a boundary.

Prints the longest hold at each boundary (the last frame of one clip or the first of the
next, whichever stood longer), and the longest hold of any frame elsewhere.
usage: picture_holds.py RAW LOG WIDTH HEIGHT SCALE LABEL
"""
import re
import sys

BITS = 12


def grab_times(log):
    times = []
    for line in open(log, errors="replace"):
        found = re.search(r"\bn:\s*\d+.*\bpts_time:([0-9.]+)", line)
        if found:
            times.append(float(found.group(1)))
    return times


def stark(value):
    return value < 12 or value > 200


def corner(frame, width, height):
    """The picture's top-left corner in a grab: the first row, then the first column, of
    pure black or white (the frame number's squares) on the window's dark grey."""
    for y in range(height):
        for x in range(width // 2):
            if stark(frame[y * width + x]):
                return x, y
    return None


def frame_numbers(raw, width, height, box, row=0):
    """The number each grab shows in the given row of squares (the frame number is row 0;
    a clip's own number, where the clip maker drew one, row 1)."""
    size = width * height
    with open(raw, "rb") as f:
        frames = []
        while True:
            frame = f.read(size)
            if len(frame) < size:
                break
            frames.append(frame)
    if not frames:
        return []
    # Found once, on a grab from the middle of the run, when the picture surely shows.
    found = corner(frames[len(frames) // 2], width, height)
    if found is None:
        return [0] * len(frames)
    left, top = found
    numbers = []
    for frame in frames:
        y = top + int((row + 0.5) * box)
        number = 0
        for bit in range(BITS):
            x = left + int((bit + 0.5) * box)
            if x < width and y < height and frame[y * width + x] > 128:
                number |= 1 << bit
        numbers.append(number)
    return numbers


def runs(times, numbers):
    """(first time shown, how long shown, number) for each stretch of one number."""
    out = []
    start = 0
    for i in range(1, len(numbers) + 1):
        if i == len(numbers) or numbers[i] != numbers[start]:
            end = times[i] if i < len(numbers) else times[-1]
            out.append((times[start], end - times[start], numbers[start]))
            start = i
    return out


def main():
    raw, log, width, height, scale, label = sys.argv[1:7]
    width, height, scale = int(width), int(height), float(scale)
    times = grab_times(log)
    numbers = frame_numbers(raw, width, height, 26 * scale)
    count = min(len(times), len(numbers))
    times, numbers = times[:count], numbers[:count]
    if count < 2:
        sys.exit(f"picture_holds: {label}: nothing was captured")
    rate = (count - 1) / (times[-1] - times[0])
    stretches = runs(times, numbers)
    # Only frames that went on by one count as playback: anything else is the window
    # before the picture, a black frame, or a corner the capture does not see.
    stepped = sum(1 for a, b in zip(stretches, stretches[1:]) if b[2] == a[2] + 1)
    if stepped < len(stretches) / 2:
        sys.exit(f"picture_holds: {label}: the frame numbers do not count up; the picture is "
                 "not where the capture looks")
    boundaries = [i for i in range(1, len(stretches))
                  if stretches[i][2] < stretches[i - 1][2] and stretches[i - 1][2] > 10]
    print(f"{label}: {count} grabs, {rate:.0f} a second")
    at_boundary = set()
    for i in boundaries:
        hold = max(stretches[i - 1][1], stretches[i][1])
        at_boundary.update({i - 1, i})
        print(f"  boundary at {stretches[i][0] - times[0]:6.2f} s: frame {stretches[i - 1][2]} "
              f"-> {stretches[i][2]}, longest hold {hold * 1000:.0f} ms")
    # The first and the last stretch are the window before playback and after its end.
    inner = [s for i, s in enumerate(stretches[1:-1], 1) if i not in at_boundary]
    if inner:
        worst = max(inner, key=lambda s: s[1])
        print(f"  longest hold elsewhere: {worst[1] * 1000:.0f} ms "
              f"(frame {worst[2]} at {worst[0] - times[0]:.2f} s)")


if __name__ == "__main__":
    main()
