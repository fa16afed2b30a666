#include "playback/SnapshotFileDialog.h"
#include "tests/support/ReadableFields.h"

#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

TEST(SnapshotFileDialog, ReadableUnderTheSkin) {
    ExpectReadableFields(*MakeSnapshotFileDialog(nullptr, QStringLiteral("/tmp/snap.bmp")));
}

// A name typed without a suffix takes the kind picked, so the pane writes the report it was
// asked for rather than a bitmap named like one.
TEST(SnapshotFileDialog, EachKindGivesATypedNameItsSuffix) {
    const auto dialog = MakeSnapshotFileDialog(nullptr, QStringLiteral("/tmp/snap.bmp"));
    ASSERT_EQ(dialog->nameFilters().size(), 4);
    const QStringList suffixes = {"BMP", "PNG", "pdf", "BMP"};
    for (int i = 0; i < 4; ++i) {
        emit dialog->filterSelected(dialog->nameFilters()[i]);
        EXPECT_EQ(dialog->defaultSuffix(), suffixes[i]) << dialog->nameFilters()[i].toStdString();
    }
}

} // namespace
