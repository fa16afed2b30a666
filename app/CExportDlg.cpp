#include "app/CExportDlg.h"

#include "evidence/ExcerptJob.h"
#include "evidence/ReportPaths.h"
#include "evidence/report/EvidenceReport.h"
#include "playback/VideoPaneRules.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QThreadPool>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kProgressSteps = 1000;

double Length(const ExcerptRequest& excerpt) {
    double seconds = 0;
    for (const ExcerptPiece& piece : excerpt.pieces) {
        seconds += std::max(0.0, piece.to - piece.from);
    }
    return seconds;
}

// A path breaks nowhere for word wrap, and a message naming one was seen cut at the
// dialog's edge: a zero-width space after each separator lets it wrap there.
QString Wrappable(QString text) {
    for (const QChar separator : {QLatin1Char('/'), QLatin1Char('_'), QLatin1Char('-')}) {
        text.replace(separator, QString(separator) + QChar(0x200B));
    }
    return text;
}

} // namespace

CExportDlg::CExportDlg(QWidget* parent) : QDialog(parent), m_job(new ExcerptJob(this)) {
    setWindowTitle(tr("Export excerpt"));
    m_savePathPrompt = [this](const QString& offered) {
        return QFileDialog::getSaveFileName(this, tr("Save excerpt as"), offered,
                                            tr("MP4 video (*.mp4)"));
    };
    m_summary = new QLabel(this);
    m_copy = new QRadioButton(tr("Original quality: the streams copied, not re-encoded"), this);
    m_snap = new QLabel(this);
    m_snap->setWordWrap(true);
    m_overlay = new QRadioButton(
        tr("With overlays: date, time, speed and position burnt in (re-encoded H.264)"), this);
    m_text = new QLineEdit(this);
    m_text->setPlaceholderText(tr("An extra line on the picture: case number, watermark"));
    m_cameras = new QCheckBox(tr("The other cameras' picture in a corner"), this);
    m_report = new QCheckBox(
        tr("A report beside it: a PDF page of the facts and a manifest of SHA-256 hashes"), this);
    m_path = new QLineEdit(this);
    m_browse = new QPushButton(tr("Browse…"), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kProgressSteps);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_export = new QPushButton(tr("Export"), this);
    m_cancel = new QPushButton(tr("Close"), this);
    m_copy->setChecked(true);

    auto* where = new QHBoxLayout;
    where->addWidget(m_path, 1);
    where->addWidget(m_browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_copy);
    layout->addWidget(m_snap);
    layout->addWidget(m_overlay);
    layout->addWidget(m_text);
    layout->addWidget(m_cameras);
    layout->addWidget(m_report);
    layout->addLayout(where);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_copy, &QRadioButton::toggled, this, &CExportDlg::UpdateChoices);
    // An overlay excerpt is the one made for others to see, so it comes with its report
    // unless the user says otherwise.
    connect(m_overlay, &QRadioButton::toggled, m_report, &QCheckBox::setChecked);
    connect(m_browse, &QPushButton::clicked, this, &CExportDlg::Browse);
    connect(m_export, &QPushButton::clicked, this, &CExportDlg::StartExport);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (Running()) {
            CancelExport();
        } else {
            close();
        }
    });
    connect(m_job, &ExcerptJob::progress, this, &CExportDlg::OnProgress);
    connect(m_job, &ExcerptJob::finished, this, &CExportDlg::OnFinished);
    UpdateChoices();
}

CExportDlg::~CExportDlg() {
    // A job cut off by the window closing leaves nothing half written behind.
    if (Running()) {
        m_job->Cancel();
    }
}

