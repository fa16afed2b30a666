#include "playback/CSoundOutputVolumeImpl.h"

#include "playback/ISoundOutputVolumeNotify.h"
#include "playback/MivexEngine.h"

#include <algorithm>
#include <cmath>

CSoundOutputVolumeImpl::~CSoundOutputVolumeImpl() {
    Finalize();
}

bool CSoundOutputVolumeImpl::Initialize(ISoundOutputVolumeNotify* sink) {
    m_sink = sink;
    if (!m_registered) {
        MivexEngine::Instance().AddVolumeObject(this);
        m_registered = true;
    }
    return true;
}

void CSoundOutputVolumeImpl::Finalize() {
    if (m_registered) {
        MivexEngine::Instance().RemoveVolumeObject(this);
        m_registered = false;
    }
    m_sink = nullptr;
}

double CSoundOutputVolumeImpl::PercentFromLevel(unsigned long level) {
    return static_cast<double>(std::min(level, kMaxLevel)) * 100.0 / kMaxLevel;
}

unsigned long CSoundOutputVolumeImpl::LevelFromPercent(double percent) {
    const double level = std::lround(std::clamp(percent, 0.0, 100.0) * kMaxLevel / 100.0);
    return static_cast<unsigned long>(level);
}

unsigned long CSoundOutputVolumeImpl::GetCurrentVolume() const {
    return LevelFromPercent(MivexEngine::Instance().VolumePercent());
}

void CSoundOutputVolumeImpl::SetCurrentVolume(unsigned long volume) {
    MivexEngine::Instance().SetVolumePercent(PercentFromLevel(volume), this);
}

bool CSoundOutputVolumeImpl::IsMute() const {
    return MivexEngine::Instance().Muted();
}

void CSoundOutputVolumeImpl::Mute(bool mute) {
    MivexEngine::Instance().SetMuted(mute, this);
}

void CSoundOutputVolumeImpl::TellVolume(unsigned long volume) {
    if (m_sink != nullptr) {
        m_sink->OnVolumeChange(volume);
    }
}

void CSoundOutputVolumeImpl::TellMute(bool mute) {
    if (m_sink != nullptr) {
        m_sink->OnMuteChange(mute);
    }
}
