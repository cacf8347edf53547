// Lead aiming on the ground plane: where a straight shell meets a moving target, and by
// how much a shell fired along a heading would miss it.
#pragma once

#include <irrlicht.h>

#include <optional>

namespace ai {

// Heading in degrees of the ground direction from `from` to `to`, as the engine turns a
// node about Y (+Z is 0, +X is 90).
float YawTo(const irr::core::vector3df& from, const irr::core::vector3df& to);
// The ground direction of a heading.
irr::core::vector3df Heading(float yawDegrees);
// The signed difference to - from, in (-180, 180].
float AngleDifference(float fromDegrees, float toDegrees);

// The time (ms) after which a shell leaving `muzzle` at `shellSpeed` (units per ms) meets
// a target at `target` moving at `velocity` (units per ms); none if it never can.
std::optional<float> InterceptTime(const irr::core::vector3df& muzzle, float shellSpeed,
                                   const irr::core::vector3df& target, const irr::core::vector3df& velocity);

// The closest the target comes to a shell fired from `muzzle` along `heading` during
// the shell's life.
float PredictedMiss(const irr::core::vector3df& muzzle, const irr::core::vector3df& heading, float shellSpeed,
                    float lifeMs, const irr::core::vector3df& target, const irr::core::vector3df& velocity);

// The time (ms, from now) at which a shell at `shell` moving at `velocity` passes
// closest to `point`, and how close; none when it is moving away.
struct TPass {
    float timeMs;
    float distance;
    irr::core::vector3df closest;  // the shell's place at that time
};
std::optional<TPass> ClosestPass(const irr::core::vector3df& shell, const irr::core::vector3df& velocity,
                                 const irr::core::vector3df& point);

}  // namespace ai