void CExportDlg::SetExcerpt(const ExcerptRequest& excerpt, const QString& defaultName) {
    m_excerpt = excerpt;
    const QString folder = m_path->text().isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::MoviesLocation)
                               : QFileInfo(m_path->text()).absolutePath();
    m_path->setText(QDir(folder).filePath(defaultName));
    const double seconds = Length(excerpt);
    const QString first =
        excerpt.pieces.empty()
            ? QString()
            : QFileInfo(QFile::decodeName(excerpt.pieces.front().clip.c_str())).fileName();
    m_summary->setText(
        excerpt.pieces.empty() ? tr("Mark the excerpt's start with I and its end with O first.")
        : excerpt.pieces.size() > 1
            ? tr("%1 of %2 clips from %3 at %4")
                  .arg(TenthsTimeText(seconds))
                  .arg(excerpt.pieces.size())
                  .arg(first, TenthsTimeText(excerpt.pieces.front().from))
            : tr("%1 of %2 from %3")
                  .arg(TenthsTimeText(seconds), first,
                       excerpt.pieces.empty() ? QString()
                                              : TenthsTimeText(excerpt.pieces.front().from)));
    m_cameras->setVisible(!excerpt.beside.empty());
    m_cameras->setChecked(!excerpt.beside.empty());
    m_progress->setValue(0);
    m_status->clear();
    FindKeyframeSnap();
    UpdateChoices();
}

// ffprobe lists every packet of the clip, which takes long for a big one: off the UI
// thread, once per excerpt, and a result for an excerpt since replaced is dropped.
void CExportDlg::FindKeyframeSnap() {
    m_snapSeconds.reset();
    const int probe = ++m_snapProbe;
    if (m_excerpt.pieces.empty()) {
        m_snapSeconds = 0;
        return;
    }
    ExcerptRequest copy = m_excerpt;
    copy.overlay = false;
    QThreadPool::globalInstance()->start([copy, probe, dialog = QPointer<CExportDlg>(this)] {
        const double snap = KeyframeSnapSeconds(copy);
        QMetaObject::invokeMethod(
            qApp,
            [dialog, probe, snap] {
                if (dialog != nullptr && dialog->m_snapProbe == probe) {
                    dialog->m_snapSeconds = snap;
                    dialog->UpdateChoices();
                }
            },
            Qt::QueuedConnection);
    });
}

ExcerptRequest CExportDlg::Request() const {
    ExcerptRequest request = m_excerpt;
    request.overlay = m_overlay->isChecked();
    request.text = request.overlay ? m_text->text().toStdString() : std::string();
    request.kmh = m_kmh;
    if (!request.overlay || !m_cameras->isChecked()) {
        request.beside.clear();
    }
    request.output = QFile::encodeName(m_path->text()).toStdString();
    return request;
}

bool CExportDlg::Running() const {
    return m_job->Running() || m_reporting;
}

void CExportDlg::UpdateChoices() {
    const bool overlay = m_overlay->isChecked();
    m_text->setEnabled(overlay);
    m_cameras->setEnabled(overlay);
    // The copy can only begin on a key frame: the user must know how much earlier it starts.
    const double snap = m_snapSeconds.value_or(0);
    m_snap->setText(!m_snapSeconds ? tr("Finding the key frame at or before the mark…")
                    : snap > 0 ? tr("Its start moves back %1 s, to the key frame before the mark.")
                                     .arg(snap, 0, 'f', 1)
                               : tr("Its start falls on a key frame."));
    m_snap->setEnabled(!overlay);
    const bool running = Running();
    m_export->setEnabled(!running && !m_excerpt.pieces.empty());
    m_report->setEnabled(!running);
    m_cancel->setText(running ? tr("Cancel") : tr("Close"));
    // The report takes a second or two, and leaves nothing half written if the window closes.
    m_cancel->setEnabled(!m_reporting);
}

void CExportDlg::Browse() {
    const QString path = m_savePathPrompt(m_path->text());
    if (!path.isEmpty()) {
        m_path->setText(path);
    }
}

