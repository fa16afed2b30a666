// The clip's data track: choosing it when a clip loads, and turning each new cue into the
// track lines the owner's data-line callback receives.
#include "playback/MivexEngine.h"

#include "playback/DataCueLines.h"
#include "playback/MpvNames.h"
#include "playback/MpvProperties.h"

#include <QObject>

#include <cstring>

void MivexEngine::ForEachTrack(const std::function<bool(const mpv_node&)>& visit) {
    MpvNode tracks;
    if (mpv_get_property(m_handle.get(), mpvname::kTrackList, MPV_FORMAT_NODE, tracks.Fill()) < 0) {
        tracks.Discard();
        return;
    }
    const mpv_node& list = tracks.Get();
    if (list.format != MPV_FORMAT_NODE_ARRAY) {
        return;
    }
    for (int i = 0; i < list.u.list->num && visit(list.u.list->values[i]); ++i) {
    }
}

void MivexEngine::SelectDataTrack() {
    // mpv selects a subtitle track by itself only when it is flagged default or matches a
    // language; a camera's data track is usually neither.
    ForEachTrack([this](const mpv_node& track) {
        const mpv_node* type = MpvNode::FindIn(track, mpvname::kKeyType);
        if (type == nullptr || type->format != MPV_FORMAT_STRING ||
            std::strcmp(type->u.string, mpvname::kTrackTypeSub) != 0) {
            return true;
        }
        int64_t id = NodeInt(MpvNode::FindIn(track, mpvname::kKeyId));
        mpv_set_property(m_handle.get(), mpvname::kSid, MPV_FORMAT_INT64, &id);
        return false;
    });
}

void MivexEngine::CheckCue() {
    if (m_callbacks == nullptr || m_callbacks->data_line_cb == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_eventEntry != m_state.current || !ClipActive()) {
            return;
        }
    }
    // Text and start are two reads; a cue boundary between them shows as a changed start,
    // and the pair is read again.
    mpv_handle* h = m_handle.get();
    std::string text;
    double start = 0;
    bool consistent = false;
    for (int attempt = 0; attempt < 3 && !consistent; ++attempt) {
        double after = 0;
        if (!GetDouble(h, mpvname::kSubStart, &start) || !ReadString(h, mpvname::kSubText, &text) ||
            !GetDouble(h, mpvname::kSubStart, &after)) {
            return;
        }
        consistent = start == after;
    }
    // The same text again is a new cue when it starts at another time.
    if (!consistent || text.empty() ||
        (m_haveCue && text == m_lastCueText && start == m_lastCueStart)) {
        return;
    }
    m_haveCue = true;
    m_lastCueText = text;
    m_lastCueStart = start;
    const int64_t entry = m_eventEntry;
    // In a drive a cue's start is on the drive's timeline; its lines carry the clip's time.
    const double clipStart =
        m_segments.Empty() ? start : start - m_segments.Start(ClipOfDrive(start));
    for (std::string& line : TrackLinesFromCue(text, clipStart)) {
        // Queued, so that no receiver runs inside an engine call. A line of a clip that was
        // closed or replaced since is dropped; one of a clip that simply ended is not.
        QMetaObject::invokeMethod(
            m_context.get(),
            [this, entry, line = std::move(line)] {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    if (entry != m_state.current || entry <= m_state.closedThrough) {
                        return;
                    }
                }
                if (m_callbacks != nullptr && m_callbacks->data_line_cb != nullptr) {
                    m_callbacks->data_line_cb(line.c_str(), static_cast<int>(line.size()),
                                              m_callbacks->owner_context);
                }
            },
            Qt::QueuedConnection);
    }
}
