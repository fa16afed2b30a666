#include "library/CPlaylistDrives.h"

#include <QThreadPool>

#include <mutex>

// Where a load leaves its result: the owner while it lives. The owner clears it under the
// lock as it goes, so a load never posts to a destroyed object; a result already posted is
// dropped with the object's pending events.
struct CPlaylistDrives::Mailbox {
    std::mutex lock;
    CPlaylistDrives* owner = nullptr;
};

CPlaylistDrives::CPlaylistDrives(QObject* parent)
    : QObject(parent), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->owner = this;
}

CPlaylistDrives::~CPlaylistDrives() {
    const std::lock_guard<std::mutex> hold(m_mailbox->lock);
    m_mailbox->owner = nullptr;
}

void CPlaylistDrives::Load(std::vector<std::string> clipPaths) {
    m_paths = std::move(clipPaths);
    if (m_running) {
        m_stale = true;
        return;
    }
    Start();
}

void CPlaylistDrives::Start() {
    m_running = true;
    m_stale = false;
    // The global pool is waited for when the application ends, so a load never outlives
    // the process's statics.
    QThreadPool::globalInstance()->start([mailbox = m_mailbox, paths = m_paths] {
        auto drives = LoadDrives(paths);
        const std::lock_guard<std::mutex> hold(mailbox->lock);
        if (CPlaylistDrives* owner = mailbox->owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner, drives = std::move(drives)]() mutable { owner->Arrive(std::move(drives)); },
                Qt::QueuedConnection);
        }
    });
}

void CPlaylistDrives::Arrive(std::vector<std::shared_ptr<const LoadedDrive>> drives) {
    m_running = false;
    if (m_stale) {
        Start();
        return;
    }
    m_drives = std::move(drives);
    emit loaded();
}

DriveOfClip CPlaylistDrives::DriveOf(const std::string& path) const {
    for (const auto& drive : m_drives) {
        if (drive->drive.clips.size() < 2) {
            continue;
        }
        if (const std::optional<size_t> clip = drive->ClipIndex(path)) {
            return {drive, *clip};
        }
    }
    return {};
}

std::shared_ptr<const LoadedDrive> CPlaylistDrives::LoneClipDrive(const std::string& path) const {
    for (const auto& drive : m_drives) {
        if (drive->drive.clips.size() == 1 && drive->ClipIndex(path)) {
            return drive;
        }
    }
    return nullptr;
}
