#include "library/CPlaylistDlg.h"

#include "library/CClipListModel.h"
#include "library/CDlgSetup.h"
#include "library/CDriveHeaderDelegate.h"
#include "library/CUdisksMounter.h"
#include "library/ClipFileDialog.h"
#include "library/ClipFiles.h"
#include "library/IClipTrackSession.h"
#include "library/IPlaylistVideoPane.h"
#include "library/LibraryLog.h"
#include "library/MomentRows.h"
#include "skin/SkinSE.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>

namespace {

CPlaylistDlg* g_instance = nullptr;

constexpr int kButtonRowTop = 2;
constexpr int kButtonRowHeight = 24;

// Controls keep their places in dialog units of the pane's 8-point font.
QRect FromDialogUnits(int x, int y, int width, int height) {
    return {static_cast<int>(x * 1.5), static_cast<int>(y * 1.625), static_cast<int>(width * 1.5),
            static_cast<int>(height * 1.625)};
}

} // namespace

CPlaylistDlg::CPlaylistDlg(QWidget* parent, Links links)
    : QWidget(parent), m_video(links.video), m_track(links.track), m_speedUnits(links.speedUnits),
      m_locator(std::move(links.mounts)) {
    g_instance = this;
    setObjectName(QStringLiteral("133"));
    setAcceptDrops(true);
    if (links.mountThroughUdisks) {
        m_mounter = std::make_unique<CUdisksMounter>();
    }
    CreateControls();
    if (m_video != nullptr) {
        m_video->SetDriveClipFollower([this](const QString& path) { FollowDriveClip(path); });
    }

    m_drives = new CPlaylistDrives(this);
    connect(m_drives, &CPlaylistDrives::loaded, this, &CPlaylistDlg::OnDrivesLoaded);
    m_drivesTimer.setSingleShot(true);
    m_drivesTimer.setInterval(0);
    connect(&m_drivesTimer, &QTimer::timeout, this, &CPlaylistDlg::LoadDrives);
    connect(m_list, &QAbstractItemModel::rowsInserted, &m_drivesTimer, qOverload<>(&QTimer::start));
    connect(m_list, &QAbstractItemModel::rowsRemoved, &m_drivesTimer, qOverload<>(&QTimer::start));

    m_cameraTimer.setObjectName(QString::number(kCameraTimerId));
    m_cameraTimer.setInterval(kCameraTickMs);
    connect(&m_cameraTimer, &QTimer::timeout, this, &CPlaylistDlg::OnCameraTick);
    if (!m_deviceNotify.Register(
            [this](CDeviceNotify::Change change) { OnDeviceChange(change); })) {
        qCInfo(lcLibrary) << "no udev monitor: a camera plugged in later is not seen";
    }
    m_cameraFound = FindCameraDrive();
    if (m_cameraFound != 0) {
        LoadCameraFiles();
    } else if (m_mounter != nullptr) {
        // A camera that was plugged in before anybody could mount it: have it mounted and
        // look again, as after an arrival.
        bool asked = false;
        for (const std::string& volume : m_locator.UnmountedCameraVolumes()) {
            asked = m_mounter->RequestMount(QString::fromStdString(volume)) || asked;
        }
        if (asked) {
            OnDeviceChange(CDeviceNotify::Change::Arrival);
        }
    }
}

