// The controls that paint themselves over a background the skin draws, registered under
// no element: the skin's manifest gives their look as "#<object name>".
#pragma once

// Object names of the two self-drawing controls, their control ids.
inline constexpr const char* kChartObjectName = "1013";
inline constexpr const char* kSpeedDialObjectName = "1023";
