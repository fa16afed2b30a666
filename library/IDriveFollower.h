// What follows the drive the player is in: the drive timeline and the map of the whole
// drive. The playlist knows which drive a clip belongs to and where on the drive's axis its
// second falls; the wiring root hands in whatever shows that.
#pragma once

#include <memory>

struct LoadedDrive;

class IDriveFollower {
public:
    virtual ~IDriveFollower() = default;
    // The drive of the clip that now plays; null when the clip is in none (or alone).
    virtual void ShowDrive(std::shared_ptr<const LoadedDrive> drive) = 0;
    // The second of that drive that plays now (called on every tick the clip moves).
    virtual void FollowDriveSecond(double driveSecond) = 0;
    // The driving events of a clip that plays alone, as a drive of that one clip (its seconds
    // are the clip's); null for a clip of a drive, whose events the drive shows.
    virtual void ShowClipEvents(std::shared_ptr<const LoadedDrive> lone) {
        static_cast<void>(lone);
    }
};