CPlaylistDlg::~CPlaylistDlg() {
    m_deviceNotify.Unregister();
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

CPlaylistDlg* CPlaylistDlg::Instance() {
    return g_instance;
}

void CPlaylistDlg::CreateControls() {
    SkinSE_SubclassWindow(this, QStringLiteral("playlist"));

    m_list = new CClipListModel(this);
    m_view = new QListView(this);
    m_view->setObjectName(QString::number(IDC_LIST));
    m_view->setModel(m_list);
    m_view->setItemDelegate(new CDriveHeaderDelegate(m_view));
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_view->setTextElideMode(Qt::ElideMiddle);
    m_view->installEventFilter(this);
    m_view->setGeometry(FromDialogUnits(17, 52, 137, 108));
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = m_view->selectionModel()->selectedRows();
        m_list->select(rows.isEmpty() ? -1 : rows.first().row());
    });
    connect(m_list, &CClipListModel::selectionChanged, this, &CPlaylistDlg::SyncViewSelection);
    connect(m_view, &QListView::doubleClicked, this, [this] { PlayItem(m_list->selection()); });

    auto button = [this](int id, const QRect& rect, const QString& element, const QString& tip) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::number(id));
        b->setGeometry(rect);
        b->setToolTip(tip);
        SkinSE_SubclassWindow(b, element);
        return b;
    };
    m_explore = button(IDC_EXPLORE, FromDialogUnits(21, 22, 23, 13),
                       QStringLiteral("list.btn.explore"), tr("Add clips"));
    m_explore->setText(tr("+"));
    m_delete = button(IDC_DELETE, FromDialogUnits(57, 21, 24, 15),
                      QStringLiteral("list.btn.delete"), tr("Remove from the list"));
    m_delete->setText(tr("−"));
    // The skin gives the setup button its icon; a word beside it would not fit the button.
    m_setup = button(IDC_SETUP, FromDialogUnits(91, 22, 24, 15), QStringLiteral("list.btn.setup"),
                     tr("Setup"));
    connect(m_explore, &QPushButton::clicked, this, &CPlaylistDlg::Explore);
    connect(m_delete, &QPushButton::clicked, this, &CPlaylistDlg::Delete);
    connect(m_setup, &QPushButton::clicked, this, &CPlaylistDlg::Setup);

    m_recycle = new QCheckBox(tr("Recycle"), this);
    m_recycle->setObjectName(QString::number(IDC_RECYCLE));
    m_recycle->setGeometry(FromDialogUnits(120, 18, 48, 12));
    SkinSE_SubclassWindow(m_recycle, QStringLiteral("list.btn.recycle"));
    connect(m_recycle, &QCheckBox::clicked, this, [this] { m_wrapAround = m_wrapAround == 0; });
    m_recycle->hide();
}

void CPlaylistDlg::SyncViewSelection(int selection) {
    QItemSelectionModel* model = m_view->selectionModel();
    if (selection < 0) {
        model->clearSelection();
        return;
    }
    const QModelIndex row = m_list->index(selection);
    model->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
}

void CPlaylistDlg::PlayItem(int index) {
    const QString path = m_list->text(index);
    if (path.isEmpty()) {
        return;
    }
    // A refused open must leave everything as it was, the track on the map included, so the
    // pane is asked before the track is loaded.
    if (m_video == nullptr || !m_video->WouldAcceptOpen()) {
        return;
    }
    // The current clip moves even when the engine cannot open the file: Next and Previous
    // then step on from it.
    const bool embedded = LoadClipTrack(path);
    if (!OpenInDrive(path) && !m_video->OpenClip(path)) {
        return;
    }
    if (!embedded && m_track != nullptr) {
        m_track->LoadLogs();
    }
    m_list->select(index);
    m_clipSecond = 0.0;
    EnterDrive();
}

bool CPlaylistDlg::LoadClipTrack(const QString& path) {
    const bool embedded = m_track != nullptr && m_track->LoadClip(path);
    m_currentFile = path;
    m_sidecarPath = m_track != nullptr ? m_track->SidecarPath() : QString();
    return embedded;
}

void CPlaylistDlg::PlayInPlaceOf(const QString& clip, const QString& copy) {
    const int row = m_list->find(clip);
    if (row == -1) {
        AddAndPlay({copy});
        return;
    }
    m_list->replace(row, copy);
    m_drivesTimer.start();
    PlayItem(row);
}

QString CPlaylistDlg::PathAt(int row) const {
    return m_list->text(row);
}

void CPlaylistDlg::PlayNext() {
    if (m_currentFile.isEmpty()) {
        return;
    }
    int i = m_list->find(m_currentFile) + 1;
    if (i > m_list->count() - 1 && m_wrapAround != 0) {
        i = 0;
    }
    PlayItem(i);
}

void CPlaylistDlg::PlayPrev() {
    if (m_currentFile.isEmpty()) {
        return;
    }
    int i = m_list->find(m_currentFile) - 1;
    if (i < 0 && m_wrapAround != 0) {
        i = m_list->count() - 1;
    }
    PlayItem(i);
}

void CPlaylistDlg::PlayCurrent() {
    if (!m_currentFile.isEmpty()) {
        PlayItem(m_list->find(m_currentFile));
    }
}

void CPlaylistDlg::RemoveMissingFiles(const QString& goneFolder) {
    const int s0 = m_list->selection();
    const bool lastSelected = s0 != -1 && s0 == m_list->count() - 1;
    QString goneRoot = goneFolder;
    if (!goneRoot.isEmpty() && !goneRoot.endsWith(QLatin1Char('/'))) {
        goneRoot += QLatin1Char('/');
    }
    int i = 0;
    while (i < m_list->count()) {
        const QString path = m_list->text(i);
        const bool gone = !goneRoot.isEmpty() && path.startsWith(goneRoot);
        if (!gone && QFileInfo::exists(path)) {
            ++i;
            continue;
        }
        m_list->remove(i);
        if (path == m_currentFile) {
            m_currentFile.clear();
            if (m_video != nullptr) {
                m_video->StopClip();
            }
            EnterDrive();
        }
    }
    // The list's own rule has moved or cleared the selection; only a selected last entry
    // that went gives way to the new last.
    if (lastSelected && m_list->selection() == -1) {
        m_list->select(m_list->count() - 1);
    }
}

