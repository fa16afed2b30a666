#include "app/COstvikDlg.h"

#include "app/EmptyPaneHint.h"
#include "app/WindowBorder.h"
#include "instruments/CSpeedStatic.h"
#include "library/CPlaylistDlg.h"
#include "map/CMapView.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/CVideoViewDlg.h"
#include "playback/VideoPaneRules.h"
#include "playback/mivex.h"
#include "skin/SkinSE.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QWindow>

#include <algorithm>

namespace {

COstvikDlg* g_instance = nullptr;

constexpr int kDialWidth = 272;
constexpr int kDialHeight = 110;
constexpr int kDialRight = 280;
constexpr int kDialBottom = 118;

const QString kVideoFullVariant = QStringLiteral("video-full");
const QString kListCollapsedVariant = QStringLiteral("playlist-collapsed");

template <typename Widget, typename... Args>
Widget* MakeControl(QWidget* parent, int id, Args&&... args) {
    auto* control = new Widget(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::number(id));
    return control;
}

} // namespace

COstvikDlg::COstvikDlg(const MivexOptions& engine, QWidget* parent) : QWidget(parent) {
    g_instance = this;
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Ostvik"));
    setWindowIcon(QIcon(QStringLiteral(":/ostvik/ostvik.svg")));
    // The skin draws the whole window, its title band and buttons included.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(0, 0, kWidth, kHeight);
    setMinimumSize(kMinWidth, kMinHeight);
    setMouseTracking(true);

    SkinSE_SubclassWindow(this, QStringLiteral("mainFrame"));
    CreateWindowButtons();
    CreateHiddenControls();

    m_volume = std::make_unique<CSoundOutputVolumeImpl>();
    m_volume->Initialize(this);

    CreatePanes(engine);
    SkinSE_SetLayoutMainFrame(this);

    m_mute->setChecked(m_volume->IsMute());
    m_volumeSlider->setRange(static_cast<int>(m_volume->GetMinVolume()),
                             static_cast<int>(m_volume->GetMaxVolume()));
    m_volumeSlider->setValue(static_cast<int>(m_volume->GetCurrentVolume()));
    m_progress->setRange(0, 0);
    m_speed->setRange(0, 6);
    m_speed->setValue(3);

    ConnectCommands();
    CreateKeys();
    setAcceptDrops(true);
    // The window, not the first slider, has the keys at start, so the arrows seek and set
    // the volume until the user picks a control.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
}

