// The playlist's drives: which drive the playing clip is in, its second on the drive's axis,
// seeks and event jumps across the drive's clips, and the headers of the drives in the list.
#include "library/CPlaylistDlg.h"

#include "library/CClipListModel.h"
#include "library/CPlaylistDrives.h"
#include "library/ClipWarming.h"
#include "library/DriveHeader.h"
#include "library/IClipTrackSession.h"
#include "library/IPlaylistVideoPane.h"
#include "track/DriveAxis.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Whether a clip of another drive, or one alone, is listed between the first and the last
// of `paths`: an entry whose file is gone belongs to no drive and does not count.
bool StrangerAmong(const CClipListModel& list, const QStringList& paths) {
    int first = list.count();
    int last = -1;
    for (const QString& path : paths) {
        const int row = list.find(path);
        if (row != -1) {
            first = std::min(first, row);
            last = std::max(last, row);
        }
    }
    for (int row = first + 1; row < last; ++row) {
        const QString path = list.text(row);
        if (!paths.contains(path) && QFileInfo::exists(path)) {
            return true;
        }
    }
    return false;
}

bool SameClips(const Drive& a, const Drive& b) {
    return std::equal(
        a.clips.begin(), a.clips.end(), b.clips.begin(), b.clips.end(),
        [](const DriveClip& x, const DriveClip& y) { return x.main.path == y.main.path; });
}

} // namespace

void CPlaylistDlg::EnterDrive() {
    const DriveOfClip now = m_drives->DriveOf(QFile::encodeName(m_currentFile).toStdString());
    const bool changed = now.drive != m_drive.drive;
    m_drive = now;
    if (changed) {
        emit driveEntered(m_drive.drive);
    }
    if (m_drive.drive == nullptr) {
        ShowLoneClipEvents();
        return;
    }
    const Drive& drive = m_drive.drive->drive;
    if (m_drive.clip + 1 < drive.clips.size()) {
        WarmClipPages(QFile::decodeName(drive.clips[m_drive.clip + 1].main.path.c_str()));
    }
    FollowClipSecond(m_clipSecond);
}

void CPlaylistDlg::ShowLoneClipEvents() {
    m_loneDrive = m_drives->LoneClipDrive(QFile::encodeName(m_currentFile).toStdString());
    emit loneClipEventsShown(m_loneDrive);
}

void CPlaylistDlg::FollowClipSecond(double clipSecond) {
    m_clipSecond = clipSecond;
    if (m_drive.drive == nullptr) {
        return;
    }
    m_driveSecond = DriveSecondOf(m_drive.drive->drive, m_drive.clip, clipSecond);
    emit driveSecondShown(m_driveSecond);
}

bool CPlaylistDlg::OpenInDrive(const QString& path) {
    m_timeline.reset();
    const DriveOfClip place = m_drives->DriveOf(QFile::encodeName(path).toStdString());
    if (place.drive == nullptr || place.drive->drive.clips.size() < 2) {
        return false;
    }
    QStringList clips;
    for (const DriveClip& clip : place.drive->drive.clips) {
        clips.push_back(QFile::decodeName(clip.main.path.c_str()));
    }
    if (!m_video->OpenDrive(clips, static_cast<int>(place.clip))) {
        return false;
    }
    m_timeline = place.drive;
    return true;
}

void CPlaylistDlg::JoinDriveTimeline() {
    // Later in a clip the reopen would hold the picture mid-drive; its end opens the next
    // clip with the drive anyway.
    constexpr double kJoinWithin = 2.0;
    if (m_timeline != nullptr || m_drive.drive == nullptr ||
        m_drive.drive->drive.clips.size() < 2 || m_video == nullptr || !m_video->ClipOpen()) {
        return;
    }
    const bool paused = m_video->Paused();
    const double second = m_video->PlayTime();
    if (!paused && second > kJoinWithin) {
        return;
    }
    if (!OpenInDrive(m_currentFile)) {
        return;
    }
    if (paused) {
        m_video->HoldPausedOnStart();
    }
    if (second > 0) {
        m_video->SeekClip(second);
    }
}

void CPlaylistDlg::FollowDriveClip(const QString& path) {
    if (path == m_currentFile) {
        return;
    }
    const bool embedded = LoadClipTrack(path);
    if (!embedded && m_track != nullptr) {
        m_track->LoadLogs();
    }
    const int row = m_list->find(path);
    if (row != -1) {
        m_list->select(row);
    }
    m_clipSecond = 0.0;
    EnterDrive();
}

