#include "track/CSpeedDialModel.h"

#include "track/Truncate.h"

#include <cmath>

DialPoint PointOnDial(int cx, int cy, double angle, int r) {
    const double radians = angle * kDialPi / 180;
    return {cx + TruncateToInt(std::cos(radians) * r), cy - TruncateToInt(std::sin(radians) * r)};
}

DialPoint SpeedNeedleTip(int cx, int cy, int length, int shownSpeed) {
    return PointOnDial(cx, cy, 230.0 - shownSpeed, length);
}

CompassPoints CompassAt(int cx, int cy, int length, int halfWidth, int heading) {
    const DialPoint tip = PointOnDial(cx, cy, 90.0 - heading, length);
    const int dx = tip.x - cx;
    const int dy = cy - tip.y;
    const DialPoint side = PointOnDial(cx, cy, -static_cast<double>(heading), halfWidth);
    const int sx = side.x - cx;
    const int sy = cy - side.y;
    return {tip, {cx - dx, cy + dy}, side, {cx - sx, cy + sy}};
}

void CSpeedDialModel::SetSpeedRecord(int second, int speed, int heading) {
    if (second < 0 || second > m_nLastSecond) {
        return;
    }
    // An impossible speed reads as 0 rather than as the top of the scale.
    if (speed < 0 || speed > 999) {
        speed = 0;
    }
    if (heading > 359) {
        heading = 359;
    } else if (heading < 0) {
        heading = 0;
    }
    m_records[second] = {speed, heading};
}

void CSpeedDialModel::ClearSpeedRecords() {
    m_records.clear();
}

bool CSpeedDialModel::ShowSpeedAt(int second) {
    const SpeedRecord* record = Find(second);
    if (record == nullptr) {
        return false;
    }
    m_nSpeed = record->speed;
    m_nHeading = record->heading;
    return true;
}

int CSpeedDialModel::ShownSpeed() const {
    if (m_bKmh != 0) {
        return m_nSpeed;
    }
    return TruncateToInt(m_nSpeed * kMilesPerKilometre);
}

std::string CSpeedDialModel::SpeedText() const {
    return std::to_string(ShownSpeed()) + (m_bKmh != 0 ? "Km/h" : "mile/h");
}

const SpeedRecord* CSpeedDialModel::Find(int second) const {
    auto it = m_records.find(second);
    return it == m_records.end() ? nullptr : &it->second;
}
