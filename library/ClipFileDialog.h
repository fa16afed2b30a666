// The file dialog behind the explore button: several clips at once, .mov, .avi, .mp4 and .ts
// shown whatever the letter case of their names, or the folder shown (a camera's card) by
// its "Add this folder" button; opening where clips are: on the camera's clip folder while
// the camera is plugged in, else in the user's Videos folder.
#pragma once

#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

// `cameraFolder` is the camera's clip folder, or empty without a camera.
std::unique_ptr<QFileDialog> MakeClipFileDialog(QWidget* owner,
                                                const QString& cameraFolder = QString());

// What an accepted dialog chose: the files picked, in the dialog's order, or the folder its
// button took.
QStringList ChosenClipPaths(const QFileDialog& dialog);

// Runs the dialog modally; the chosen paths (ChosenClipPaths), empty for cancel.
QStringList AskForClips(QWidget* owner);