void CPlaylistDlg::PlayAfterEnd() {
    if (m_drive.drive == nullptr || m_currentFile.isEmpty()) {
        PlayNext();
        return;
    }
    const Drive& drive = m_drive.drive->drive;
    if (m_drive.clip + 1 < drive.clips.size()) {
        PlayItem(m_list->find(QFile::decodeName(drive.clips[m_drive.clip + 1].main.path.c_str())));
    }
}

void CPlaylistDlg::SeekInDrive(double driveSecond) {
    // Held here: opening another clip may move the current drive.
    const std::shared_ptr<const LoadedDrive> loaded = m_drive.drive;
    if (loaded == nullptr) {
        return;
    }
    const DrivePlace place = PlaceInDrive(loaded->drive, driveSecond);
    const QString path = QFile::decodeName(loaded->drive.clips[place.clip].main.path.c_str());
    // A clip played to the drive's end is no longer open: a seek opens it again.
    const bool open = m_video != nullptr && m_video->ClipOpen();
    // Played as one, the drive moves in one step and stays paused or playing as it was.
    if (open && m_timeline == loaded &&
        m_video->SeekDriveClip(static_cast<int>(place.clip), place.second)) {
        FollowClipSecond(place.second);
        return;
    }
    if (path != m_currentFile || m_drive.drive != loaded || !open) {
        const bool paused = m_video != nullptr && m_video->Paused();
        PlayItem(m_list->find(path));
        if (m_currentFile != path || m_drive.drive != loaded) {
            return;
        }
        if (paused) {
            m_video->HoldPausedOnStart();
        }
    }
    if (m_video != nullptr && m_video->SeekClip(place.second)) {
        FollowClipSecond(place.second);
    }
}

void CPlaylistDlg::JumpToDriveEvent(bool forward) {
    if (m_drive.drive == nullptr) {
        // A clip alone is a drive of one clip: its drive seconds are its own.
        const DriveEvent* event = m_loneDrive != nullptr
                                      ? NextDriveEvent(m_loneDrive->events, m_clipSecond, forward)
                                      : nullptr;
        if (event != nullptr && m_video != nullptr && m_video->SeekClip(event->driveSecond)) {
            FollowClipSecond(event->driveSecond);
        }
        return;
    }
    if (const DriveEvent* event = NextDriveEvent(m_drive.drive->events, m_driveSecond, forward)) {
        SeekInDrive(event->driveSecond);
    }
}

void CPlaylistDlg::LoadDrives() {
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i) {
        paths.push_back(QFile::encodeName(m_list->text(i)).toStdString());
    }
    m_drives->Load(std::move(paths));
}

void CPlaylistDlg::OnDrivesLoaded() {
    // A drive's header stands above the first of its clips in the list's order, which is
    // the order they were added in and not always the drive's; a clip added after others
    // (a locked clip from the Event folder) moves up to stand with the rest of its drive.
    QHash<QString, QString> headers;
    for (const auto& loaded : m_drives->Drives()) {
        if (loaded->drive.clips.size() < 2) {
            continue;
        }
        QStringList paths;
        for (const DriveClip& clip : loaded->drive.clips) {
            paths.push_back(QFile::decodeName(clip.main.path.c_str()));
        }
        if (StrangerAmong(*m_list, paths)) {
            m_list->gather(paths);
        }
        int first = -1;
        for (const DriveClip& clip : loaded->drive.clips) {
            const int row = m_list->find(QFile::decodeName(clip.main.path.c_str()));
            if (row != -1 && (first == -1 || row < first)) {
                first = row;
            }
        }
        if (first != -1) {
            headers.insert(m_list->text(first), DriveHeaderText(loaded->drive));
        }
    }
    m_list->setDriveHeaders(std::move(headers));
    if (!m_currentFile.isEmpty()) {
        EnterDrive();
        // The list's drives are made anew on every change; the one playing as one timeline
        // is still it while its clips are the same.
        if (m_timeline != nullptr && m_drive.drive != nullptr &&
            SameClips(m_timeline->drive, m_drive.drive->drive)) {
            m_timeline = m_drive.drive;
        }
        JoinDriveTimeline();
    }
}
