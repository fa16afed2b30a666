#include "track/ExcerptMarks.h"

#include <algorithm>

void ExcerptMarks::Follow(const std::string& clipPath, std::shared_ptr<const LoadedDrive> drive) {
    const bool same =
        drive != nullptr ? drive == m_drive : m_drive == nullptr && clipPath == m_clipPath;
    if (!same) {
        Clear();
    }
    m_clipPath = clipPath;
    m_drive = std::move(drive);
}

void ExcerptMarks::SetStart(double second) {
    m_start = std::max(0.0, second);
    if (m_end && *m_end <= *m_start) {
        m_end.reset();
    }
}

void ExcerptMarks::SetEnd(double second) {
    m_end = std::max(0.0, second);
    if (m_start && *m_start >= *m_end) {
        m_start.reset();
    }
}

void ExcerptMarks::Clear() {
    m_start.reset();
    m_end.reset();
}

std::vector<ExcerptPiece> ExcerptMarks::Pieces() const {
    if (!m_start || !m_end) {
        return {};
    }
    if (m_drive == nullptr) {
        return {{m_clipPath, *m_start, *m_end}};
    }
    std::vector<ExcerptPiece> pieces;
    for (const DriveClip& clip : m_drive->drive.clips) {
        const double at = static_cast<double>(clip.at);
        const double from = std::max(*m_start, at) - at;
        const double to = std::min(*m_end, at + clip.main.seconds) - at;
        if (from < to) {
            pieces.push_back({clip.main.path, from, to});
        }
    }
    return pieces;
}
