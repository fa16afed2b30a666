#include "playback/ChannelLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps a little of the big picture around the small ones, so their edges stay visible.
constexpr int kMarginDivisor = 40;

int Even(double value) {
    return std::max(2, static_cast<int>(std::lround(value / 2)) * 2);
}

double Clamp01(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 1.0;
}

// The small pictures stacked in a column, sized by the share and held within the canvas.
void PlaceSmallGroup(const ChannelView& view, int smalls, ChannelCanvas& canvas,
                     std::vector<PictureRect>& smallCells) {
    const int margin = canvas.width / kMarginDivisor;
    const double share = std::clamp(std::isfinite(view.smallShare) ? view.smallShare : 0.3,
                                    kMinSmallShare, kMaxSmallShare);
    int width = Even(canvas.width * share);
    int height = Even(width * static_cast<double>(canvas.height) / canvas.width);
    const int room = canvas.height - 2 * margin - (smalls - 1) * margin;
    if (height * smalls > room) {
        height = Even(static_cast<double>(room) / smalls);
        width = Even(height * static_cast<double>(canvas.width) / canvas.height);
    }
    const int groupHeight = height * smalls + margin * (smalls - 1);
    const int left =
        margin +
        static_cast<int>(std::lround(Clamp01(view.groupX) * (canvas.width - 2 * margin - width)));
    const int top =
        margin + static_cast<int>(std::lround(Clamp01(view.groupY) *
                                              (canvas.height - 2 * margin - groupHeight)));
    for (int i = 0; i < smalls; ++i) {
        smallCells.push_back({left, top + i * (height + margin), width, height});
    }
}

} // namespace

ChannelCanvas ArrangeChannels(const ChannelView& view, int count, int mainWidth, int mainHeight) {
    ChannelCanvas canvas;
    if (count < 1 || mainWidth <= 0 || mainHeight <= 0) {
        return canvas;
    }
    const int big = view.big >= 0 && view.big < count ? view.big : 0;
    const int smalls = count - 1;
    std::vector<PictureRect> smallCells;
    PictureRect bigCell{0, 0, mainWidth, mainHeight};
    if (view.arrangement == ChannelArrangement::SideBySide && smalls > 0) {
        canvas.width = mainWidth * 2;
        canvas.height = mainHeight;
        const int height = mainHeight / smalls / 2 * 2;
        for (int i = 0; i < smalls; ++i) {
            smallCells.push_back({mainWidth, i * height, mainWidth, height});
        }
    } else {
        canvas.width = mainWidth;
        canvas.height = mainHeight;
        if (smalls > 0) {
            PlaceSmallGroup(view, smalls, canvas, smallCells);
        }
    }
    canvas.cells.resize(count);
    canvas.cells[big] = bigCell;
    canvas.order.push_back(big);
    size_t next = 0;
    for (int channel = 0; channel < count; ++channel) {
        if (channel != big) {
            canvas.cells[channel] = smallCells[next++];
            canvas.order.push_back(channel);
        }
    }
    return canvas;
}

int ChannelAt(const ChannelCanvas& canvas, int x, int y) {
    for (auto it = canvas.order.rbegin(); it != canvas.order.rend(); ++it) {
        if (canvas.cells[*it].Contains(x, y)) {
            return *it;
        }
    }
    return -1;
}

ChannelView MoveSmallGroup(const ChannelView& view, const ChannelCanvas& canvas, int dx, int dy) {
    ChannelView moved = view;
    if (view.arrangement != ChannelArrangement::PictureInPicture || canvas.order.size() < 2) {
        return moved;
    }
    // The group's free room is what the fractions count in.
    int left = canvas.width, top = canvas.height, right = 0, bottom = 0;
    for (size_t i = 1; i < canvas.order.size(); ++i) {
        const PictureRect& cell = canvas.cells[canvas.order[i]];
        left = std::min(left, cell.x);
        top = std::min(top, cell.y);
        right = std::max(right, cell.x + cell.width);
        bottom = std::max(bottom, cell.y + cell.height);
    }
    const int margin = canvas.width / kMarginDivisor;
    const int roomX = canvas.width - 2 * margin - (right - left);
    const int roomY = canvas.height - 2 * margin - (bottom - top);
    if (roomX > 0) {
        moved.groupX = Clamp01(static_cast<double>(left - margin + dx) / roomX);
    }
    if (roomY > 0) {
        moved.groupY = Clamp01(static_cast<double>(top - margin + dy) / roomY);
    }
    return moved;
}
