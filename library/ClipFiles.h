// Which files are clips: the file dialog's kinds (.mov, .avi, .mp4) and the camera's (.MP4),
// each matched whatever the letter case, and the clips of a folder in name order (Linux
// lists a folder in no order worth keeping).
#pragma once

#include <QString>
#include <QStringList>

// The file dialog's filter text.
QString VideoFileFilter();

// True for a name ending in .mov, .avi or .mp4, in any letter case.
bool IsVideoFileName(const QString& name);

// Full paths of the files (not folders) directly in `folder` whose names end in one of
// `suffixes` (without the dot, any letter case), sorted by name.
QStringList FilesInFolder(const QString& folder, const QStringList& suffixes);

// The clips of a folder and of every folder inside it (a camera's card: Movie/, Event/,
// Front/, ...), in camera order: by the recording time their names state, so that an event
// clip kept in a folder of its own sits among the clips of its drive, then by name.
// Folders that cannot be read are passed over, each said once on standard error, and
// linked folders are followed only once.
QStringList ClipsInFolderTree(const QString& folder);

// What a drop of `paths` adds: clip files as they are, folders replaced by their clips
// (ClipsInFolderTree); anything else left out.
QStringList ClipsOfDroppedPaths(const QStringList& paths);

// `paths` with each folder replaced by its clips (ClipsInFolderTree); every other path
// kept as it is, for the playlist to try.
QStringList WithFoldersOpened(const QStringList& paths);