COstvikDlg::~COstvikDlg() {
    if (m_volume) {
        m_volume->Finalize();
        m_volume.reset();
    }
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

COstvikDlg* COstvikDlg::Instance() {
    return g_instance;
}

void COstvikDlg::CreateWindowButtons() {
    m_minimise = MakeControl<QPushButton>(this, kMinimise);
    m_maximiseButton = MakeControl<QPushButton>(this, kMaximise);
    m_close = MakeControl<QPushButton>(this, kClose);
    SkinSE_SubclassWindow(m_minimise, QStringLiteral("btn.minimal.window"));
    SkinSE_SubclassWindow(m_maximiseButton, QStringLiteral("btn.maximal.window"));
    SkinSE_SubclassWindow(m_close, QStringLiteral("btn.close.window"));
    // Presses on the title pass to the band under it, which moves and maximises the window.
    m_title = new QLabel(this);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_title->setTextFormat(Qt::PlainText);
    m_minimise->setToolTip(tr("Minimise"));
    m_maximiseButton->setToolTip(tr("Maximise or restore (double-click the title band)"));
    m_close->setToolTip(tr("Close"));
    for (QPushButton* button : {m_minimise, m_maximiseButton, m_close}) {
        button->setFocusPolicy(Qt::NoFocus);
    }
}

// The window keeps a second set of transport controls that the skin may show; ours keeps them
// hidden, but their state is live: they follow the video pane's progress, time and play
// face, and the speed slider sets the speed of every clip opened.
void COstvikDlg::CreateHiddenControls() {
    m_progress = MakeControl<CMySliderCtrl>(this, kProgress, Qt::Horizontal);
    m_time = MakeControl<QLabel>(this, kTime, QStringLiteral("00:00:00/00:00:00"));
    auto* valueX = MakeControl<QLabel>(this, kValueX, QStringLiteral("X:0.000000"));
    auto* valueY = MakeControl<QLabel>(this, kValueY, QStringLiteral("Y:0.000000"));
    auto* valueZ = MakeControl<QLabel>(this, kValueZ, QStringLiteral("Z:0.000000"));
    auto* grid2G = MakeControl<QLabel>(this, kGrid2G, QStringLiteral("2G"));
    auto* grid0G = MakeControl<QLabel>(this, kGrid0G, QStringLiteral("0G"));
    auto* gridMinus2G = MakeControl<QLabel>(this, kGridMinus2G, QStringLiteral("-2G"));
    m_mute = MakeControl<QCheckBox>(this, kMute);
    m_volumeSlider = MakeControl<QSlider>(this, kVolume, Qt::Horizontal);
    m_stop = MakeControl<QPushButton>(this, kStop);
    m_previous = MakeControl<QPushButton>(this, kPrevious);
    m_play = MakeControl<QPushButton>(this, kPlay);
    m_next = MakeControl<QPushButton>(this, kNext);
    m_speed = MakeControl<QSlider>(this, kSpeed, Qt::Horizontal);
    auto* speedScale =
        MakeControl<QLabel>(this, kSpeedScale, QStringLiteral("-8x -4x -2x  0x   2x  4x  8x"));
    m_snapshot = MakeControl<QPushButton>(this, kSnapshot);

    const std::pair<QWidget*, const char*> hidden[] = {
        {m_progress, "slider.progress"},
        {m_time, "static.progress"},
        {valueX, "static.x"},
        {valueY, "static.y"},
        {valueZ, "static.z"},
        {grid2G, "static.20"},
        {grid0G, "static.00"},
        {gridMinus2G, "static._20"},
        {m_mute, "check.btn.mic"},
        {m_volumeSlider, "slider.volume"},
        {m_stop, "control.btn.stop"},
        {m_previous, "control.btn.back"},
        {m_play, "control.btn.play"},
        {m_next, "control.btn.next"},
        {m_speed, "slider.speed"},
        {speedScale, "static.speed"},
        {m_snapshot, "control.btn.videoshot"},
    };
    for (const auto& [control, element] : hidden) {
        SkinSE_SubclassWindow(control, QLatin1String(element));
        control->hide();
    }
}

void COstvikDlg::CreatePanes(const MivexOptions& engine) {
    m_wiring = std::make_unique<CWindowWiring>(this, engine);
    m_video = m_wiring->Video();
    m_playlist = m_wiring->Playlist();
    m_dial = m_wiring->Dial();
    m_dial->setObjectName(QString::number(kDial));
    PlaceDial();
    PlaceTitle();
    FollowVideoTransport();
    connect(m_video, &CVideoViewDlg::clipStarted, this, [this] {
        ShowClipTitle(true);
        ShowHintIfEmpty();
    });
    connect(m_video, &CVideoViewDlg::clipEnded, this, [this] {
        ShowClipTitle(false);
        ShowHintIfEmpty();
    });
}

void COstvikDlg::FollowVideoTransport() {
    connect(m_video, &CVideoViewDlg::playFaceShown, this, [this](bool playFace) {
        SkinSE_SubclassWindow(m_play, playFace ? QStringLiteral("control.btn.play")
                                               : QStringLiteral("control.btn.pause"));
        SkinSE_SetLayoutMainFrame(this);
    });
    connect(m_video, &CVideoViewDlg::progressRangeChanged, m_progress,
            [this](int maximum) { m_progress->setRange(0, maximum); });
    connect(m_video, &CVideoViewDlg::progressPositionChanged, m_progress, &QSlider::setValue);
    connect(m_video, &CVideoViewDlg::timeTextChanged, m_time, &QLabel::setText);
    connect(m_speed, &QSlider::valueChanged, m_video, &CVideoViewDlg::SetOpeningSpeed);
}

void COstvikDlg::ConnectCommands() {
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_minimise, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(m_maximiseButton, &QPushButton::clicked, this, &COstvikDlg::ToggleMaximise);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_video->StopClip(); });
    connect(m_previous, &QPushButton::clicked, this, &COstvikDlg::PlayPrev);
    connect(m_play, &QPushButton::clicked, this, [this] { m_video->TogglePlayPause(); });
    connect(m_next, &QPushButton::clicked, this, &COstvikDlg::PlayNext);
    connect(m_snapshot, &QPushButton::clicked, this, [this] { m_video->GrabSnapshot(); });
    connect(m_mute, &QCheckBox::clicked, this, [this](bool ticked) { m_volume->Mute(ticked); });
    // Each slider acts when the user lets go of it.
    connect(m_progress, &QSlider::sliderReleased, this, [this] {
        if (m_progress->maximum() > 0) {
            m_video->SeekToFraction(static_cast<double>(m_progress->value()) /
                                    m_progress->maximum());
        }
    });
    connect(m_volumeSlider, &QSlider::sliderReleased, this, [this] {
        if (m_volume) {
            m_volume->SetCurrentVolume(static_cast<unsigned long>(m_volumeSlider->value()));
        }
    });
    connect(m_speed, &QSlider::sliderReleased, this, &COstvikDlg::SetSpeedFromSlider);
}

