#include "app/COstvikShell.h"

#include "app/skin/SkinSE.h"
#include "instruments/CGSensesDlg.h"
#include "instruments/CMySliderCtrl.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CDlgSetup.h"
#include "map/CHtmlViewDlg.h"
#include "map/CMapView.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"
#include "track/SidecarLog.h"
#include "track/TrackDispatch.h"

#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QSlider>

#include <algorithm>

namespace {
constexpr int kDialWidth = 272;
constexpr int kDialHeight = 110;
} // namespace

COstvikShell::COstvikShell(const MivexOptions& engine, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Ostvik"));
    SkinSE_SubclassWindow(this, QStringLiteral("mainFrame"));
    IVideoPaneHost::SetInstance(this);

    // The hidden twins of the video pane's progress slider and time label, and the speed
    // slider that stays at normal speed.
    m_hiddenProgress = new CMySliderCtrl(Qt::Horizontal, this);
    m_hiddenProgress->setObjectName(QStringLiteral("1004"));
    m_hiddenProgress->hide();
    m_hiddenTime = new QLabel(QStringLiteral("00:00:00/00:00:00"), this);
    m_hiddenTime->hide();
    m_hiddenSpeed = new QSlider(Qt::Horizontal, this);
    m_hiddenSpeed->setRange(0, 6);
    m_hiddenSpeed->setValue(3);
    m_hiddenSpeed->hide();

    m_video = new CVideoViewDlg(this, engine);
    m_gsenses = new CGSensesDlg(this);
    m_dial = new CSpeedStatic(this);
    m_setup = new QPushButton(tr("Setup"), this);
    SkinSE_SubclassWindow(m_setup, QStringLiteral("list.btn.setup"));
    connect(m_setup, &QPushButton::clicked, this, &COstvikShell::OpenSetup);

    m_mapHost = new CHtmlViewDlg(this);
    // A click on the map's route asks for the video at that second of the clip.
    connect(m_mapHost->MapView(), &CMapView::SeekRequested, this, [this](int second) {
        const double duration = mivex_duration();
        if (duration > 0.0) {
            m_video->SeekToFraction(std::min(1.0, second / duration));
        }
    });
    SetTrackLineConsumers(
        [](const char* line) {
            CMyStatic* chart = CMyStatic::Instance();
            return chart != nullptr ? chart->AddTrackLine(line) : 0;
        },
        [](const char* line) {
            CMapView* map = CMapView::Instance();
            return map != nullptr ? map->StoreTrackLine(line) : 0;
        });

    auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* key = new QShortcut(keys, this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_Space), [this] { m_video->TogglePlayPause(); });
    shortcut(QKeySequence(Qt::Key_Left), [this] { m_video->SeekBySeconds(-5); });
    shortcut(QKeySequence(Qt::Key_Right), [this] { m_video->SeekBySeconds(5); });

    resize(1180, 640);
    SkinSE_SetLayoutMainFrame(this);
}

COstvikShell::~COstvikShell() {
    SetTrackLineConsumers({}, {});
    if (IVideoPaneHost::Instance() == this) {
        IVideoPaneHost::SetInstance(nullptr);
    }
}

void COstvikShell::AddClips(const QStringList& paths) {
    const bool wasEmpty = m_clips.isEmpty();
    for (const QString& path : paths) {
        if (!m_clips.contains(path)) {
            m_clips.append(path);
        }
    }
    if (wasEmpty && !m_clips.isEmpty()) {
        PlayItem(0);
    }
}

void COstvikShell::PlayItem(int index) {
    if (index < 0 || index >= m_clips.size()) {
        return;
    }
    m_currentFile = m_clips.at(index);
    CMapView* map = MapView();
    const bool embedded = map->LoadEmbeddedTrack(m_currentFile);
    if (!m_video->OpenClip(m_currentFile)) {
        return;
    }
    if (!embedded) {
        const std::string path = QFile::encodeName(m_currentFile).toStdString();
        map->LoadNmeaLog(QFile::decodeName(SidecarPathFor(path).c_str()));
    }
}

CMapView* COstvikShell::MapView() const {
    return m_mapHost->MapView();
}

void COstvikShell::PlayNext() {
    if (m_currentFile.isEmpty()) {
        return;
    }
    PlayItem(m_clips.indexOf(m_currentFile) + 1);
}

void COstvikShell::PlayPrev() {
    if (m_currentFile.isEmpty()) {
        return;
    }
    PlayItem(m_clips.indexOf(m_currentFile) - 1);
}

void COstvikShell::PlayCurrent() {
    if (!m_currentFile.isEmpty()) {
        PlayItem(m_clips.indexOf(m_currentFile));
    }
}

void COstvikShell::SetPlayButtonLook(bool playFace) {
    m_video->SetPlayButtonFace(playFace);
    SkinSE_SetLayoutMainFrame(this);
}

void COstvikShell::SetSpeedFromSlider() {
    m_video->SetSpeed(SpeedFactor(m_hiddenSpeed->value()));
}

void COstvikShell::SetProgressRange(int maximum) {
    m_hiddenProgress->setRange(0, maximum);
}

void COstvikShell::SetProgressPosition(int position) {
    m_hiddenProgress->setValue(position);
}

void COstvikShell::SetTimeText(const QString& text) {
    m_hiddenTime->setText(text);
}

void COstvikShell::OpenSetup() {
    RunSetupDialog(this);
}

void COstvikShell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SkinSE_SetLayoutMainFrame(this);
    const QSize size = event->size();
    m_dial->setGeometry(size.width() - kDialWidth - 14, size.height() - kDialHeight - 14,
                        kDialWidth, kDialHeight);
}
