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
                  AacFrameTrial& player, std::vector<SoundFrame>& found)
        : m_source(source), m_begin(stretch.offset), m_end(stretch.offset + stretch.count),
          m_trial(trial), m_player(player), m_found(found) {}

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
            // A frame alone that fills the whole stretch is a run of one frame.
            bool vouched = at == lastEnd || (at == m_begin && next == m_end);
            if (!vouched) {
                known = {next, LengthAt(next)};
                vouched = known->second > 0;
            }
            if (!vouched) {
                ++at;
                continue;
            }
            // One the decoder takes alone but not after the frames before it would fail a
            // player the same way, so it is left out.
            const std::optional<std::span<const unsigned char>> bytes = Window(at, length);
            if (bytes && m_player.DecodesInTurn(bytes->first(length))) {
                m_found.push_back({at, static_cast<uint32_t>(length)});
            }
            lastEnd = next;
            at = next;
        }
    }

private:
    size_t LengthAt(uint64_t at) {
        if (at >= m_end) {
            return 0;
        }
        const auto want = static_cast<size_t>(std::min<uint64_t>(m_end - at, m_trial.MaxFrame()));
        const std::optional<std::span<const unsigned char>> bytes = Window(at, want);
        return bytes ? m_trial.FrameLength(bytes->first(want)) : 0;
    }

    // The bytes from `at` on, at least `count` of them, read anew when the window does not
    // hold them; nothing when the clip could not be read, and what was found stands.
    std::optional<std::span<const unsigned char>> Window(uint64_t at, size_t count) {
        if (at < m_windowAt || at + count > m_windowAt + m_window.size()) {
            const std::span<const unsigned char> read =
                m_source.Read(at, static_cast<size_t>(std::min<uint64_t>(m_end - at, kWindow)));
            m_window.assign(read.begin(), read.end());
            m_windowAt = at;
            if (m_window.size() < count) {
                m_failed = true;
                return std::nullopt;
            }
        }
        return std::span(m_window).subspan(static_cast<size_t>(at - m_windowAt));
    }

    ByteSource& m_source;
    uint64_t m_begin;
    uint64_t m_end;
    AacFrameTrial& m_trial;
    AacFrameTrial& m_player;
    std::vector<SoundFrame>& m_found;
    std::vector<unsigned char> m_window;
    uint64_t m_windowAt = 0;
    bool m_failed = false;
};

} // namespace

std::vector<SoundFrame> FindAacFrames(ByteSource& source, std::span<const ByteRange> stretches,
                                      AacFrameTrial& trial, AacFrameTrial& player) {
    std::vector<SoundFrame> found;
    for (const ByteRange& stretch : stretches) {
        StretchSearch(source, stretch, trial, player, found).Run();
    }
    return found;
}
