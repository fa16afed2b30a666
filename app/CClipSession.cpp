#include "app/CClipSession.h"

#include "track/TrackDispatch.h"
#include "track/TrackExport.h"

#include "app/AppLog.h"

#include <QFile>

CClipSession::CClipSession(QObject* parent) : QObject(parent) {
    SetTrackLineConsumers([this](const char* line) { return AddChartLine(line); },
                          [this](const char* line) { return StoreMapLine(line); });
}

CClipSession::~CClipSession() {
    SetTrackLineConsumers({}, {});
}

bool CClipSession::LoadClip(const QString& path) {
    m_clipPath = path;
    m_loader = std::make_unique<ClipTrackLoader>(QFile::encodeName(path).toStdString());
    const bool fix = m_loader->LoadEmbedded(m_track.Stores());
    emit changed(TrackChange{TrackChange::Kind::Reloaded});
    return fix;
}

void CClipSession::LoadLogs() {
    if (m_loader == nullptr) {
        return;
    }
    m_loader->LoadLogs(m_track.Stores());
    emit changed(TrackChange{TrackChange::Kind::Reloaded});
}

QString CClipSession::SidecarPath() const {
    return m_loader != nullptr
               ? QFile::decodeName(QByteArray::fromStdString(m_loader->SidecarPath()))
               : QString();
}

int CClipSession::ReadSidecar() {
    if (m_loader == nullptr) {
        return 0;
    }
    const int lines = m_loader->ReadSidecarLines([](const std::string& line) {
        DispatchTrackLine(line.c_str(), static_cast<int>(line.size()), nullptr);
    });
    LogOutcomes();
    return lines;
}

// What each source gave stays out of the user's way, but a missing map can be explained.
void CClipSession::LogOutcomes() const {
    for (const TrackSourceOutcome& outcome : m_loader->Outcomes()) {
        qCInfo(lcApp).noquote() << "track of"
                                << QFile::decodeName(m_loader->Folder().ClipPath().c_str())
                                << "from" << QString::fromStdString(outcome.source)
                                << (outcome.gave ? QStringLiteral("given")
                                                 : QStringLiteral("nothing: ") +
                                                       QString::fromStdString(outcome.why));
    }
}

int CClipSession::AddChartLine(const char* line) {
    const std::optional<int> second = line != nullptr ? TrackLineSecond(line) : std::nullopt;
    const int stored = m_track.Chart().AddTrackLine(line);
    if (stored != 0 && second) {
        emit changed(TrackChange{TrackChange::Kind::ChartLine, *second});
    }
    return stored;
}

int CClipSession::StoreMapLine(const char* line) {
    int stored = 0;
    const TrackChange change = StoreMapTrackLine(m_track.Map(), line, stored);
    if (stored == 1) {
        emit changed(change);
    }
    return stored;
}

int64_t CClipSession::StartUtc() const {
    return ClipStartUtc(Stores());
}
