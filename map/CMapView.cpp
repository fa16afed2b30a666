#include "map/CMapView.h"

#include "map/CMapPage.h"
#include "map/CMapPageBridge.h"
#include "map/MapProfile.h"
#include "map/MapRoute.h"
#include "track/CGSampleStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/LoadedDrive.h"
#include "track/TrackLine.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

CMapView* g_instance = nullptr;

// Renderer losses in a row, with no page loaded between them, after which the view stops
// reloading: a page that kills its renderer every time is left blank.
constexpr int kMaxRendererLosses = 5;

// Runs one page function on data: the name and the texts arrive as elements of a JSON
// array, never as script, so no argument can end the call or start another.
const char kCallScript[] =
    "(function (call) {"
    "  var f = window[call[0]];"
    "  if (typeof f !== 'function') { return {ok: false, why: 'no function ' + call[0]}; }"
    "  try {"
    "    var r = f.apply(window, call.slice(1));"
    "    return {ok: true, value: (r === undefined || r === null) ? '' : String(r)};"
    "  } catch (e) { return {ok: false, why: String(e)}; }"
    "})(";

// The keys the window seeks and sets the volume with; the map would pan with them.
bool IsArrowKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

// An access key from the environment, kept to the characters keys are made of.
QString KeyFromEnvironment(const char* variable) {
    QString key = qEnvironmentVariable(variable);
    key.removeIf([](QChar c) { return !c.isLetterOrNumber() && c != u'-' && c != u'_'; });
    return key;
}

} // namespace

CMapView::CMapView(QWidget* parent, bool autoLoad) : QWebEngineView(parent) {
    g_instance = this;
    setObjectName(QStringLiteral("1012"));
    setContextMenuPolicy(Qt::NoContextMenu);

    m_page = new CMapPage(MapProfile(), this);
    m_bridge = new CMapPageBridge(this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("ostvik"), m_bridge);
    m_page->setWebChannel(m_channel);
    setPage(m_page);

    m_reloadTimer = new QTimer(this);
    m_reloadTimer->setSingleShot(true);
    connect(m_reloadTimer, &QTimer::timeout, this, [this] {
        if (!m_pageReady && !m_page->isLoading()) {
            LoadPageFromResource(m_resource);
        }
    });

    connect(m_bridge, &CMapPageBridge::SeekRequested, this, &CMapView::SeekRequested);
    connect(m_bridge, &CMapPageBridge::DriveSeekRequested, this, &CMapView::driveSeekRequested);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &CMapView::OnLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                qCWarning(lcMap) << "map renderer ended, status" << status << "code" << code;
                OnRendererGone();
            });
    if (autoLoad) {
        LoadPageFromResource(kLeafletPage);
    }
}

CMapView::~CMapView() {
    if (g_instance == this) {
        g_instance = nullptr;
    }
    // The page goes before the view, while the profile it runs in is still there.
    setPage(nullptr);
    delete m_page;
    m_page = nullptr;
}

CMapView* CMapView::Instance() {
    return g_instance;
}

bool CMapView::LoadPageFromResource(int resource) {
    QUrl url;
    QUrlQuery query;
    switch (resource) {
    case kLeafletPage:
        url = QUrl(QStringLiteral("qrc:/map/page130.html"));
        break;
    case kBaiduPage:
        url = QUrl(QStringLiteral("qrc:/map/page129.html"));
        query.addQueryItem(QStringLiteral("ak"), KeyFromEnvironment("OSTVIK_BAIDU_AK"));
        break;
    case kSosoPage:
        url = QUrl(QStringLiteral("qrc:/map/page131.html"));
        break;
    default:
        return false;
    }
    if (!query.isEmpty()) {
        url.setQuery(query);
    }
    m_resource = resource;
    m_pageReady = false;
    m_reloadTimer->stop();
    m_page->load(url);
    return true;
}

void CMapView::OnLoadingChanged(const QWebEngineLoadingInfo& loading) {
    // A navigation the page refused still starts and stops, under its own address, while
    // the page that is shown stays as it was.
    if (!CMapPage::IsOwnPage(loading.url())) {
        return;
    }
    switch (loading.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_pageReady = false;
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        OnLoadFinished(true);
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        qCWarning(lcMap) << "map page did not load:" << loading.url().toString()
                         << loading.errorString();
        OnLoadFinished(false);
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // Mostly a newer load took over; the reload only acts if none did.
        ReloadLater();
        break;
    }
}

void CMapView::OnLoadFinished(bool ok) {
    m_pageReady = ok;
    if (!ok) {
        ReloadLater();
        emit PageLoaded(false);
        return;
    }
    m_reloadWaitMs = kFirstReloadMs;
    m_rendererLosses = 0;
    m_markerSinceLoad = false;
    m_roadEnd = -1;
    qCInfo(lcMap) << "map page loaded";
    DrawRoute();
    // A page loaded again (a renderer lost, a clip chosen while it loaded) gets the
    // marker back where it was, and the road up to there.
    if (m_store->m_nLastShown >= 0) {
        ShowSecond(m_store->m_nLastShown);
    }
    if (m_drive != nullptr) {
        DrawDrive();
        if (m_driveSecond >= 0.0) {
            ShowDriveSecond(m_driveSecond);
        }
    }
    emit PageLoaded(true);
}

