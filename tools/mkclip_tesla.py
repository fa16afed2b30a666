"""Tesla dashcam clips for mkclip.py: an H.264 video whose every frame carries a
SeiMetadata protobuf message (Tesla's published dashcam.proto) in a user-data SEI unit,
payload type 5: a 16-byte UUID of 0x42 bytes closed by 0x69, then the message. ffmpeg
makes the video as an Annex B stream, the SEI units go in front of each frame's slice, and
ffmpeg copies the stream into the MP4.

Each second's first frame carries that second's record; the frames after it walk toward
the next second's, so that a reader taking the wrong frame of a second is seen. The car's
state beside the track (gear, pedal, steering, brake, blinkers, autopilot) follows
CAR_STATES, one row a second, over again after the last; its frames after the first of a
second already carry the next second's gear, brake, blinkers and autopilot.
"""
import os
import struct
import subprocess
import tempfile

from mkclip_layouts import decimal_degrees

UUID = b"\x42" * 15 + b"\x69"
G_MS2 = 9.80665
GEAR_PARK, GEAR_DRIVE, GEAR_REVERSE, GEAR_NEUTRAL = 0, 1, 2, 3
AP_NONE, AP_SELF_DRIVING, AP_AUTOSTEER, AP_TACC = 0, 1, 2, 3
# gear, accelerator pedal, steering wheel angle, brake, left and right blinker, autopilot;
# the floats exact in 32 bits, so the values read back are these.
CAR_STATES = [
    (GEAR_PARK, 0.0, 0.0, 1, 0, 0, AP_NONE),
    (GEAR_DRIVE, 12.5, -30.5, 0, 1, 0, AP_NONE),
    (GEAR_DRIVE, 37.25, 12.75, 0, 0, 1, AP_TACC),
    (GEAR_DRIVE, 20.0, 1.5, 0, 0, 0, AP_AUTOSTEER),
    (GEAR_DRIVE, 0.0, -2.25, 1, 0, 0, AP_SELF_DRIVING),
    (GEAR_NEUTRAL, 0.0, 0.0, 1, 1, 1, AP_NONE),
    (GEAR_REVERSE, 5.5, 90.0, 0, 0, 0, AP_NONE),
    (GEAR_PARK, 0.0, 0.0, 1, 0, 0, AP_NONE),
]
SEI_UNIT = 6
USER_DATA_UNREGISTERED = 5
SLICE_UNITS = (1, 5)


def varint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        out.append(byte | (0x80 if value else 0))
        if not value:
            return bytes(out)


def field(number, wire, body):
    return varint(number << 3 | wire) + body


def message(frame):
    """The fields proto3 writes: those that are not zero."""
    parts = [field(1, 0, varint(1))]
    values = [(2, "varint", frame["gear"]), (3, "varint", frame["seq"]),
              (4, "float", frame["speed_mps"]), (5, "float", frame["pedal"]),
              (6, "float", frame["steering"]), (7, "varint", frame["blinker_left"]),
              (8, "varint", frame["blinker_right"]), (9, "varint", frame["brake"]),
              (10, "varint", frame["autopilot"]), (11, "double", frame["lat"]),
              (12, "double", frame["lon"]), (13, "double", frame["heading"]),
              (14, "double", frame["accel"][0]), (15, "double", frame["accel"][1]),
              (16, "double", frame["accel"][2])]
    for number, kind, value in values:
        if not value:
            continue
        if kind == "varint":
            parts.append(field(number, 0, varint(value)))
        elif kind == "float":
            parts.append(field(number, 5, struct.pack("<f", value)))
        else:
            parts.append(field(number, 1, struct.pack("<d", value)))
    return b"".join(parts)


def sei_number(value):
    return b"\xff" * (value // 255) + bytes([value % 255])


def escape(rbsp):
    """Emulation prevention: a 0x03 after two zeros wherever a byte up to 3 follows them."""
    out = bytearray()
    zeros = 0
    for byte in rbsp:
        if zeros >= 2 and byte <= 3:
            out.append(3)
            zeros = 0
        out.append(byte)
        zeros = zeros + 1 if byte == 0 else 0
    return bytes(out)


def sei_unit(body):
    payload = UUID + body
    rbsp = (sei_number(USER_DATA_UNREGISTERED) + sei_number(len(payload)) + payload + b"\x80")
    return bytes([SEI_UNIT]) + escape(rbsp)


def frame_values(records, frame, fps):
    second, step = divmod(frame, fps)
    now = records[min(second, len(records) - 1)]
    later = records[min(second + 1, len(records) - 1)]
    share = step / fps

    def walk(a, b):
        return a + (b - a) * share

    fix = now.status == "A"
    turn = (later.course - now.course + 180.0) % 360.0 - 180.0
    speed_mps = walk(now.speed_kmh, later.speed_kmh) / 3.6
    car = CAR_STATES[second % len(CAR_STATES)]
    next_car = CAR_STATES[(second + 1) % len(CAR_STATES)]
    held = car if step == 0 else next_car
    return {
        "gear": held[0], "seq": frame, "speed_mps": speed_mps,
        "pedal": walk(car[1], next_car[1]), "steering": walk(car[2], next_car[2]),
        "brake": held[3], "blinker_left": held[4], "blinker_right": held[5],
        "autopilot": held[6],
        "lat": walk(decimal_degrees(now.lat, now.lat_hemi),
                    decimal_degrees(later.lat, later.lat_hemi)) if fix else 0.0,
        "lon": walk(decimal_degrees(now.lon, now.lon_hemi),
                    decimal_degrees(later.lon, later.lon_hemi)) if fix else 0.0,
        "heading": (now.course + turn * share) % 360.0,
        "accel": [walk(a, b) / 64 * G_MS2 for a, b in zip(now.raw, later.raw)],
    }


def units(stream):
    """The NAL units of an Annex B stream, without their start codes."""
    starts = []
    at = stream.find(b"\0\0\1")
    while at >= 0:
        starts.append(at + 3)
        at = stream.find(b"\0\0\1", at + 3)
    for k, begin in enumerate(starts):
        end = starts[k + 1] - 3 if k + 1 < len(starts) else len(stream)
        yield stream[begin:end].rstrip(b"\0") if k + 1 < len(starts) else stream[begin:end]


def with_metadata(stream, records, fps):
    out = bytearray()
    frame = 0
    for unit in units(stream):
        # A frame's first slice starts at macroblock 0, a ue(v) of a single 1 bit.
        if unit[0] & 0x1F in SLICE_UNITS and unit[1] & 0x80:
            out += b"\0\0\0\1" + sei_unit(message(frame_values(records, frame, fps)))
            frame += 1
        out += b"\0\0\0\1" + unit
    return bytes(out)


def write_clip(path, container, records, seconds, size, fps):
    with tempfile.TemporaryDirectory() as work:
        plain, marked = os.path.join(work, "plain.h264"), os.path.join(work, "marked.h264")
        subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                        f"testsrc2=size={size}:rate={fps}:duration={seconds}",
                        "-c:v", "libx264", "-bf", "0", "-threads", "1", "-pix_fmt", "yuv420p",
                        "-fflags", "+bitexact", "-flags:v", "+bitexact", "-f", "h264", plain],
                       check=True)
        with open(plain, "rb") as f:
            stream = f.read()
        with open(marked, "wb") as f:
            f.write(with_metadata(stream, records, fps))
        subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "h264", "-framerate",
                        str(fps), "-i", marked, "-c", "copy", "-map_metadata", "-1",
                        "-fflags", "+bitexact", "-f", container, path], check=True)
