// The video pane's rules that need no window: time texts, the kind of an address, the
// speed table, where the video window goes, and the window within which a second open is
// refused.
#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

// "hh:mm:ss" of whole seconds, as the time labels show them.
QString TimeText(unsigned seconds);

// "hh:mm:ss.t", tenths truncated, as a paused picture's time is shown: a still frame is
// looked at closely, and frames lie a tenth or less apart.
QString TenthsTimeText(double seconds);

// Seconds as the progress sliders count them: milliseconds, truncated toward zero, held
// within 0 and the largest int (a clip of some 596 hours) instead of wrapping.
int Milliseconds(double seconds);

// The engine's kind of a clip address: 1 for "http://", 2 for "rtsp://" (exact case), else 0.
int AddressKind(const QString& path);

// The playback speed factor of a speed slider position 0 to 6; 1 for any other position.
float SpeedFactor(int position);

// That factor as the pane names the speed chosen: "1/8x" to "8x".
QString SpeedFactorText(int position);

// The video window's rectangle in a pane of W x H for a clip of vw x vh: the box under the
// title and above the transport row, keeping the clip's shape, a third of the spare room
// above (or left of) the picture. `reservedBelow` more pixels above the transport row are
// left to the drive timeline when it shows.
QRect VideoWindowRect(int paneWidth, int paneHeight, int videoWidth, int videoHeight,
                      int reservedBelow = 0);

// Refuses an open within a second of the last accepted one. The clock is a 32-bit
// millisecond count that may wrap.
class COpenGate {
public:
    bool Accept(uint32_t nowMs);
    // Whether Accept would answer true now, without taking the open.
    bool WouldAccept(uint32_t nowMs) const;

private:
    uint32_t m_lastAccepted = 0;
};
