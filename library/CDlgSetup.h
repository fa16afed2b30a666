// The setup dialog, where the user picks the units of the speed dial: kilometres or miles per
// hour. The choice takes effect on OK and lasts until the program ends; it is not stored.
#pragma once

#include <QDialog>

#include "library/ISpeedUnits.h"

class QComboBox;

class CDlgSetup : public QDialog {
    Q_OBJECT

public:
    // The entries of the units list, in its order.
    static constexpr int kUnitsKmh = 0;
    static constexpr int kUnitsMph = 1;

    // Opens on the units the dial shows, so that OK without a choice changes nothing;
    // without a dial, on miles per hour, the units every run starts in.
    explicit CDlgSetup(QWidget* parent = nullptr, const ISpeedUnits* dial = nullptr);

    // The entry last chosen in the units list; the opening entry until the user picks another.
    int UnitsIndex() const { return m_nUnits; }

    QComboBox* UnitsCombo() const { return m_units; }

private:
    int m_nUnits = kUnitsKmh;
    QComboBox* m_units = nullptr;
};

// What the setup button does with the dialog's outcome: on OK, sets the dial's units from the
// units index (which repaints it); on anything else, leaves the dial alone.
void ApplySetupChoice(int dialogResult, int unitsIndex, ISpeedUnits* dial);

// Runs the dialog modally over `parent` and applies the choice to `dial`. Returns the
// dialog's result.
int RunSetupDialog(QWidget* parent, ISpeedUnits* dial);
