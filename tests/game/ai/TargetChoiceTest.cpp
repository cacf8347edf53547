// The computer player among several tanks: which enemy it takes on, and that it holds its
// fire while a team mate stands in the way of its shot.
#include <gtest/gtest.h>

#include <vector>

#include "game/ai/Aim.h"
#include "game/ai/NavGrid.h"
#include "game/ai/TankBrain.h"
#include "game/ai/TargetChoice.h"

using irr::core::vector3df;

namespace {

// A square field 40 units wide with a wall from (-2, 6) to (2, 6) north of the middle.
std::shared_ptr<const TNavGrid> FieldWithWall()
{
    std::vector<irr::core::triangle3df> walls;
    auto wall = [&](vector3df a, vector3df b) {
        const vector3df up(0, 1, 0);
        walls.emplace_back(a, b, b + up);
        walls.emplace_back(a, b + up, a + up);
    };
    wall({-20, 0, -20}, {20, 0, -20});
    wall({20, 0, -20}, {20, 0, 20});
    wall({20, 0, 20}, {-20, 0, 20});
    wall({-20, 0, 20}, {-20, 0, -20});
    wall({-2, 0, 6}, {2, 0, 6});
    return std::make_shared<const TNavGrid>(walls, 1.5f);
}

}  // namespace

TEST(TargetChoice, ClearShotFirstThenTheOneAimingAtItThenTheNearestAndItSticksToItsChoice)
{
    const auto grid = FieldWithWall();
    const auto clear = [&](const vector3df& a, const vector3df& b) { return grid->ClearShot(a, b, 0.15f); };
    const vector3df self(0, 0, 0);
    // Behind the wall, near; in the open, farther; in the open but farthest, aiming at us.
    const ai::TContact hidden{{0, 0, 9}, 90.0f};
    const ai::TContact open{{-12, 0, 0}, 0.0f};
    const ai::TContact aiming{{14, 0, 0}, -90.0f};
    EXPECT_EQ(ai::ChooseTarget(self, {hidden, aiming, open}, -1, clear), 2) << "the nearest clear shot";
    EXPECT_EQ(ai::ChooseTarget(self, {hidden, open, aiming}, -1, clear), 1);

    // Nobody in a clear shot: the one whose gun points at us, though it is the farther.
    const ai::TContact hiddenAiming{{1, 0, 14}, 180.0f};
    const ai::TContact hiddenAway{{0, 0, 9}, 0.0f};
    EXPECT_EQ(ai::ChooseTarget(self, {hiddenAway, hiddenAiming}, -1, clear), 1);
    // Nobody aiming either: the nearest.
    const ai::TContact hiddenFar{{1, 0, 14}, 90.0f};
    EXPECT_EQ(ai::ChooseTarget(self, {hiddenFar, hiddenAway}, -1, clear), 1);

    // An invisible tank is not chosen while another can be seen; with none seen it keeps
    // the one it had.
    ai::TContact unseen = open;
    unseen.seen = false;
    EXPECT_EQ(ai::ChooseTarget(self, {unseen, aiming}, 0, clear), 1);
    ai::TContact unseenToo = aiming;
    unseenToo.seen = false;
    EXPECT_EQ(ai::ChooseTarget(self, {unseen, unseenToo}, 1, clear), 1);

    // Two of a kind: the current one is kept until the other is clearly nearer.
    const ai::TContact a{{-10, 0, 0}, 0.0f}, slightlyNearer{{9, 0, -1}, 0.0f}, muchNearer{{5, 0, -1}, 0.0f};
    EXPECT_EQ(ai::ChooseTarget(self, {a, slightlyNearer}, 0, clear), 0);
    EXPECT_EQ(ai::ChooseTarget(self, {a, muchNearer}, 0, clear), 1);
    EXPECT_EQ(ai::ChooseTarget(self, {a}, -1, clear), 0);
    EXPECT_EQ(ai::ChooseTarget(self, {}, -1, clear), -1);
}

TEST(TargetChoice, ItHoldsFireWhileATeamMateStandsInTheWayOfItsShot)
{
    const auto grid = FieldWithWall();
    // Facing an enemy 10 units south, in the open.
    auto framesUntilItFires = [&](const std::vector<vector3df>& friends) {
        ai::TTankBrain brain(ai::TDifficulty::Hard(), grid,
                             [&](const vector3df& a, const vector3df& b) { return grid->ClearShot(a, b, 0.15f); }, 3);
        ai::TSenses s;
        s.nowMs = 1000;
        s.position = vector3df(0, 0, -2);
        s.yaw = 180.0f;
        s.targetSeen = true;
        s.targetPosition = vector3df(0, 0, -12);
        s.friends = friends;
        for (int frame = 0; frame < 120; ++frame, s.nowMs += 16) {
            const ai::TTankCommand command = brain.Think(s);
            if (command.fire) return frame;
            s.yaw += command.turn * s.turnStep;  // it stands; turning only
        }
        return -1;
    };
    EXPECT_GE(framesUntilItFires({}), 0) << "with nobody in the way it fires";
    EXPECT_EQ(framesUntilItFires({vector3df(0, 0, -7)}), -1) << "a mate halfway";
    EXPECT_EQ(framesUntilItFires({vector3df(0.8f, 0, -5)}), -1) << "a mate a little off the line";
    // A mate beside it or behind it is no reason to hold.
    EXPECT_GE(framesUntilItFires({vector3df(4, 0, -2), vector3df(0, 0, 3)}), 0);
}
