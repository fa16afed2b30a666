// "Save track as…" from the playlist's context menu: the track of the clip right-clicked, of
// the drive it belongs to, or of the excerpt marked with I and O, in the format the save
// dialog's filter picks, written by the same writers as the track tool. A drive's clips
// come from the tracks its grouping already loaded; any other clip is read again from its
// file, so the track saved never depends on what the panes happen to show.
#pragma once

#include "track/ExcerptMarks.h"
#include "track/TrackExport.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CPlaylistDlg;
class QMenu;
class QWidget;

class CTrackSaveMenu : public QObject {
    Q_OBJECT

public:
    struct Choice {
        QString path;
        TrackFormat format = TrackFormat::Gpx;
    };
    // Asks where and as what to save, given the proposed path without a suffix; nothing for
    // cancel. By default the track save dialog.
    using Prompt = std::function<std::optional<Choice>(const QString& proposed)>;

    // `excerpt` gives the marks when the menu opens.
    CTrackSaveMenu(CPlaylistDlg* playlist, std::function<const ExcerptMarks&()> excerpt,
                   QWidget* dialogOwner);

    void SetPrompt(Prompt prompt) { m_prompt = std::move(prompt); }

    // The menu for the playlist entry `clipPath` (empty over no entry): its clip's and its
    // drive's track, and the excerpt's once both marks are set.
    std::unique_ptr<QMenu> MakeMenu(const QString& clipPath, QWidget* parent);

    // Each false when nothing was written: cancelled, nothing to save, or the file could not
    // be written (one line on standard error says why).
    bool SaveClip(const QString& clipPath);
    bool SaveDrive(const QString& clipPath);
    bool SaveExcerpt();

private:
    bool Save(const std::vector<ExcerptPiece>& pieces,
              const std::shared_ptr<const LoadedDrive>& drive, const QString& name,
              const QString& folder);
    std::shared_ptr<const LoadedDrive> DriveOf(const QString& clipPath) const;
    std::optional<Choice> AskWithDialog(const QString& proposed);

    CPlaylistDlg* m_playlist;
    std::function<const ExcerptMarks&()> m_excerpt;
    QWidget* m_dialogOwner;
    Prompt m_prompt;
    QString m_lastFolder;
};
