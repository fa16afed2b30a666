// The backgrounds the skin paints under the controls that draw themselves: the G-sensor
// chart's and the speed dial's face, which carries the speed scale and the compass rose
// that the dial's needles point at.
#pragma once

class QPainter;
class QRect;

// Object names of the two self-drawing controls, their control ids.
inline constexpr const char* kChartObjectName = "1013";
inline constexpr const char* kSpeedDialObjectName = "1023";

void DrawChartBack(QPainter& painter, const QRect& rect);

// The dial face for a dial 272 x 110 pixels: a speed scale around (94, 47) from 0 at 230
// degrees clockwise to 280 at -50 degrees, one degree per unit, and a compass rose with
// north up around (184, 47).
void DrawSpeedDialFace(QPainter& painter, const QRect& rect);
