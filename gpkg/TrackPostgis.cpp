#include "gpkg/TrackPostgis.h"

#include "gpkg/GpkgGeometry.h"
#include "gpkg/PgSchema.h"
#include "gpkg/StoredDrives.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

// The length of the UTF-8 character at `at` as PostgreSQL takes text (well-formed, no
// surrogate, nothing past U+10FFFF, no NUL); 0 when no such character begins there.
size_t Utf8Length(const std::string& bytes, size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead == 0     ? 0
                          : lead < 0x80 ? 1
                          : lead < 0xC2 ? 0
                          : lead < 0xE0 ? 2
                          : lead < 0xF0 ? 3
                          : lead < 0xF5 ? 4
                                        : 0;
    if (length == 0 || at + length > bytes.size()) {
        return 0;
    }
    uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool fits =
        code >= kLeast[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return fits ? length : 0;
}

// A path as the text columns hold it: itself where it is UTF-8, else with each byte that
// begins no character shown as U+FFFD (path_bytes keeps it exactly).
std::string PathText(const std::string& path) {
    std::string text;
    for (size_t at = 0; at < path.size();) {
        const size_t length = Utf8Length(path, at);
        text += length == 0 ? std::string("\xEF\xBF\xBD") : path.substr(at, length);
        at += std::max<size_t>(length, 1);
    }
    return text;
}

std::optional<std::string> UtcOrNull(int64_t utc) {
    return utc == kUnknownUtc ? std::nullopt : std::optional(UtcText(utc));
}

PgParams& LineParam(PgParams& params, const std::vector<LonLat>& points) {
    const std::vector<uint8_t> wkb = WkbLine(points);
    return wkb.empty() ? params.Null() : params.Bytes(std::string(wkb.begin(), wkb.end()));
}

template <typename T> std::optional<std::string> NumberOrNull(const std::optional<T>& value) {
    return value ? std::optional(PgParams::Number(*value)) : std::nullopt;
}

} // namespace

bool TrackPostgis::Open(const std::string& conninfo, std::string& why) {
    return m_db.Open(conninfo, why) && EnsurePgSchema(m_db, why);
}

bool TrackPostgis::Has(const GpkgClipKey& key) const {
    const PgResult found =
        m_db.Exec("SELECT 1 FROM clips WHERE path_bytes = $1 AND size = $2 AND mtime_ns = $3",
                  PgParams().Bytes(key.path).Int(key.size).Int(key.mtimeNs));
    return found.Ok() && found.Rows() == 1;
}

bool TrackPostgis::Begin(std::string& why) {
    m_lastPath.clear();
    return m_db.Run("BEGIN", why);
}

bool TrackPostgis::Commit(std::string& why) {
    return m_db.Run("COMMIT", why);
}

void TrackPostgis::Rollback() {
    std::string ignored;
    m_db.Run("ROLLBACK", ignored);
}

bool TrackPostgis::Add(const GpkgClip& clip, bool& held, std::string& why) {
    if (!m_lastPath.empty() && clip.key.path <= m_lastPath) {
        why = "the clips of a transaction came out of path order";
        return false;
    }
    m_lastPath = clip.key.path;
    std::vector<LonLat> route;
    for (const GpkgSecond& second : clip.points) {
        route.push_back({second.longitude, second.latitude});
    }
    PgParams params;
    LineParam(params, route)
        .Text(PathText(clip.key.path))
        .Bytes(clip.key.path)
        .Int(clip.key.size)
        .Text(UtcText(FloorSeconds(clip.key.mtimeNs)))
        .Int(clip.key.mtimeNs)
        .Optional(UtcOrNull(clip.firstUtc))
        .Optional(UtcOrNull(clip.lastUtc))
        .Real(clip.km)
        .Real(clip.seconds)
        .Int(clip.maxKmh)
        .Optional(clip.firstUtc == kUnknownUtc ? std::nullopt : std::optional(clip.firstUtc))
        .Optional(clip.lastUtc == kUnknownUtc ? std::nullopt : std::optional(clip.lastUtc));
    // A row held with the same size and time is left alone, and no fid comes back: another
    // worker wrote this clip after Has was asked. A changed file's row is updated in place.
    const PgResult written = m_db.Exec(
        "INSERT INTO clips AS held (geom, path, path_bytes, size, mtime, mtime_ns, start_utc, "
        "end_utc, km, length_s, max_kmh, first_utc_s, last_utc_s) VALUES "
        "(ST_GeomFromWKB($1::bytea, 4326), $2, $3::bytea, $4, $5, $6, $7, $8, $9, $10, $11, "
        "$12, $13) ON CONFLICT (path_bytes) DO UPDATE SET geom = EXCLUDED.geom, "
        "path = EXCLUDED.path, size = EXCLUDED.size, mtime = EXCLUDED.mtime, "
        "mtime_ns = EXCLUDED.mtime_ns, start_utc = EXCLUDED.start_utc, "
        "end_utc = EXCLUDED.end_utc, km = EXCLUDED.km, length_s = EXCLUDED.length_s, "
        "max_kmh = EXCLUDED.max_kmh, first_utc_s = EXCLUDED.first_utc_s, "
        "last_utc_s = EXCLUDED.last_utc_s WHERE (held.size, held.mtime_ns) IS DISTINCT FROM "
        "(EXCLUDED.size, EXCLUDED.mtime_ns) RETURNING fid",
        params);
    if (!written.Ok()) {
        why = written.Error();
        return false;
    }
    held = written.Rows() == 0;
    if (held) {
        return true;
    }
    const int64_t fid = written.Int(0, 0);
    return m_db.Run("DELETE FROM seconds WHERE clip = $1", why, PgParams().Int(fid)) &&
           InsertSeconds(fid, clip, why);
}

