// Shells: their flight time and step, what they hit and what a hit does, and how a pause
// freezes them while their time runs on.
#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"

using irr::core::vector3df;

namespace {
constexpr int kF3 = 114;  // the orthographic overhead view
constexpr int kF9 = 120;  // pause
}  // namespace

class ShellFlight : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithTanksInTheOpen();
    }
};

TEST_F(ShellFlight, FliesHalfAUnitAFrameUntilRemovedAtTheFirstFrame900msAfterItsFirstStep)
{
    TGame::SetTargetFPS(1000.0f / kFrameMs);  // a speed factor of exactly 1
    Tank("tank1")->Shoot(arena.get());
    auto shell = Shell("tank1");
    ASSERT_NE(shell, nullptr);
    vector3df last = shell->GetGlobalPosition();
    Frame();  // the first step
    ASSERT_FLOAT_EQ(TGame::Framerate->speedfactor, 1.0f);
    const uint32_t first = clock.Now();
    int steps = 0;
    while (Shell("tank1")) {
        const vector3df now = shell->GetGlobalPosition();
        EXPECT_TRUE((now - last).equals(vector3df(0, 0, 0.5f), 1e-4f)) << "step " << steps;
        last = now;
        ++steps;
        ASSERT_LT(clock.Now() - first, 900u) << "still flying " << clock.Now() - first << " ms after its first step";
        Frame();
    }
    EXPECT_GE(clock.Now() - first, 900u);
    EXPECT_LT(clock.Now() - first, 900u + kFrameMs);
    EXPECT_EQ(steps, 57);  // 0 to 896 ms
    EXPECT_EQ(Tank("tank1")->GetShell(), nullptr);
}

TEST_F(ShellFlight, NeverHitsItsOwnTank)
{
    // The tank rides along on its own shell all the way, in both kinds of hit test.
    for (int view : {0, kF3}) {
        if (view) {
            Tap(view);
            Frame();
            ASSERT_EQ(arena->currentGameView, "ortho_cam");
        }
        Tank("tank1")->Shoot(arena.get());
        while (auto shell = Shell("tank1")) {
            Tank("tank1")->_node->setPosition(shell->GetGlobalPosition() - vector3df(0, 0.3f, 0));
            Frame();
        }
        EXPECT_EQ(Player("player2")->score, 0);
        EXPECT_EQ(Tank("tank1")->GetAnimator("die_anim"), nullptr);
        EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
    }
}

TEST_F(ShellFlight, PauseFreezesTheShellButNotItsTime)
{
    Tank("tank1")->Shoot(arena.get());
    Frames(5);
    Press(kF9);
    Frame();
    Release(kF9);
    Frame();
    ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
    auto shell = Shell("tank1");
    ASSERT_NE(shell, nullptr);
    const vector3df frozen = shell->GetGlobalPosition();
    // A frozen shell tests nothing, not even a tank put right onto it.
    Place("tank2", frozen - vector3df(0, 0.3f, 0), 0);
    int paused = 0;
    while (Shell("tank1")) {
        EXPECT_TRUE(shell->GetGlobalPosition().equals(frozen, 1e-5f));
        Frame();
        ASSERT_LT(++paused, 100);
    }
    EXPECT_GT(paused, 40) << "gone once its 900 ms are over, pause or not";
    EXPECT_EQ(Player("player1")->score, 0);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 1);
}

class ShellHits : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithoutDrivers();
        Frame();
    }
    // "tank2" fires at "tank1" from close range, in the open between the middle blocks.
    void FaceOff()
    {
        Place("tank2", vector3df(-2.5f, 0, 7), 90);
        Place("tank1", vector3df(2.5f, 0, 7), -90);
        Frame();
    }
};

TEST_F(ShellHits, HitScoresOneForTheVictimsPlayerStopsBothTanksAndKillsTheVictim)
{
    for (const char* view : {"overhead55_cam", "ortho_cam"}) {
        SCOPED_TRACE(view);
        arena->SetGameView(view);
        FaceOff();
        const int before = Player("player2")->score;
        Tank("tank2")->Shoot(arena.get());
        int frames = 0;
        while (!Tank("tank1")->GetAnimator("die_anim")) {
            ASSERT_NE(Shell("tank2"), nullptr) << "lost before the hit";
            Frame();
            ASSERT_LT(++frames, 30);
        }
        EXPECT_EQ(Player("player2")->score, before + 1);
        EXPECT_EQ(Player("player1")->score, 0);
        EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1);
        EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);
        EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
        EXPECT_EQ(Shell("tank2"), nullptr) << "gone in the frame of the hit";
        EXPECT_EQ(Tank("tank2")->GetAnimator("die_anim"), nullptr);
        auto die = std::dynamic_pointer_cast<TankDieAnimator>(Tank("tank1")->GetAnimator("die_anim"));
        EXPECT_TRUE(die->hit_from.equals(vector3df(1, 0, 0), 1e-3f)) << "along the shell's flight";

        ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
        Frame();
    }
    EXPECT_EQ(Player("player2")->score, 2);
}

TEST_F(ShellHits, ArenaComesFirstWhenShellMeetsWallAndTankInOneFrame)
{
    // "tank1" sits across the north wall, its side a little out of it, and "tank2"
    // fires at it from the north. First without the arena, to find the frame the tank is hit.
    auto setUp = [&] {
        Place("tank1", vector3df(0, 0, 16.5f), 90);
        Place("tank2", vector3df(0, 0, 30), 180);
        Frame();
        Tank("tank2")->Shoot(arena.get());
    };
    WallMap walls(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
    // The wall's outer face lies between z 16.8 and 16.9, where the tank's side is.
    ASSERT_EQ(walls.Clearance(0, 16.8f), 0.0f) << "the wall is not where this test expects it";
    ASSERT_GT(walls.Clearance(0, 16.9f), 0.0f);

    auto world = ArenaObject();
    arena->GameObjects.Remove("arena");  // out of the shell's sight, node and all kept
    setUp();
    int hitFrame = 0;
    while (!Tank("tank1")->GetAnimator("die_anim")) {
        ASSERT_NE(Shell("tank2"), nullptr);
        Frame();
        ASSERT_LT(++hitFrame, 60);
    }
    ASSERT_EQ(Player("player2")->score, 1);
    arena->GameObjects.Set("arena", world);
    ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
    Frame();

    setUp();
    int removedFrame = 0;
    while (Shell("tank2")) {
        Frame();
        ASSERT_LT(++removedFrame, 60);
    }
    EXPECT_EQ(removedFrame, hitFrame) << "the wall is met in the frame the tank is";
    EXPECT_EQ(Player("player2")->score, 1) << "no score";
    EXPECT_EQ(Tank("tank1")->GetAnimator("die_anim"), nullptr);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
}

TEST_F(ShellHits, WallsStopShells)
{
    // "tank2" at its start faces the block in front of it.
    Tank("tank2")->Shoot(arena.get());
    int frames = 0;
    while (Shell("tank2")) {
        Frame();
        ++frames;
    }
    EXPECT_LT(frames, 20) << "removed at the wall, long before its time is over";
    EXPECT_EQ(Player("player2")->score + Player("player1")->score, 0);
}

TEST_F(ShellHits, DestroyingTheTankTakesItsShell)
{
    Tank("tank1")->Shoot(arena.get());
    ASSERT_NE(Shell("tank1"), nullptr);
    arena->LoadTanks();
    EXPECT_EQ(Shell("tank1"), nullptr);
    Frames(2);
}
