// The speed dial's units as the setup dialog reads and sets them. The wiring root hands in
// the window's dial; setting the units repaints it.
#pragma once

class ISpeedUnits {
public:
    virtual ~ISpeedUnits() = default;
    virtual bool IsKmh() const = 0;
    virtual void SetKmh(bool kmh) = 0;
};
