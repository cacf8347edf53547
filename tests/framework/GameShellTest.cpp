#include <gtest/gtest.h>

#include "RecordingState.h"
#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/GameEventReceiver.h"
#include "tests/support/InputEvents.h"

class GameShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_unique<CountingGame>();
        a = std::make_shared<RecordingState>("a", log);
        b = std::make_shared<RecordingState>("b", log);
        TGame::AddGameState("a", a);
        TGame::AddGameState("b", b);
    }
    void TearDown() override
    {
        TGame::ReleaseClassData();
        game.reset();
        GameClock::SetSource(nullptr);
    }

    GameClock::ManualClock clock;
    std::shared_ptr<Log> log = std::make_shared<Log>();
    std::unique_ptr<CountingGame> game;
    std::shared_ptr<RecordingState> a, b;
};

TEST_F(GameShellTest, SwitchCallsLeaveOnTheOldStateThenSetOnTheNew)
{
    TGame::SetGameState("a");
    TGame::SetGameState("b");
    TGame::SetGameState("b");
    EXPECT_EQ(*log, (Log{"a:set(null)", "a:leave(b)", "b:set(a)", "b:leave(b)", "b:set(b)"}));
    EXPECT_EQ(TGame::GetCurrentGameState(), b);
}

TEST_F(GameShellTest, UnknownStateRaisesBeforeAnyHookRuns)
{
    TGame::SetGameState("a");
    log->clear();
    try {
        TGame::SetGameState("nowhere");
        FAIL() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "SetGameState: GameState does not exist");
    }
    EXPECT_TRUE(log->empty());
    EXPECT_EQ(TGame::GetCurrentGameState(), a);
}

TEST_F(GameShellTest, EverySwitchFlushesKeysAndMouse)
{
    game->InitGraphics(800, 600, 16, 0);
    auto& events = *game->events;
    const irr::SEvent key = KeyEvent(irr::KEY_KEY_X, true);
    const irr::SEvent click = MouseEvent(irr::EMIE_LMOUSE_PRESSED_DOWN, 12);
    for (const char* next : {"a", ""}) {
        events.OnEvent(key);
        events.OnEvent(click);
        TGame::SetGameState(next);
        EXPECT_EQ(events.IsKeyDown(irr::KEY_KEY_X, 0, 0, 0), 0) << next;
        EXPECT_EQ(events.MouseHitCnt(0, 0), 0) << next;
    }
}

TEST_F(GameShellTest, RegistryReplacesWithoutHooksAndKeepsARemovedCurrentStateRunning)
{
    TGame::SetGameState("a");
    auto replacement = std::make_shared<RecordingState>("a2", log);
    TGame::AddGameState("b", replacement);
    EXPECT_EQ(TGame::GetGameState("b"), replacement);
    EXPECT_EQ(replacement->state_key, "b");
    TGame::RemoveGameState("a");
    EXPECT_EQ(TGame::IsGameState("a"), 0);
    EXPECT_EQ(TGame::GetCurrentGameState(), a);
    log->clear();
    EXPECT_TRUE(game->RunFrame());
    EXPECT_EQ(log->front(), "a:preupdate");
    EXPECT_EQ(*log, (Log{"a:preupdate", "a:update", "a:postupdate"}));
}

TEST_F(GameShellTest, EmptyNameEndsTheLoopAfterTheFrameWithOneGameEnd)
{
    TGame::SetGameState("a");
    log->clear();
    a->SetNextState("");
    EXPECT_EQ(game->Run(), 0);
    EXPECT_EQ(*log, (Log{"a:preupdate", "a:update", "a:postupdate", "a:leave(null)"}));
    EXPECT_EQ(game->gameEnds, 1);
    EXPECT_EQ(TGame::GetCurrentGameState(), nullptr);
    EXPECT_FALSE(game->RunFrame());
    EXPECT_EQ(game->gameEnds, 1);
}

TEST_F(GameShellTest, RequestedSwitchHappensAfterRenderingAndTheLastRequestWins)
{
    game->InitGraphics(800, 600, 16, 0);
    TGame::SetGameState("a");
    log->clear();
    a->SetNextState("a");
    a->SetNextState("b");
    EXPECT_TRUE(game->RunFrame());
    EXPECT_EQ(*log, (Log{"a:preupdate", "a:update", "a:postupdate", "a:render", "a:leave(b)", "b:set(a)"}));
    EXPECT_EQ(a->pendingNextState, 0);
    EXPECT_EQ(a->nextState, "");
}

TEST_F(GameShellTest, ClosedWindowEndsTheGameAsIfQuitWasChosen)
{
    game->InitGraphics(800, 600, 16, 0);
    TGame::SetGameState("a");
    log->clear();
    game->device->closeDevice();
    EXPECT_FALSE(game->RunFrame());
    EXPECT_EQ(log->back(), "a:leave(null)");
    EXPECT_EQ(game->gameEnds, 1);
}

// A state that drops the current state in the middle of a frame.
class QuittingState : public RecordingState {
public:
    using RecordingState::RecordingState;
    int OnUpdate() override
    {
        Write("update");
        TGame::SetGameState("");
        return 0;
    }
};

