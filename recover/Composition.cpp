#include "recover/Composition.h"

#include <algorithm>
#include <numeric>

namespace {

// The full picture order count from its low bits: the high bits carry on from the last
// reference picture's, stepping up or down when the low bits wrap round, and start again at
// the first picture and wherever the stream says so (an IDR picture).
std::vector<int64_t> OrderCounts(std::span<const AccessUnit> units, uint32_t pocLsbBits) {
    const int64_t range = int64_t{1} << pocLsbBits;
    std::vector<int64_t> counts;
    counts.reserve(units.size());
    int64_t previousHigh = 0;
    int64_t previousLow = 0;
    for (const AccessUnit& unit : units) {
        if (unit.ordersAnew || &unit == &units.front()) {
            previousHigh = 0;
            previousLow = 0;
        }
        const int64_t low = unit.pocLsb;
        int64_t high = previousHigh;
        if (low < previousLow && previousLow - low >= range / 2) {
            high += range;
        } else if (low > previousLow && low - previousLow > range / 2) {
            high -= range;
        }
        counts.push_back(high + low);
        if (unit.reference) {
            previousHigh = high;
            previousLow = low;
        }
    }
    return counts;
}

} // namespace

Composition ComposeUnits(std::span<const AccessUnit> units, uint32_t pocLsbBits) {
    Composition composition;
    if (units.empty() || pocLsbBits > 16 ||
        !std::all_of(units.begin(), units.end(),
                     [](const AccessUnit& unit) { return unit.hasPocLsb; })) {
        return composition;
    }
    const std::vector<int64_t> counts = OrderCounts(units, pocLsbBits);
    // Each stretch from one start of the counts to the next is shown in the order of its
    // counts; an H.265 CRA picture is no such start, so the leading pictures after it in
    // decoding order are shown among the pictures before it.
    std::vector<int64_t> shown(units.size());
    for (size_t begin = 0; begin < units.size();) {
        size_t end = begin + 1;
        while (end < units.size() && !units[end].ordersAnew) {
            ++end;
        }
        std::vector<size_t> order(end - begin);
        std::iota(order.begin(), order.end(), begin);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return counts[a] < counts[b]; });
        for (size_t rank = 0; rank < order.size(); ++rank) {
            shown[order[rank]] = static_cast<int64_t>(begin + rank);
        }
        begin = end;
    }
    int64_t earliest = 0;
    bool reordered = false;
    for (size_t i = 0; i < units.size(); ++i) {
        earliest = std::min(earliest, shown[i] - static_cast<int64_t>(i));
        reordered = reordered || shown[i] != static_cast<int64_t>(i);
    }
    if (!reordered) {
        return composition;
    }
    composition.delay = static_cast<uint32_t>(-earliest);
    composition.offsets.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        composition.offsets.push_back(
            static_cast<uint32_t>(shown[i] - static_cast<int64_t>(i) - earliest));
    }
    return composition;
}
