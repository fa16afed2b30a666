// Where a fleet run writes its clips' tracks: a GeoPackage file or a PostGIS database. The
// run asks which clips the store holds, then writes the others a batch at a time, each
// batch one transaction, the same way whichever store it is.
#pragma once

#include "gpkg/GpkgClip.h"

#include <string>

class ClipStore {
public:
    virtual ~ClipStore() = default;

    // Whether the store holds the clip of exactly this path, size and modification time.
    virtual bool Has(const GpkgClipKey& key) const = 0;

    virtual bool Begin(std::string& why) = 0;
    virtual bool Commit(std::string& why) = 0;
    // Drops what the open transaction wrote.
    virtual void Rollback() = 0;

    // Adds the clip inside the open transaction, in place of any clip of the same path
    // (a file that changed since it was added); `held` set instead when another writer put
    // this very clip there since Has was asked. A transaction adds its clips in path order
    // (byte by byte), which is what keeps writers that share a store from waiting on each
    // other in a circle.
    virtual bool Add(const GpkgClip& clip, bool& held, std::string& why) = 0;
};