TEST_F(GameShellTest, StepsAfterAMidFrameQuitAreSkipped)
{
    auto quitting = std::make_shared<QuittingState>("q", log);
    TGame::AddGameState("q", quitting);
    TGame::SetGameState("q");
    log->clear();
    EXPECT_FALSE(game->RunFrame());
    EXPECT_EQ(*log, (Log{"q:preupdate", "q:update", "q:leave(null)"}));
    EXPECT_EQ(game->gameEnds, 1);
}

TEST_F(GameShellTest, DeviceGivesTheCurrentStateItsSceneAndTheOthersOnEntry)
{
    TGame::SetGameState("a");
    EXPECT_EQ(a->smgr, nullptr);
    ASSERT_EQ(game->InitGraphics(800, 600, 16, 0), 1);
    EXPECT_NE(a->smgr, nullptr);
    EXPECT_NE(a->guienv, nullptr);
    EXPECT_EQ(b->smgr, nullptr);
    TGame::SetGameState("b");
    EXPECT_EQ(b->smgr, a->smgr);
    EXPECT_EQ(game->clsColor->color, irr::video::SColor(255, 0, 0, 0).color);
    EXPECT_EQ(*game->screenRect, irr::core::recti(0, 0, 800, 600));
}

TEST_F(GameShellTest, ScreenScalingTruncatesAt1024x768)
{
    ASSERT_EQ(game->InitGraphics(1024, 768, 16, 0), 1);
    EXPECT_EQ(game->SX(400), 512);
    EXPECT_EQ(game->SY(300), 384);
    EXPECT_EQ(game->SX(1), 1);
    EXPECT_EQ(game->SX(-1), -1);
    EXPECT_EQ(game->SY(1), 1);
    // 2.56 in both directions: truncated, not rounded, and toward zero below it.
    EXPECT_EQ(game->SX(2), 2);
    EXPECT_EQ(game->SY(2), 2);
    EXPECT_EQ(game->SX(-2), -2);
    EXPECT_EQ(game->SY(-2), -2);
}

TEST_F(GameShellTest, SpeedFactorScalesValuesAndVectorsInPlace)
{
    TGame::Framerate->speedfactor = 2.5f;
    EXPECT_FLOAT_EQ(TGame::ApplySpeedFactor(2.0f), 5.0f);
    irr::core::vector3df v(1, 2, 3);
    irr::core::vector3df& same = TGame::ApplySpeedFactorToVector(v);
    EXPECT_EQ(&same, &v);
    EXPECT_TRUE(v.equals(irr::core::vector3df(2.5f, 5.0f, 7.5f)));
    TGame::SetTargetFPS(30);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 30.0f);
}

TEST_F(GameShellTest, ClearColorDefaultsToOpaqueBlack)
{
    game->SetClsColor(irr::video::SColor(255, 1, 2, 3));
    EXPECT_EQ(game->clsColor->color, irr::video::SColor(255, 1, 2, 3).color);
    game->SetClsColor(std::nullopt);
    EXPECT_EQ(game->clsColor->color, irr::video::SColor(255, 0, 0, 0).color);
}

// A state that reads the clock in every part of its frame, while the clock moves on.
class ClockReadingState : public RecordingState {
public:
    ClockReadingState(std::shared_ptr<Log> log, GameClock::ManualClock& clock) : RecordingState("c", log), clock_(clock) {}
    int UpdatesThisFrame() override { return updates; }
    int OnPreUpdate() override { return Read("preupdate"); }
    int OnUpdate() override { return Read("update"); }
    int OnPostUpdate() override { return Read("postupdate"); }
    int OnRender() override { return Read("render"); }
    int Read(const std::string& part)
    {
        Write(part + "@" + std::to_string(GameClock::Milliseconds()));
        clock_.Advance(3);  // time runs on while the frame works
        return 0;
    }
    int updates = 1;

private:
    GameClock::ManualClock& clock_;
};

TEST_F(GameShellTest, EveryPartOfAFrameReadsTheTimeTheFrameBeganAt)
{
    game->InitGraphics(800, 600, 16, 0);
    auto reading = std::make_shared<ClockReadingState>(log, clock);
    TGame::AddGameState("c", reading);
    TGame::SetGameState("c");
    log->clear();
    clock.Set(5000);
    game->RunFrame();
    EXPECT_EQ(*log, (Log{"c:preupdate@5000", "c:update@5000", "c:postupdate@5000", "c:render@5000"}));
    EXPECT_EQ(TGame::Framerate->currentticks, 5000u) << "the speed factor measured at the same time";
    // Between frames the clock is the source's again.
    EXPECT_EQ(GameClock::Milliseconds(), clock.Now());
}

TEST_F(GameShellTest, AStateMayRunNoUpdateOrSeveralBeforeADrawEachAtItsPinnedTime)
{
    game->InitGraphics(800, 600, 16, 0);
    auto reading = std::make_shared<ClockReadingState>(log, clock);
    TGame::AddGameState("c", reading);
    TGame::SetGameState("c");
    log->clear();
    reading->updates = 0;
    GameClock::Pin(700);
    game->RunFrame();
    EXPECT_EQ(*log, (Log{"c:render@700"}));
    log->clear();
    reading->updates = 2;
    game->RunFrame();
    EXPECT_EQ(*log, (Log{"c:preupdate@700", "c:update@700", "c:postupdate@700", "c:preupdate@700", "c:update@700",
                         "c:postupdate@700", "c:render@700"}));
    GameClock::Unpin();
    EXPECT_EQ(GameClock::Milliseconds(), clock.Now());
}
