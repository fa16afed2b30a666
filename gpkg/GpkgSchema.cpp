#include "gpkg/GpkgSchema.h"

#include "gpkg/SqliteStatement.h"

namespace {

// The required rows of gpkg_spatial_ref_sys: WGS 84 and the undefined Cartesian and
// geographic systems.
constexpr const char* kSpatialRefSys = R"(
CREATE TABLE gpkg_spatial_ref_sys (
  srs_name TEXT NOT NULL, srs_id INTEGER NOT NULL PRIMARY KEY, organization TEXT NOT NULL,
  organization_coordsys_id INTEGER NOT NULL, definition TEXT NOT NULL, description TEXT);
INSERT INTO gpkg_spatial_ref_sys VALUES ('WGS 84 geodetic', 4326, 'EPSG', 4326,
  'GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563,AUTHORITY["EPSG","7030"]],AUTHORITY["EPSG","6326"]],PRIMEM["Greenwich",0,AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","4326"]]',
  'longitude/latitude coordinates in decimal degrees on the WGS 84 spheroid');
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined cartesian SRS', -1, 'NONE', -1,
  'undefined', 'undefined cartesian coordinate reference system');
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined geographic SRS', 0, 'NONE', 0,
  'undefined', 'undefined geographic coordinate reference system');
CREATE TABLE gpkg_contents (
  table_name TEXT NOT NULL PRIMARY KEY, data_type TEXT NOT NULL, identifier TEXT UNIQUE,
  description TEXT DEFAULT '',
  last_change DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')),
  min_x DOUBLE, min_y DOUBLE, max_x DOUBLE, max_y DOUBLE, srs_id INTEGER,
  CONSTRAINT fk_gc_r_srs_id FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id));
CREATE TABLE gpkg_geometry_columns (
  table_name TEXT NOT NULL, column_name TEXT NOT NULL, geometry_type_name TEXT NOT NULL,
  srs_id INTEGER NOT NULL, z TINYINT NOT NULL, m TINYINT NOT NULL,
  CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, column_name),
  CONSTRAINT uk_gc_table_name UNIQUE (table_name),
  CONSTRAINT fk_gc_tn FOREIGN KEY (table_name) REFERENCES gpkg_contents(table_name),
  CONSTRAINT fk_gc_srs FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys (srs_id));
)";

// mtime is the file's modification time as ISO 8601 for people, mtime_ns the same to the
// nanosecond for the rule that skips a clip already in the file; first_utc_s and
// last_utc_s keep the track's UTC as numbers so that drives can be grouped again from the
// file alone.
constexpr const char* kLayers = R"(
CREATE TABLE clips (fid INTEGER PRIMARY KEY AUTOINCREMENT, geom LINESTRING,
  path TEXT NOT NULL, size INTEGER NOT NULL, mtime TEXT NOT NULL, mtime_ns INTEGER NOT NULL,
  start_utc TEXT, end_utc TEXT, km REAL, length_s REAL, max_kmh INTEGER,
  first_utc_s INTEGER, last_utc_s INTEGER);
CREATE UNIQUE INDEX clips_path ON clips (path);
CREATE TABLE seconds (fid INTEGER PRIMARY KEY AUTOINCREMENT, geom POINT,
  clip INTEGER NOT NULL REFERENCES clips (fid), path TEXT NOT NULL, second INTEGER NOT NULL,
  utc TEXT, speed_kmh INTEGER, heading INTEGER, x_g REAL, y_g REAL, z_g REAL);
CREATE INDEX seconds_clip ON seconds (clip);
CREATE TABLE drives (fid INTEGER PRIMARY KEY AUTOINCREMENT, geom LINESTRING,
  first_clip TEXT NOT NULL, last_clip TEXT NOT NULL, clips INTEGER NOT NULL,
  start_utc TEXT, end_utc TEXT, seconds INTEGER, km REAL, max_kmh INTEGER);
INSERT INTO gpkg_contents (table_name, data_type, identifier, description, srs_id) VALUES
  ('seconds', 'features', 'seconds', 'every second of a clip with a position', 4326),
  ('clips', 'features', 'clips', 'one route per clip', 4326),
  ('drives', 'features', 'drives', 'one route per drive of two or more clips', 4326);
INSERT INTO gpkg_geometry_columns VALUES ('seconds', 'geom', 'POINT', 4326, 0, 0),
  ('clips', 'geom', 'LINESTRING', 4326, 0, 0), ('drives', 'geom', 'LINESTRING', 4326, 0, 0);
)";

} // namespace

bool CreateGpkgSchema(SqliteDb& db, std::string& why) {
    if (!db.Exec("BEGIN IMMEDIATE", why)) {
        return false;
    }
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kGpkgApplicationId) +
                                "; PRAGMA user_version = " + std::to_string(kGpkgUserVersion) + ";";
    if (db.Exec(pragmas, why) && db.Exec(kSpatialRefSys, why) && db.Exec(kLayers, why) &&
        db.Exec("COMMIT", why)) {
        return true;
    }
    std::string ignored;
    db.Exec("ROLLBACK", ignored);
    return false;
}

bool IsTrackGpkg(SqliteDb& db, const std::string& schema, std::string& why) {
    SqliteStatement id(db.Handle(), "PRAGMA " + schema + ".application_id");
    if (!id.Ok() || !id.Step()) {
        why = "not an SQLite database (" + db.Error() + ")";
        return false;
    }
    if (id.Int(0) != kGpkgApplicationId) {
        why = "not a GeoPackage";
        return false;
    }
    SqliteStatement layers(db.Handle(), "SELECT count(*) FROM " + schema +
                                            ".sqlite_master WHERE type = 'table' AND name IN "
                                            "('clips', 'seconds', 'drives', 'gpkg_contents')");
    if (!layers.Ok() || !layers.Step() || layers.Int(0) != 4) {
        why = "a GeoPackage without the clips, seconds and drives layers";
        return false;
    }
    return true;
}
