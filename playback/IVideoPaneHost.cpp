#include "playback/IVideoPaneHost.h"

namespace {
IVideoPaneHost* g_host = nullptr;
}

IVideoPaneHost* IVideoPaneHost::Instance() {
    return g_host;
}

void IVideoPaneHost::SetInstance(IVideoPaneHost* host) {
    g_host = host;
}
