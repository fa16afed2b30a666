// The window that holds the panes until the main window and the playlist pane are built:
// the video pane, the G-sensor pane, the speed dial and the setup button, the hidden
// progress slider, time label and speed slider the video pane keeps in step, and a plain
// list of the clips given on the command line that the transport steps through.
#pragma once

#include "playback/IVideoPaneHost.h"
#include <QStringList>
#include <QWidget>

class CGSensesDlg;
class CHtmlViewDlg;
class CMapView;
class CMySliderCtrl;
class CSpeedStatic;
class CVideoViewDlg;
class QLabel;
class QPushButton;
class QSlider;
struct MivexOptions;

class COstvikShell : public QWidget, public IVideoPaneHost {
    Q_OBJECT

public:
    explicit COstvikShell(const MivexOptions& engine, QWidget* parent = nullptr);
    ~COstvikShell() override;

    // Appends clips to the list; the first clip added to an empty list is played.
    void AddClips(const QStringList& paths);
    // Prepares the clip's track and opens it, as choosing it in a playlist does.
    void PlayItem(int index);

    void SetPlayButtonLook(bool playFace) override;
    void SetSpeedFromSlider() override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetTimeText(const QString& text) override;
    unsigned long SavedVolume() const override { return m_savedVolume; }
    void SetSavedVolume(unsigned long volume) override { m_savedVolume = volume; }
    QString GetCurrentFile() const override { return m_currentFile; }
    void PlayNext() override;
    void PlayPrev() override;
    void PlayCurrent() override;

    CVideoViewDlg* VideoView() const { return m_video; }
    CGSensesDlg* GSenses() const { return m_gsenses; }
    CSpeedStatic* SpeedDial() const { return m_dial; }
    CHtmlViewDlg* MapHost() const { return m_mapHost; }
    CMapView* MapView() const;
    const QStringList& Clips() const { return m_clips; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OpenSetup();

    CVideoViewDlg* m_video = nullptr;
    CGSensesDlg* m_gsenses = nullptr;
    CSpeedStatic* m_dial = nullptr;
    CHtmlViewDlg* m_mapHost = nullptr;
    QPushButton* m_setup = nullptr;
    CMySliderCtrl* m_hiddenProgress = nullptr;
    QLabel* m_hiddenTime = nullptr;
    QSlider* m_hiddenSpeed = nullptr;
    unsigned long m_savedVolume = 26214;
    QStringList m_clips;
    QString m_currentFile;
};
