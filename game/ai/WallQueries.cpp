#include "game/ai/WallQueries.h"

#include <algorithm>

#include "game/ai/NavGrid.h"

using irr::core::vector3df;

namespace ai {

namespace {

// A tank's grid keeps this much more than its collision radius off the walls.
constexpr float kWallMargin = 0.25f;

}  // namespace

std::shared_ptr<const TNavGrid> GridForTank(irr::scene::ITriangleSelector* walls, const vector3df& collisionRadius)
{
    return TNavGrid::ForWalls(walls, std::max(collisionRadius.X, collisionRadius.Z) + kWallMargin);
}

ShotTest RayLineOfFire(irr::scene::ISceneCollisionManager* collisions, irr::scene::ITriangleSelector* walls,
                       float muzzleHeight, std::shared_ptr<const TNavGrid> grid)
{
    return [collisions, walls, muzzleHeight, grid](vector3df from, vector3df to) {
        from.Y = to.Y = muzzleHeight;
        if (grid && grid->SurelyMissesWalls(from, to, kShellHalfWidth)) return true;
        vector3df side(to.Z - from.Z, 0.0f, from.X - to.X);
        side.normalize();
        for (float offset : {0.0f, kShellHalfWidth, -kShellHalfWidth}) {
            const irr::core::line3df ray(from + side * offset, to + side * offset);
            vector3df hit;
            irr::core::triangle3df triangle;
            irr::scene::ISceneNode* node = nullptr;
            if (collisions->getCollisionPoint(ray, walls, hit, triangle, node)) return false;
        }
        return true;
    };
}

ShotTest GridShot(std::shared_ptr<const TNavGrid> grid)
{
    return [grid](const vector3df& from, const vector3df& to) {
        return grid && grid->ClearShot(from, to, kShellHalfWidth);
    };
}

}  // namespace ai
