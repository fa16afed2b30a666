#include "app/CSpeedUnitsLink.h"
#include "instruments/CSpeedStatic.h"
#include "library/CDlgSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs the setup button's action while a scripted user works the dialog: chooses the entries
// in turn, then presses the button with the id given (1 OK, 2 Cancel).
int RunWithUser(CSpeedStatic* dial, const std::vector<int>& choices, const char* button) {
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
    CSpeedUnitsLink units(dial);
    return RunSetupDialog(nullptr, &units);
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

// A dial in the units given, the user's choices in turn (0 Km/h, 1 mile/h) and a button:
// OK takes the last choice, or keeps the dial's units without one; Cancel keeps them always.
TEST(SetupDialog, OkTakesTheLastChoiceAndCancelKeepsTheUnits) {
    const struct {
        bool kmh;
        std::vector<int> choices;
        const char* button;
        int result;
        bool kmhAfter;
    } cases[] = {
        {false, {}, "1", QDialog::Accepted, false},  {true, {}, "1", QDialog::Accepted, true},
        {true, {1}, "1", QDialog::Accepted, false},  {false, {1, 0}, "1", QDialog::Accepted, true},
        {false, {0}, "2", QDialog::Rejected, false}, {true, {1}, "2", QDialog::Rejected, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kmh << " " << c.choices.size() << " " << c.button);
        CSpeedStatic dial;
        dial.SetKmh(c.kmh);
        EXPECT_EQ(RunWithUser(&dial, c.choices, c.button), c.result);
        EXPECT_EQ(dial.IsKmh(), c.kmhAfter);
        EXPECT_EQ(dial.Text(), c.kmhAfter ? "0Km/h" : "0mile/h");
    }
}

TEST(SetupDialog, AnUnknownIndexOrNoDialChangesNothing) {
    CSpeedStatic dial;
    CSpeedUnitsLink link(&dial);
    ApplySetupChoice(QDialog::Accepted, 2, &link);
    EXPECT_FALSE(dial.IsKmh());
    ApplySetupChoice(QDialog::Accepted, 0, nullptr);
    ApplySetupChoice(QDialog::Rejected, 0, &link);
    EXPECT_FALSE(dial.IsKmh());
}

} // namespace
