// Tanks against the walls of arena2: driven straight at a wall they end pressed against it,
// and a long random match never puts a tank into a wall or out of the arena.
#include <map>
#include <random>
#include <string>

#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"

using irr::core::vector3df;

namespace {

struct Driver {
    const char* tank;
    int drive, left, right, fire;
    float radius;  // of the tank's collision ellipsoid on the ground
};
const Driver kDrivers[] = {{"tank1", irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN, 1.0f},
                           {"tank2", irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C, irr::KEY_TAB, 1.25f}};

// What the engine's collision response may leave between an ellipsoid and a wall.
constexpr float kSlack = 0.02f;

}  // namespace

class WallCollision : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArena();
        Frame();
        walls = std::make_unique<WallMap>(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
    }
    std::unique_ptr<WallMap> walls;
};

TEST_F(WallCollision, TankDrivenAtAWallForTenSecondsEndsPressedAgainstIt)
{
    for (const Driver& d : kDrivers) {
        SCOPED_TRACE(d.tank);
        auto tank = Tank(d.tank);
        vector3df heading(0, 0, 1);
        tank->_node->getAbsoluteTransformation().rotateVect(heading);
        // Each tank starts facing the block between it and the middle.
        const vector3df stop = walls->FirstStop(tank->GetPosition(), heading, d.radius, 40.0f);
        ASSERT_GT(stop.getDistanceFrom(tank->GetPosition()), 1.0f);
        ASSERT_LT(stop.getDistanceFrom(tank->GetPosition()), 10.0f);

        Press(d.drive);
        vector3df last = tank->GetPosition();
        float travelledLastSecond = 0;
        for (int frame = 0; frame < 625; ++frame) {
            Frame();
            const vector3df p = tank->GetPosition();
            ASSERT_GE(walls->Clearance(p), d.radius - kSlack) << "frame " << frame << " at " << p.X << ", " << p.Z;
            if (frame >= 625 - 62) travelledLastSecond += p.getDistanceFrom(last);
            last = p;
        }
        Release(d.drive);
        EXPECT_EQ(tank->speed, tank->max_speed) << "still driving on";
        EXPECT_LT(tank->GetPosition().getDistanceFrom(stop), 0.05f) << tank->GetPosition().X;
        EXPECT_LT(travelledLastSecond, 0.01f) << "held at the wall";
        EXPECT_NEAR(walls->Clearance(tank->GetPosition()), d.radius, 0.05f);
    }
}

TEST_F(WallCollision, RandomMatchNeverPutsATankIntoAWallOrOutOfTheArena)
{
    std::mt19937 random(20080324);
    std::uniform_int_distribution<int> percent(0, 99);
    const int viewKeys[] = {112, 113, 114, 115, 116, 117};
    std::map<std::string, bool> held;
    float closest[2] = {1e9f, 1e9f};
    int hits = 0, lastTotal = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        for (const Driver& d : kDrivers) {
            // Mostly driving, turning now and then, firing often.
            auto flip = [&](int key, int chanceDown, int chanceUp) {
                const std::string name = std::to_string(key);
                const int roll = percent(random);
                if (!held[name] && roll < chanceDown) {
                    Press(key);
                    held[name] = true;
                } else if (held[name] && roll < chanceUp) {
                    Release(key);
                    held[name] = false;
                }
            };
            flip(d.drive, 10, 3);
            flip(d.left, 4, 10);
            flip(d.right, 4, 10);
            flip(d.fire, 20, 50);
        }
        if (percent(random) == 0) Tap(viewKeys[percent(random) % 6]);
        Frame();

        if (Current() != "Arena") {
            // A match played out: its finale went back to the title. Play another.
            ASSERT_EQ(Current(), "TitleScreen");
            held.clear();
            EnterArena();
            Frame();
            walls = std::make_unique<WallMap>(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
            lastTotal = 0;
            continue;
        }
        for (size_t i = 0; i < 2; ++i) {
            const Driver& d = kDrivers[i];
            const vector3df p = Tank(d.tank)->GetPosition();
            ASSERT_TRUE(walls->Inside(p)) << d.tank << " out of the arena at frame " << frame;
            const float clearance = walls->Clearance(p);
            ASSERT_GE(clearance, d.radius - kSlack)
                << d.tank << " in a wall at frame " << frame << ": " << p.X << ", " << p.Z;
            closest[i] = std::min(closest[i], clearance);
        }
        const int score2 = Player("player2")->score, score1 = Player("player1")->score;
        ASSERT_LE(score2, 10) << "frame " << frame;
        ASSERT_LE(score1, 10) << "frame " << frame;
        hits += score1 + score2 - lastTotal;
        lastTotal = score1 + score2;
    }
    // The run really met the walls and the other tank.
    EXPECT_LT(closest[0], 1.0f + 0.1f);
    EXPECT_LT(closest[1], 1.25f + 0.1f);
    EXPECT_GT(hits, 0);
    RecordProperty("hits", hits);
}

TEST_F(WallCollision, TankPressedAgainstAWallStaysOutOfItWhileTheOtherRespawns)
{
    // A respawn makes both tanks' collision animators anew; the frame's step of a tank
    // driving into a wall must still be stopped by it.
    std::map<std::string, std::pair<vector3df, float>> starts;
    for (const Driver& d : kDrivers) starts[d.tank] = {Tank(d.tank)->GetPosition(), Tank(d.tank)->GetRotation().Y};
    for (const Driver& d : kDrivers) {
        SCOPED_TRACE(d.tank);
        auto tank = Tank(d.tank);
        // Each drive starts where its tank started the match, wherever the other's respawns
        // put it before, so that it meets the wall ahead of its start (the fort's) in any run.
        PlaceTank(*arena, d.tank, starts[d.tank].first, starts[d.tank].second);
        Press(d.drive);
        Frames(300);
        ASSERT_NEAR(walls->Clearance(tank->GetPosition()), d.radius, 0.05f) << "pressed against the wall";
        for (int respawn = 0; respawn < 5; ++respawn) {
            arena->QueueTankForRespawn(d.tank == std::string("tank1") ? "tank2" : "tank1");
            for (int frame = 0; frame < 3; ++frame) {
                Frame();
                ASSERT_GE(walls->Clearance(tank->GetPosition()), d.radius - kSlack)
                    << "respawn " << respawn << ", frame " << frame;
            }
        }
        Release(d.drive);
    }
}

TEST_F(WallCollision, TheWallsStopATankInTheUpdateWhetherTheSceneIsDrawnOnceTwiceOrNotAtAll)
{
    // A replay may run several updates before a draw, the split screen draws twice a
    // frame: the walls push a tank in the update, never in a draw.
    const Driver& d = kDrivers[1];
    auto tank = Tank(d.tank);
    Press(d.drive);
    for (int frame = 0; frame < 300; ++frame) {
        clock.Advance(kFrameMs);
        GameClock::BeginFrame();
        TGame::Framerate->SetSpeedFactor();
        arena->OnPreUpdate();
        arena->UpdateObjects();
        arena->OnUpdate();
        arena->PostUpdateObjects();
        arena->OnPostUpdate();
        GameClock::EndFrame();
    }
    ASSERT_NEAR(walls->Clearance(tank->GetPosition()), d.radius, 0.05f) << "pressed against the wall, never drawn";
    Release(d.drive);
    Frames(60);
    const vector3df rest = tank->GetPosition();
    for (int draw = 0; draw < 20; ++draw) arena->smgr->drawAll();
    EXPECT_EQ(tank->GetPosition(), rest);
    arena->SetGameView("split");
    Frames(30);
    EXPECT_EQ(tank->GetPosition(), rest);
}
