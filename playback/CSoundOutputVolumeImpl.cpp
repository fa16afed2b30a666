#include "playback/CSoundOutputVolumeImpl.h"

#include "playback/ISoundOutputVolumeNotify.h"
#include "playback/MivexEngine.h"

#include <algorithm>
#include <cmath>

CSoundOutputVolumeImpl::~CSoundOutputVolumeImpl() {
    Finalize();
}

// The engine tells the sink of every object but the one a change came through.
bool CSoundOutputVolumeImpl::Initialize(ISoundOutputVolumeNotify* sink) {
    Finalize();
    m_sink = sink;
    if (m_sink != nullptr) {
        MivexEngine::Instance().AddVolumeSink(m_sink);
    }
    return true;
}

void CSoundOutputVolumeImpl::Finalize() {
    if (m_sink != nullptr) {
        MivexEngine::Instance().RemoveVolumeSink(m_sink);
        m_sink = nullptr;
    }
}

unsigned long CSoundOutputVolumeImpl::GetCurrentVolume() const {
    return LevelFromPercent(MivexEngine::Instance().VolumePercent());
}

void CSoundOutputVolumeImpl::SetCurrentVolume(unsigned long volume) {
    MivexEngine::Instance().SetVolumePercent(PercentFromLevel(volume), m_sink);
}

bool CSoundOutputVolumeImpl::IsMute() const {
    return MivexEngine::Instance().Muted();
}

void CSoundOutputVolumeImpl::Mute(bool mute) {
    MivexEngine::Instance().SetMuted(mute, m_sink);
}
