// What a computer player asks of the arena's walls, built on the engine's own queries:
// the walkable grid for a tank of its size, the rays that tell whether a shell gets
// through, and the grid's coarser answer that the choice of a target makes do with.
#pragma once

#include <irrlicht.h>

#include <functional>
#include <memory>

class TNavGrid;

namespace ai {

// Whether a shell flying from one point to the other gets through.
using ShotTest = std::function<bool(const irr::core::vector3df& from, const irr::core::vector3df& to)>;

// The shell's own size, which a line of fire has to leave room for on either side.
constexpr float kShellHalfWidth = 0.15f;

// The grid over `walls` for a tank of this collision radius, kept a margin off the walls.
std::shared_ptr<const TNavGrid> GridForTank(irr::scene::ITriangleSelector* walls,
                                            const irr::core::vector3df& collisionRadius);

// At the muzzle's height, the shell's middle and both its sides miss every wall (asked
// of the grid first, which knows the answer far from every wall).
ShotTest RayLineOfFire(irr::scene::ISceneCollisionManager* collisions, irr::scene::ITriangleSelector* walls,
                       float muzzleHeight, std::shared_ptr<const TNavGrid> grid);

// The grid's coarse test of the same: no ray is cast.
ShotTest GridShot(std::shared_ptr<const TNavGrid> grid);

}  // namespace ai
