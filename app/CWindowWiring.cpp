#include "app/CWindowWiring.h"

#include "app/CClipRecoveryNote.h"
#include "app/CExportDlg.h"
#include "app/ExcerptCameras.h"
#include "app/MomentChannels.h"
#include "app/SnapshotReportWriter.h"
#include "instruments/CGSensesDlg.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CPlaylistDlg.h"
#include "library/RecordingTime.h"
#include "map/CHtmlViewDlg.h"
#include "map/CMapView.h"
#include "playback/CDriveTimeline.h"
#include "playback/CVideoViewDlg.h"
#include "track/UtcTime.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

CWindowWiring::CWindowWiring(QWidget* window, const MivexOptions& engine) : m_window(window) {
    CreatePanes(engine);
    ShowTrackInPanes();
    ConnectPanes();
}

CWindowWiring::~CWindowWiring() = default;

CMyStatic* CWindowWiring::Chart() const {
    return m_gsenses->Chart();
}

CMapView* CWindowWiring::Map() const {
    return m_mapHost->MapView();
}

void CWindowWiring::CreatePanes(const MivexOptions& engine) {
    m_video = new CVideoViewDlg(m_window, engine);
    m_video->SetChannelFinder([this](const QString& clip) {
        const DriveOfClip drive =
            m_playlist != nullptr
                ? m_playlist->Drives()->DriveOf(QFile::encodeName(clip).toStdString())
                : DriveOfClip{};
        return MomentChannels(clip, drive.drive != nullptr ? &drive.drive->drive : nullptr,
                              drive.clip);
    });
    // A snapshot's time and place come from the very track the map and the dial show.
    m_video->SetSnapshotFacts([this](double offset) { return m_session.FactsAt(offset); });
    m_video->SetSnapshotReport(MakeSnapshotReportWriter());
    m_gsenses = new CGSensesDlg(m_window);
    m_mapHost = new CHtmlViewDlg(m_window);
    m_dial = new CSpeedStatic(m_window);

    m_videoLink = std::make_unique<CVideoPaneLink>(m_video);
    m_speedUnitsLink = std::make_unique<CSpeedUnitsLink>(m_dial);
    m_driveLink = std::make_unique<CDriveFollowerLink>(m_video, Map());
    m_excerpt = std::make_unique<CExcerptLink>(m_video, m_driveLink.get());
    CPlaylistDlg::Links links;
    links.video = m_videoLink.get();
    links.track = &m_session;
    links.speedUnits = m_speedUnitsLink.get();
    m_playlist = new CPlaylistDlg(m_window, links);
    m_trackSave = std::make_unique<CTrackSaveMenu>(
        m_playlist, [this]() -> const ExcerptMarks& { return m_excerpt->Marks(); }, m_window);
    // The dial is drawn over the panes' corner.
    m_dial->raise();
    m_follower = std::make_unique<CPaneFollower>(Chart(), Map(), m_playlist, m_dial);
}

// The session is the only consumer of track lines and the only loader; every pane shows its
// stores and hears of their changes.
void CWindowWiring::ShowTrackInPanes() {
    ClipTrack& track = m_session.Track();
    Chart()->ShowTrack(track.Chart());
    m_dial->ShowTrack(track.Dial());
    Map()->ShowTrack(track.Map(), &track.Dial());
    QObject::connect(&m_session, &CClipSession::changed, m_dial, [this](const TrackChange& change) {
        Chart()->TrackChanged(change);
        m_dial->TrackChanged(change);
        Map()->TrackChanged(change);
    });
    QObject::connect(m_video, &CVideoViewDlg::clipTrackStarts, &m_session,
                     &CClipSession::ReadSidecar);
}