void CExportDlg::StartExport() {
    if (Running() || m_excerpt.pieces.empty()) {
        return;
    }
    m_progress->setValue(0);
    // The folder offered first (the user's Videos) need not exist yet on a new account.
    const QString folder = QFileInfo(m_path->text()).absolutePath();
    if (!QDir().mkpath(folder)) {
        ShowStatus(tr("Not exported: the folder %1 cannot be made.").arg(folder));
        return;
    }
    std::string why;
    if (m_report->isChecked() && !FolderTakesFiles(QFile::encodeName(folder).toStdString(), why)) {
        ShowStatus(tr("Not exported: %1").arg(QString::fromStdString(why)));
        return;
    }
    const ExcerptRequest request = Request();
    m_reportFor.reset();
    if (m_report->isChecked()) {
        m_reportFor = request;
    }
    if (!m_job->Start(request)) {
        ShowStatus(tr("Not exported: %1").arg(m_job->Error()));
        return;
    }
    ShowStatus(tr("Exporting…"));
    UpdateChoices();
}

void CExportDlg::CancelExport() {
    if (Running()) {
        m_job->Cancel();
    }
}

void CExportDlg::OnProgress(double fraction, double secondsLeft) {
    m_progress->setValue(
        static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kProgressSteps)));
    if (secondsLeft >= 0 && std::isfinite(secondsLeft)) {
        ShowStatus(tr("Exporting… %1 s left").arg(std::lround(secondsLeft)));
    }
}

void CExportDlg::OnFinished(bool ok, const QString& why) {
    UpdateChoices();
    if (!ok) {
        m_progress->setValue(0);
        ShowStatus(tr("Not exported: %1").arg(why));
        return;
    }
    m_progress->setValue(kProgressSteps);
    if (m_reportFor) {
        WriteReport(*m_reportFor);
        return;
    }
    ShowStatus(tr("Saved as %1, with its track beside it as GPX.").arg(m_path->text()));
    emit exported(m_path->text());
}

// The command line's counterpart in the report: what was chosen here.
QString CExportDlg::Choices(const ExcerptRequest& request) const {
    QString choices = tr("the export dialog: %1 of %2 clip(s) from %3 at %4 s")
                          .arg(request.overlay ? tr("overlay excerpt") : tr("stream copy"))
                          .arg(request.pieces.size())
                          .arg(QString::fromStdString(request.pieces.front().clip))
                          .arg(request.pieces.front().from, 0, 'f', 1);
    if (request.overlay) {
        choices += request.kmh ? tr(", km/h") : tr(", mile/h");
        choices += request.beside.empty() ? QString() : tr(", other cameras in a corner");
    }
    return choices;
}

// Off the UI thread: hashing the clips reads every byte of them.
void CExportDlg::WriteReport(const ExcerptRequest& request) {
    m_reporting = true;
    UpdateChoices();
    ShowStatus(tr("Writing the report…"));
    const ReportJob job{
        request,
        m_job->Spans(),
        {(QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion())
             .toStdString(),
         Choices(request).toStdString(), request.text, QDateTime::currentSecsSinceEpoch()},
        {}};
    QThreadPool::globalInstance()->start([job, dialog = QPointer<CExportDlg>(this)] {
        std::string why;
        const bool ok = WriteEvidenceReport(job, why);
        QMetaObject::invokeMethod(
            qApp,
            [dialog, ok, why] {
                if (dialog == nullptr) {
                    return;
                }
                dialog->m_reporting = false;
                dialog->UpdateChoices();
                const QString path = dialog->m_path->text();
                const QString report = QFile::decodeName(
                    ReportPathsOf(QFile::encodeName(path).toStdString()).pdf.c_str());
                dialog->ShowStatus(
                    ok ? tr("Saved as %1, with its track as GPX and CSV, and its report %2 "
                            "with a manifest of hashes.")
                             .arg(path, report)
                       : tr("Saved as %1, but its report could not be written: %2")
                             .arg(path, QString::fromStdString(why)));
                emit dialog->exported(path);
            },
            Qt::QueuedConnection);
    });
}

void CExportDlg::ShowStatus(const QString& text) {
    m_status->setText(Wrappable(text));
}
