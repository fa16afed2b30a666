#include "app/CShellTrackLink.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/OtherSidecars.h"

#include <QFile>

bool CShellTrackLink::LoadEmbeddedTrack(const QString& clipPath) {
    CMyStatic* chart = CMyStatic::Instance();
    const bool embedded = ::LoadEmbeddedTrack(QFile::encodeName(clipPath).toStdString(),
                                              {m_mapStore, chart->m_store, m_dial.m_model});
    chart->update();
    m_dial.update();
    return embedded;
}

void CShellTrackLink::LoadNmeaLog(const QString& sidecarPath) {
    const std::string sidecar = QFile::encodeName(sidecarPath).toStdString();
    if (m_mapStore.LoadNmeaLog(sidecar)) {
        return;
    }
    // Other makers' logs carry the clip's name as the sidecar does, so its name finds them.
    CMyStatic* chart = CMyStatic::Instance();
    LoadOtherSidecars(sidecar, {m_mapStore, chart->m_store, m_dial.m_model});
    chart->update();
    m_dial.update();
}
