// The fleet's GeoPackage of clip tracks: one SQLite file holding a point layer `seconds`
// (every second with a position), a line layer `clips` (one route per clip) and a line
// layer `drives` (one route per drive of two or more clips). It is written through
// libsqlite3 with the GeoPackage tables and geometry blobs our own: the three layers need
// a point and a line encoding and the standard's three tables, where GDAL would bring a
// large library and its own transaction rules into a tool that is linked static.
// Clips go in a batch at a time, each batch one transaction, so a run stopped anywhere
// leaves a valid file holding every batch committed before.
#pragma once

#include "gpkg/ClipStore.h"
#include "gpkg/SqliteDb.h"

#include <string>

class TrackGeoPackage : public ClipStore {
public:
    // Opens the file, making it with its tables when it is new or empty. False, with the
    // reason in `why`, when it cannot be opened or is not a GeoPackage of this kind.
    bool Open(const std::string& path, std::string& why);

    bool Has(const GpkgClipKey& key) const override;
    bool Begin(std::string& why) override;
    bool Commit(std::string& why) override;
    void Rollback() override;
    bool Add(const GpkgClip& clip, bool& held, std::string& why) override;

    // Copies in the clips of the GeoPackage `part` that this file lacks, a transaction per
    // `batch` clips; where both hold a path, the clip with the later modification time
    // stays. `added` counts the clips copied.
    bool Merge(const std::string& part, size_t batch, size_t& added, std::string& why);

    // Replaces the drives layer with the drives the file's clips make, and brings the
    // layers' extents up to date, in one transaction.
    bool RegroupDrives(std::string& why);

private:
    SqliteDb m_db;
};
