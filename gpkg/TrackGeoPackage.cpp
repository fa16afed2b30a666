#include "gpkg/TrackGeoPackage.h"

#include "gpkg/GpkgGeometry.h"
#include "gpkg/GpkgSchema.h"
#include "gpkg/SqliteStatement.h"
#include "gpkg/StoredDrives.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

void BindUtc(SqliteStatement& statement, int index, int64_t utc) {
    if (utc == kUnknownUtc) {
        statement.BindNull(index);
    } else {
        statement.Bind(index, UtcText(utc));
    }
}

template <typename T>
void BindOptional(SqliteStatement& statement, int index, const std::optional<T>& value) {
    if (value) {
        statement.Bind(index, *value);
    } else {
        statement.BindNull(index);
    }
}

bool RunDelete(SqliteDb& db, const std::string& path, std::string& why) {
    for (const char* sql :
         {"DELETE FROM seconds WHERE clip IN (SELECT fid FROM clips WHERE path = ?1)",
          "DELETE FROM clips WHERE path = ?1"}) {
        SqliteStatement statement(db.Handle(), sql);
        if (!statement.Ok()) {
            why = db.Error();
            return false;
        }
        statement.Bind(1, path);
        if (!statement.Run()) {
            why = db.Error();
            return false;
        }
    }
    return true;
}

struct Extent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;

    void Add(const LonLat& point) {
        if (!any) {
            minX = maxX = point.lon;
            minY = maxY = point.lat;
            any = true;
            return;
        }
        minX = std::min(minX, point.lon);
        maxX = std::max(maxX, point.lon);
        minY = std::min(minY, point.lat);
        maxY = std::max(maxY, point.lat);
    }
};

bool SetExtent(SqliteDb& db, const char* table, const Extent& extent, std::string& why) {
    SqliteStatement update(db.Handle(),
                           "UPDATE gpkg_contents SET min_x = ?1, min_y = ?2, max_x = ?3, "
                           "max_y = ?4, last_change = strftime('%Y-%m-%dT%H:%M:%fZ','now') "
                           "WHERE table_name = ?5");
    if (!update.Ok()) {
        why = db.Error();
        return false;
    }
    if (extent.any) {
        update.Bind(1, extent.minX);
        update.Bind(2, extent.minY);
        update.Bind(3, extent.maxX);
        update.Bind(4, extent.maxY);
    }
    update.Bind(5, std::string(table));
    if (!update.Run()) {
        why = db.Error();
        return false;
    }
    return true;
}

} // namespace

bool TrackGeoPackage::Open(const std::string& path, std::string& why) {
    if (!m_db.Open(path, why)) {
        return false;
    }
    SqliteStatement tables(m_db.Handle(), "SELECT count(*) FROM sqlite_master");
    if (!tables.Ok() || !tables.Step()) {
        why = "not an SQLite database (" + m_db.Error() + ")";
        return false;
    }
    if (tables.Int(0) == 0) {
        return CreateGpkgSchema(m_db, why);
    }
    return IsTrackGpkg(m_db, "main", why);
}

bool TrackGeoPackage::Has(const GpkgClipKey& key) const {
    SqliteStatement find(m_db.Handle(), "SELECT 1 FROM clips WHERE path = ?1 AND size = ?2 AND "
                                        "mtime_ns = ?3");
    if (!find.Ok()) {
        return false;
    }
    find.Bind(1, key.path);
    find.Bind(2, key.size);
    find.Bind(3, key.mtimeNs);
    return find.Step();
}

bool TrackGeoPackage::Begin(std::string& why) {
    return m_db.Exec("BEGIN IMMEDIATE", why);
}

bool TrackGeoPackage::Commit(std::string& why) {
    return m_db.Exec("COMMIT", why);
}

void TrackGeoPackage::Rollback() {
    std::string ignored;
    m_db.Exec("ROLLBACK", ignored);
}

