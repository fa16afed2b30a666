#include "app/CSpeedUnitsLink.h"

#include "instruments/CSpeedStatic.h"

// Without a dial, miles per hour: the units every run starts in.
bool CSpeedUnitsLink::IsKmh() const {
    const CSpeedStatic* dial = CSpeedStatic::Instance();
    return dial != nullptr && dial->IsKmh();
}

void CSpeedUnitsLink::SetKmh(bool kmh) {
    if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
        dial->SetKmh(kmh);
    }
}
