"""Track sources of other cameras for mkclip.py: NMEA sentences in a subtitle track
(as Nextbase cameras write them).

Kept apart from mkclip.py, which builds the drive and the video; these only turn a
drive's records into the text each source holds.
"""


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
