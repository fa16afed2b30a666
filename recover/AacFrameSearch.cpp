#include "recover/AacFrameSearch.h"

#include <algorithm>
#include <optional>

namespace {

// Bytes read at once; a stretch longer than this is read a window at a time.
constexpr size_t kWindow = 1u << 20;
// A camera writes its sound as runs of frames of at most a few kilobytes each: this far past
// the last frame with none found, the rest of the stretch is damage, not sound, and searching
// it byte by byte would cost a second or more a megabyte.
constexpr uint64_t kNoSoundAfter = 64u << 10;

// One stretch, read through a window that always holds the frame tried and the next.
class StretchSearch {
public:
    StretchSearch(ByteSource& source, const ByteRange& stretch, AacFrameTrial& trial,
                  AacFrameTrial& player, std::vector<SoundFrame>& found)
        : m_source(source), m_begin(stretch.offset), m_end(stretch.offset + stretch.count),
          m_trial(trial), m_player(player), m_found(found) {}

    void Run() {
        uint64_t at = m_begin;
        uint64_t lastEnd = m_begin;                       // where the last frame taken ends
        std::optional<std::pair<uint64_t, size_t>> known; // a length found ahead
        while (at < m_end && !m_failed && at - lastEnd < kNoSoundAfter) {
            const size_t length = known && known->first == at ? known->second : LengthAt(at);
            if (length == 0) {
                ++at;
                continue;
            }
            const uint64_t next = at + length;
            bool confirmed = next == m_end;
            if (!confirmed) {
                known = {next, LengthAt(next)};
                confirmed = known->second > 0;
            }
            if (confirmed) {
                Settle(at);
                Take(at, length);
                lastEnd = next;
                at = next;
            } else if (at == lastEnd) {
                // The frame before damage, or one whose damage made it decode to another
                // length: it stands unless a confirmed frame starts inside it.
                Settle(at);
                m_tentative = {at, length};
                ++at;
            } else {
                ++at;
            }
        }
        Settle(m_end);
    }

private:
    // A tentative frame is taken when the next confirmed one starts at `at`, at or after its
    // end (or the stretch ends), and dropped when that starts inside it.
    void Settle(uint64_t at) {
        if (m_tentative && m_tentative->first + m_tentative->second <= at) {
            Take(m_tentative->first, m_tentative->second);
        }
        m_tentative.reset();
    }

    // One the decoder takes alone but not after the frames before it would fail a player the
    // same way, so it is left out.
    void Take(uint64_t at, size_t length) {
        const std::optional<std::span<const unsigned char>> bytes = Window(at, length);
        if (bytes && m_player.DecodesInTurn(bytes->first(length))) {
            m_found.push_back({at, static_cast<uint32_t>(length)});
        }
    }

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
    std::optional<std::pair<uint64_t, size_t>> m_tentative;
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