void CWindowWiring::ConnectPanes() {
    // The panes follow the second shown before the pane's tick, seek or step goes on.
    QObject::connect(m_video, &CVideoViewDlg::secondShown, m_dial,
                     [this](unsigned second) { m_follower->FollowSecond(second); });
    // The transport's clip commands and a clip played out go to the playlist, which decides
    // what opens; it opens the next clip before the pane resets its transport.
    QObject::connect(m_video, &CVideoViewDlg::nextClipAsked, m_playlist, &CPlaylistDlg::PlayNext);
    QObject::connect(m_video, &CVideoViewDlg::previousClipAsked, m_playlist,
                     &CPlaylistDlg::PlayPrev);
    QObject::connect(m_video, &CVideoViewDlg::currentClipAsked, m_playlist,
                     &CPlaylistDlg::PlayCurrent);
    QObject::connect(m_video, &CVideoViewDlg::clipPlayedOut, m_playlist,
                     &CPlaylistDlg::PlayAfterEnd);
    // A clip a power cut left without its index is offered for recovery as it is chosen, and
    // its copy plays in its place.
    m_recoveryNote = new CClipRecoveryNote(m_video, m_video->VideoWindow());
    QObject::connect(&m_session, &CClipSession::changed, m_recoveryNote,
                     [this](const TrackChange& change) {
                         if (change.kind == TrackChange::Kind::Reloaded) {
                             m_recoveryNote->ShowFor(m_session.ClipPath());
                         }
                     });
    QObject::connect(m_recoveryNote, &CClipRecoveryNote::recovered, m_playlist,
                     &CPlaylistDlg::PlayInPlaceOf);
    QObject::connect(m_video, &CVideoViewDlg::exportRequested, m_window,
                     [this] { ShowExportDialog(); });
    // A click on the map's route asks for the video at that second of the clip.
    QObject::connect(Map(), &CMapView::SeekRequested, m_video,
                     [this](int second) { m_video->SeekToSecond(second); });
    // The drive timeline and the map of a whole drive seek anywhere in it, across clips.
    QObject::connect(m_video->DriveTimeline(), &CDriveTimeline::seekRequested, m_playlist,
                     &CPlaylistDlg::SeekInDrive);
    QObject::connect(Map(), &CMapView::driveSeekRequested, m_playlist, &CPlaylistDlg::SeekInDrive);
    // The drive the playlist plays and its second, on the timeline, the map and the slider.
    QObject::connect(m_playlist, &CPlaylistDlg::driveEntered, m_video,
                     [this](std::shared_ptr<const LoadedDrive> drive) {
                         m_driveLink->ShowDrive(std::move(drive));
                     });
    QObject::connect(m_playlist, &CPlaylistDlg::driveSecondShown, m_video,
                     [this](double second) { m_driveLink->FollowDriveSecond(second); });
    QObject::connect(m_playlist, &CPlaylistDlg::loneClipEventsShown, m_video,
                     [this](std::shared_ptr<const LoadedDrive> lone) {
                         m_driveLink->ShowClipEvents(std::move(lone));
                     });
}

QString CWindowWiring::ClipTitle() const {
    return RecordingTime::TitleText(m_playlist->GetCurrentFile(), m_session.StartUtc());
}

void CWindowWiring::ShowExportDialog() {
    if (m_exportDlg == nullptr) {
        m_exportDlg = new CExportDlg(m_window);
    }
    if (!m_exportDlg->Running()) {
        ExcerptRequest excerpt;
        excerpt.pieces = m_excerpt->Marks().Pieces();
        QString name;
        if (!excerpt.pieces.empty()) {
            excerpt.beside = ExcerptBeside(excerpt.pieces);
            excerpt.corner = WindowSmallPicture();
            name = ExcerptName(excerpt.pieces.front());
        }
        m_exportDlg->SetSpeedUnit(m_speedUnitsLink->IsKmh());
        m_exportDlg->SetExcerpt(excerpt, name);
    }
    m_exportDlg->show();
    m_exportDlg->raise();
}

// Named by when the excerpt starts: the playing clip's track dates it; another clip of the
// drive goes by its name.
QString CWindowWiring::ExcerptName(const ExcerptPiece& first) const {
    const QString clip = QFile::decodeName(first.clip.c_str());
    const int64_t startUtc =
        clip == m_playlist->GetCurrentFile() ? m_session.StartUtc() : kUnknownUtc;
    const QDateTime start =
        RecordingTime::Of(clip, startUtc).addMSecs(static_cast<qint64>(first.from * 1000));
    return (start.isValid() ? start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))
                            : QFileInfo(clip).completeBaseName()) +
           QStringLiteral("_excerpt.mp4");
}