void COstvikDlg::AddClips(const QStringList& paths) {
    m_playlist->OpenAndPlay(paths);
    ShowHintIfEmpty();
}

void COstvikDlg::ShowHintIfEmpty() {
    m_hint->setVisible(GetCurrentFile().isEmpty());
}

QString COstvikDlg::GetCurrentFile() const {
    return m_playlist->GetCurrentFile();
}

void COstvikDlg::PlayNext() {
    m_playlist->PlayNext();
}

void COstvikDlg::PlayPrev() {
    m_playlist->PlayPrev();
}

void COstvikDlg::SetSpeedFromSlider() {
    m_video->SetSpeed(SpeedFactor(m_speed->value()));
}

void COstvikDlg::OnVolumeChange(unsigned long volume) {
    m_volumeSlider->setValue(static_cast<int>(volume));
}

void COstvikDlg::OnMuteChange(bool mute) {
    m_mute->setChecked(mute);
}

void COstvikDlg::ToggleMaximise() {
    if (!m_maximised) {
        m_restoreRect = geometry();
        const QRect workArea = screen()->availableGeometry();
        m_maximised = true;
        SkinSE_SubclassWindow(m_maximiseButton, QStringLiteral("btn.restore.window"));
        setUpdatesEnabled(false);
        setGeometry(MaximisedRect(workArea));
        setUpdatesEnabled(true);
    } else {
        m_maximised = false;
        SkinSE_SubclassWindow(m_maximiseButton, QStringLiteral("btn.maximal.window"));
        setUpdatesEnabled(false);
        setGeometry(m_restoreRect);
        setUpdatesEnabled(true);
    }
}

// The picture alone over the whole screen; the panes, the dial and the window's buttons come
// back when it is left.
void COstvikDlg::ToggleVideoFullScreen() {
    m_videoFullScreen = !m_videoFullScreen;
    setProperty("skinLayoutVariant", m_videoFullScreen ? kVideoFullVariant : m_layoutVariant);
    m_dial->setVisible(!m_videoFullScreen);
    if (m_videoFullScreen) {
        showFullScreen();
    } else {
        showNormal();
    }
    SkinSE_SetLayoutMainFrame(this);
}

