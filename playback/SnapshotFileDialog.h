// The save dialog of a snapshot: BMP files (PNG offered second, for a picture that carries
// its clip, time and place; PDF third, for a one-page report of the frame with the clip's
// hash), opening on the proposed name in its folder, in
// the platform's readable colours under the skin's dark sheet.
#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

// `proposed` is the default path: the folder last saved to (at first the user's pictures)
// and the default name.
std::unique_ptr<QFileDialog> MakeSnapshotFileDialog(QWidget* owner, const QString& proposed);
