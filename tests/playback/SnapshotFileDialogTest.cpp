#include "playback/SnapshotFileDialog.h"
#include "tests/support/ReadableFields.h"

#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

TEST(SnapshotFileDialog, ReadableUnderTheSkin) {
    ExpectReadableFields(*MakeSnapshotFileDialog(nullptr, QStringLiteral("/tmp/snap.bmp")));
}

} // namespace
