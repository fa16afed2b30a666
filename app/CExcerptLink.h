// The window's excerpt: the I and O keys and the drive timeline's menu mark its start and end
// where playback is, and the progress slider and the drive timeline show it. While a drive
// plays the marks count in the drive's seconds, so an excerpt may run across its clips; the
// marks of a clip or drive are dropped when another one starts playing.
#pragma once

#include "track/ExcerptMarks.h"

#include <optional>

class CDriveFollowerLink;
class CVideoViewDlg;

class CExcerptLink {
public:
    // Follows the pane's clips as they start and takes the marks its drive timeline asks for.
    CExcerptLink(CVideoViewDlg* video, const CDriveFollowerLink* drives);

    // Nothing while no clip plays.
    void MarkStart();
    void MarkEnd();
    // After a clip started: the marks follow it, or are dropped for a new clip or drive.
    void FollowClip();

    const ExcerptMarks& Marks() const { return m_marks; }

private:
    // The play position in the marks' seconds; nothing while no clip plays.
    std::optional<double> PlaySecond() const;
    void Show();

    CVideoViewDlg* m_video;
    const CDriveFollowerLink* m_drives;
    ExcerptMarks m_marks;
    // The length of the clip last seen open, for a mark at its end once it played out.
    double m_playedLength = 0.0;
};
