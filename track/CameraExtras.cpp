#include "track/CameraExtras.h"

#include <utility>

void CameraExtras::Clear() {
    m_columns.clear();
    m_seconds.clear();
}

void CameraExtras::SetColumns(std::vector<std::string> names) {
    m_columns = std::move(names);
    m_seconds.clear();
}

void CameraExtras::Put(int second, std::vector<std::string> values) {
    if (second < 0 || second > m_lastSecond || m_columns.empty() ||
        values.size() != m_columns.size()) {
        return;
    }
    m_seconds[second] = std::move(values);
}

const std::vector<std::string>* CameraExtras::Find(int second) const {
    const auto found = m_seconds.find(second);
    return found == m_seconds.end() ? nullptr : &found->second;
}

int CameraExtras::LastFilledSecond() const {
    return m_seconds.empty() ? -1 : m_seconds.rbegin()->first;
}
