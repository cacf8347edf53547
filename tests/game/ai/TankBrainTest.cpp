// The computer player's brain on a small hand-made field, its tank moved by the commands it
// gives and shells flown by the test: it moves over where the walls leave a line of fire
// only a step aside, leads and hits a tank crossing in front of it, steps out of a shell's
// path and turns away from whatever wedges it, toward the open side.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

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

// A square field 40 units wide.
std::shared_ptr<const TNavGrid> Field(std::vector<irr::core::triangle3df> walls = {})
{
    AddWall(walls, {-20, 0, -20}, {20, 0, -20});
    AddWall(walls, {20, 0, -20}, {20, 0, 20});
    AddWall(walls, {20, 0, 20}, {-20, 0, 20});
    AddWall(walls, {-20, 0, 20}, {-20, 0, -20});
    return std::make_shared<const TNavGrid>(walls, 1.5f);
}

constexpr uint32_t kFrame = 16;
constexpr float kTankStep = 0.06f * kFrame * 60.0f / 1000.0f;  // a tank at full speed, per frame
constexpr float kHitDistance = 0.8f + 0.1f;                     // a tank's radius and a shell's

// The brain's own tank, moved by its commands; `blocked` holds it where it stands.
struct SimTank {
    ai::TSenses s;
    bool blocked = false;
    void Carry(const ai::TTankCommand& c)
    {
        s.yaw += c.turn * s.turnStep;
        s.moving = c.drive;
        if (c.drive && !blocked) s.position += ai::Heading(s.yaw) * kTankStep;
        s.nowMs += kFrame;
    }
};

// The brain's own shells, fired when it says and flown straight for their whole life.
struct OwnShell {
    std::optional<uint32_t> born;
    vector3df at, heading;
    int hits = 0, misses = 0;
    bool Flying() const { return born.has_value(); }
    void Fire(const ai::TTankCommand& c, const SimTank& me)
    {
        if (!c.fire || born) return;
        born = me.s.nowMs;
        heading = ai::Heading(me.s.yaw);
        at = me.s.position + heading * me.s.muzzleForward;
    }
    void Fly(const SimTank& me, const vector3df& target)
    {
        if (!born) return;
        at += heading * me.s.shellSpeed * float(kFrame);
        if (at.getDistanceFrom(target) < kHitDistance) ++hits, born.reset();
        else if (me.s.nowMs - *born > me.s.shellLifeMs) ++misses, born.reset();
    }
};

ai::TTankBrain Brain(std::shared_ptr<const TNavGrid> grid, ai::TDifficulty difficulty = ai::TDifficulty::Normal())
{
    return ai::TTankBrain(difficulty, grid,
                          [grid](const vector3df& a, const vector3df& b) { return grid->ClearShot(a, b, 0.15f); }, 3);
}

}  // namespace

// A tank driving to and fro across its line of fire at full speed, twelve units off: the
// shells it fires (flown here, straight, for their whole life) hit more often than not.
TEST(TankBrain, ATankCrossingItsLineOfFireAtFullSpeedIsHitMoreOftenThanMissed)
{
    auto grid = Field();
    ai::TTankBrain brain = Brain(grid);
    SimTank me;
    me.s.nowMs = 1000;
    me.s.yaw = 90;
    vector3df target(12, 0, -6);
    float targetStep = kTankStep;
    OwnShell shell;
    for (int frame = 0; frame < 40 * 1000 / int(kFrame); ++frame) {
        me.s.targetSeen = true;
        me.s.targetPosition = target;
        me.s.ownShellFlying = shell.Flying();
        const ai::TTankCommand c = brain.Think(me.s);
        shell.Fire(c, me);
        me.Carry(c);
        target.Z += targetStep;
        if (std::fabs(target.Z) > 6.0f) targetStep = -targetStep;  // turns back at the ends
        shell.Fly(me, target);
    }
    EXPECT_GE(shell.hits + shell.misses, 10) << "it hardly fired";
    EXPECT_GT(shell.hits, shell.misses);
}