void CMapView::OnRendererGone() {
    m_pageReady = false;
    if (++m_rendererLosses > kMaxRendererLosses) {
        return;
    }
    QTimer::singleShot(0, this, [this] { LoadPageFromResource(m_resource); });
}

void CMapView::ReloadLater() {
    if (m_reloadTimer->isActive()) {
        return;
    }
    m_reloadTimer->start(m_reloadWaitMs);
    m_reloadWaitMs = std::min(2 * m_reloadWaitMs, kLastReloadMs);
}

void CMapView::ShowTrack(CMapTrackStore& store, CSpeedDialModel* dial) {
    m_store = &store;
    m_dial = dial;
}

void CMapView::TrackChanged(const TrackChange& change) {
    if (change.kind == TrackChange::Kind::Reloaded) {
        ForgetDrawing();
        m_clipLoaded = true;
        DrawRoute();
        return;
    }
    // A line only ever replaces the entry of its own second; the road is drawn again when
    // that entry lies under it and the line moved it.
    if (change.kind == TrackChange::Kind::MapLine && change.moved && change.second <= m_roadEnd) {
        const int end = m_roadEnd;
        PostScript(QStringLiteral("ClearRoad"), {});
        m_roadEnd = -1;
        DrawRoadTo(end);
    }
}

bool CMapView::LoadEmbeddedTrack(const QString& clipPath) {
    ClipTrackLoader loader(QFile::encodeName(clipPath).toStdString());
    return LoadInto([&](const TrackStores& stores) { return loader.LoadEmbedded(stores); });
}

// The view fills no chart; a track's owner loads all three stores itself.
bool CMapView::LoadInto(const std::function<bool(const TrackStores&)>& load) {
    CGSampleStore spareChart;
    CSpeedDialModel spareDial;
    const bool fix = load({*m_store, spareChart, m_dial != nullptr ? *m_dial : spareDial});
    TrackChanged(TrackChange{TrackChange::Kind::Reloaded});
    return fix;
}

// Other makers' logs carry the clip's name as the sidecar does, so a log's own path finds
// them too.
bool CMapView::LoadNmeaLog(const QString& logPath) {
    ClipTrackLoader loader(QFile::encodeName(logPath).toStdString());
    return LoadInto([&](const TrackStores& stores) { return loader.LoadLogs(stores); });
}

int CMapView::StoreTrackLine(const char* line) {
    int stored = 0;
    const TrackChange change = StoreMapTrackLine(*m_store, line, stored);
    if (stored == 1) {
        TrackChanged(change);
    }
    return stored;
}

int CMapView::ShowSecond(int second) {
    const std::optional<MarkerTexts> texts = m_store->ShowSecond(second);
    if (!texts) {
        return 0;
    }
    if (m_drive != nullptr) {
        if (m_noTrackNote) {
            ShowNoTrackNote(false);
        }
        return 1;
    }
    const double heading = HeadingAt(*m_store, m_dial, second);
    PostScript(QStringLiteral("SetHeading"), {QString::number(heading, 'f', 1)});
    QStringList arguments;
    for (const std::string& text : *texts) {
        arguments.append(QString::fromStdString(text));
    }
    PostScript(QStringLiteral("SetMarker"), arguments);
    DrawRoadTo(second);
    if (m_noTrackNote) {
        ShowNoTrackNote(false);
    }
    if (m_pageReady && !m_markerSinceLoad) {
        m_markerSinceLoad = true;
        qCInfo(lcMap) << "first marker on the page";
    }
    return 1;
}

void CMapView::RunCall(const QString& name, const QStringList& arguments,
                       std::function<void(bool ok, const QString& value)> done) {
    if (!m_pageReady) {
        done(false, QString());
        return;
    }
    QJsonArray call;
    call.append(name);
    for (const QString& argument : arguments) {
        call.append(argument);
    }
    const QString script = QLatin1String(kCallScript) +
                           QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)) +
                           QLatin1Char(')');
    m_page->runJavaScript(script, [name, done = std::move(done)](const QVariant& answer) {
        const QVariantMap fields = answer.toMap();
        const bool ok = fields.value(QStringLiteral("ok")).toBool();
        if (!ok) {
            qCDebug(lcMap) << "script call" << name
                           << "failed:" << fields.value(QStringLiteral("why")).toString();
        }
        done(ok, fields.value(QStringLiteral("value")).toString());
    });
}

