// The fleet's tracks in a PostgreSQL database with PostGIS, which many workers on many
// machines write at once: the GeoPackage's three layers (TrackGeoPackage) as tables, written
// through libpq a batch of clips a transaction.
// Workers never duplicate a clip: the unique index on clips.path_bytes makes a second writer
// of a path wait for the first's transaction and then find its row (INSERT ... ON CONFLICT).
// They never wait on each other in a circle: a transaction takes those index entries in
// path order only (ClipStore), and its other rows (a clip's seconds) belong to clips it holds.
// A worker killed midway leaves its open transaction, which the server rolls back whole.
#pragma once

#include "gpkg/ClipStore.h"
#include "gpkg/PgConnection.h"

#include <string>

class TrackPostgis : public ClipStore {
public:
    // Connects, and makes the layers where they are missing (PgSchema). False, with the
    // reason, when the server cannot be reached, refuses the login, is read-only, or holds
    // a table of a layer's name with other columns.
    bool Open(const std::string& conninfo, std::string& why);

    bool Has(const GpkgClipKey& key) const override;
    bool Begin(std::string& why) override;
    bool Commit(std::string& why) override;
    void Rollback() override;
    bool Add(const GpkgClip& clip, bool& held, std::string& why) override;

    // Replaces the drives layer with the drives all the database's clips make, whichever
    // workers wrote them, in one transaction; two such runs at once take turns.
    bool RegroupDrives(std::string& why);

private:
    bool InsertSeconds(int64_t fid, const GpkgClip& clip, std::string& why);

    PgConnection m_db;
    std::string m_lastPath; // of the open transaction, which adds clips in path order
};
