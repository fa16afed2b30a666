// Makes one evidence excerpt: an MP4 that plays anywhere, with the track inside it as an
// NMEA text track, and the same track beside it as GPX. It drives the `ffmpeg` program as a
// child process rather than linking the libav* libraries: a codec that crashes or hangs
// cannot take the player down, Cancel is a kill, progress comes from "-progress pipe:1",
// and there is no library ABI to follow. Everything is written under temporary names in the
// target folder and renamed only when complete, so a failed or cancelled job leaves nothing.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "evidence/ExcerptRequest.h"
#include "evidence/ExcerptSeconds.h"

// How far a stream-copied excerpt's start moves back to the key frame before `from`, in
// seconds (0 for an overlay excerpt); the dialog states it.
double KeyframeSnapSeconds(const ExcerptRequest& request);

class ExcerptJob : public QObject {
    Q_OBJECT
public:
    explicit ExcerptJob(QObject* parent = nullptr);
    ~ExcerptJob() override;

    bool Start(const ExcerptRequest& request); // false, with Error(), when it cannot start
    void Cancel();                             // kills, removes every partial file
    bool Running() const;
    QString Error() const;
    // After a start: how far a copy's start moved back to the key frame before its mark.
    double SnapSeconds() const { return m_snap; }
    // After a start: where each piece's picture begins and ends in its clip, for the report.
    const std::vector<ExcerptSpan>& Spans() const { return m_spans; }

signals:
    void progress(double fraction, double secondsLeft); // secondsLeft -1 until it can be told
    void finished(bool ok, const QString& why);         // why is empty on success

private:
    bool Fail(const QString& why);
    void ReadProgress();
    void ReadErrors();
    void Finished(int exitCode, QProcess::ExitStatus status);
    void End(bool ok, const QString& why);
    void RemovePartials();

    QProcess* m_process = nullptr;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_error;
    QString m_lastErrorLine;
    QString m_partial;    // the MP4 while ffmpeg writes it
    QString m_partialGpx; // the GPX until the MP4 is complete
    QString m_output;
    QString m_gpx;
    QByteArray m_progressBuffer;
    QByteArray m_errorBuffer;
    double m_length = 0;
    double m_snap = 0;
    std::vector<ExcerptSpan> m_spans;
    std::chrono::steady_clock::time_point m_started;
};
