// The setup dialog's view of the window's dial and its units.
#pragma once

#include "library/ISpeedUnits.h"

class CSpeedStatic;

class CSpeedUnitsLink : public ISpeedUnits {
public:
    explicit CSpeedUnitsLink(CSpeedStatic* dial) : m_dial(dial) {}

    bool IsKmh() const override;
    void SetKmh(bool kmh) override;

private:
    CSpeedStatic* m_dial;
};
