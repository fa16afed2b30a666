#include "recover/AacFrameSearch.h"

#include <algorithm>
#include <optional>

namespace {

// Bytes read at once; a stretch longer than this is read a window at a time.
constexpr size_t kWindow = 1u << 20;

// One stretch, read through a window that always holds the frame tried and the next.
class StretchSearch {
public:
    StretchSearch(ByteSource& source, const ByteRange& stretch, AacFrameTrial& trial,
                  std::vector<SoundFrame>& found)
        : m_source(source), m_begin(stretch.offset), m_end(stretch.offset + stretch.count),
          m_trial(trial), m_found(found) {}

    void Run() {
        uint64_t at = m_begin;
        uint64_t lastEnd = UINT64_MAX;                    // where the last frame taken ends
        std::optional<std::pair<uint64_t, size_t>> known; // a length found ahead
        while (at < m_end) {
            const size_t length = known && known->first == at ? known->second : LengthAt(at);
            if (m_failed) {
                return;
            }
            if (length == 0) {
                ++at;
                continue;
            }
            const uint64_t next = at + length;
            bool vouched = at == lastEnd || next == m_end;
            if (!vouched) {
                known = {next, LengthAt(next)};
                vouched = known->second > 0;
            }
            if (!vouched) {
                ++at;
                continue;
            }
            m_found.push_back({at, static_cast<uint32_t>(length)});
            lastEnd = next;
            at = next;
        }
    }

private:
    size_t LengthAt(uint64_t at) {
        if (at >= m_end) {
            return 0;
        }
        const uint64_t want = std::min<uint64_t>(m_end - at, m_trial.MaxFrame());
        if (at < m_windowAt || at + want > m_windowAt + m_window.size()) {
            const std::span<const unsigned char> read =
                m_source.Read(at, static_cast<size_t>(std::min<uint64_t>(m_end - at, kWindow)));
            m_window.assign(read.begin(), read.end());
            m_windowAt = at;
            if (m_window.size() < want) {
                m_failed = true; // the clip could not be read: what was found stands
                return 0;
            }
        }
        return m_trial.FrameLength(
            std::span(m_window).subspan(static_cast<size_t>(at - m_windowAt), want));
    }

    ByteSource& m_source;
    uint64_t m_begin;
    uint64_t m_end;
    AacFrameTrial& m_trial;
    std::vector<SoundFrame>& m_found;
    std::vector<unsigned char> m_window;
    uint64_t m_windowAt = 0;
    bool m_failed = false;
};

} // namespace

std::vector<SoundFrame> FindAacFrames(ByteSource& source, std::span<const ByteRange> stretches,
                                      AacFrameTrial& trial) {
    std::vector<SoundFrame> found;
    for (const ByteRange& stretch : stretches) {
        StretchSearch(source, stretch, trial, found).Run();
    }
    return found;
}
