#include "app/CTrackSaveMenu.h"

#include "app/TrackSaveDialog.h"
#include "library/CPlaylistDlg.h"
#include "library/CPlaylistDrives.h"
#include "track/ClipTrack.h"
#include "track/ExcerptTrack.h"
#include "track/WholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMenu>

#include <map>
#include <sstream>

namespace {

std::string PathOf(const QString& clip) {
    return QFile::encodeName(clip).toStdString();
}

QString ClipNameOf(const std::string& path) {
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).completeBaseName();
}

} // namespace

CTrackSaveMenu::CTrackSaveMenu(CPlaylistDlg* playlist, std::function<const ExcerptMarks&()> excerpt,
                               QWidget* dialogOwner)
    : m_playlist(playlist), m_excerpt(std::move(excerpt)), m_dialogOwner(dialogOwner),
      m_prompt([this](const QString& proposed) { return AskWithDialog(proposed); }) {
    QListView* view = m_playlist->ListView();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        const QModelIndex index = view->indexAt(at);
        const QString path = index.isValid() ? m_playlist->PathAt(index.row()) : QString();
        QMenu* menu = MakeMenu(path, view).release();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(view->viewport()->mapToGlobal(at));
    });
}

std::unique_ptr<QMenu> CTrackSaveMenu::MakeMenu(const QString& clipPath, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    QAction* clip = menu->addAction(tr("Save track of this clip as…"));
    clip->setEnabled(!clipPath.isEmpty());
    connect(clip, &QAction::triggered, this, [this, clipPath] { SaveClip(clipPath); });
    QAction* drive = menu->addAction(tr("Save track of its drive as…"));
    drive->setEnabled(!clipPath.isEmpty() && DriveOf(clipPath) != nullptr);
    connect(drive, &QAction::triggered, this, [this, clipPath] { SaveDrive(clipPath); });
    QAction* excerpt = menu->addAction(tr("Save track of the excerpt (I to O) as…"));
    excerpt->setEnabled(!m_excerpt().Pieces().empty());
    connect(excerpt, &QAction::triggered, this, [this] { SaveExcerpt(); });
    return menu;
}

bool CTrackSaveMenu::SaveClip(const QString& clipPath) {
    const QFileInfo clip(clipPath);
    // The clip's whole length is not known before reading it; the track's own end bounds it.
    return Save({{PathOf(clipPath), 0.0, kMaxTrackSecond}}, DriveOf(clipPath),
                clip.completeBaseName(), clip.absolutePath());
}

bool CTrackSaveMenu::SaveDrive(const QString& clipPath) {
    const std::shared_ptr<const LoadedDrive> drive = DriveOf(clipPath);
    if (drive == nullptr || drive->drive.clips.empty()) {
        return false;
    }
    const std::string& first = drive->drive.clips.front().main.path;
    return Save(WholeDrivePieces(drive->drive), drive, ClipNameOf(first) + QStringLiteral("_drive"),
                QFileInfo(clipPath).absolutePath());
}

bool CTrackSaveMenu::SaveExcerpt() {
    const ExcerptMarks& marks = m_excerpt();
    const std::vector<ExcerptPiece> pieces = marks.Pieces();
    if (pieces.empty()) {
        return false;
    }
    const QString first = QFile::decodeName(QByteArray::fromStdString(pieces.front().clip));
    return Save(pieces, marks.Drive(), ClipNameOf(pieces.front().clip) + QStringLiteral("_excerpt"),
                QFileInfo(first).absolutePath());
}

bool CTrackSaveMenu::Save(const std::vector<ExcerptPiece>& pieces,
                          const std::shared_ptr<const LoadedDrive>& drive, const QString& name,
                          const QString& folder) {
    const QString start = m_lastFolder.isEmpty() ? folder : m_lastFolder;
    const std::optional<Choice> choice = m_prompt(QDir(start).filePath(name));
    if (!choice || choice->path.isEmpty()) {
        return false;
    }
    std::map<std::string, std::unique_ptr<ClipTrack>> read;
    const auto trackOf = [&](const std::string& path) -> const TrackStores* {
        if (drive != nullptr) {
            const std::optional<size_t> index = drive->ClipIndex(path);
            if (index && *index < drive->tracks.size() && drive->tracks[*index] != nullptr) {
                return &drive->tracks[*index]->Stores();
            }
        }
        if (!QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).isFile()) {
            qWarning("track save: %s is not a readable clip; its seconds stay empty", path.c_str());
            return nullptr;
        }
        auto& track = read[path];
        if (track == nullptr) {
            track = std::make_unique<ClipTrack>();
            track->Load(path);
        }
        return &track->Stores();
    };
    ExcerptTrack track;
    track.Build(pieces, trackOf);
    std::ostringstream text;
    WriteTrack(text, choice->format, track.Stores(), name.toStdString());
    std::string why;
    if (!WriteWholeFile(QFile::encodeName(choice->path).toStdString(), text.str(), why)) {
        qWarning("track save: cannot write %s: %s", qUtf8Printable(choice->path), why.c_str());
        return false;
    }
    m_lastFolder = QFileInfo(choice->path).absolutePath();
    return true;
}

std::shared_ptr<const LoadedDrive> CTrackSaveMenu::DriveOf(const QString& clipPath) const {
    return m_playlist->Drives()->DriveOf(PathOf(clipPath)).drive;
}

std::optional<CTrackSaveMenu::Choice> CTrackSaveMenu::AskWithDialog(const QString& proposed) {
    const std::unique_ptr<QFileDialog> dialog = MakeTrackSaveDialog(m_dialogOwner, proposed);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog->selectedFiles().front();
    const std::optional<TrackFormat> format = ChosenTrackFormat(path, dialog->selectedNameFilter());
    if (!format) {
        return std::nullopt;
    }
    return Choice{path, *format};
}
