// The setup dialog's view of the window's dial: the dial of the process, when there is one.
#pragma once

#include "library/ISpeedUnits.h"

class CSpeedUnitsLink : public ISpeedUnits {
public:
    bool IsKmh() const override;
    void SetKmh(bool kmh) override;
};
