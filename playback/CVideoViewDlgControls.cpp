// The video pane's controls: made at the places of the pane's template, then registered
// with the skin, which lays them out, and wired to the pane.
#include "playback/CVideoViewDlg.h"

#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/ClipCutNote.h"
#include "playback/VideoPaneRules.h"
#include "skin/SkinSE.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTimer>

namespace {

// Dialog units of the pane's template to pixels.
QRect FromDialogUnits(int x, int y, int w, int h) {
    return QRect(static_cast<int>(x * 1.5), static_cast<int>(y * 1.625), static_cast<int>(w * 1.5),
                 static_cast<int>(h * 1.625));
}

template <typename Widget> Widget* MakeControl(QWidget* parent, int id, const QRect& rect) {
    auto* control = new Widget(parent);
    control->setObjectName(QString::number(id));
    control->setGeometry(rect);
    return control;
}

} // namespace

void CVideoViewDlg::CreateControls() {
    SkinSE_SubclassWindow(this, QStringLiteral("videoview"));

    m_logo = MakeControl<QLabel>(this, IDC_LOGO, FromDialogUnits(108, 6, 78, 42));
    m_logo->setText(QStringLiteral("Ostvik"));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->hide();
    SkinSE_SubclassWindow(m_logo, QStringLiteral("static.video.logo"));

    m_progress = new CMySliderCtrl(Qt::Horizontal, this);
    m_driveTimeline = new CDriveTimeline(this);
    m_progress->setObjectName(QString::number(IDC_PROGRESS));
    m_progress->setGeometry(FromDialogUnits(6, 138, 296, 9));
    // The range counts milliseconds: an arrow key steps one second, a page ten, a wheel
    // notch a few.
    m_progress->setSingleStep(1000);
    m_progress->setPageStep(10000);
    m_timeLabel = MakeControl<QLabel>(this, IDC_TIME, FromDialogUnits(12, 150, 72, 9));
    m_timeLabel->setText(QStringLiteral("00:00:00/00:00:00"));
    m_mute = MakeControl<QCheckBox>(this, IDC_MUTE, FromDialogUnits(12, 168, 12, 13));
    m_mute->setToolTip(tr("Mute"));
    m_volume = MakeControl<QSlider>(this, IDC_VOLUME, FromDialogUnits(30, 171, 44, 11));
    m_volume->setOrientation(Qt::Horizontal);
    m_stop = MakeControl<QPushButton>(this, IDC_STOP, FromDialogUnits(85, 178, 18, 14));
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_stop->setToolTip(tr("Stop"));
    m_back = MakeControl<QPushButton>(this, IDC_BACK, FromDialogUnits(109, 178, 26, 14));
    m_back->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    m_back->setToolTip(tr("Previous clip"));
    m_play = MakeControl<QPushButton>(this, IDC_PLAY, FromDialogUnits(140, 175, 28, 18));
    m_play->setToolTip(tr("Play / pause"));
    m_next = MakeControl<QPushButton>(this, IDC_NEXT, FromDialogUnits(174, 178, 26, 14));
    m_next->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    m_next->setToolTip(tr("Next clip"));
    m_snapshot = MakeControl<QPushButton>(this, IDC_SNAPSHOT, FromDialogUnits(160, 150, 18, 9));
    m_snapshot->setToolTip(tr("Snapshot (S)"));
    m_export = MakeControl<QPushButton>(this, IDC_EXPORT, FromDialogUnits(180, 150, 18, 9));
    m_export->setToolTip(tr("Export the excerpt (E)"));
    // A click leaves the keyboard with the window, so Space still plays and pauses.
    m_snapshot->setFocusPolicy(Qt::NoFocus);
    m_export->setFocusPolicy(Qt::NoFocus);
    m_speed = MakeControl<QSlider>(this, IDC_SPEED, FromDialogUnits(204, 162, 96, 11));
    m_speed->setOrientation(Qt::Horizontal);
    m_speed->setTickPosition(QSlider::TicksBelow);
    m_speed->setPageStep(1);
    m_speedScale = MakeControl<QLabel>(this, IDC_SPEED_SCALE, FromDialogUnits(204, 178, 114, 11));
    m_speedScale->setText(QStringLiteral("-8x -4x -2x  0x   2x  4x  8x"));
    // The scale's own labels do not say which speed is chosen; this label and the slider's
    // tool tip do.
    m_cutNote = new ClipCutNote(this);
    m_speedChosen = new QLabel(this);
    m_speedChosen->setObjectName(QStringLiteral("speedChosen"));
    ShowSpeedChosen();

    const std::pair<QWidget*, const char*> registered[] = {
        {m_progress, "slider.progress"},
        {m_timeLabel, "static.progress"},
        {m_mute, "check.btn.mic"},
        {m_volume, "slider.volume"},
        {m_stop, "control.btn.stop"},
        {m_back, "control.btn.back"},
        {m_play, "control.btn.play"},
        {m_next, "control.btn.next"},
        {m_speed, "slider.speed"},
        {m_speedScale, "static.speed"},
        {m_speedChosen, "static.speed.chosen"},
        {m_snapshot, "control.btn.videoshot"},
        {m_export, "control.btn.export"},
    };
    for (const auto& [control, element] : registered) {
        SkinSE_SubclassWindow(control, QLatin1String(element));
        control->show();
    }
    SetPlayButtonFace(true);

    connect(m_stop, &QPushButton::clicked, this, [this] { StopClip(); });
    connect(m_back, &QPushButton::clicked, this, &CVideoViewDlg::previousClipAsked);
    connect(m_play, &QPushButton::clicked, this, [this] { TogglePlayPause(); });
    connect(m_next, &QPushButton::clicked, this, &CVideoViewDlg::nextClipAsked);
    connect(m_snapshot, &QPushButton::clicked, this, [this] { GrabSnapshot(); });
    connect(m_export, &QPushButton::clicked, this, &CVideoViewDlg::exportRequested);
    connect(m_mute, &QCheckBox::clicked, this, &CVideoViewDlg::OnMuteClicked);
    connect(m_progress, &CMySliderCtrl::endTrack, this, [this] {
        if (m_progress->maximum() > 0) {
            SeekToFraction(static_cast<double>(m_progress->value()) / m_progress->maximum());
        }
    });
    // A slider's value is taken when the user lets go of it, or at once for a key or a
    // click on the groove, which move it without a drag.
    connect(m_volume, &QSlider::sliderReleased, this, &CVideoViewDlg::ApplyVolumeSlider);
    connect(m_volume, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            QTimer::singleShot(0, this, &CVideoViewDlg::ApplyVolumeSlider);
        }
    });
    connect(m_speed, &QSlider::valueChanged, this, &CVideoViewDlg::ShowSpeedChosen);
    connect(m_speed, &QSlider::sliderReleased, this, &CVideoViewDlg::SetSpeedFromSlider);
    connect(m_speed, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            QTimer::singleShot(0, this, &CVideoViewDlg::SetSpeedFromSlider);
        }
    });
}

void CVideoViewDlg::ShowSpeedChosen() {
    const QString speed = SpeedFactorText(m_speed->value());
    m_speedChosen->setText(tr("Speed %1").arg(speed));
    m_speed->setToolTip(tr("Playback speed: %1 (1/8x to 8x)").arg(speed));
}
