#include "evidence/ExcerptJob.h"

#include "evidence/EvidenceLog.h"
#include "evidence/ExcerptCommand.h"
#include "evidence/ExcerptGpx.h"
#include "evidence/ExcerptSeconds.h"
#include "evidence/NmeaCues.h"
#include "evidence/OverlayCaptions.h"
#include "track/ClipSound.h"
#include "track/ClipTrack.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

// ffprobe lists a clip's packets in a fraction of a second (it demuxes, never decodes);
// this only stops a damaged file from holding the caller forever.
constexpr int kProbeMilliseconds = 30'000;

// The time of the last key frame at or before `at`, where stream copy must start, counted
// like `at` from the clip's start (ffmpeg's -ss counts so; a clip's first time need not be
// 0); nothing, with `why` naming the clip, when the clip cannot be probed.
std::optional<double> KeyframeAtOrBefore(const std::string& clip, double at, QString& why) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                            "packet=pts_time,flags:format=start_time", "-of", "csv=p=0",
                            QString::fromStdString(clip)});
    if (!probe.waitForFinished(kProbeMilliseconds) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        probe.kill();
        probe.waitForFinished();
        const QString error = QString::fromLocal8Bit(probe.readAllStandardError()).trimmed();
        why = error.isEmpty()
                  ? QStringLiteral("%1: cannot read its video").arg(QString::fromStdString(clip))
                  : error.split('\n').last();
        return std::nullopt;
    }
    std::vector<double> keyframes;
    double start = 0;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        bool number = false;
        const double time = fields.value(0).toDouble(&number);
        if (number && fields.size() == 1) {
            start = time; // the format's line, after the packets'
        } else if (number && fields.value(1).startsWith('K')) {
            keyframes.push_back(time);
        }
    }
    std::optional<double> keyframe;
    for (const double time : keyframes) {
        // A millisecond's slack: a time typed as 10.000 names the key frame stored at 9.99999.
        if (time - start <= at + 1e-3 && (!keyframe || time - start > *keyframe)) {
            keyframe = time - start;
        }
    }
    if (!keyframe) {
        why = QStringLiteral("%1: no key frame before the start").arg(QString::fromStdString(clip));
    }
    return keyframe;
}

bool RegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool WriteFile(const QString& path, const std::string& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size()) &&
           file.flush();
}

// A new empty file in `folder`, hidden and named after the output, for ffmpeg to fill. Made
// with the user's usual permissions (unlike a temporary file's owner-only ones), since it
// becomes the excerpt they hand over.
QString NewPartial(const QString& folder, const QString& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QStringLiteral("%1/.%2.%3.part")
                                 .arg(folder, name)
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return path;
        }
        // Only a name taken already is worth another try.
        if (!QFileInfo::exists(path)) {
            break;
        }
    }
    return {};
}

} // namespace

double KeyframeSnapSeconds(const ExcerptRequest& request) {
    if (request.overlay || request.pieces.empty()) {
        return 0;
    }
    const ExcerptPiece& first = request.pieces.front();
    QString why;
    const std::optional<double> keyframe = KeyframeAtOrBefore(first.clip, first.from, why);
    return keyframe ? std::max(first.from - *keyframe, 0.0) : 0;
}

ExcerptJob::ExcerptJob(QObject* parent) : QObject(parent) {}

ExcerptJob::~ExcerptJob() {
    Cancel();
}

bool ExcerptJob::Running() const {
    return m_process != nullptr;
}

QString ExcerptJob::Error() const {
    return m_error;
}

bool ExcerptJob::Fail(const QString& why) {
    m_error = why;
    qCWarning(lcEvidence).noquote() << "excerpt:" << why;
    RemovePartials();
    m_work.reset();
    return false;
}

