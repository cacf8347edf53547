// Bouncing shells: mirrored at walls of every slant and into corners with the angle out equal
// to the angle in, never through a wall at speed factors up to 4, their own tank hittable
// only after the first bounce, as many bounces as set, and guided shells bounce too.
#include <cmath>

#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"

using irr::core::vector3df;

namespace {
const vector3df kFarAway(0, 0, 40);  // north of the arena, out of every shell's way
}

class BouncingShell : public ArenaTest {
protected:
    void Enter(TArenaChoice arena, int bounces)
    {
        game->settings.match.arena = arena;
        game->settings.match.shells = TShellKind::Bouncing;
        game->settings.match.bounces = bounces;
        EnterArenaWithoutDrivers();
        Frame();
        walls = std::make_unique<WallMap>(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
        Place("tank2", kFarAway + vector3df(10, 0, 0), 0);
    }
    // "tank1" fires from `at` heading `yaw`, then leaves, so that only the walls are in the way.
    std::shared_ptr<TTankShell> FireFrom(vector3df at, float yaw)
    {
        Place("tank1", at, yaw);
        Frame();
        Tank("tank1")->Shoot(arena.get());
        Place("tank1", kFarAway, 0);
        return Shell("tank1");
    }
    // Flies the shell to its end; positions of every frame, and the bounce count each had.
    void Fly(const std::shared_ptr<TTankShell>& shell, std::vector<vector3df>& path, std::vector<int>& bounces)
    {
        path = {shell->GetGlobalPosition()};
        bounces = {0};
        for (int frame = 0; Shell("tank1") && frame < 2000; ++frame) {
            Frame();
            if (!Shell("tank1")) break;
            path.push_back(shell->GetGlobalPosition());
            bounces.push_back(shell->bounces);
        }
        ASSERT_EQ(Shell("tank1"), nullptr) << "still flying";
    }
    // The flight's direction in the frames before and after its first bounce.
    static void AroundFirstBounce(const std::vector<vector3df>& path, const std::vector<int>& bounces,
                                  vector3df& in, vector3df& out)
    {
        size_t k = 1;
        while (k < bounces.size() && bounces[k] == 0) ++k;
        ASSERT_LT(k + 2, path.size()) << "no bounce";
        ASSERT_GE(k, 2u);
        in = path[k - 1] - path[k - 2];
        out = path[k + 2] - path[k + 1];
    }
    std::unique_ptr<WallMap> walls;
};

TEST_F(BouncingShell, StraightAndSlantedWallsMirrorItAtTheAngleItCameInOnTheArenaSide)
{
    Enter(TArenaChoice::OpenField, 1);
    struct Shot {
        vector3df from;
        float yaw;
        vector3df normal;  // the wall's, into the arena
    };
    const float r = std::sqrt(0.5f);
    const Shot shots[] = {
        {{0, 0, 10}, 30, {0, 0, -1}},   // the north wall, 30 degrees off its normal
        {{-5, 0, 0}, -70, {1, 0, 0}},   // the west wall, nearly grazing
        {{12, 0, 8}, 60, {-r, 0, -r}},  // the north-east corner, cut at 45 degrees
    };
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.yaw);
        std::vector<vector3df> path;
        std::vector<int> bounces;
        Fly(FireFrom(shot.from, shot.yaw), path, bounces);
        ASSERT_FALSE(HasFatalFailure());
        vector3df in, out;
        AroundFirstBounce(path, bounces, in, out);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_NEAR(out.getLength(), in.getLength(), 1e-3f) << "keeps its speed";
        const vector3df mirrored = in - shot.normal * (2.0f * in.dotProduct(shot.normal));
        EXPECT_TRUE(out.equals(mirrored, 1e-3f)) << out.X << ", " << out.Z;
        EXPECT_NEAR(std::acos(-in.normalize().dotProduct(shot.normal)), std::acos(out.normalize().dotProduct(shot.normal)),
                    1e-3f);
        for (const vector3df& p : path) {
            EXPECT_TRUE(walls->Inside(p));
            EXPECT_GT(walls->Clearance(p), 0.1f) << p.X << ", " << p.Z;
        }
        EXPECT_EQ(bounces.back(), 1);
    }
}

TEST_F(BouncingShell, IntoACornerItComesStraightBack)
{
    // The bracket north-east of the fort: its two bars meet in a right angle at (7.1, 9.4),
    // open to the south-east. Shot along the corner's diagonal, and a little beside it.
    Enter(TArenaChoice::Forts, 2);
    ASSERT_EQ(walls->Clearance(7.0f, 9.5f), 0.0f) << "the bracket is not where this test expects it";
    for (float offset : {0.0f, 0.3f, -0.3f}) {
        SCOPED_TRACE(offset);
        std::vector<vector3df> path;
        std::vector<int> bounces;
        Fly(FireFrom({10.5f + offset, 0, 6.0f}, -45), path, bounces);
        ASSERT_FALSE(HasFatalFailure());
        size_t k = 1;
        while (bounces[k] < 2) ++k;
        const vector3df in = path[1] - path[0];
        const vector3df out = path[k + 2] - path[k + 1];
        EXPECT_TRUE(out.equals(-in, 1e-3f)) << out.X << ", " << out.Z;
        for (const vector3df& p : path) EXPECT_GT(walls->Clearance(p), 0.1f) << p.X << ", " << p.Z;
    }
}