bool TrackPostgis::InsertSeconds(int64_t fid, const GpkgClip& clip, std::string& why) {
    if (clip.points.empty()) {
        return true;
    }
    // One statement a clip, its seconds as arrays: a statement a second would cost a round
    // trip each, sixty a minute of driving.
    std::vector<std::optional<std::string>> seconds, lons, lats, utcs, speeds, headings, xs, ys, zs;
    for (const GpkgSecond& second : clip.points) {
        seconds.emplace_back(std::to_string(second.second));
        lons.emplace_back(PgParams::Number(second.longitude));
        lats.emplace_back(PgParams::Number(second.latitude));
        utcs.push_back(UtcOrNull(second.utc));
        speeds.push_back(NumberOrNull(second.speedKmh));
        headings.push_back(NumberOrNull(second.heading));
        xs.push_back(NumberOrNull(second.x));
        ys.push_back(NumberOrNull(second.y));
        zs.push_back(NumberOrNull(second.z));
    }
    PgParams params;
    params.Int(fid).Text(PathText(clip.key.path));
    for (const auto* column : {&seconds, &lons, &lats, &utcs, &speeds, &headings, &xs, &ys, &zs}) {
        params.Array(*column);
    }
    return m_db.Run(
        "INSERT INTO seconds (geom, clip, path, second, utc, speed_kmh, heading, x_g, y_g, z_g) "
        "SELECT ST_SetSRID(ST_MakePoint(s.lon, s.lat), 4326), $1, $2, s.second, s.utc, "
        "s.speed, s.heading, s.x, s.y, s.z FROM unnest($3::integer[], $4::float8[], "
        "$5::float8[], $6::text[], $7::integer[], $8::integer[], $9::float8[], $10::float8[], "
        "$11::float8[]) AS s (second, lon, lat, utc, speed, heading, x, y, z)",
        why, params);
}

bool TrackPostgis::RegroupDrives(std::string& why) {
    // One snapshot for the clips and their seconds; the lock, which conflicts with itself
    // and not with the workers' writes, makes two regroupings take turns.
    if (!m_db.Run("BEGIN ISOLATION LEVEL REPEATABLE READ", why)) {
        return false;
    }
    bool ok = m_db.Run("LOCK TABLE drives IN SHARE ROW EXCLUSIVE MODE", why);
    const PgResult clips = m_db.Exec("SELECT fid, path_bytes, mtime_ns, length_s, km, max_kmh, "
                                     "first_utc_s, last_utc_s FROM clips");
    const PgResult seconds = m_db.Exec("SELECT clip, ST_X(geom), ST_Y(geom) FROM seconds "
                                       "WHERE geom IS NOT NULL ORDER BY clip, second");
    ok = ok && clips.Ok() && seconds.Ok();
    std::vector<ClipSummary> summaries;
    std::map<int64_t, std::string> paths;
    std::map<std::string, std::vector<LonLat>> routes;
    for (int row = 0; ok && row < clips.Rows(); ++row) {
        std::string path = clips.Bytes(row, 1);
        paths[clips.Int(row, 0)] = path;
        summaries.push_back(
            StoredClipSummary(std::move(path), clips.Int(row, 2), clips.Real(row, 3),
                              clips.Real(row, 4), static_cast<int>(clips.Int(row, 5)),
                              clips.IsNull(row, 6) ? kUnknownUtc : clips.Int(row, 6),
                              clips.IsNull(row, 7) ? kUnknownUtc : clips.Int(row, 7)));
    }
    for (int row = 0; ok && row < seconds.Rows(); ++row) {
        routes[paths[seconds.Int(row, 0)]].push_back({seconds.Real(row, 1), seconds.Real(row, 2)});
    }
    if (!ok && why.empty()) {
        why = clips.Ok() ? seconds.Error() : clips.Error();
    }
    ok = ok && m_db.Run("DELETE FROM drives", why);
    for (const StoredDrive& drive :
         ok ? StoredDrives(std::move(summaries), routes) : std::vector<StoredDrive>()) {
        PgParams params;
        LineParam(params, drive.route)
            .Text(PathText(drive.firstClip))
            .Text(PathText(drive.lastClip))
            .Int(drive.files)
            .Optional(drive.start.empty() ? std::nullopt : std::optional(drive.start))
            .Optional(drive.end.empty() ? std::nullopt : std::optional(drive.end))
            .Int(drive.seconds)
            .Real(drive.km)
            .Int(drive.maxKmh);
        ok = m_db.Run("INSERT INTO drives (geom, first_clip, last_clip, clips, start_utc, "
                      "end_utc, seconds, km, max_kmh) VALUES (ST_GeomFromWKB($1::bytea, 4326), "
                      "$2, $3, $4, $5, $6, $7, $8, $9)",
                      why, params);
        if (!ok) {
            break;
        }
    }
    ok = ok && Commit(why);
    if (!ok) {
        Rollback();
    }
    return ok;
}
