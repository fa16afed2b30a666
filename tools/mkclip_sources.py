"""Track sources of other cameras for mkclip.py: NMEA sentences in a subtitle track
(as Nextbase cameras write them) and a 70mai camera's GPSData log.

Kept apart from mkclip.py, which builds the drive and the video; these only turn a
drive's records into the text each source holds.
"""
import os

# km/h for one unit of a 70mai log's speed, 0.01 m/s
KMH_PER_CENTIMETRE_PER_SECOND = 0.036


def srt_time(seconds):
    return f"{seconds // 3600:02d}:{seconds // 60 % 60:02d}:{seconds % 60:02d},000"


def nmea_subtitles(records, seconds, sentences, skip=0):
    """SRT text with one cue per second of video from second `skip` on, holding the
    sentences `sentences(record)` gives for that second, one a line."""
    cues = []
    for r in records[:seconds]:
        if r.second < skip:
            continue
        cues.append(f"{len(cues) + 1}\n{srt_time(r.second)} --> {srt_time(r.second + 1)}\n"
                    + "".join(s + "\n" for s in sentences(r)))
    return "\n".join(cues)


def seventymai_line(r, unix_time, lat, lon):
    """unix time, status, signed decimal degrees, heading x 100, speed in 0.01 m/s and
    the accelerations in g (the drive's 1/64 g counts)."""
    speed = round(r.speed_kmh / KMH_PER_CENTIMETRE_PER_SECOND)
    heading = round(r.course * 100)
    x, y, z = (count / 64 for count in r.raw)
    return f"{unix_time},{r.status},{lat:.6f},{lon:.6f},{heading},{speed},{x:.4f},{y:.4f},{z:.4f}"


def seventymai_log_path(clip_path):
    """GPS/GPSData000001.txt beside the clip's folder, where 70mai cameras keep it."""
    folder = os.path.dirname(os.path.abspath(clip_path))
    return os.path.join(os.path.dirname(folder), "GPS", "GPSData000001.txt")


def write_seventymai_log(clip_path, lines):
    path = seventymai_log_path(clip_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="ascii", newline="") as f:
        f.write("$V02\n")
        f.writelines(line + "\n" for line in lines)
    return path
