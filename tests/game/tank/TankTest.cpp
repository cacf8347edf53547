// The tank on its own: the speed ramp timed from the last start or stop, the engine
// sound's rate and volume, firing one shell at a time and the invisible look.
#include "tests/support/ArenaFixture.h"
#include "game/tank/SpeedRamp.h"
#include "sound/Sound.h"
#include "tests/support/WallMap.h"

using irr::core::vector3df;

class TankSpeedRamp : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithoutDrivers();
        Frame();
        tank = Tank("tank1");
        ASSERT_NE(tank, nullptr);
    }
    // Drives from a start until the top speed is reached; returns the speed before it.
    float ReachTopSpeed()
    {
        tank->Start();
        float before = tank->speed;
        for (int i = 0; i < 200 && tank->IsAccelerating(); ++i) {
            before = tank->speed;
            Frame();
        }
        return before;
    }
    std::shared_ptr<TTank> tank;
};

TEST_F(TankSpeedRamp, SpeedDependsOnlyOnTheTimeSinceStart)
{
    tank->Start();
    EXPECT_FLOAT_EQ(tank->speed, 0.01f);
    EXPECT_EQ(tank->IsAccelerating(), 1);
    // One frame 200 ms after Start, or two 100 ms apart: the same speed.
    FrameAfter(200);
    const float once = tank->speed;
    EXPECT_GT(once, 0.01f);
    tank->Start();
    FrameAfter(100);
    EXPECT_LT(tank->speed, once);
    FrameAfter(100);
    EXPECT_NEAR(tank->speed, once, 1e-7f);
}

TEST_F(TankSpeedRamp, StepPastTopSpeedLandsExactlyOnItAndEndsTheStart)
{
    const float before = ReachTopSpeed();
    EXPECT_LT(before, tank->max_speed);
    EXPECT_EQ(tank->speed, 0.06f);
    EXPECT_EQ(tank->bStarting, 0);
    EXPECT_EQ(tank->IsAccelerating(), 0);
    EXPECT_EQ(tank->IsMoving(), 1);
    Frames(5);
    EXPECT_EQ(tank->speed, 0.06f) << "cruising keeps the top speed";
}

TEST_F(TankSpeedRamp, StopSlowsToExactlyZeroAndClearsTheStop)
{
    ReachTopSpeed();
    tank->Stop();
    EXPECT_EQ(tank->IsStopping(), 1);
    EXPECT_EQ(tank->speed, 0.06f) << "Stop does not change the speed itself";
    float before = tank->speed;
    for (int i = 0; i < 200 && !tank->IsStopped(); ++i) {
        before = tank->speed;
        Frame();
        if (!tank->IsStopped()) {
            EXPECT_LT(tank->speed, before);
        }
    }
    EXPECT_GT(before, 0.0f);
    EXPECT_EQ(tank->speed, 0.0f);
    EXPECT_EQ(tank->IsStopped(), 1);
    EXPECT_EQ(tank->IsMoving(), 0);
    EXPECT_EQ(tank->bStopping, 0);

    const vector3df standing = tank->GetPosition();
    Frames(10);
    EXPECT_TRUE(tank->GetPosition().equals(standing)) << "a stopped tank stays put";
}

TEST_F(TankSpeedRamp, MovesForwardAlongItsOwnHeading)
{
    // "tank1" starts facing -X.
    const vector3df start = tank->GetPosition();
    ReachTopSpeed();
    const vector3df moved = tank->GetPosition() - start;
    EXPECT_LT(moved.X, -0.1f);
    EXPECT_NEAR(moved.Z, 0.0f, 1e-3f);
    EXPECT_EQ(tank->GetPosition().Y, 0.0f);
}

TEST_F(TankSpeedRamp, OnlyARightTurnCountsAsTurning)
{
    EXPECT_EQ(tank->IsTurning(), 0);
    tank->TurnLeft();
    EXPECT_EQ(tank->turn_speed, -3.0f);
    EXPECT_EQ(tank->IsTurning(), 0);
    tank->TurnRight();
    EXPECT_EQ(tank->turn_speed, 3.0f);
    EXPECT_EQ(tank->IsTurning(), 1);
    tank->StopTurn();
    EXPECT_EQ(tank->turn_speed, 0.0f);
    EXPECT_EQ(tank->IsTurning(), 0);
}