bool TrackGeoPackage::Add(const GpkgClip& clip, bool& held, std::string& why) {
    // A writer has the file to itself from Begin on (BEGIN IMMEDIATE): none can come between.
    held = false;
    if (!RunDelete(m_db, clip.key.path, why)) {
        return false;
    }
    std::vector<LonLat> route;
    for (const GpkgSecond& second : clip.points) {
        route.push_back({second.longitude, second.latitude});
    }
    SqliteStatement insertClip(m_db.Handle(), std::string("INSERT INTO clips (geom, ") +
                                                  kClipColumns +
                                                  ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                                                  "?9, ?10, ?11, ?12)");
    SqliteStatement insertSecond(m_db.Handle(), std::string("INSERT INTO seconds (geom, clip, ") +
                                                    kSecondColumns +
                                                    ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                                                    "?9, ?10)");
    if (!insertClip.Ok() || !insertSecond.Ok()) {
        why = m_db.Error();
        return false;
    }
    insertClip.Bind(1, GpkgLine(route, kGpkgWgs84));
    insertClip.Bind(2, clip.key.path);
    insertClip.Bind(3, clip.key.size);
    insertClip.Bind(4, UtcText(FloorSeconds(clip.key.mtimeNs)));
    insertClip.Bind(5, clip.key.mtimeNs);
    BindUtc(insertClip, 6, clip.firstUtc);
    BindUtc(insertClip, 7, clip.lastUtc);
    insertClip.Bind(8, clip.km);
    insertClip.Bind(9, clip.seconds);
    insertClip.Bind(10, static_cast<int64_t>(clip.maxKmh));
    BindOptional(insertClip, 11,
                 clip.firstUtc == kUnknownUtc ? std::nullopt : std::optional(clip.firstUtc));
    BindOptional(insertClip, 12,
                 clip.lastUtc == kUnknownUtc ? std::nullopt : std::optional(clip.lastUtc));
    if (!insertClip.Run()) {
        why = m_db.Error();
        return false;
    }
    const int64_t fid = sqlite3_last_insert_rowid(m_db.Handle());
    for (const GpkgSecond& second : clip.points) {
        insertSecond.Bind(1, GpkgPoint({second.longitude, second.latitude}, kGpkgWgs84));
        insertSecond.Bind(2, fid);
        insertSecond.Bind(3, clip.key.path);
        insertSecond.Bind(4, static_cast<int64_t>(second.second));
        BindUtc(insertSecond, 5, second.utc);
        BindOptional(insertSecond, 6,
                     second.speedKmh ? std::optional<int64_t>(*second.speedKmh) : std::nullopt);
        BindOptional(insertSecond, 7,
                     second.heading ? std::optional<int64_t>(*second.heading) : std::nullopt);
        BindOptional(insertSecond, 8, second.x);
        BindOptional(insertSecond, 9, second.y);
        BindOptional(insertSecond, 10, second.z);
        if (!insertSecond.Run()) {
            why = m_db.Error();
            return false;
        }
    }
    return true;
}

bool TrackGeoPackage::Merge(const std::string& part, size_t batch, size_t& added,
                            std::string& why) {
    // SQLite would make a missing file to attach it, leaving an empty one in its place.
    std::error_code error;
    if (!std::filesystem::is_regular_file(part, error)) {
        why = "no such file";
        return false;
    }
    SqliteStatement attach(m_db.Handle(), "ATTACH DATABASE ?1 AS part");
    if (!attach.Ok()) {
        why = m_db.Error();
        return false;
    }
    attach.Bind(1, part);
    if (!attach.Run()) {
        why = m_db.Error();
        return false;
    }
    struct PartClip {
        int64_t fid;
        GpkgClipKey key;
    };
    std::vector<PartClip> clips;
    bool ok = IsTrackGpkg(m_db, "part", why);
    if (ok) {
        SqliteStatement list(m_db.Handle(),
                             "SELECT fid, path, size, mtime_ns FROM part.clips ORDER BY fid");
        ok = list.Ok();
        while (ok && list.Step()) {
            clips.push_back({list.Int(0), {list.Text(1), list.Int(2), list.Int(3)}});
        }
        ok = ok && list.Done();
        if (!ok) {
            why = m_db.Error();
        }
    }
    // Prepared once for the whole part: a fleet's merge copies tens of thousands of clips.
    SqliteStatement mine(m_db.Handle(), "SELECT size, mtime_ns FROM clips WHERE path = ?1");
    SqliteStatement copyClip(m_db.Handle(), std::string("INSERT INTO clips (geom, ") +
                                                kClipColumns + ") SELECT geom, " + kClipColumns +
                                                " FROM part.clips WHERE fid = ?1");
    SqliteStatement copySeconds(m_db.Handle(), std::string("INSERT INTO seconds (geom, clip, ") +
                                                   kSecondColumns + ") SELECT geom, ?1, " +
                                                   kSecondColumns +
                                                   " FROM part.seconds WHERE clip = ?2 "
                                                   "ORDER BY fid");
    if (ok && (!mine.Ok() || !copyClip.Ok() || !copySeconds.Ok())) {
        why = m_db.Error();
        ok = false;
    }
    size_t inBatch = 0;
    for (size_t i = 0; ok && i < clips.size(); ++i) {
        const PartClip& clip = clips[i];
        mine.Bind(1, clip.key.path);
        const bool held = mine.Step();
        const GpkgClipKey heldKey{clip.key.path, held ? mine.Int(0) : 0, held ? mine.Int(1) : 0};
        mine.Reset();
        if (held && (heldKey == clip.key || heldKey.mtimeNs >= clip.key.mtimeNs)) {
            continue;
        }
        ok = (inBatch > 0 || Begin(why)) && (!held || RunDelete(m_db, clip.key.path, why));
        if (ok) {
            copyClip.Bind(1, clip.fid);
            ok = copyClip.Run();
        }
        if (ok) {
            copySeconds.Bind(1, static_cast<int64_t>(sqlite3_last_insert_rowid(m_db.Handle())));
            copySeconds.Bind(2, clip.fid);
            ok = copySeconds.Run();
        }
        if (!ok && why.empty()) {
            why = m_db.Error();
        }
        if (ok && ++inBatch == batch) {
            ok = Commit(why);
            added += ok ? inBatch : 0;
            inBatch = 0;
        }
    }
    if (ok && inBatch > 0) {
        ok = Commit(why);
        added += ok ? inBatch : 0;
    }
    if (!ok) {
        Rollback();
    }
    std::string ignored;
    m_db.Exec("DETACH DATABASE part", ignored);
    return ok;
}

