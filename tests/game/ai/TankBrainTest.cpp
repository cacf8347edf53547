// The computer player's brain on a small hand-made field, its tank moved by the commands it
// gives: what it does where the walls leave a line of fire only a step aside.
#include <gtest/gtest.h>

#include "game/ai/Aim.h"
#include "game/ai/NavGrid.h"
#include "game/ai/TankBrain.h"

using irr::core::vector3df;

namespace {

// A wall from (x, z0) to (x, z1), one unit high, as two upright triangles.
void AddWall(std::vector<irr::core::triangle3df>& walls, vector3df a, vector3df b)
{
    const vector3df up(0, 1, 0);
    walls.emplace_back(a, b, b + up);
    walls.emplace_back(a, b + up, a + up);
}

}  // namespace

TEST(TankBrain, ShotBlockedWhereItStandsButClearAStepAsideItMovesOverAndFires)
{
    // A square field, and a post that just crosses the line from the tank to its target.
    std::vector<irr::core::triangle3df> walls;
    AddWall(walls, {-20, 0, -20}, {20, 0, -20});
    AddWall(walls, {20, 0, -20}, {20, 0, 20});
    AddWall(walls, {20, 0, 20}, {-20, 0, 20});
    AddWall(walls, {-20, 0, 20}, {-20, 0, -20});
    AddWall(walls, {3, 0, -3}, {3, 0, 0.05f});
    auto grid = std::make_shared<const TNavGrid>(walls, 1.5f);
    const vector3df target(15, 0, 0);
    auto lineOfFire = [&](const vector3df& from, const vector3df& to) { return grid->ClearShot(from, to, 0.15f); };
    ai::TTankBrain brain(ai::TDifficulty::Normal(), grid, lineOfFire, 1);
    ASSERT_FALSE(grid->ClearShot(vector3df(0, 0, 0), target, 0.2f));

    ai::TSenses s;
    s.nowMs = 1000;
    s.yaw = 90;  // facing the target
    s.targetSeen = true;
    s.targetPosition = target;
    uint32_t shellLandsMs = 0;
    int shots = 0;
    for (int frame = 0; frame < 10 * 1000 / 16 && shots == 0; ++frame) {
        s.ownShellFlying = s.nowMs < shellLandsMs;
        const ai::TTankCommand command = brain.Think(s);
        s.yaw += command.turn * s.turnStep;
        s.moving = command.drive;
        if (command.drive) s.position += ai::Heading(s.yaw) * 0.16f;
        if (command.fire && !s.ownShellFlying) {
            ++shots;
            shellLandsMs = s.nowMs + 500;
            EXPECT_TRUE(grid->ClearShot(s.position, target, 0.15f)) << "fired into the post";
        }
        s.nowMs += 16;
    }
    EXPECT_EQ(shots, 1) << "no shot within 10 s; it stands at " << s.position.X << "," << s.position.Z;
}
