// Which of several enemies the computer player fights: the nearest it has a clear shot
// at, else the one aiming at it, else the nearest; it keeps its current one until another
// is clearly the better choice.
#pragma once

#include <irrlicht.h>

#include <functional>
#include <vector>

namespace ai {

// An enemy tank as the computer player sees it.
struct TContact {
    irr::core::vector3df position;
    float yaw = 0.0f;   // its gun's heading in degrees
    bool seen = true;   // false while it is invisible
};

// How near a gun must point at a tank to be aiming at it, in degrees.
constexpr float kAimingAtDegrees = 10.0f;
// How much nearer another enemy of the same kind must be to take over from the current one.
constexpr float kSwitchDistance = 2.0f;

// The index of the enemy to fight among `enemies`, seen from `self`; `current` is the one
// fought so far (-1 for none), kept when no enemy is seen. clearShot(from, to): whether a
// shell would get through. -1 only when there are no enemies.
int ChooseTarget(const irr::core::vector3df& self, const std::vector<TContact>& enemies, int current,
                 const std::function<bool(const irr::core::vector3df&, const irr::core::vector3df&)>& clearShot);

}  // namespace ai