TEST_F(TankSpeedRamp, StopLandingExactlyOnZeroKeepsTheStopSet)
{
    ReachTopSpeed();
    tank->speed = tank->deceleration * SpeedRamp::Step(0, 100);  // one 100 ms step from exactly 0
    tank->Stop();
    FrameAfter(100);
    ASSERT_EQ(tank->speed, 0.0f);
    EXPECT_EQ(tank->IsStopped(), 1);
    EXPECT_EQ(tank->IsStopping(), 1);
}

TEST_F(TankSpeedRamp, StartWhileSlowingAcceleratesThenSlowsAgain)
{
    ReachTopSpeed();
    tank->Stop();
    Frames(3);
    tank->Start();
    EXPECT_EQ(tank->IsStopping(), 1);  // a start leaves the stop as it was
    EXPECT_EQ(tank->IsAccelerating(), 1);
    ReachTopSpeed();
    Frames(10);
    EXPECT_LT(tank->speed, tank->max_speed) << "the old stop takes over at top speed";
}

class TankEngineSound : public TankSpeedRamp {
protected:
    void SetUp() override
    {
        TankSpeedRamp::SetUp();
        ASSERT_NE(tank->engine, nullptr) << "media/slow_engine1.ogg did not load";
        ASSERT_NE(tank->shot_channel, nullptr) << "media/fire1.ogg did not load";
    }
    float Rate() { return tank->engine->GetRate(); }
};

TEST_F(TankEngineSound, IdlesAt085AndRevsTo15WhileTurningOnTheSpot)
{
    Frame();
    EXPECT_FLOAT_EQ(Rate(), 0.85f);
    tank->TurnRight();
    Frame();
    EXPECT_FLOAT_EQ(Rate(), 1.5f);
    tank->TurnLeft();
    Frame();
    EXPECT_FLOAT_EQ(Rate(), 1.5f);
    tank->StopTurn();
    Frame();
    EXPECT_FLOAT_EQ(Rate(), 0.85f);
}

TEST_F(TankEngineSound, RateFollowsSpeedUpTo285AtTopSpeed)
{
    tank->Start();
    for (int i = 0; i < 100 && tank->IsAccelerating(); ++i) {
        Frame();
        const float scaled = 2.85f * (tank->speed / tank->max_speed);
        EXPECT_FLOAT_EQ(Rate(), scaled < 0.85f ? 0.85f : scaled) << "at speed " << tank->speed;
    }
    EXPECT_EQ(tank->speed, tank->max_speed);
    EXPECT_FLOAT_EQ(Rate(), 2.85f);
}

TEST_F(TankEngineSound, SlowRateIsRaisedTo085AndTurningDoesNotChangeItWhileMoving)
{
    tank->Start();
    FrameAfter(0);  // no time since Start: the speed is still 0.01, a scaled rate of 0.475
    ASSERT_FLOAT_EQ(tank->speed, 0.01f);
    EXPECT_FLOAT_EQ(Rate(), 0.85f);
    tank->TurnRight();
    FrameAfter(0);
    EXPECT_FLOAT_EQ(Rate(), 0.85f) << "turning changes the pitch only while standing";
}

TEST_F(TankEngineSound, VolumeIsWholePercentSteps)
{
    Frame();
    EXPECT_FLOAT_EQ(tank->engine->GetVolume(), 0.9f);
    EXPECT_FLOAT_EQ(tank->shot_channel->GetVolume(), 0.2f);
    tank->SetVolume(50);
    EXPECT_FLOAT_EQ(tank->engine->GetVolume(), 0.9f) << "takes effect at the next update";
    Frame();
    EXPECT_EQ(tank->engine->GetVolume(), 0.0f);
    EXPECT_EQ(tank->shot_channel->GetVolume(), 0.0f);
    tank->SetVolume(100);
    Frame();
    EXPECT_FLOAT_EQ(tank->engine->GetVolume(), 0.9f);
    EXPECT_FLOAT_EQ(tank->shot_channel->GetVolume(), 0.2f);
}