TEST_F(BouncingShell, NeverPassesThroughAWallAtSpeedFactorsUpToFour)
{
    const TArenaChoice arenas[] = {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts};
    for (TArenaChoice choice : arenas) {
        SCOPED_TRACE(static_cast<int>(choice));
        if (TGame::GetCurrentGameState()) TGame::SetGameState("TitleScreen");
        Enter(choice, 3);
        for (float factor : {1.0f, 2.5f, 4.0f}) {
            TGame::SetTargetFPS(factor * 1000.0f / kFrameMs);
            for (int from : {2, 3, 9}) {
                for (float yaw = 10; yaw < 360; yaw += 55) {
                    SCOPED_TRACE(testing::Message() << "factor " << factor << " point " << from << " yaw " << yaw);
                    std::vector<vector3df> path;
                    std::vector<int> bounces;
                    Fly(FireFrom(ArenaObject()->respawn_points[static_cast<size_t>(from)], yaw), path, bounces);
                    ASSERT_FALSE(HasFatalFailure());
                    for (size_t i = 1; i < path.size(); ++i) {
                        ASSERT_TRUE(walls->Inside(path[i]));
                        ASSERT_GT(walls->Clearance(path[i]), 0.1f) << path[i].X << ", " << path[i].Z;
                        // A step without a bounce is one straight piece: clear all along.
                        if (bounces[i] != bounces[i - 1]) continue;
                        for (float t = 0; t <= 1.0f; t += 0.02f)
                            ASSERT_GT(walls->Clearance(path[i - 1] + (path[i] - path[i - 1]) * t), 0.0f);
                    }
                }
            }
        }
        EXPECT_EQ(Player("player1")->score + Player("player2")->score, 0);
    }
}

TEST_F(BouncingShell, ItsOwnTankCanBeHitOnlyAfterTheFirstBounceScoringForTheOtherPlayer)
{
    Enter(TArenaChoice::OpenField, 1);
    // Before any bounce: the tank rides along on its own shell, north of the walls.
    Place("tank1", kFarAway, 0);
    Frame();
    Tank("tank1")->Shoot(arena.get());
    while (auto shell = Shell("tank1")) {
        ASSERT_EQ(shell->bounces, 0);
        Tank("tank1")->_node->setPosition(shell->GetGlobalPosition() - vector3df(0, 0.3f, 0));
        Frame();
    }
    EXPECT_EQ(Tank("tank1")->GetAnimator("die_anim"), nullptr);

    // Facing the north wall from close by: the shell comes straight back into its tank.
    Place("tank1", vector3df(0, 0, 13.5f), 0);
    Frame();
    Tank("tank1")->Shoot(arena.get());
    ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 40));
    EXPECT_EQ(Player("player2")->score, 1) << "a hit on tank1, player 2's tank, is a point for player 1";
    EXPECT_EQ(Player("player1")->score, 0);
    EXPECT_EQ(Shell("tank1"), nullptr);
}

TEST_F(BouncingShell, BouncesAsOftenAsSetThenIsGoneAndEachBounceRestartsItsFlightTime)
{
    for (int set : {1, 2, 3, 5}) {
        SCOPED_TRACE(set);
        if (TGame::GetCurrentGameState()) TGame::SetGameState("TitleScreen");
        // The lane between the west shield (x -12.4) and the fort's west wall (x -4.6).
        Enter(TArenaChoice::Forts, set);
        std::vector<vector3df> path;
        std::vector<int> bounces;
        Fly(FireFrom({-8.5f, 0, 0}, -90), path, bounces);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(bounces.back(), set);
        // Each wall is about 16 frames from the last; without the restarts a flight ends after 57.
        if (set == 5) {
            EXPECT_GT(path.size(), 70u);
        }
        EXPECT_LT(path.size(), 20u * (set + 1));
    }
}

TEST_F(BouncingShell, GuidedShellsBounceToo)
{
    Enter(TArenaChoice::OpenField, 2);
    arena->SetFlag("guided_shells", 1);
    Place("tank1", vector3df(-6, 0, 12), 0);
    Frame();
    Tank("tank1")->Shoot(arena.get());
    auto shell = Shell("tank1");
    ASSERT_NE(shell, nullptr);
    ASSERT_NE(shell->_node->getParent(), arena->smgr->getRootSceneNode()) << "rides with its tank";
    int frames = 0;
    while (Shell("tank1") && shell->bounces == 0 && ++frames < 60) {
        Frame();
        EXPECT_GT(walls->Clearance(shell->GetGlobalPosition()), 0.1f);
    }
    ASSERT_EQ(shell->bounces, 1);
    const vector3df atWall = shell->GetGlobalPosition();
    Frames(3);
    ASSERT_NE(Shell("tank1"), nullptr) << "flies on after the wall";
    EXPECT_LT(shell->GetGlobalPosition().Z, atWall.Z - 1.0f) << "back from the north wall";
}