bool CMapView::CallScript(const QString& name, const QStringList& arguments, QString* result) {
    struct Answer {
        bool arrived = false;
        bool ok = false;
        QString value;
        QEventLoop* loop = nullptr;
    };
    auto answer = std::make_shared<Answer>();
    RunCall(name, arguments, [answer](bool ok, const QString& value) {
        answer->arrived = true;
        answer->ok = ok;
        answer->value = value;
        if (answer->loop != nullptr) {
            answer->loop->quit();
        }
    });
    if (!answer->arrived) {
        QEventLoop loop;
        answer->loop = &loop;
        QTimer::singleShot(kScriptWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        answer->loop = nullptr;
    }
    if (!answer->arrived || !answer->ok) {
        return false;
    }
    if (result != nullptr) {
        *result = answer->value;
    }
    return true;
}

void CMapView::PostScript(const QString& name, const QStringList& arguments) {
    RunCall(name, arguments, [](bool, const QString&) {});
}

void CMapView::DrawRoute() {
    if (!m_pageReady) {
        return;
    }
    const std::string route = RouteJson(*m_store);
    PostScript(QStringLiteral("SetRoute"), {QString::fromStdString(route)});
    // The drive's whole route keeps the view it was fitted to as its clips come and go.
    if (m_drive == nullptr) {
        PostScript(QStringLiteral("FitRoute"), {});
    }
    ShowNoTrackNote(m_clipLoaded && route == "[]");
}

// A clip of which no position is known says so on the map, where the tiles alone would
// leave the user looking for a route; the first marker shown takes the note away.
void CMapView::ShowNoTrackNote(bool show) {
    m_noTrackNote = show;
    PostScript(QStringLiteral("ShowNoTrackNote"),
               {show ? QStringLiteral("true") : QStringLiteral("false")});
}

void CMapView::DrawRoadTo(int second) {
    if (second < m_roadEnd) {
        PostScript(QStringLiteral("ClearRoad"), {});
        m_roadEnd = -1;
    }
    if (second > m_roadEnd) {
        PostScript(QStringLiteral("AddRoad"),
                   {QString::fromStdString(RouteJson(*m_store, m_roadEnd + 1, second))});
        m_roadEnd = second;
    }
}

void CMapView::ForgetDrawing() {
    PostScript(QStringLiteral("ClearRoad"), {});
    PostScript(QStringLiteral("ClearMarker"), {});
    m_roadEnd = -1;
    m_drivePoint = -1;
}

void CMapView::ShowDrive(std::shared_ptr<const LoadedDrive> drive) {
    if (drive == m_drive) {
        return;
    }
    m_drive = std::move(drive);
    m_drivePoint = -1;
    m_driveSecond = -1.0;
    if (m_drive != nullptr) {
        m_driveRoute = BuildDriveRoute(*m_drive);
        DrawDrive();
        return;
    }
    m_driveRoute.clear();
    PostScript(QStringLiteral("ClearDrive"), {});
    // The clip's road and marker were left alone while the drive had the page: they are
    // drawn again as a page load draws them.
    ForgetDrawing();
    DrawRoute();
    if (m_store->m_nLastShown >= 0) {
        ShowSecond(m_store->m_nLastShown);
    }
}

void CMapView::DrawDrive() {
    m_drivePoint = -1;
    if (!m_pageReady) {
        return;
    }
    PostScript(QStringLiteral("SetDriveRoute"),
               {QString::fromStdString(DriveRouteJson(m_driveRoute))});
}

void CMapView::ShowDriveSecond(double driveSecond) {
    if (m_drive == nullptr || !std::isfinite(driveSecond)) {
        return;
    }
    m_driveSecond = driveSecond;
    const int index = DriveRouteIndexAt(m_driveRoute, driveSecond);
    if (index == m_drivePoint) {
        return;
    }
    m_drivePoint = index;
    double heading = 0.0;
    if (index >= 0) {
        const DriveRoutePoint& point = m_driveRoute[static_cast<size_t>(index)];
        const ClipTrack& track = *m_drive->tracks[point.clip];
        heading = HeadingAt(track.Map(), &track.Dial(), point.clipSecond);
    }
    PostScript(QStringLiteral("ShowDrivePoint"),
               {QString::number(index), QString::number(heading, 'f', 1)});
}

// The map takes no drops: a file dropped on it goes on to the window, to the playlist.
void CMapView::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void CMapView::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
}

void CMapView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->ignore();
}

void CMapView::dropEvent(QDropEvent* event) {
    event->ignore();
}

// The browser draws and takes keys in child widgets of its own, made and remade as pages
// and renderers come and go; each is watched from its start.
void CMapView::childEvent(QChildEvent* event) {
    QWebEngineView::childEvent(event);
    if (event->added() && event->child()->isWidgetType()) {
        event->child()->installEventFilter(this);
    }
}

// After a click on the map the keyboard is the page's, which pans with the arrows: they go
// on to the window, which seeks with them, and +/- still zoom.
bool CMapView::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && parentWidget() != nullptr && IsArrowKey(static_cast<QKeyEvent*>(event)->key())) {
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QWebEngineView::eventFilter(watched, event);
}
