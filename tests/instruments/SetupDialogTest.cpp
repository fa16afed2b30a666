#include "instruments/CSpeedStatic.h"
#include "library/CDlgSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Runs the setup button's action while a scripted user works the dialog: chooses the entries
// in turn, then presses the button with the id given (1 OK, 2 Cancel).
int RunWithUser(const std::vector<int>& choices, const char* button) {
    QTimer::singleShot(0, [choices, button] {
        auto* dialog = qobject_cast<CDlgSetup*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no setup dialog is open";
            return;
        }
        for (int choice : choices) {
            dialog->UnitsCombo()->setCurrentIndex(choice);
        }
        dialog->findChild<QPushButton*>(QLatin1String(button))->click();
    });
    return RunSetupDialog(nullptr);
}

// Without a dial: on miles per hour, the units every run starts in.
TEST(SetupDialog, OpensOnMilesWithBothUnitsListed) {
    CDlgSetup dialog;
    EXPECT_EQ(dialog.windowTitle(), "Setup");
    QComboBox* combo = dialog.UnitsCombo();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "Km/h");
    EXPECT_EQ(combo->itemText(1), "mile/h");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(dialog.UnitsIndex(), 1);
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("1"))->isDefault());
}

TEST(SetupDialog, OkWithoutAChoiceKeepsTheUnitsTheDialShows) {
    CSpeedStatic dial;
    ASSERT_FALSE(dial.IsKmh());
    EXPECT_EQ(RunWithUser({}, "1"), QDialog::Accepted);
    EXPECT_FALSE(dial.IsKmh());
    EXPECT_EQ(dial.Text(), "0mile/h");
    dial.SetKmh(true);
    RunWithUser({}, "1");
    EXPECT_TRUE(dial.IsKmh());
}

TEST(SetupDialog, MilesAndOkSwitchesToMiles) {
    CSpeedStatic dial;
    dial.SetKmh(true);
    RunWithUser({1}, "1");
    EXPECT_FALSE(dial.IsKmh());
}

TEST(SetupDialog, TheLastChoiceBeforeOkCounts) {
    CSpeedStatic dial;
    RunWithUser({1, 0}, "1");
    EXPECT_TRUE(dial.IsKmh());
}

TEST(SetupDialog, CancelLeavesTheDialAsItWas) {
    CSpeedStatic dial;
    EXPECT_EQ(RunWithUser({0}, "2"), QDialog::Rejected);
    EXPECT_FALSE(dial.IsKmh());
    dial.SetKmh(true);
    RunWithUser({1}, "2");
    EXPECT_TRUE(dial.IsKmh());
}

TEST(SetupDialog, AnUnknownIndexOrNoDialChangesNothing) {
    CSpeedStatic dial;
    ApplySetupChoice(QDialog::Accepted, 2, &dial);
    EXPECT_FALSE(dial.IsKmh());
    ApplySetupChoice(QDialog::Accepted, 0, nullptr);
    ApplySetupChoice(QDialog::Rejected, 0, &dial);
    EXPECT_FALSE(dial.IsKmh());
}

} // namespace
