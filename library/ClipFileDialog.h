// The file dialog behind the explore button: several clips at once, .mov, .avi and .mp4
// shown whatever the letter case of their names.
#pragma once

#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

std::unique_ptr<QFileDialog> MakeClipFileDialog(QWidget* owner);

// Runs the dialog modally; the chosen paths in the dialog's order, empty for cancel.
QStringList AskForClips(QWidget* owner);
