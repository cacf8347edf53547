// Where a small ball moving in a straight line first meets a wall: the sweep that keeps a
// bouncing shell from passing through walls and corners however long its step is.
#pragma once

#include <irrlicht.h>

#include <optional>

struct TWallHit {
    float fraction;                  // of the motion travelled when the ball touches
    irr::core::triangle3df triangle; // the wall's triangle, in world space
};

// The first triangle of `walls` that a ball of `radius` touches moving from `from` by
// `motion` (world space). The ball stops `radius` short of the wall, on the side it came from.
std::optional<TWallHit> FirstWallHit(irr::scene::ITriangleSelector* walls, const irr::core::vector3df& from,
                                     const irr::core::vector3df& motion, float radius);