bool TrackGeoPackage::RegroupDrives(std::string& why) {
    if (!Begin(why)) {
        return false;
    }
    std::vector<ClipSummary> summaries;
    std::map<std::string, std::vector<LonLat>> routes;
    Extent all;
    SqliteStatement clips(m_db.Handle(), "SELECT path, mtime_ns, length_s, km, max_kmh, "
                                         "first_utc_s, last_utc_s FROM clips");
    SqliteStatement seconds(m_db.Handle(), "SELECT path, geom FROM seconds ORDER BY clip, second");
    bool ok = clips.Ok() && seconds.Ok();
    while (ok && clips.Step()) {
        summaries.push_back(StoredClipSummary(clips.Text(0), clips.Int(1), clips.Real(2),
                                              clips.Real(3), static_cast<int>(clips.Int(4)),
                                              clips.IsNull(5) ? kUnknownUtc : clips.Int(5),
                                              clips.IsNull(6) ? kUnknownUtc : clips.Int(6)));
    }
    while (ok && seconds.Step()) {
        if (const std::optional<LonLat> point = ReadGpkgPoint(seconds.Blob(1))) {
            routes[seconds.Text(0)].push_back(*point);
            all.Add(*point);
        }
    }
    ok = ok && clips.Done() && seconds.Done() && m_db.Exec("DELETE FROM drives", why);
    SqliteStatement insert(m_db.Handle(), "INSERT INTO drives (geom, first_clip, last_clip, "
                                          "clips, start_utc, end_utc, seconds, km, max_kmh) "
                                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    ok = ok && insert.Ok();
    Extent drivesExtent;
    for (const StoredDrive& drive :
         ok ? StoredDrives(std::move(summaries), routes) : std::vector<StoredDrive>()) {
        for (const LonLat& point : drive.route) {
            drivesExtent.Add(point);
        }
        insert.Bind(1, GpkgLine(drive.route, kGpkgWgs84));
        insert.Bind(2, drive.firstClip);
        insert.Bind(3, drive.lastClip);
        insert.Bind(4, drive.files);
        drive.start.empty() ? insert.BindNull(5) : insert.Bind(5, drive.start);
        drive.end.empty() ? insert.BindNull(6) : insert.Bind(6, drive.end);
        insert.Bind(7, drive.seconds);
        insert.Bind(8, drive.km);
        insert.Bind(9, static_cast<int64_t>(drive.maxKmh));
        if (!insert.Run()) {
            ok = false;
            break;
        }
    }
    if (!ok && why.empty()) {
        why = m_db.Error();
    }
    ok = ok && SetExtent(m_db, "seconds", all, why) && SetExtent(m_db, "clips", all, why) &&
         SetExtent(m_db, "drives", drivesExtent, why) && Commit(why);
    if (!ok) {
        Rollback();
    }
    return ok;
}