// A tank crossing steadily in front of it, from left to right: while it tracks, the gun
// points ahead of the target, where its shells will meet it, and its shots mostly hit.
TEST(TankBrain, WhileTrackingASteadilyCrossingTankItsGunPointsAheadOfIt)
{
    auto grid = Field();
    ai::TTankBrain brain = Brain(grid);
    SimTank me;
    me.s.nowMs = 1000;
    me.s.yaw = 90;
    const vector3df step(0, 0, kTankStep);
    vector3df target(12, 0, -14);
    OwnShell shell;
    int ahead = 0, behind = 0;
    for (int frame = 0; target.Z < 14.0f; ++frame) {
        me.s.targetSeen = true;
        me.s.targetPosition = target;
        me.s.ownShellFlying = shell.Flying();
        const ai::TTankCommand c = brain.Think(me.s);
        shell.Fire(c, me);
        me.Carry(c);
        target += step;
        // After a second to see how it moves: which side of the target the gun points.
        if (frame * kFrame > 1000) {
            const float off = ai::AngleDifference(ai::YawTo(me.s.position, target), me.s.yaw);
            // The target moves toward +Z, which from here is a turn to the left (lower yaw).
            if (off < -0.5f) ++ahead;
            else if (off > 0.5f) ++behind;
        }
        shell.Fly(me, target);
    }
    EXPECT_GT(ahead, 2 * behind) << ahead << " frames ahead, " << behind << " behind";
    EXPECT_GT(shell.hits, shell.misses);
}

// A shell fired along the line the tank stands a little beside: a brain that dodges leaves
// the shell's path; one that does not is hit (so the shot was a true one).
TEST(TankBrain, ItLeavesThePathOfAShellFiredAtIt)
{
    auto grid = Field();
    for (bool dodges : {false, true}) {
        SCOPED_TRACE(dodges ? "dodging" : "not dodging");
        ai::TDifficulty difficulty = ai::TDifficulty::Normal();
        difficulty.dodges = dodges;
        ai::TTankBrain brain = Brain(grid, difficulty);
        SimTank me;
        me.s.nowMs = 1000;
        me.s.position = vector3df(0, 0, 0.3f);
        me.s.yaw = 90;  // facing the shooter, the shell's line just to its right
        me.s.targetSeen = true;
        me.s.targetPosition = vector3df(26, 0, 0);
        vector3df shell(25, 0, 0);
        const vector3df velocity(-me.s.shellSpeed, 0, 0);
        float closest = 1e9f;
        for (uint32_t t = 0; t < 900; t += kFrame) {
            // Standing still and holding fire up to the shot: what it does is all dodge.
            me.s.enemyShellFlying = true;
            me.s.enemyShellPosition = shell;
            me.s.enemyShellVelocity = velocity;
            me.s.ownShellFlying = true;
            me.Carry(brain.Think(me.s));
            shell += velocity * float(kFrame);
            closest = std::min(closest, shell.getDistanceFrom(me.s.position));
        }
        if (dodges) {
            EXPECT_GT(closest, kHitDistance) << "hit at " << me.s.position.X << "," << me.s.position.Z;
        } else {
            EXPECT_LT(closest, kHitDistance);
        }
    }
}

// A bouncing shell bounces off the east wall 600 ms from now and comes back along the line
// the tank stands a little beside. Until the bounce the tank is told of that leg from where
// it starts, at the wall, then from where the shell is, with the time the leg flies. A leg
// that reaches the tank is left though it starts where the grid sees a wall; one that ends
// first (at its next wall) changes nothing the brain does.
TEST(TankBrain, ItLeavesABouncingShellsLegOnlyWhenTheLegReachesIt)
{
    auto grid = Field();
    const vector3df bounce(19.8f, 0, 0);
    const vector3df velocity(-ai::TSenses{}.shellSpeed, 0, 0);
    constexpr uint32_t kBounceMs = 600;
    // The tank's places frame by frame, and the closest the leg came to it.
    auto run = [&](std::optional<float> legMs, std::vector<vector3df>& track) {
        ai::TTankBrain brain = Brain(grid);
        SimTank me;
        me.s.nowMs = 1000;
        me.s.position = vector3df(9.8f, 0, 0.3f);
        me.s.yaw = 90;  // facing the wall, its target behind it
        me.s.targetSeen = true;
        me.s.targetPosition = vector3df(-5, 0, 0);
        me.s.ownShellFlying = true;
        float closest = 1e9f;
        const float flies = legMs.value_or(900.0f);
        for (uint32_t t = 0; t < kBounceMs + 900; t += kFrame) {
            const float onLeg = t < kBounceMs ? 0.0f : float(t - kBounceMs);
            const vector3df shell = bounce + velocity * onLeg;
            me.s.enemyShellFlying = legMs && onLeg < *legMs;
            me.s.enemyShellPosition = shell;
            me.s.enemyShellVelocity = velocity;
            me.s.enemyShellLegMs = legMs ? std::optional<float>(*legMs - onLeg) : std::nullopt;
            me.Carry(brain.Think(me.s));
            track.push_back(me.s.position);
            if (t >= kBounceMs && onLeg < flies) closest = std::min(closest, shell.getDistanceFrom(me.s.position));
        }
        return closest;
    };
    std::vector<vector3df> unaware, shortLeg, longLeg;
    EXPECT_LT(run(std::nullopt, unaware), kHitDistance) << "the leg is a true shot at a tank that does not know of it";
    run(150.0f, shortLeg);
    EXPECT_EQ(shortLeg, unaware) << "dodged a leg that ends before it";
    EXPECT_GT(run(900.0f, longLeg), kHitDistance) << "hit at " << longLeg.back().X << "," << longLeg.back().Z;
}

