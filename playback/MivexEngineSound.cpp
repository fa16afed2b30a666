// The engine's sound settings: the volume and mute switch every volume object shares.
#include "playback/MivexEngine.h"

#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/MpvNames.h"

#include <algorithm>

void MivexEngine::OnVolumeChanged() {
    // The event's value may be older than a later set; the property now is what counts.
    // mpv keeps the volume as a float, so only a change of level counts as a change.
    double percent = 0;
    if (mpv_get_property(m_handle.get(), mpvname::kVolume, MPV_FORMAT_DOUBLE, &percent) >= 0 &&
        CSoundOutputVolumeImpl::LevelFromPercent(percent) !=
            CSoundOutputVolumeImpl::LevelFromPercent(m_volumePercent)) {
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

void MivexEngine::AddVolumeObject(CSoundOutputVolumeImpl* object) {
    if (std::find(m_volumeObjects.begin(), m_volumeObjects.end(), object) ==
        m_volumeObjects.end()) {
        m_volumeObjects.push_back(object);
    }
}

void MivexEngine::RemoveVolumeObject(CSoundOutputVolumeImpl* object) {
    std::erase(m_volumeObjects, object);
}

void MivexEngine::SetVolumePercent(double percent, CSoundOutputVolumeImpl* origin) {
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

void MivexEngine::SetMuted(bool muted, CSoundOutputVolumeImpl* origin) {
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

void MivexEngine::NotifyVolume(CSoundOutputVolumeImpl* origin) {
    // A sink may finalise an object (its own or another) while being told.
    const std::vector<CSoundOutputVolumeImpl*> objects = m_volumeObjects;
    for (CSoundOutputVolumeImpl* object : objects) {
        if (object != origin && std::find(m_volumeObjects.begin(), m_volumeObjects.end(), object) !=
                                    m_volumeObjects.end()) {
            object->TellVolume(CSoundOutputVolumeImpl::LevelFromPercent(m_volumePercent));
        }
    }
}

void MivexEngine::NotifyMute(CSoundOutputVolumeImpl* origin) {
    const std::vector<CSoundOutputVolumeImpl*> objects = m_volumeObjects;
    for (CSoundOutputVolumeImpl* object : objects) {
        if (object != origin && std::find(m_volumeObjects.begin(), m_volumeObjects.end(), object) !=
                                    m_volumeObjects.end()) {
            object->TellMute(m_muted);
        }
    }
}
