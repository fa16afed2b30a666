// The slots of LIGOGPSINFO blocks (see LigoGpsRecord.h) that carry no time of their own in
// the container, put one a second in the order they come: a transport stream's records and
// a clip's trailer. Zero slots are seconds without fix; a slot that does not decrypt, or
// one cut short, is damage, logged by its offset, and its second stays without fix.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "track/FreeGpsBlock.h"
#include "track/TrackStores.h"
#include "track/readers/LigoGpsRecord.h"

// A slot's fix as the per-second record the stores take.
FreeGpsBlock LigoBlockOf(const LigoGpsFix& fix, uint64_t offset);

class LigoSecondRun {
public:
    explicit LigoSecondRun(const TrackStores& stores) : m_stores(stores) {}

    // The block's slots from the next second on. `offset` is where the block lies in the
    // file; when its bytes were gathered from packets (`contiguous` false) damage inside it
    // is logged at `offset` itself, as no file offset matches a byte of the gathered block.
    void Block(std::span<const unsigned char> block, uint64_t offset, bool plain,
               bool contiguous = true);

    // Marks damage where no slot could be read (a block cut inside its header).
    void Damage(uint64_t offset);

    bool Found() const { return m_found; } // a slot read, fix or not
    bool Fix() const { return m_fix; }
    std::optional<uint64_t> DamagedAt() const { return m_damagedAt; }

private:
    const TrackStores& m_stores;
    int m_second = 0;
    bool m_found = false;
    bool m_fix = false;
    std::optional<uint64_t> m_damagedAt;
};
