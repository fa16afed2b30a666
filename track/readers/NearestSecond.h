// For cameras that write a record with every frame: second s stands for the clip times
// [s - 0.5, s + 0.5) and keeps the record nearest s, the earlier on a tie, as the GoPro
// reader keeps its fixes. The records come in time order; each second is handed on once
// the records have passed it.
#pragma once

#include <cmath>
#include <functional>
#include <utility>

template <typename Record> class NearestSecond {
public:
    NearestSecond(int lastSecond, std::function<void(int, const Record&)> put)
        : m_lastSecond(lastSecond), m_put(std::move(put)) {}

    // False once the time is past the last second: no later record counts.
    bool Offer(double seconds, const Record& record) {
        const double rounded = std::floor(seconds + 0.5);
        if (!(rounded <= m_lastSecond) || rounded < 0.0) {
            return false;
        }
        const int second = static_cast<int>(rounded);
        const double distance = std::fabs(seconds - rounded);
        if (second != m_second) {
            Finish();
            m_second = second;
            m_distance = distance;
            m_record = record;
        } else if (distance < m_distance) {
            m_distance = distance;
            m_record = record;
        }
        return true;
    }

    // Hands on the second still held.
    void Finish() {
        if (m_second >= 0) {
            m_put(m_second, m_record);
        }
        m_second = -1;
    }

private:
    int m_lastSecond;
    std::function<void(int, const Record&)> m_put;
    int m_second = -1;
    double m_distance = 0.0;
    Record m_record{};
};