// Driving into something the walls' grid does not know of (the other tank, a corner the
// grid rounds off), it turns away within a second.
TEST(TankBrain, AWedgedTankTurnsAwayWithinASecond)
{
    auto grid = Field();
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        ai::TTankBrain brain(ai::TDifficulty::Normal(), grid,
                             [grid](const vector3df& a, const vector3df& b) { return grid->ClearShot(a, b, 0.15f); },
                             seed);
        SimTank me;
        me.s.nowMs = 1000;
        // Patrolling (nothing seen) until it drives straight on.
        ai::TTankCommand c;
        for (int frame = 0; frame < 600 && !(c.drive && c.turn == 0 && me.s.moving); ++frame) me.Carry(c = brain.Think(me.s));
        ASSERT_TRUE(c.drive && c.turn == 0) << "never drove straight on";
        me.blocked = true;
        const float course = me.s.yaw;
        const uint32_t wedged = me.s.nowMs;
        while (me.s.nowMs - wedged < 1000 && std::fabs(ai::AngleDifference(course, me.s.yaw)) < 30.0f)
            me.Carry(brain.Think(me.s));
        EXPECT_GE(std::fabs(ai::AngleDifference(course, me.s.yaw)), 30.0f) << "still pushing after a second";
    }
}

// Wedged while driving along a wall, it turns toward the open side, not into the wall.
TEST(TankBrain, AWedgedTankBesideAWallTurnsTowardTheOpenSide)
{
    for (float wallX : {-1.7f, 1.7f}) {
        SCOPED_TRACE(wallX < 0 ? "wall on the left" : "wall on the right");
        std::vector<irr::core::triangle3df> wall;
        AddWall(wall, {wallX, 0, -19}, {wallX, 0, 19});
        auto grid = Field(wall);
        ai::TTankBrain brain = Brain(grid);
        SimTank me;
        me.s.nowMs = 1000;
        me.s.position = vector3df(0, 0, -14);
        me.s.yaw = 0;  // up the wall, toward a target too far to shoot at from here
        me.s.targetSeen = true;
        me.s.targetPosition = vector3df(0, 0, 16);
        ai::TTankCommand c;
        for (int frame = 0; frame < 300 && !(c.drive && me.s.moving); ++frame) me.Carry(c = brain.Think(me.s));
        ASSERT_TRUE(c.drive) << "it never drove";
        me.blocked = true;
        const float course = me.s.yaw;
        const uint32_t wedged = me.s.nowMs;
        float widest = 0.0f;  // the turn farthest from the course, with its side
        while (me.s.nowMs - wedged < 1200) {
            me.Carry(brain.Think(me.s));
            const float turned = ai::AngleDifference(course, me.s.yaw);
            if (std::fabs(turned) > std::fabs(widest)) widest = turned;
        }
        // Heading +Z, a turn to the right (higher yaw) goes toward +X.
        const float towardOpenSide = wallX < 0 ? widest : -widest;
        EXPECT_GT(towardOpenSide, 30.0f) << "turned " << widest << " degrees from the course";
    }
}

TEST(TankBrain, ShotBlockedWhereItStandsButClearAStepAsideItMovesOverAndFires)
{
    // A square field, and a post that just crosses the line from the tank to its target.
    std::vector<irr::core::triangle3df> post;
    AddWall(post, {3, 0, -3}, {3, 0, 0.05f});
    auto grid = Field(post);
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
