#include "track/readers/LigoGpsSeconds.h"

#include "track/CMapTrackStore.h"
#include "track/readers/BlockSecond.h"

#include <algorithm>

FreeGpsBlock LigoBlockOf(const LigoGpsFix& fix, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.status = 'A';
    block.latitude = fix.latitude;
    block.longitude = fix.longitude;
    block.speed = static_cast<float>(fix.speedKmh);
    block.course = static_cast<float>(fix.course.value_or(0.0));
    block.hasSensor = fix.accel.has_value();
    if (fix.accel) {
        block.x = (*fix.accel)[0];
        block.y = (*fix.accel)[1];
        block.z = (*fix.accel)[2];
    }
    block.utcTime = fix.utc;
    return block;
}

void LigoSecondRun::Damage(uint64_t offset) {
    m_damagedAt = m_damagedAt.value_or(offset);
}

void LigoSecondRun::Block(std::span<const unsigned char> block, uint64_t offset, bool plain,
                          bool contiguous) {
    const auto where = [&](size_t at) { return contiguous ? offset + at : offset; };
    if (block.size() < kLigoHeaderBytes) {
        // A block holds at least one slot: its second stays, without fix.
        Damage(offset);
        ++m_second;
        return;
    }
    for (size_t at = kLigoHeaderBytes; at < block.size(); at += kLigoSlotBytes) {
        const std::span<const unsigned char> bytes = block.subspan(at);
        if (bytes.size() < kLigoSlotBytes) {
            // Zeros the writer padded with are no record; anything else is a slot cut
            // short, whose second stays without fix.
            if (std::any_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b != 0; })) {
                Damage(where(at));
                ++m_second;
            }
            return;
        }
        const int second = m_second++;
        const LigoSlot slot = ReadLigoSlot(bytes.first(kLigoSlotBytes), plain);
        if (slot.kind == LigoSlot::Kind::Damaged) {
            Damage(where(at));
            continue;
        }
        m_found = true;
        if (slot.kind == LigoSlot::Kind::Fix && second <= m_stores.map.LastSecond()) {
            PutBlockSecond(m_stores, second, LigoBlockOf(slot.fix, where(at)));
            m_fix = m_fix || m_stores.map.HasPosition(second);
        }
    }
}
