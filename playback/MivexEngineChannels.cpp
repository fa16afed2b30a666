// Other cameras' clips of the open clip's moment, composed into its picture by one filter
// graph. They are added to the open clip as extra video tracks, so one demuxer clock reads
// them all and a seek moves them together; a channel that cannot be opened is left out of
// the graph and keeps its placeholder, and a graph that gives no picture falls back to the
// clip alone, so another camera can never take the main picture down with it.
#include "playback/MivexEngine.h"

#include "playback/MpvNames.h"
#include "playback/MpvProperties.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace {

// A graph is rebuilt in well under this on a paused or playing clip.
constexpr auto kGraphTimeout = std::chrono::seconds(3);

bool IsString(const mpv_node* node, const char* text) {
    return node != nullptr && node->format == MPV_FORMAT_STRING &&
           std::strcmp(node->u.string, text) == 0;
}

bool IsSet(const mpv_node* node) {
    return node != nullptr && node->format == MPV_FORMAT_FLAG && node->u.flag != 0;
}

} // namespace

void MivexEngine::ReadTracks(const std::vector<std::string>& paths, int* video, int* audio,
                             std::vector<int>* external) {
    *video = *audio = 0;
    external->assign(paths.size(), 0);
    ForEachTrack([&](const mpv_node& track) {
        const int id = static_cast<int>(NodeInt(MpvNode::FindIn(track, mpvname::kKeyId)));
        const mpv_node* type = MpvNode::FindIn(track, mpvname::kKeyType);
        if (!IsSet(MpvNode::FindIn(track, mpvname::kKeyExternal))) {
            if (IsString(type, mpvname::kTrackTypeVideo) && *video == 0) {
                *video = id;
            } else if (IsString(type, mpvname::kTrackTypeAudio) && *audio == 0) {
                *audio = id;
            }
            return true;
        }
        const mpv_node* file = MpvNode::FindIn(track, mpvname::kKeyExternalFilename);
        if (!IsString(type, mpvname::kTrackTypeVideo) || file == nullptr ||
            file->format != MPV_FORMAT_STRING) {
            return true;
        }
        for (size_t n = 0; n < paths.size(); ++n) {
            if ((*external)[n] == 0 && paths[n] == file->u.string) {
                (*external)[n] = id;
                break;
            }
        }
        return true;
    });
}

int MivexEngine::AddChannels(const MivexChannel* channels, int count) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_handle || !ClipActive() || !m_state.restarted || channels == nullptr || count <= 0 ||
            !m_channelInputs.empty()) {
            return 0;
        }
        m_mainWidth = m_state.width;
        m_mainHeight = m_state.height;
    }
    if (m_mainWidth <= 0 || m_mainHeight <= 0) {
        return 0;
    }
    mpv_handle* h = m_handle.get();
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const char* path = channels[i].path != nullptr ? channels[i].path : "";
        paths.emplace_back(path);
        // No path stands for a camera of the drive that recorded nothing of this moment.
        if (*path == '\0') {
            continue;
        }
        // "auto" adds the track without showing it: the graph decides what is shown.
        const char* command[] = {mpvname::kVideoAdd, path, mpvname::kAuto, nullptr};
        if (mpv_command(h, command) < 0) {
            qWarning("channels: cannot open %s; its placeholder stays", path);
        }
    }
    int video = 0;
    std::vector<int> external;
    ReadTracks(paths, &video, &m_audioTrack, &external);
    if (video == 0) {
        return 0;
    }
    m_channelInputs.push_back({video, 0, {}});
    int opened = 0;
    double laterStart = 0;
    for (int i = 0; i < count; ++i) {
        const char* name = channels[i].name != nullptr ? channels[i].name : "";
        m_channelInputs.push_back({external[i], channels[i].offsetSeconds, name});
        if (external[i] != 0) {
            ++opened;
            laterStart = std::max(laterStart, channels[i].offsetSeconds);
        }
    }
    // A channel that started later is read that much behind the clip; every seek lands
    // that much early, and the exact seek plays the clip up to its target, so that channel's
    // frames of the target are there when the clip's are.
    mpv_set_property(h, mpvname::kHrSeekDemuxerOffset, MPV_FORMAT_DOUBLE, &laterStart);
    if (!ApplyChannelGraph()) {
        return 0;
    }
    return opened;
}

bool MivexEngine::SetChannelView(const ChannelView& view) {
    m_channelView = view;
    if (m_channelInputs.empty()) {
        return false;
    }
    return ApplyChannelGraph();
}

ChannelCanvas MivexEngine::Canvas() const {
    if (m_channelInputs.empty()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return ArrangeChannels({}, 1, m_state.width, m_state.height);
    }
    return ArrangeChannels(m_channelView, static_cast<int>(m_channelInputs.size()), m_mainWidth,
                           m_mainHeight);
}

bool MivexEngine::ApplyChannelGraph() {
    mpv_handle* h = m_handle.get();
    const ChannelCanvas canvas = Canvas();
    // The words of a placeholder need a font; a machine without one still gets the boxes.
    for (const bool words : {true, false}) {
        const std::string graph =
            ChannelFilterGraph(canvas, m_channelInputs, {m_audioTrack, words});
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!ClipActive()) {
                return false;
            }
            // The graph's restart ends this wait, as a seek's does.
            m_state.seeking = true;
        }
        m_graphSet = true;
        if (mpv_set_property_string(h, mpvname::kLavfiComplex, graph.c_str()) >= 0) {
            const Clock::time_point deadline = Clock::now() + kGraphTimeout;
            WaitUntil([&] { return !m_state.seeking || !ClipActive(); }, &deadline);
            const int width = static_cast<int>(GetInt(h, mpvname::kWidth));
            const int height = static_cast<int>(GetInt(h, mpvname::kHeight));
            if (width > 0 && height > 0) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_state.width = width;
                m_state.height = height;
                m_state.seeking = false;
                return true;
            }
        }
        qWarning("channels: the composed picture failed%s", words ? "; trying without words" : "");
    }
    DropChannels();
    // The clip's own tracks again, as they were before the graph took them.
    int video = 0;
    int audio = 0;
    std::vector<int> none;
    ReadTracks({}, &video, &audio, &none);
    int64_t id = video;
    mpv_set_property(h, mpvname::kVid, MPV_FORMAT_INT64, &id);
    if (audio != 0) {
        id = audio;
        mpv_set_property(h, mpvname::kAid, MPV_FORMAT_INT64, &id);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.width = m_mainWidth;
    m_state.height = m_mainHeight;
    m_state.seeking = false;
    return false;
}

void MivexEngine::DropChannels() {
    m_channelInputs.clear();
    m_audioTrack = 0;
    if (!m_handle || !m_graphSet) {
        return;
    }
    m_graphSet = false;
    mpv_handle* h = m_handle.get();
    mpv_set_property_string(h, mpvname::kLavfiComplex, "");
    double none = 0;
    mpv_set_property(h, mpvname::kHrSeekDemuxerOffset, MPV_FORMAT_DOUBLE, &none);
    // The graph took the tracks over; the next clip picks its own again.
    mpv_set_property_string(h, mpvname::kVid, mpvname::kAuto);
    mpv_set_property_string(h, mpvname::kAid, mpvname::kAuto);
}
