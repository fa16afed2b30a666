// The drives of the playlist's clips, loaded off the interface thread. Every clip's track
// is read to group them, which takes seconds on a full card, so the list asks and goes on;
// the drives arrive later with `loaded`. A request made while a load runs makes that load's
// result stale: it is dropped and the newest list is loaded once it ends, so at most one
// load runs and the drives shown always belong to the latest list.
#pragma once

#include "track/LoadedDrive.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

struct DriveOfClip {
    std::shared_ptr<const LoadedDrive> drive; // null when the clip is in no drive of two or more
    size_t clip = 0;                          // its index in the drive's clips
};

class CPlaylistDrives : public QObject {
    Q_OBJECT

public:
    explicit CPlaylistDrives(QObject* parent = nullptr);
    // The object may go while a load runs: its result then reaches nobody.
    ~CPlaylistDrives() override;

    void Load(std::vector<std::string> clipPaths);
    bool Loading() const { return m_running; }

    const std::vector<std::shared_ptr<const LoadedDrive>>& Drives() const { return m_drives; }
    DriveOfClip DriveOf(const std::string& path) const;
    // The drive of one clip that a clip in no longer drive makes on its own, for its events;
    // null while the drives are not loaded.
    std::shared_ptr<const LoadedDrive> LoneClipDrive(const std::string& path) const;

signals:
    void loaded();

private:
    struct Mailbox;

    void Start();
    void Arrive(std::vector<std::shared_ptr<const LoadedDrive>> drives);

    std::shared_ptr<Mailbox> m_mailbox;
    std::vector<std::string> m_paths;
    bool m_running = false;
    bool m_stale = false;
    std::vector<std::shared_ptr<const LoadedDrive>> m_drives;
};
