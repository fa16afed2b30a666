#include "map/MapProfile.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

QString MapUserAgent() {
    return QStringLiteral("Ostvik/%1 (dash-camera clip player; Linux)")
        .arg(QStringLiteral(OSTVIK_VERSION));
}

QWebEngineProfile* MapProfile() {
    static QWebEngineProfile* profile = nullptr;
    if (profile != nullptr) {
        return profile;
    }
    // Owned by the application, which outlives every page that uses it.
    profile = new QWebEngineProfile(QStringLiteral("ostvik"), QCoreApplication::instance());
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/ostvik");
    profile->setCachePath(cache);
    profile->setPersistentStoragePath(cache + QStringLiteral("/storage"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setHttpCacheMaximumSize(kMapCacheBytes);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setHttpUserAgent(MapUserAgent());
    QWebEngineSettings* settings = profile->settings();
    // The pages fetch tiles and libraries as plain images and scripts, which cross-origin
    // rules allow anyway; nothing in them may read the user's files or remote documents.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    // A file dropped on the map is meant for the playlist, never a document to show.
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    return profile;
}
