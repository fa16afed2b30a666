// The playlist pane: the clips the user can play, and the one place that decides which clip
// is opened. Double-click, Enter, the file dialog, a drop and the transport's Next, Previous
// and Play all end in PlayItem, which loads the clip's track, has the video pane open it
// and moves the selection. The pane also lists the clips of the dash camera when it is
// plugged in over USB and drops vanished files when it is pulled. It knows the drives its
// clips make (loaded in the background whenever the list changes), heads each with a line,
// plays a drive through from clip to clip and seeks and jumps on the drive's time axis, and
// announces the drive that plays and its second for whatever shows them.
#pragma once

#include "library/CCameraLocator.h"
#include "library/CDeviceNotify.h"
#include "library/CPlaylistDrives.h"
#include "library/ISpeedUnits.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class CClipListModel;
struct MomentRow;
class CUdisksMounter;
class IClipTrackSession;
class IPlaylistVideoPane;
class QCheckBox;
class QListView;
class QPushButton;

class CPlaylistDlg : public QWidget {
    Q_OBJECT

public:
    enum ControlId {
        IDC_LIST = 1009,
        IDC_EXPLORE = 1010,
        IDC_DELETE = 1011,
        IDC_SETUP = 1012,
        IDC_RECYCLE = 1020,
    };
    static constexpr int kCameraTimerId = 1000;
    static constexpr int kCameraTickMs = 50;
    static constexpr int kCameraRetries = 100;

    // What the pane works with; the wiring root fills it, tests hand in their own.
    struct Links {
        IPlaylistVideoPane* video = nullptr;
        // The owner of the playing clip's track.
        IClipTrackSession* track = nullptr;
        // The dial whose units the setup dialog sets.
        ISpeedUnits* speedUnits = nullptr;
        MountTableSource mounts = ReadMountInfo;
        // Whether to ask udisks2 to mount a camera volume that nobody mounted.
        bool mountThroughUdisks = true;
    };

    CPlaylistDlg(QWidget* parent, Links links);
    ~CPlaylistDlg() override;

    static CPlaylistDlg* Instance();

    void PlayItem(int index);
    void PlayNext();
    void PlayPrev();
    void PlayCurrent();
    // The current clip played to its end: a drive's clip goes on to the drive's next clip at
    // once and the drive's last one stops there; any other clip moves on as PlayNext does.
    void PlayAfterEnd();
    // Opens the clip of the current drive that `driveSecond` falls in (unless it plays
    // already) and seeks to it; nothing outside a drive.
    void SeekInDrive(double driveSecond);
    // To the current drive's next driving event (or the one before); nothing when none.
    void JumpToDriveEvent(bool forward);
    // The video pane shows `clipSecond` of the current clip: driveSecondShown tells the
    // drive's second.
    void FollowClipSecond(double clipSecond);
    const QString& GetCurrentFile() const { return m_currentFile; }
    // The sidecar .TXT beside the current clip; empty without one.
    const QString& SidecarPath() const { return m_sidecarPath; }
    void RemoveMissingFiles() { RemoveMissingFiles(QString()); }
    // The recovered copy of a clip takes its entry, in its drive, and plays; listed and
    // played at the end when the clip is no longer listed.
    void PlayInPlaceOf(const QString& clip, const QString& copy);

    // Adds the paths not yet listed, in their order, and plays the first of them (listed
    // before or not): what the file dialog, the command line and a drop do. A clip of a
    // moment several cameras recorded adds and plays its moment's main clip.
    void AddAndPlay(const QStringList& paths);
    // The same for paths a user named, where a folder (a camera's card) stands for every
    // clip under it.
    void OpenAndPlay(const QStringList& paths);
    // A drop from a file manager: files and the clips of folders and the folders inside
    // them, in camera order (ClipsInFolderTree).
    void AddDroppedPaths(const QStringList& paths);
    void Explore();
    void Delete();
    void Setup();

    int FindCameraDrive();
    void LoadCameraFiles();
    int IsUsbDevicePresent(unsigned vendor, unsigned product) const;
    std::vector<DriveRecord> ScanRemovableDrives() const;
    void OnDeviceChange(CDeviceNotify::Change change);

