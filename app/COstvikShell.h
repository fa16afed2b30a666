// The window that holds the panes until the main window is built: the video pane, the
// playlist, the G-sensor pane, the map host and the speed dial, and the hidden progress slider,
// time label and speed slider the video pane keeps in step. It wires the playlist to the video pane
// and to the map view.
#pragma once

#include "playback/IVideoPaneHost.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class CGSensesDlg;
class CMySliderCtrl;
class CPlaylistDlg;
class CHtmlViewDlg;
class CMapView;
class CMapViewLink;
class CVideoPaneLink;
class CSpeedStatic;
class CVideoViewDlg;
class QLabel;
class QSlider;
struct MivexOptions;

class COstvikShell : public QWidget, public IVideoPaneHost {
    Q_OBJECT

public:
    explicit COstvikShell(const MivexOptions& engine, QWidget* parent = nullptr);
    ~COstvikShell() override;

    // Adds the clips to the playlist and plays the first of them.
    void AddClips(const QStringList& paths);

    void SetPlayButtonLook(bool playFace) override;
    void SetSpeedFromSlider() override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetTimeText(const QString& text) override;
    unsigned long SavedVolume() const override { return m_savedVolume; }
    void SetSavedVolume(unsigned long volume) override { m_savedVolume = volume; }
    QString GetCurrentFile() const override;
    void PlayNext() override;
    void PlayPrev() override;
    void PlayCurrent() override;

    CVideoViewDlg* VideoView() const { return m_video; }
    CGSensesDlg* GSenses() const { return m_gsenses; }
    CPlaylistDlg* Playlist() const { return m_playlist; }
    CSpeedStatic* SpeedDial() const { return m_dial; }
    CHtmlViewDlg* MapHost() const { return m_mapHost; }
    CMapView* MapView() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CVideoViewDlg* m_video = nullptr;
    CPlaylistDlg* m_playlist = nullptr;
    CGSensesDlg* m_gsenses = nullptr;
    CSpeedStatic* m_dial = nullptr;
    CHtmlViewDlg* m_mapHost = nullptr;
    CMySliderCtrl* m_hiddenProgress = nullptr;
    QLabel* m_hiddenTime = nullptr;
    QSlider* m_hiddenSpeed = nullptr;
    unsigned long m_savedVolume = 26214;
    std::unique_ptr<CVideoPaneLink> m_videoLink;
    std::unique_ptr<CMapViewLink> m_mapLink;
};
