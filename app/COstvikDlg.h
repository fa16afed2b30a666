// The player's one top-level window: borderless and skinned, it holds the video pane, the
// playlist, the G-sensor pane, the map host and the speed dial, and its own minimise,
// maximise and close buttons. The panes and what connects them are made by its wiring root
// (CWindowWiring); the window keeps a hidden set of transport controls that follow the video
// pane's own, routes the transport commands, keys and drops to the video pane and the
// playlist, and moves and resizes itself from its rim since it has no frame.
#pragma once

#include "app/CWindowWiring.h"
#include "playback/ISoundOutputVolumeNotify.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <memory>

class CExportDlg;
class CGSensesDlg;
class CHtmlViewDlg;
class CMapView;
class CMySliderCtrl;
class CPlaylistDlg;
class CSoundOutputVolumeImpl;
class CSpeedStatic;
class CVideoViewDlg;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
struct MivexOptions;

class COstvikDlg : public QWidget, public ISoundOutputVolumeNotify {
    Q_OBJECT

public:
    // Control ids of the window's own controls.
    enum Control {
        kClose = 1000,
        kMinimise = 1001,
        kMute = 1002,
        kVolume = 1003,
        kProgress = 1004,
        kStop = 1005,
        kPrevious = 1006,
        kPlay = 1007,
        kNext = 1008,
        kMaximise = 1009,
        kTime = 1012,
        kGrid2G = 1014,
        kGrid0G = 1015,
        kGridMinus2G = 1016,
        kValueX = 1017,
        kValueY = 1018,
        kValueZ = 1019,
        kDial = 1023,
        kSpeed = 1024,
        kSpeedScale = 1025,
        kSnapshot = 1026,
    };
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    // Below this width the video pane's volume slider reaches under its stop button (the
    // pane is 0.64 of the window less 4, the stop button starts 92 left of 0.42 of the
    // pane, the slider ends at 120: 796), and the dial, 280 from the right, reaches into the
    // playlist, which ends at 0.64 of the window less 4 (767). Below this height the
    // G-sensor pane, 0.45 of the window less 126, is too low for its chart (about 100).
    static constexpr int kMinWidth = 800;
    static constexpr int kMinHeight = 500;

    explicit COstvikDlg(const MivexOptions& engine, QWidget* parent = nullptr);
    ~COstvikDlg() override;

    static COstvikDlg* Instance();

    // Adds the clips to the playlist and plays the first of them.
    void AddClips(const QStringList& paths);

    QString GetCurrentFile() const;
    void PlayNext();
    void PlayPrev();

    void OnVolumeChange(unsigned long volume) override;
    void OnMuteChange(bool mute) override;

    bool IsMaximised() const { return m_maximised; }
    void ToggleMaximise();
    bool IsVideoFullScreen() const { return m_videoFullScreen; }
    void ToggleVideoFullScreen();
    // The export dialog for the marked excerpt (E); made at first use, then kept, so a job
    // runs on while it is hidden.
    void ShowExportDialog();
    CExportDlg* ExportDialog() const { return m_wiring->ExportDialog(); }
    bool IsPlaylistCollapsed() const { return !m_layoutVariant.isEmpty(); }
    void TogglePlaylist();

    CVideoViewDlg* VideoView() const { return m_video; }
    // The excerpt marked with I and O.
    const ExcerptMarks& Excerpt() const { return m_wiring->Excerpt().Marks(); }
    CTrackSaveMenu* TrackSave() const { return m_wiring->TrackSave(); }
    CGSensesDlg* GSenses() const { return m_wiring->GSenses(); }
    // The playing clip's track, which the map, the chart and the dial show.
    CClipSession& Session() const { return m_wiring->Session(); }
    CPlaylistDlg* Playlist() const { return m_playlist; }
    CSpeedStatic* SpeedDial() const { return m_dial; }
    // The title band's text: the playing clip's name and when it was recorded.
    QLabel* TitleBand() const { return m_title; }
    // Over the video pane while no clip is open.
    QLabel* EmptyHint() const { return m_hint; }
    CHtmlViewDlg* MapHost() const { return m_wiring->MapHost(); }
    CMapView* MapView() const;
    CSoundOutputVolumeImpl* Volume() const { return m_volume.get(); }
    // One of the window's own controls by id.
    QWidget* Control(int id) const;

protected:
    // Where the window hands a press on its rim or surface to the window system; the move
    // and the resize themselves belong to the window manager.
    virtual void StartSystemMove();
    virtual void StartSystemResize(Qt::Edges edges);

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateWindowButtons();
    void CreateHiddenControls();
    void CreatePanes(const MivexOptions& engine);
    void ConnectCommands();
    // The hidden twins follow the video pane's transport.
    void FollowVideoTransport();
    void SetSpeedFromSlider();
    void CreateKeys();
    void PlaceDial();
    void PlaceTitle();
    void ShowClipTitle(bool playing);
    void ElideTitle();
    void ShowHintIfEmpty();
    bool OnOwnSurface(QPoint point) const;
    void ChangeVolumeBy(long delta);
    void StepFrame(bool forward);

    QPushButton* m_minimise = nullptr;
    QPushButton* m_maximiseButton = nullptr;
    QPushButton* m_close = nullptr;
    CMySliderCtrl* m_progress = nullptr;
    QLabel* m_time = nullptr;
    QCheckBox* m_mute = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_next = nullptr;
    QSlider* m_speed = nullptr;
    QPushButton* m_snapshot = nullptr;
    QLabel* m_title = nullptr;
    QString m_titleText;
    QLabel* m_hint = nullptr;

    std::unique_ptr<CWindowWiring> m_wiring;
    // The panes the window routes its commands, keys and drops to, made by the wiring.
    CVideoViewDlg* m_video = nullptr;
    CPlaylistDlg* m_playlist = nullptr;
    CSpeedStatic* m_dial = nullptr;
    std::unique_ptr<CSoundOutputVolumeImpl> m_volume;

    bool m_maximised = false;
    QRect m_restoreRect;
    bool m_videoFullScreen = false;
    // The skin layout the window returns to from full-screen video: empty, or the one with
    // the playlist collapsed.
    QString m_layoutVariant;
};
