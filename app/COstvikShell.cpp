#include "app/COstvikShell.h"

#include "app/CMapViewLink.h"
#include "instruments/CGSensesDlg.h"
#include "instruments/CMySliderCtrl.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CPlaylistDlg.h"
#include "library/CVideoPaneLink.h"
#include "map/CHtmlViewDlg.h"
#include "map/CMapView.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"
#include "skin/SkinSE.h"
#include "track/TrackDispatch.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMimeData>
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
    // The skin's layout for this shell: the video pane, the playlist, and the map over the G-sensor
    // pane.
    setProperty("skinLayoutVariant", QStringLiteral("shell"));
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
    m_dial = new CSpeedStatic(this);
    m_videoLink = std::make_unique<CVideoPaneLink>(m_video);
    m_mapLink = std::make_unique<CMapViewLink>();
    CPlaylistDlg::Links links;
    links.video = m_videoLink.get();
    links.map = m_mapLink.get();
    m_playlist = new CPlaylistDlg(this, links);
    m_gsenses = new CGSensesDlg(this);
    m_mapHost = new CHtmlViewDlg(this);
    setAcceptDrops(true);

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
    m_playlist->AddAndPlay(paths);
}

QString COstvikShell::GetCurrentFile() const {
    return m_playlist->GetCurrentFile();
}

void COstvikShell::PlayNext() {
    m_playlist->PlayNext();
}

void COstvikShell::PlayPrev() {
    m_playlist->PlayPrev();
}

void COstvikShell::PlayCurrent() {
    m_playlist->PlayCurrent();
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

void COstvikShell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SkinSE_SetLayoutMainFrame(this);
    const QSize size = event->size();
    m_dial->setGeometry(size.width() - kDialWidth - 14, size.height() - kDialHeight - 14,
                        kDialWidth, kDialHeight);
}

void COstvikShell::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

// Files and folders dropped anywhere on the window go to the playlist.
void COstvikShell::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    m_playlist->AddDroppedPaths(paths);
}

CMapView* COstvikShell::MapView() const {
    return m_mapHost->MapView();
}