TEST_F(TankEngineSound, EngineRunsFromConstructionAndStopsWithTheTank)
{
    std::shared_ptr<TChannel> engine = tank->engine;
    EXPECT_EQ(engine->Playing(), 1);
    EXPECT_EQ(engine->IsPaused(), 0);
    arena->RemoveGameObject("tank1");
    EXPECT_EQ(engine->Playing(), 0);
    EXPECT_EQ(engine->HasVoice(), 0);
}

// The shot as the players hear it, with the engines stopped so that nothing else sounds.
class TankShotHeard : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        ListenToTheMix();
        EnterArenaWithoutDrivers();
        for (const char* key : {"tank1", "tank2"}) {
            ASSERT_NE(Tank(key)->engine, nullptr) << "media/slow_engine1.ogg did not load";
            Tank(key)->engine->Stop();
        }
        Frame();
    }
};

TEST_F(TankShotHeard, FiringIsHeardAndAMutedTankFiresSilently)
{
    EXPECT_LT(MixPeak(0.2f), kSilence);
    auto tank = Tank("tank1");
    tank->Shoot(arena.get());
    Frame();
    EXPECT_GT(MixPeak(0.3f), 0.01f);
    ASSERT_TRUE(FramesUntil([&] { return tank->GetShell() == nullptr; }, 100));
    MixPeak(2.0f);  // the shot's end
    EXPECT_LT(MixPeak(0.2f), kSilence);
    arena->SetTanksVolume(0);
    Frame();
    tank->Shoot(arena.get());
    Frame();
    EXPECT_LT(MixPeak(0.3f), kSilence);
}

class TankFiring : public TankSpeedRamp {
protected:
    int Shells() { return static_cast<int>(arena->GetGameObjects("TTankShell").size()); }
};

TEST_F(TankFiring, OneShellInFlightAtATime)
{
    tank->Shoot(arena.get());
    auto first = tank->GetShell();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->tank_key, "tank1");
    EXPECT_EQ(first->obj_key, "tank1_shell");
    EXPECT_NE(first->GetAnimator("shell_anim"), nullptr);
    tank->Shoot(arena.get());
    EXPECT_EQ(Shells(), 1);
    EXPECT_EQ(tank->GetShell(), first);

    ASSERT_TRUE(FramesUntil([&] { return tank->GetShell() == nullptr; }, 100));
    tank->Shoot(arena.get());
    EXPECT_NE(tank->GetShell(), nullptr) << "fires again once the shell is gone";
    EXPECT_EQ(Shells(), 1);
}

TEST_F(TankFiring, ShellLeavesTheMuzzleInTheTanksColorAlongItsHeading)
{
    irr::scene::ISceneNode* muzzle = ChildAt(tank->_node, 2);
    muzzle->updateAbsolutePosition();
    const vector3df from = muzzle->getAbsolutePosition();
    tank->Shoot(arena.get());
    auto shell = tank->GetShell();
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(shell->_node->getParent(), arena->smgr->getRootSceneNode());
    EXPECT_TRUE(shell->GetPosition().equals(from, 1e-4f));

    auto* mesh = static_cast<irr::scene::IMeshSceneNode*>(shell->_node)->getMesh();
    irr::video::SColor expected = tank->color;
    expected.setAlpha(0);
    EXPECT_EQ(mesh->getMeshBuffer(0)->getVertexCount() > 0, true);
    EXPECT_EQ(static_cast<irr::video::S3DVertex*>(mesh->getMeshBuffer(0)->getVertices())[0].Color, expected);

    Frame();
    const vector3df step = shell->GetPosition() - from;
    EXPECT_LT(step.X, -0.4f) << "\"tank1\" faces -X";
    EXPECT_NEAR(step.Z, 0.0f, 1e-3f);
}

class TankVisibility : public TankSpeedRamp {
};

