#include "app/CClipRecoveryNote.h"

#include "recover/ClipRecovery.h"
#include "recover/RecoveryPlace.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

constexpr int kMostTemplates = 3;
constexpr int kPollMs = 100;

// The folder for copies of clips on a card that cannot be written.
std::string ElsewhereFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/recovered");
    QDir().mkpath(folder);
    return QFile::encodeName(folder).toStdString();
}

// A nearby whole clip of the same camera lends its setup and frame rate; a template of other
// settings is refused by the recovery, and the next is tried, then the stream's own
// parameter sets.
RecoveryOutcome RecoverWithNeighbours(const std::string& cut, const std::string& copy,
                                      const RecoveryProgress& progress) {
    RecoveryOutcome outcome;
    for (const std::string& candidate : TemplateCandidates(cut, kMostTemplates)) {
        outcome = RecoverClip(cut, candidate, copy, progress);
        if (outcome.ok || !progress(0.0)) {
            return outcome;
        }
    }
    return RecoverClip(cut, std::string(), copy, progress);
}

} // namespace

CClipRecoveryNote::CClipRecoveryNote(QWidget* pane, QWidget* picture)
    : QWidget(pane), m_picture(picture) {
    setObjectName(QStringLiteral("clipRecoveryNote"));
    setAttribute(Qt::WA_StyledBackground);
    // Light on a dark band, readable over any picture.
    setStyleSheet(QStringLiteral(
        "#clipRecoveryNote { background: rgba(16, 17, 19, 230); }"
        "QLabel, QPushButton { color: #f2f3f5; background: transparent; border: none; }"
        "QPushButton { text-decoration: underline; padding: 3px 6px; }"
        "QProgressBar { color: #f2f3f5; background: #2b2d31; border: 1px solid #8a8f98; }"
        "QProgressBar::chunk { background: #4c8dff; }"));
    m_text = new QLabel(this);
    m_recover = new QPushButton(tr("Recording cut short — Recover"), this);
    m_recover->setCursor(Qt::PointingHandCursor);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_cancel = new QPushButton(tr("Cancel"), this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(m_text);
    row->addWidget(m_recover, 1);
    row->addWidget(m_progress, 1);
    row->addWidget(m_cancel);
    for (QWidget* control : {static_cast<QWidget*>(m_recover), static_cast<QWidget*>(m_cancel)}) {
        control->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_recover, &QPushButton::clicked, this, &CClipRecoveryNote::Recover);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_job != nullptr) {
            m_job->stop = true;
        }
    });
    m_picture->installEventFilter(this);
    hide();
}

// A job still running is told to stop; it finds nobody to report to.
CClipRecoveryNote::~CClipRecoveryNote() {
    if (m_job != nullptr) {
        m_job->stop = true;
    }
}

void CClipRecoveryNote::ShowFor(const QString& clipPath) {
    if (Running()) {
        return;
    }
    if (clipPath.isEmpty() || !IsCutClip(QFile::encodeName(clipPath).toStdString())) {
        m_clip.clear();
        hide();
        return;
    }
    m_clip = clipPath;
    m_text->clear();
    m_text->hide();
    ShowState(false);
    Place();
    show();
    raise();
}

void CClipRecoveryNote::ShowState(bool running) {
    m_recover->setVisible(!running);
    m_progress->setVisible(running);
    m_cancel->setVisible(running);
}

void CClipRecoveryNote::Recover() {
    if (m_clip.isEmpty() || Running()) {
        return;
    }
    const std::string cut = QFile::encodeName(m_clip).toStdString();
    const std::string copy = RecoveredClipPath(cut, ElsewhereFolder());
    const QString copyPath = QFile::decodeName(copy.c_str());
    // A copy made before, and whole, is played as it is.
    if (QFileInfo::exists(copyPath) && !IsCutClip(copy)) {
        emit recovered(m_clip, copyPath);
        return;
    }
    m_job = std::make_shared<Job>();
    m_progress->setValue(0);
    m_text->setText(tr("Recovering…"));
    m_text->show();
    ShowState(true);
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll] {
        if (m_job == nullptr) {
            poll->deleteLater();
            return;
        }
        m_progress->setValue(m_job->permille.load());
    });
    poll->start(kPollMs);
    QThreadPool::globalInstance()->start([job = m_job, cut, copy,
                                          note = QPointer<CClipRecoveryNote>(this)] {
        const RecoveryOutcome outcome = RecoverWithNeighbours(cut, copy, [&job](double done) {
            job->permille = static_cast<int>(done * 1000);
            return !job->stop.load();
        });
        const QString copyPath = outcome.ok ? QFile::decodeName(copy.c_str()) : QString();
        const QString why = QString::fromStdString(outcome.why);
        QMetaObject::invokeMethod(
            note, [note, copyPath, why] { note->Finished(copyPath, why); }, Qt::QueuedConnection);
    });
}

void CClipRecoveryNote::Finished(const QString& copy, const QString& why) {
    const bool stopped = m_job != nullptr && m_job->stop.load();
    m_job.reset();
    ShowState(false);
    if (!copy.isEmpty()) {
        hide();
        emit recovered(m_clip, copy);
        return;
    }
    std::fprintf(stderr, "ostvik: %s: not recovered: %s\n", QFile::encodeName(m_clip).constData(),
                 why.toLocal8Bit().constData());
    // Cancelled, the note offers the recovery again; failed, it says why, quietly.
    m_text->setText(stopped ? QString() : tr("Not recovered: %1.").arg(why));
    m_text->setVisible(!stopped);
    m_recover->setVisible(stopped);
}

bool CClipRecoveryNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
                                 event->type() == QEvent::Show)) {
        Place();
    }
    return QWidget::eventFilter(watched, event);
}

// Along the bottom of the picture, clear of the note on a file cut short along its top.
void CClipRecoveryNote::Place() {
    const QRect picture(m_picture->mapTo(parentWidget(), QPoint(0, 0)), m_picture->size());
    const int height = sizeHint().height();
    setGeometry(picture.left(), picture.bottom() + 1 - height, picture.width(), height);
}
