// The engine's sound settings: the volume and mute switch every volume object shares.
#include "playback/MivexEngine.h"

#include "playback/ISoundOutputVolumeNotify.h"
#include "playback/MpvNames.h"
#include "playback/SoundLevel.h"

#include <algorithm>

void MivexEngine::OnVolumeChanged() {
    // The event's value may be older than a later set; the property now is what counts.
    // mpv keeps the volume as a float, so only a change of level counts as a change.
    double percent = 0;
    if (mpv_get_property(m_handle.get(), mpvname::kVolume, MPV_FORMAT_DOUBLE, &percent) >= 0 &&
        SoundLevelFromPercent(percent) != SoundLevelFromPercent(m_volumePercent)) {
        m_volumePercent = percent;
        NotifyVolume(nullptr);
    }
}

void MivexEngine::OnMuteChanged() {
    int flag = 0;
    if (mpv_get_property(m_handle.get(), mpvname::kMute, MPV_FORMAT_FLAG, &flag) >= 0 &&
        (flag != 0) != m_muted) {
        m_muted = flag != 0;
        NotifyMute(nullptr);
    }
}

void MivexEngine::AddVolumeSink(ISoundOutputVolumeNotify* sink) {
    if (std::find(m_volumeSinks.begin(), m_volumeSinks.end(), sink) == m_volumeSinks.end()) {
        m_volumeSinks.push_back(sink);
    }
}

void MivexEngine::RemoveVolumeSink(ISoundOutputVolumeNotify* sink) {
    std::erase(m_volumeSinks, sink);
}

void MivexEngine::SetVolumePercent(double percent, ISoundOutputVolumeNotify* origin) {
    percent = std::clamp(percent, 0.0, 100.0);
    if (percent == m_volumePercent) {
        return;
    }
    m_volumePercent = percent;
    if (m_handle) {
        mpv_set_property(m_handle.get(), mpvname::kVolume, MPV_FORMAT_DOUBLE, &percent);
    }
    NotifyVolume(origin);
}

void MivexEngine::SetMuted(bool muted, ISoundOutputVolumeNotify* origin) {
    if (muted == m_muted) {
        return;
    }
    m_muted = muted;
    if (m_handle) {
        int flag = muted ? 1 : 0;
        mpv_set_property(m_handle.get(), mpvname::kMute, MPV_FORMAT_FLAG, &flag);
    }
    NotifyMute(origin);
}

void MivexEngine::NotifyVolume(ISoundOutputVolumeNotify* origin) {
    // A sink may finalise an object (its own or another) while being told.
    const std::vector<ISoundOutputVolumeNotify*> sinks = m_volumeSinks;
    for (ISoundOutputVolumeNotify* sink : sinks) {
        if (sink != origin &&
            std::find(m_volumeSinks.begin(), m_volumeSinks.end(), sink) != m_volumeSinks.end()) {
            sink->OnVolumeChange(SoundLevelFromPercent(m_volumePercent));
        }
    }
}

void MivexEngine::NotifyMute(ISoundOutputVolumeNotify* origin) {
    const std::vector<ISoundOutputVolumeNotify*> sinks = m_volumeSinks;
    for (ISoundOutputVolumeNotify* sink : sinks) {
        if (sink != origin &&
            std::find(m_volumeSinks.begin(), m_volumeSinks.end(), sink) != m_volumeSinks.end()) {
            sink->OnMuteChange(m_muted);
        }
    }
}