bool ExcerptJob::Start(const ExcerptRequest& request) {
    if (Running()) {
        return Fail(QStringLiteral("an excerpt is being made already"));
    }
    m_error.clear();
    m_lastErrorLine.clear();
    if (request.pieces.empty()) {
        return Fail(QStringLiteral("no clip given"));
    }
    for (const ExcerptPiece& piece : request.pieces) {
        if (!std::isfinite(piece.from) || !std::isfinite(piece.to) || piece.from < 0 ||
            piece.to <= piece.from) {
            return Fail(QStringLiteral("the end must come after the start in %1")
                            .arg(QString::fromStdString(piece.clip)));
        }
        if (!RegularFile(piece.clip)) {
            return Fail(
                QStringLiteral("not a clip file: %1").arg(QString::fromStdString(piece.clip)));
        }
    }
    for (const std::string& clip : request.beside) {
        if (!clip.empty() && !RegularFile(clip)) {
            return Fail(QStringLiteral("not a clip file: %1").arg(QString::fromStdString(clip)));
        }
    }
    const QFileInfo output(QString::fromStdString(request.output));
    if (request.output.empty() || !output.absoluteDir().exists() || output.isDir()) {
        return Fail(QStringLiteral("no folder to write %1 in").arg(output.filePath()));
    }
    for (const ExcerptPiece& piece : request.pieces) {
        std::error_code error;
        if (std::filesystem::equivalent(piece.clip, request.output, error)) {
            return Fail(QStringLiteral("the excerpt would replace its own clip %1")
                            .arg(QString::fromStdString(piece.clip)));
        }
    }

    std::vector<std::unique_ptr<ClipTrack>> tracks;
    std::vector<const ClipTrack*> trackOf;
    std::vector<ExcerptSpan> spans;
    for (const ExcerptPiece& piece : request.pieces) {
        tracks.push_back(std::make_unique<ClipTrack>());
        tracks.back()->Load(piece.clip);
        trackOf.push_back(tracks.back().get());
        double start = piece.from;
        if (!request.overlay) {
            QString why;
            const std::optional<double> keyframe = KeyframeAtOrBefore(piece.clip, piece.from, why);
            if (!keyframe) {
                return Fail(why);
            }
            start = std::min(*keyframe, piece.from);
        }
        spans.push_back({start, piece.to, ClipHasSound(piece.clip)});
    }
    m_snap = std::max(request.pieces.front().from - spans.front().start, 0.0);
    m_spans = spans;
    const std::vector<ExcerptSecond> seconds = ExcerptSeconds(trackOf, spans);
    m_length = ExcerptLength(spans);

    m_work = std::make_unique<QTemporaryDir>();
    if (!m_work->isValid()) {
        return Fail(QStringLiteral("no temporary folder: %1").arg(m_work->errorString()));
    }
    ExcerptFiles files;
    const std::string srt = NmeaSrt(seconds);
    if (!srt.empty()) {
        files.nmeaSrt = m_work->filePath("track.srt").toStdString();
    }
    files.captionsAss = m_work->filePath("captions.ass").toStdString();
    files.concatList = m_work->filePath("pieces.txt").toStdString();

    const QString folder = output.absolutePath();
    m_output = output.absoluteFilePath();
    m_gpx = folder + "/" + output.completeBaseName() + ".gpx";
    m_partial = NewPartial(folder, output.fileName());
    m_partialGpx = NewPartial(folder, output.completeBaseName() + ".gpx");
    if (m_partial.isEmpty() || m_partialGpx.isEmpty()) {
        return Fail(QStringLiteral("cannot write in %1").arg(folder));
    }
    files.output = m_partial.toStdString();

    const ExcerptCommand command = BuildExcerptCommand(request, spans, files);
    const std::string gpx = ExcerptGpx(seconds, output.completeBaseName().toStdString());
    const bool written =
        (files.nmeaSrt.empty() || WriteFile(QString::fromStdString(files.nmeaSrt), srt)) &&
        (!request.overlay || WriteFile(QString::fromStdString(files.captionsAss),
                                       OverlayAss(seconds, request.kmh, request.text, m_length))) &&
        (command.concatList.empty() ||
         WriteFile(QString::fromStdString(files.concatList), command.concatList)) &&
        WriteFile(m_partialGpx, gpx);
    if (!written) {
        return Fail(QStringLiteral("cannot write the excerpt's track files"));
    }

    QStringList arguments;
    for (const std::string& argument : command.arguments) {
        arguments << QString::fromStdString(argument);
    }
    m_process = new QProcess(this);
    m_progressBuffer.clear();
    m_errorBuffer.clear();
    connect(m_process, &QProcess::readyReadStandardOutput, this, &ExcerptJob::ReadProgress);
    connect(m_process, &QProcess::readyReadStandardError, this, &ExcerptJob::ReadErrors);
    connect(m_process, &QProcess::finished, this, &ExcerptJob::Finished);
    m_started = std::chrono::steady_clock::now();
    m_process->start("ffmpeg", arguments);
    if (!m_process->waitForStarted()) {
        const QString why = QStringLiteral("cannot run ffmpeg: %1").arg(m_process->errorString());
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
        return Fail(why);
    }
    return true;
}

void ExcerptJob::ReadProgress() {
    m_progressBuffer += m_process->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_progressBuffer.indexOf('\n')) >= 0) {
        const std::string line = m_progressBuffer.left(end).trimmed().toStdString();
        m_progressBuffer.remove(0, end + 1);
        double done = 0;
        if (!ProgressSeconds(line, done) || m_length <= 0) {
            continue;
        }
        const double fraction = std::clamp(done / m_length, 0.0, 1.0);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
        emit progress(fraction, fraction > 0 ? elapsed * (1 - fraction) / fraction : -1);
        if (m_process == nullptr) {
            return; // cancelled from a slot of the signal
        }
    }
}

void ExcerptJob::ReadErrors() {
    m_errorBuffer += m_process->readAllStandardError();
    for (const QByteArray& line : m_errorBuffer.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            m_lastErrorLine = QString::fromLocal8Bit(line.trimmed());
        }
    }
    // Only the unfinished last line is kept for the next read.
    m_errorBuffer = m_errorBuffer.mid(m_errorBuffer.lastIndexOf('\n') + 1);
}

void ExcerptJob::Finished(int exitCode, QProcess::ExitStatus status) {
    ReadProgress();
    ReadErrors();
    if (status != QProcess::NormalExit || exitCode != 0) {
        End(false, m_lastErrorLine.isEmpty()
                       ? QStringLiteral("ffmpeg stopped with status %1").arg(exitCode)
                       : m_lastErrorLine);
        return;
    }
    std::error_code error;
    std::filesystem::rename(m_partial.toStdString(), m_output.toStdString(), error);
    if (!error) {
        m_partial.clear();
        std::filesystem::rename(m_partialGpx.toStdString(), m_gpx.toStdString(), error);
    }
    if (error) {
        End(false, QStringLiteral("cannot name the excerpt %1: %2")
                       .arg(m_output, QString::fromStdString(error.message())));
        return;
    }
    m_partialGpx.clear();
    emit progress(1.0, 0.0);
    End(true, QString());
}

void ExcerptJob::End(bool ok, const QString& why) {
    if (m_process != nullptr) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    if (!ok) {
        Fail(why);
    }
    RemovePartials();
    m_work.reset();
    emit finished(ok, why);
}

void ExcerptJob::Cancel() {
    if (m_process == nullptr) {
        return;
    }
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished();
    End(false, QStringLiteral("cancelled"));
}

void ExcerptJob::RemovePartials() {
    for (QString* partial : {&m_partial, &m_partialGpx}) {
        if (!partial->isEmpty()) {
            QFile::remove(*partial);
            partial->clear();
        }
    }
}