void COstvikDlg::TogglePlaylist() {
    m_layoutVariant = m_layoutVariant.isEmpty() ? kListCollapsedVariant : QString();
    if (!m_videoFullScreen) {
        setProperty("skinLayoutVariant", m_layoutVariant);
        SkinSE_SetLayoutMainFrame(this);
    }
}

QWidget* COstvikDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

CMapView* COstvikDlg::MapView() const {
    return m_wiring->Map();
}

void COstvikDlg::PlaceDial() {
    m_dial->setGeometry(width() - kDialRight, height() - kDialBottom, kDialWidth, kDialHeight);
    m_dial->update();
}

// Between the left edge and the window's buttons, on the band above the panes.
void COstvikDlg::PlaceTitle() {
    constexpr int kLeft = 8;
    constexpr int kButtonsWidth = 110;
    constexpr int kBandHeight = 32;
    m_title->setGeometry(kLeft, 0, std::max(0, width() - kLeft - kButtonsWidth), kBandHeight);
    ElideTitle();
}

void COstvikDlg::ShowClipTitle(bool playing) {
    m_titleText = playing ? m_wiring->ClipTitle() : QString();
    ElideTitle();
}

// A name too long for the band loses its middle; the tooltip keeps it whole.
void COstvikDlg::ElideTitle() {
    m_title->setToolTip(m_titleText);
    m_title->setText(
        m_title->fontMetrics().elidedText(m_titleText, Qt::ElideMiddle, m_title->width()));
}

void COstvikDlg::StartSystemMove() {
    if (QWindow* window = windowHandle()) {
        window->startSystemMove();
    }
}

void COstvikDlg::StartSystemResize(Qt::Edges edges) {
    if (QWindow* window = windowHandle()) {
        window->startSystemResize(edges);
    }
}

void COstvikDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_dial != nullptr) {
        PlaceDial();
        PlaceTitle();
    }
    SkinSE_SetLayoutMainFrame(this);
}

// The window's own surface: no child there, or the dial, which is drawn on it and hands
// its presses on. A pane or a control that leaves a press or a double-click unused is not.
bool COstvikDlg::OnOwnSurface(QPoint point) const {
    QWidget* child = childAt(point);
    return child == nullptr || child == m_dial;
}

// Only presses on the window's own surface move or resize it; a window that fills the
// screen, maximised or as full-screen video, stays where it is.
void COstvikDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !OnOwnSurface(point)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_videoFullScreen || m_maximised) {
        return;
    }
    const Qt::Edges edges = BorderEdgesAt(point, size(), m_maximised);
    if (edges) {
        StartSystemResize(edges);
    } else {
        StartSystemMove();
    }
    event->accept();
}

// The rim shows which way it resizes.
void COstvikDlg::mouseMoveEvent(QMouseEvent* event) {
    const Qt::Edges edges =
        BorderEdgesAt(event->position().toPoint(), size(), m_maximised || m_videoFullScreen);
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)) {
        setCursor(Qt::SizeFDiagCursor);
    } else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge)) {
        setCursor(Qt::SizeBDiagCursor);
    } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
        setCursor(Qt::SizeHorCursor);
    } else if (edges) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
    QWidget::mouseMoveEvent(event);
}

void COstvikDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && !m_videoFullScreen && OnOwnSurface(point) &&
        TogglesMaximise(point)) {
        ToggleMaximise();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

// A minimised window that is still drawn (a task switcher's preview) shows the icon.
void COstvikDlg::paintEvent(QPaintEvent* event) {
    if (isMinimized()) {
        QPainter painter(this);
        const QSize iconSize(64, 64);
        const QRect place(QPoint(0, 0), iconSize);
        windowIcon().paint(&painter, place.translated(rect().center() - place.center()));
        return;
    }
    QWidget::paintEvent(event);
}

void COstvikDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

// Files and folders dropped anywhere on the window go to the playlist.
void COstvikDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    m_playlist->AddDroppedPaths(paths);
    ShowHintIfEmpty();
}

void COstvikDlg::ShowExportDialog() {
    m_wiring->ShowExportDialog();
}