TEST_F(TankVisibility, InvisibleIsOnlyTheAlphaMaterial)
{
    tank->Shoot(arena.get());
    auto shell = tank->GetShell();
    const size_t children = tank->_node->getChildren().size();
    irr::scene::ITriangleSelector* selector = tank->_node->getTriangleSelector();

    tank->SetVisible(0);
    EXPECT_EQ(tank->IsVisible(), 0);
    auto* node = static_cast<irr::scene::IMeshSceneNode*>(tank->_node);
    for (irr::u32 i = 0; i < node->getMaterialCount(); ++i)
        EXPECT_EQ(node->getMaterial(i).MaterialType, irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
    EXPECT_EQ(static_cast<int>(irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL), 13);
    EXPECT_TRUE(node->isVisible()) << "the node stays in the scene";
    EXPECT_EQ(node->getChildren().size(), children);
    EXPECT_EQ(node->getTriangleSelector(), selector);
    EXPECT_EQ(tank->GetShell(), shell);

    tank->SetVisible(1);
    for (irr::u32 i = 0; i < node->getMaterialCount(); ++i)
        EXPECT_EQ(node->getMaterial(i).MaterialType, irr::video::EMT_SOLID);
}

// One drive in the open at a steady frame rate: a start, a second at the throttle, a stop
// and the coast to a standstill, with the frames' times as the millisecond clock sees them.
class TankAtFrameRates : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        game->settings.match.arena = TArenaChoice::OpenField;
        EnterArenaWithoutDrivers();
        Frame();
        tank = Tank("tank1");
        ASSERT_NE(tank, nullptr);
        walls = std::make_unique<WallMap>(static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node));
    }

    struct Run {
        float distance = 0;
        float speedAt500ms = 0;
        std::vector<int> ms;  // each frame's time since the start
        std::vector<float> speeds;
    };
    static constexpr int kThrottleMs = 1000;
    static constexpr int kRunMs = 2000;

    Run DriveAt(int fps)
    {
        Place("tank1", vector3df(-8, 0, 0), 90);
        Place("tank2", vector3df(-8, 0, 25), 90);
        tank->speed = 0;
        tank->bStarting = tank->bStopping = 0;
        Frame();
        const vector3df from = tank->GetPosition();
        const uint32_t start = clock.Now();
        tank->Start();
        Run run;
        for (int k = 1; static_cast<long>(k) * 1000 / fps <= kRunMs; ++k) {
            const int ms = static_cast<int>(static_cast<long>(k) * 1000 / fps);
            clock.Set(start + static_cast<uint32_t>(ms));
            game->RunFrame();
            run.ms.push_back(ms);
            run.speeds.push_back(tank->speed);
            if (ms == 500) run.speedAt500ms = tank->speed;
            if (ms == kThrottleMs) tank->Stop();
            EXPECT_GT(walls->Clearance(tank->GetPosition()), 1.5f) << "the drive met a wall at " << ms << " ms";
        }
        EXPECT_EQ(tank->IsStopped(), 1) << fps << " fps";
        run.distance = tank->GetPosition().getDistanceFrom(from);
        return run;
    }

    std::shared_ptr<TTank> tank;
    std::unique_ptr<WallMap> walls;
};

TEST_F(TankAtFrameRates, SameSpeedsAndDistanceAt30To500FramesASecond)
{
    const Run at60 = DriveAt(60);
    ASSERT_GT(at60.distance, 3.0f);
    for (int fps : {30, 144, 500}) {
        SCOPED_TRACE(std::to_string(fps) + " fps");
        const Run run = DriveAt(fps);
        EXPECT_NEAR(run.speedAt500ms, at60.speedAt500ms, 1e-5f);
        EXPECT_NEAR(run.distance, at60.distance, 0.01f * at60.distance);
    }
}

TEST_F(TankAtFrameRates, At60FramesASecondEachFrameAddsTheMillisecondsSinceTheStartOrStop)
{
    // The ramp the tank's constants were made for: each frame adds acceleration times the
    // milliseconds since Start, or takes deceleration times those since Stop.
    const Run run = DriveAt(60);
    float speed = 0.01f;
    bool starting = true, stopping = false;
    int stopMs = 0;
    for (size_t i = 0; i < run.ms.size(); ++i) {
        if (starting) speed = std::min(tank->max_speed, speed + tank->acceleration * run.ms[i]);
        if (stopping) speed = std::max(0.0f, speed - tank->deceleration * (run.ms[i] - stopMs));
        starting = starting && speed < tank->max_speed;
        ASSERT_NEAR(run.speeds[i], speed, 1e-4f) << run.ms[i] << " ms";
        if (run.ms[i] == kThrottleMs) {
            stopping = true;
            stopMs = run.ms[i];
        }
    }
    EXPECT_FALSE(starting);
    EXPECT_EQ(speed, 0.0f);
}
