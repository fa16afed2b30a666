#include "app/CMapInstrumentsLink.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"

CGSampleStore* CMapInstrumentsLink::ChartStore() {
    CMyStatic* chart = CMyStatic::Instance();
    return chart != nullptr ? &chart->m_store : nullptr;
}

CSpeedDialModel* CMapInstrumentsLink::DialModel() {
    CSpeedStatic* dial = CSpeedStatic::Instance();
    return dial != nullptr ? &dial->m_model : nullptr;
}

void CMapInstrumentsLink::ClearTrack() {
    if (CMyStatic* chart = CMyStatic::Instance()) {
        chart->ResetTrack(0);
    }
    if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
        dial->ClearSpeedRecords();
    }
}

void CMapInstrumentsLink::Repaint() {
    if (CMyStatic* chart = CMyStatic::Instance()) {
        chart->update();
    }
    if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
        dial->update();
    }
}
