#include "app/CShellTrackLink.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"

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
    m_mapStore.LoadNmeaLog(QFile::encodeName(sidecarPath).toStdString());
}