int CPlaylistDlg::AddRow(const MomentRow& row) {
    int i = m_list->find(row.path);
    if (i == -1) {
        i = m_list->append(row.path);
    }
    m_list->setChannels(row.path, row.channels);
    return i;
}

void CPlaylistDlg::AddAndPlay(const QStringList& paths) {
    const QList<MomentRow> rows = MomentRows(paths);
    for (int k = 0; k < rows.size(); ++k) {
        const int i = AddRow(rows.at(k));
        if (k == 0) {
            PlayItem(i);
        }
    }
}

void CPlaylistDlg::OpenAndPlay(const QStringList& paths) {
    AddAndPlay(WithFoldersOpened(paths));
}

void CPlaylistDlg::Explore() {
    OpenAndPlay(m_openFilesPrompt ? m_openFilesPrompt() : AskForClips(this));
}

void CPlaylistDlg::Delete() {
    const int s = m_list->selection();
    if (s == -1) {
        return;
    }
    m_list->remove(s);
    if (m_list->count() == s) {
        m_list->select(s - 1);
    } else {
        m_list->select(-1);
    }
}

void CPlaylistDlg::Setup() {
    RunSetupDialog(this, m_speedUnits);
}

int CPlaylistDlg::IsUsbDevicePresent(unsigned vendor, unsigned product) const {
    return m_locator.IsUsbDevicePresent(vendor, product) ? 1 : 0;
}

std::vector<DriveRecord> CPlaylistDlg::ScanRemovableDrives() const {
    return m_locator.ScanRemovableDrives();
}

int CPlaylistDlg::FindCameraDrive() {
    const std::string folder = m_locator.FindCameraFolder();
    if (folder.empty()) {
        return 0;
    }
    m_cameraFolder = QFile::decodeName(QByteArray::fromStdString(folder));
    return 1;
}

void CPlaylistDlg::LoadCameraFiles() {
    for (const MomentRow& row :
         MomentRows(FilesInFolder(m_cameraFolder, {QStringLiteral("MP4"), QStringLiteral("TS")}))) {
        AddRow(row);
    }
}

void CPlaylistDlg::OnDeviceChange(CDeviceNotify::Change change) {
    if (change == CDeviceNotify::Change::Arrival) {
        if (m_cameraFound == 0) {
            m_cameraTimer.start();
            m_cameraCountdown = kCameraRetries;
            if (m_mounter != nullptr) {
                m_mounter->Forget();
            }
        }
        return;
    }
    if (IsUsbDevicePresent(CCameraLocator::kCameraVendor, CCameraLocator::kCameraProduct) != 0) {
        return;
    }
    // Every clip of the camera's volume goes, not only those of its clip folder.
    RemoveMissingFiles(m_cameraFolder.isEmpty() ? QString() : QFileInfo(m_cameraFolder).path());
    m_cameraFolder.clear();
    m_cameraFound = 0;
}

void CPlaylistDlg::OnCameraTick() {
    if (m_cameraFound == 0) {
        m_cameraFound = FindCameraDrive();
        if (m_cameraFound != 0) {
            LoadCameraFiles();
        } else if (m_mounter != nullptr) {
            for (const std::string& volume : m_locator.UnmountedCameraVolumes()) {
                m_mounter->RequestMount(QString::fromStdString(volume));
            }
        }
    }
    if (m_cameraFound != 0) {
        m_cameraTimer.stop();
    } else if (m_cameraCountdown-- == 0) {
        m_cameraTimer.stop();
    }
}

void CPlaylistDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize size = event->size();
    m_view->setGeometry(8, 28, size.width() - 16, size.height() - 36);
    // The template's button rectangles reach below y = 28, into the list; the row keeps
    // their places across and sits in the strip above the list.
    for (QWidget* button : {static_cast<QWidget*>(m_explore), static_cast<QWidget*>(m_delete),
                            static_cast<QWidget*>(m_setup), static_cast<QWidget*>(m_recycle)}) {
        button->setGeometry(button->x(), kButtonRowTop, button->width(), kButtonRowHeight);
    }
}

bool CPlaylistDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            Delete();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            PlayItem(m_list->selection());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPlaylistDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CPlaylistDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    AddDroppedPaths(paths);
}

void CPlaylistDlg::AddDroppedPaths(const QStringList& paths) {
    AddAndPlay(ClipsOfDroppedPaths(paths));
}
