#include "gpkg/PgSchema.h"

#include <map>
#include <vector>

namespace {

struct Layer {
    const char* name;
    const char* create;
    // Column name to its type as format_type writes it.
    std::map<std::string, std::string> columns;
};

// As the GeoPackage, with path_bytes besides: text in PostgreSQL must be UTF-8, a file's path
// need not be, so the path's exact bytes are the key and `path` is the same path for people
// (where it is not UTF-8, its stray bytes shown as U+FFFD). The unique index on path_bytes is
// what keeps a clip once whatever number of workers write it at the same moment.
const std::vector<Layer> kLayers{
    {"clips",
     "CREATE TABLE clips (fid bigserial PRIMARY KEY, geom geometry(LineString, 4326), "
     "path text NOT NULL, path_bytes bytea NOT NULL UNIQUE, size bigint NOT NULL, "
     "mtime text NOT NULL, mtime_ns bigint NOT NULL, start_utc text, end_utc text, "
     "km double precision, length_s double precision, max_kmh integer, first_utc_s bigint, "
     "last_utc_s bigint); CREATE INDEX clips_geom ON clips USING gist (geom)",
     {{"fid", "bigint"},
      {"geom", "geometry(LineString,4326)"},
      {"path", "text"},
      {"path_bytes", "bytea"},
      {"size", "bigint"},
      {"mtime", "text"},
      {"mtime_ns", "bigint"},
      {"start_utc", "text"},
      {"end_utc", "text"},
      {"km", "double precision"},
      {"length_s", "double precision"},
      {"max_kmh", "integer"},
      {"first_utc_s", "bigint"},
      {"last_utc_s", "bigint"}}},
    {"seconds",
     "CREATE TABLE seconds (fid bigserial PRIMARY KEY, geom geometry(Point, 4326), "
     "clip bigint NOT NULL REFERENCES clips (fid) ON DELETE CASCADE, path text NOT NULL, "
     "second integer NOT NULL, utc text, speed_kmh integer, heading integer, "
     "x_g double precision, y_g double precision, z_g double precision); "
     "CREATE INDEX seconds_clip ON seconds (clip); "
     "CREATE INDEX seconds_geom ON seconds USING gist (geom)",
     {{"fid", "bigint"},
      {"geom", "geometry(Point,4326)"},
      {"clip", "bigint"},
      {"path", "text"},
      {"second", "integer"},
      {"utc", "text"},
      {"speed_kmh", "integer"},
      {"heading", "integer"},
      {"x_g", "double precision"},
      {"y_g", "double precision"},
      {"z_g", "double precision"}}},
    {"drives",
     "CREATE TABLE drives (fid bigserial PRIMARY KEY, geom geometry(LineString, 4326), "
     "first_clip text NOT NULL, last_clip text NOT NULL, clips integer NOT NULL, "
     "start_utc text, end_utc text, seconds bigint, km double precision, max_kmh integer); "
     "CREATE INDEX drives_geom ON drives USING gist (geom)",
     {{"fid", "bigint"},
      {"geom", "geometry(LineString,4326)"},
      {"first_clip", "text"},
      {"last_clip", "text"},
      {"clips", "integer"},
      {"start_utc", "text"},
      {"end_utc", "text"},
      {"seconds", "bigint"},
      {"km", "double precision"},
      {"max_kmh", "integer"}}},
};

// Any number of ours taken for the schema's lock: ASCII "ostvik" and a 1.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(122511148001633)";

// True when the table of the layer's name is missing; false when it exists, with `why` set
// where its columns are not the layer's.
bool Missing(const PgConnection& db, const Layer& layer, std::string& why) {
    const PgResult columns =
        db.Exec("SELECT attname, format_type(atttypid, atttypmod) FROM pg_attribute "
                "WHERE attrelid = to_regclass($1) AND attnum > 0 AND NOT attisdropped",
                PgParams().Text(layer.name));
    if (!columns.Ok()) {
        why = columns.Error();
        return false;
    }
    if (columns.Rows() == 0) {
        return true;
    }
    std::map<std::string, std::string> found;
    for (int row = 0; row < columns.Rows(); ++row) {
        found[columns.Text(row, 0)] = columns.Text(row, 1);
    }
    for (const auto& [name, type] : layer.columns) {
        if (const auto column = found.find(name); column == found.end() || column->second != type) {
            why = std::string("a table ") + layer.name + " is there with other columns (" + name +
                  " " + type + " missing)";
            return false;
        }
    }
    return false;
}

bool EnsureInTransaction(const PgConnection& db, std::string& why) {
    const PgResult readOnly = db.Exec("SHOW transaction_read_only");
    if (!readOnly.Ok()) {
        why = readOnly.Error();
        return false;
    }
    if (readOnly.Text(0, 0) == "on") {
        why = "the database is read-only";
        return false;
    }
    if (!db.Run(kSchemaLock, why)) {
        return false;
    }
    const PgResult postgis = db.Exec("SELECT 1 FROM pg_extension WHERE extname = 'postgis'");
    if (!postgis.Ok()) {
        why = postgis.Error();
        return false;
    }
    if (postgis.Rows() == 0 && !db.Run("CREATE EXTENSION postgis", why)) {
        why = "PostGIS is not in the database and cannot be added: " + why;
        return false;
    }
    for (const Layer& layer : kLayers) {
        why.clear();
        if (Missing(db, layer, why)) {
            if (!db.Run(layer.create, why)) {
                return false;
            }
        } else if (!why.empty()) {
            return false;
        }
    }
    return true;
}

} // namespace

bool EnsurePgSchema(const PgConnection& db, std::string& why) {
    if (!db.Run("BEGIN", why)) {
        return false;
    }
    if (EnsureInTransaction(db, why) && db.Run("COMMIT", why)) {
        return true;
    }
    std::string ignored;
    db.Run("ROLLBACK", ignored);
    return false;
}
