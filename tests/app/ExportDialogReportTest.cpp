// The export dialog's report: ticked by choosing overlays, written beside the excerpt off the
// window's thread, and told in the dialog's status; a folder that takes no files stops the
// export before ffmpeg starts.

#include "app/CExportDlg.h"

#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

ExcerptRequest TwoSecondsOf(const std::string& clip) {
    ExcerptRequest request;
    request.pieces.push_back({clip, 1.0, 3.0});
    return request;
}

} // namespace

TEST(ExportDialogReport, AnOverlayExcerptComesWithItsReport) {
    const auto folder = TestFolder("dialog-report");
    const std::string clip = (folder / "front.mp4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 5 --start 2024-06-01T12:00:00").status, 0);
    CExportDlg dialog;
    dialog.SetExcerpt(TwoSecondsOf(clip), QStringLiteral("excerpt.mp4"));
    EXPECT_FALSE(dialog.ReportChoice()->isChecked()) << "a copy starts without one";
    dialog.OverlayChoice()->setChecked(true);
    EXPECT_TRUE(dialog.ReportChoice()->isChecked());
    dialog.TextLine()->setText(QStringLiteral("Case 9"));
    dialog.PathLine()->setText(QString::fromStdString((folder / "excerpt.mp4").string()));
    dialog.ExportButton()->click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.Running(); }, 60s));
    EXPECT_TRUE(dialog.Status()->text().contains(QStringLiteral("report")))
        << dialog.Status()->text().toStdString();
    for (const char* name : {"excerpt.mp4", "excerpt.gpx", "excerpt.csv", "excerpt.report.pdf",
                             "excerpt.manifest.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    const ToolRun text =
        Shell("pdftotext " + Quoted((folder / "excerpt.report.pdf").string()) + " -");
    EXPECT_NE(text.out.find("Case: Case 9"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("the export dialog: overlay excerpt"), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(ExportDialogReport, AFolderThatTakesNoFilesStopsTheExportAtOnce) {
    const auto folder = TestFolder("dialog-report");
    const std::string clip = (folder / "front.mp4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 5").status, 0);
    CExportDlg dialog;
    dialog.SetExcerpt(TwoSecondsOf(clip), QStringLiteral("excerpt.mp4"));
    dialog.OverlayChoice()->setChecked(true);
    dialog.PathLine()->setText(QStringLiteral("/proc/excerpt.mp4"));
    dialog.ExportButton()->click();
    EXPECT_FALSE(dialog.Running());
    EXPECT_TRUE(dialog.Status()->text().startsWith(QStringLiteral("Not exported")))
        << dialog.Status()->text().toStdString();
    // The status may break a long path after its slashes, with zero-width spaces.
    EXPECT_TRUE(dialog.Status()->text().remove(QChar(0x200B)).contains(QStringLiteral("/proc")))
        << dialog.Status()->text().toStdString();
    std::filesystem::remove_all(folder);
}
