// The browser profile every map page runs in: tiles cached on disk under the user's cache
// folder, so places seen before stay usable offline, and tile requests that name the
// program, as the OpenStreetMap tile policy asks.
#pragma once

#include <QString>

class QWebEngineProfile;

// Cap of the tile cache on disk.
constexpr int kMapCacheBytes = 200 * 1024 * 1024;

// The User-Agent of every request the map makes: "Ostvik/<version> ...".
QString MapUserAgent();

// The one profile of the process, made on first use and owned by the application.
QWebEngineProfile* MapProfile();
