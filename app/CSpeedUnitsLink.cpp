#include "app/CSpeedUnitsLink.h"

#include "instruments/CSpeedStatic.h"

bool CSpeedUnitsLink::IsKmh() const {
    return m_dial->IsKmh();
}

void CSpeedUnitsLink::SetKmh(bool kmh) {
    m_dial->SetKmh(kmh);
}
