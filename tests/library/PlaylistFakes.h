// Stand-ins for the video pane and the map that the playlist pane drives: the video pane
// refuses an open within a second of the last accepted one on a clock the test moves, and
// both record what they were asked, in order.
#pragma once

#include "library/IClipTrackSession.h"
#include "library/IPlaylistVideoPane.h"
#include "track/ClipTrackLoader.h"

#include <QFile>

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class FakeVideoPane : public IPlaylistVideoPane {
public:
    explicit FakeVideoPane(QStringList* calls) : m_calls(calls) {}

    bool WouldAcceptOpen() const override { return !m_opened || now - m_lastOpen >= 1000; }
    bool OpenClip(const QString& path) override {
        m_calls->append("open " + path);
        if (!WouldAcceptOpen()) {
            return false;
        }
        m_opened = true;
        m_lastOpen = now;
        if (failing.contains(path)) {
            playing.clear();
            return false;
        }
        playing = path;
        return true;
    }
    void StopClip() override {
        m_calls->append("stop");
        playing.clear();
    }
    bool SeekClip(double second) override {
        m_calls->append(QStringLiteral("seek %1").arg(second));
        return !playing.isEmpty();
    }

    uint32_t now = 5000;
    QString playing;
    QSet<QString> failing;

private:
    QStringList* m_calls;
    bool m_opened = false;
    uint32_t m_lastOpen = 0;
};

// Records what the playlist asks of the track's owner; the sidecar's path comes from the
// real loader, which finds it whatever its letter case.
class FakeClipTrack : public IClipTrackSession {
public:
    explicit FakeClipTrack(QStringList* calls) : m_calls(calls) {}

    bool LoadClip(const QString& path) override {
        m_calls->append("track " + path);
        track = path;
        m_loader = std::make_unique<ClipTrackLoader>(QFile::encodeName(path).toStdString());
        return withFix.contains(path);
    }
    void LoadLogs() override { m_calls->append("nmea " + SidecarPath()); }
    QString SidecarPath() const override {
        return m_loader != nullptr ? QFile::decodeName(m_loader->SidecarPath().c_str()) : QString();
    }

    QString track;
    QSet<QString> withFix;

private:
    QStringList* m_calls;
    std::unique_ptr<ClipTrackLoader> m_loader;
};
