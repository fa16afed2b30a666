#include "playback/VideoPaneRules.h"

#include <cmath>

#include <limits>

QString TimeText(unsigned seconds) {
    return QString::asprintf("%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                             static_cast<int>(seconds % 3600 / 60),
                             static_cast<int>(seconds % 3600 % 60));
}

QString TenthsTimeText(double seconds) {
    const int ms = Milliseconds(seconds);
    return TimeText(static_cast<unsigned>(ms / 1000)) + QLatin1Char('.') +
           QString::number(ms % 1000 / 100);
}

int Milliseconds(double seconds) {
    const double ms = seconds * 1000;
    if (!(ms > 0)) {
        return 0; // also NaN
    }
    if (ms >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(ms);
}

int AddressKind(const QString& path) {
    if (path.startsWith(QLatin1String("http://"), Qt::CaseSensitive)) {
        return 1;
    }
    if (path.startsWith(QLatin1String("rtsp://"), Qt::CaseSensitive)) {
        return 2;
    }
    return 0;
}

float SpeedFactor(int position) {
    static constexpr float kFactors[] = {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f};
    if (position < 0 || position > 6) {
        return 1.0f;
    }
    return kFactors[position];
}

QString SpeedFactorText(int position) {
    const float factor = SpeedFactor(position);
    return factor < 1.0f ? QStringLiteral("1/%1x").arg(std::lround(1.0f / factor))
                         : QStringLiteral("%1x").arg(std::lround(factor));
}

QRect VideoWindowRect(int paneWidth, int paneHeight, int videoWidth, int videoHeight,
                      int reservedBelow) {
    int left = 3;
    int top = 2;
    int right = paneWidth - 5;
    int bottom = paneHeight - 70 - reservedBelow;
    const int bw = right - left;
    const int bh = bottom - top;
    // A clip without a known size, either way, takes the whole box.
    if (videoWidth > 0 && videoHeight > 0) {
        const int h = static_cast<int>(static_cast<int64_t>(bw) * videoHeight / videoWidth);
        const int m = (bh - h) / 3;
        if (m >= 0) {
            top += m;
            bottom = top + h;
        } else {
            const int w = static_cast<int>(static_cast<int64_t>(bh) * videoWidth / videoHeight);
            const int mx = (bw - w) / 3;
            left += mx;
            right = left + w;
        }
    }
    return QRect(left, top, right - left, bottom - top);
}

bool COpenGate::WouldAccept(uint32_t nowMs) const {
    return static_cast<uint32_t>(nowMs - m_lastAccepted) >= 1000;
}

bool COpenGate::Accept(uint32_t nowMs) {
    if (!WouldAccept(nowMs)) {
        return false;
    }
    m_lastAccepted = nowMs;
    return true;
}
