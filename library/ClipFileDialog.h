// The file dialog behind the explore button: several clips at once, .mov, .avi and .mp4
// shown whatever the letter case of their names, opening where clips are: on the camera's
// clip folder while the camera is plugged in, else in the user's Videos folder.
#pragma once

#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

// `cameraFolder` is the camera's clip folder, or empty without a camera.
std::unique_ptr<QFileDialog> MakeClipFileDialog(QWidget* owner,
                                                const QString& cameraFolder = QString());

// Runs the dialog modally; the chosen paths in the dialog's order, empty for cancel.
QStringList AskForClips(QWidget* owner);
