#include "map/CMapPageBridge.h"

void CMapPageBridge::RouteClicked(int second) {
    // The page is not trusted with more than a second of the clip.
    if (second >= 0) {
        emit SeekRequested(second);
    }
}

void CMapPageBridge::DriveRouteClicked(int driveSecond) {
    if (driveSecond >= 0) {
        emit DriveSeekRequested(driveSecond);
    }
}