    // Asks for the clips to add; empty for cancel. Tests set their own.
    void SetOpenFilesPrompt(std::function<QStringList()> prompt) {
        m_openFilesPrompt = std::move(prompt);
    }

    CClipListModel* List() const { return m_list; }
    // The path of the list's row `row`; empty for none.
    QString PathAt(int row) const;
    const CPlaylistDrives* Drives() const { return m_drives; }
    QListView* ListView() const { return m_view; }
    QCheckBox* RecycleBox() const { return m_recycle; }
    bool WrapAround() const { return m_wrapAround != 0; }
    const QString& CameraFolder() const { return m_cameraFolder; }
    bool CameraFound() const { return m_cameraFound != 0; }
    bool CameraSearchRunning() const { return m_cameraTimer.isActive(); }
    int CameraCountdown() const { return m_cameraCountdown; }
    bool DeviceNotifyRegistered() const { return m_deviceNotify.IsRegistered(); }

signals:
    // The drive of the clip that now plays, when it changed; null when the clip is in none
    // (or alone).
    void driveEntered(std::shared_ptr<const LoadedDrive> drive);
    // The second of that drive that plays now, on every second the clip shows.
    void driveSecondShown(double driveSecond);
    // The driving events of a clip that plays alone, as a drive of that one clip (its
    // seconds are the clip's); null for a clip of a drive, whose events the drive shows.
    void loneClipEventsShown(std::shared_ptr<const LoadedDrive> lone);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void OnCameraTick();
    // Also drops the entries below `goneFolder`, the root of a volume that went away: its
    // mount may linger for a moment and still answer for the files. Only a selected last
    // entry that went makes the new last entry selected.
    void RemoveMissingFiles(const QString& goneFolder);
    void SyncViewSelection(int selection);
    // Lists the row's clip unless it is listed, marks its channels; its index.
    int AddRow(const MomentRow& row);
    void LoadDrives();
    void OnDrivesLoaded();
    // Finds the drive of the current clip and announces it when it changed.
    void EnterDrive();
    void ShowLoneClipEvents();
    // Makes `path` the current clip and loads its track; whether the clip holds its own.
    bool LoadClipTrack(const QString& path);
    // Opens the clip at `path` with the rest of its drive as one timeline; false when it
    // is in no drive of two or more clips, or the pane cannot.
    bool OpenInDrive(const QString& path);
    // The clip playing alone turned out to be in a drive: played from its start or paused, it
    // is opened again with its drive as one timeline, at the same place.
    void JoinDriveTimeline();
    // The open drive went on into the clip at `path` by itself.
    void FollowDriveClip(const QString& path);

    IPlaylistVideoPane* m_video;
    IClipTrackSession* m_track;
    ISpeedUnits* m_speedUnits;
    CPlaylistDrives* m_drives = nullptr;
    // Gathers the list's changes of one event-loop turn into one load of the drives.
    QTimer m_drivesTimer;
    DriveOfClip m_drive;
    // The drive the pane plays as one timeline, while it does.
    std::shared_ptr<const LoadedDrive> m_timeline;
    std::shared_ptr<const LoadedDrive> m_loneDrive; // a clip alone, as a drive of one clip
    // The current clip's second last shown, and where it falls on its drive's axis.
    double m_clipSecond = 0.0;
    double m_driveSecond = 0.0;
    QString m_currentFile;
    QString m_sidecarPath;
    int m_wrapAround = 0;
    int m_cameraCountdown = 0;
    CDeviceNotify m_deviceNotify;
    QString m_cameraFolder;
    int m_cameraFound = 0;
    CCameraLocator m_locator;
    std::unique_ptr<CUdisksMounter> m_mounter;
    QTimer m_cameraTimer;
    std::function<QStringList()> m_openFilesPrompt;

    CClipListModel* m_list = nullptr;
    QListView* m_view = nullptr;
    QPushButton* m_explore = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_setup = nullptr;
    QCheckBox* m_recycle = nullptr;
};
