#include <gtest/gtest.h>

#include "RecordingState.h"
#include "framework/Clock.h"
#include "framework/GameView.h"
#include "framework/objects/GameObject.h"

namespace {

// An object that logs its hooks; it can queue itself or add a sibling during its update.
class LoggingObject : public TGameObject {
    VEXMOOR_CLASS(LoggingObject, TGameObject)

public:
    explicit LoggingObject(std::shared_ptr<Log> log = nullptr) : log_(std::move(log)) {}
    int OnAdd(TGameState*) override { return Write("add"); }
    int OnRemove(TGameState*) override { return Write("remove"); }
    int OnUpdate() override
    {
        Write("update");
        if (queueSelf) GetState()->QueueGameObjectForDeletion(obj_key);
        return 0;
    }
    int OnPostUpdate() override
    {
        Write("postupdate");
        return TGameObject::OnPostUpdate();
    }
    int Destroy() override
    {
        Write("destroy");
        return TGameObject::Destroy();
    }
    int OnUserEvent(int data1, int, float) override
    {
        Write("user");
        return data1 == consumeUserData ? 1 : 0;
    }
    int Write(const std::string& entry)
    {
        if (log_) log_->push_back(obj_key + ":" + entry);
        return 0;
    }

    bool queueSelf = false;
    int consumeUserData = -1;

private:
    std::shared_ptr<Log> log_;
};

class DerivedObject : public LoggingObject {
    VEXMOOR_CLASS(DerivedObject, LoggingObject)
public:
    using LoggingObject::LoggingObject;
};

// A state animator and object animator that record the times they are given.
class TimeAnimator : public TGameObjectAnimator {
public:
    int OnAnimate(TGameObject*, int timeMs) override
    {
        times.push_back(timeMs);
        return 0;
    }
    std::vector<int> times;
};

class LoggingStateAnimator : public TGameStateAnimator {
public:
    explicit LoggingStateAnimator(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    int OnAnimate(TGameState*, int) override
    {
        log_->push_back("state-animator");
        return 0;
    }
    int Destroy() override
    {
        log_->push_back("state-animator:destroy");
        return 0;
    }

private:
    std::shared_ptr<Log> log_;
};

class PipelineState : public RecordingState {
public:
    using RecordingState::RecordingState;
    int OnPostUpdate() override
    {
        Write(std::string("postupdate objects=") + std::to_string(GameObjects.Size()));
        return 0;
    }
};

}  // namespace

class GameStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_unique<CountingGame>();
        state = std::make_shared<PipelineState>("s", log);
        TGame::AddGameState("s", state);
        TGame::SetGameState("s");
        log->clear();
    }
    void TearDown() override
    {
        TGame::ReleaseClassData();
        game.reset();
        GameClock::SetSource(nullptr);
    }
    std::shared_ptr<LoggingObject> Add(const std::string& key)
    {
        auto object = std::make_shared<LoggingObject>(log);
        state->AddGameObject(key, object);
        return object;
    }

    GameClock::ManualClock clock;
    std::shared_ptr<Log> log = std::make_shared<Log>();
    std::unique_ptr<CountingGame> game;
    std::shared_ptr<PipelineState> state;
};

TEST_F(GameStateTest, ObjectQueuedDuringUpdateIsPostUpdatedThenRemovedBeforeTheStatePostUpdate)
{
    Add("b");
    Add("a")->queueSelf = true;
    state->AddAnimator("anim", std::make_shared<LoggingStateAnimator>(log));
    log->clear();
    game->RunFrame();
    EXPECT_EQ(*log, (Log{"s:preupdate", "a:update", "b:update", "state-animator", "s:update", "a:postupdate",
                         "b:postupdate", "a:remove", "a:destroy", "s:postupdate objects=1"}));
}

TEST_F(GameStateTest, RemovalRunsRemoveThenDestroyWithTheEntryAlreadyGone)
{
    auto a = Add("a");
    auto replacement = std::make_shared<LoggingObject>(log);
    state->AddGameObject("a", replacement);
    EXPECT_EQ(*log, (Log{"a:add", "a:remove", "a:destroy", "a:add"}));
    EXPECT_EQ(a->state_key, "");
    EXPECT_EQ(a->obj_key, "a");
    EXPECT_EQ(state->GetGameObject("a"), replacement);
    log->clear();
    replacement->Destroy();  // a direct Destroy removes the object from its state
    EXPECT_EQ(*log, (Log{"a:destroy", "a:remove", "a:destroy"}));
    EXPECT_EQ(state->GetGameObject("a"), nullptr);
    state->RemoveGameObject("a");  // nothing left: no hook
    EXPECT_EQ(log->size(), 3u);
}

TEST_F(GameStateTest, DeleteQueueHoldsKeysNotObjects)
{
    auto first = Add("k");
    state->QueueGameObjectForDeletion("k");
    state->QueueGameObjectForDeletion("k");
    state->QueueGameObjectForDeletion("missing");
    auto second = Add("k");  // replaces first; the queued key now names the second
    state->PostUpdateObjects();
    EXPECT_EQ(state->GetGameObject("k"), nullptr);
    EXPECT_EQ(second->state_key, "");
}

TEST_F(GameStateTest, ObjectsAddedDuringUpdateSortingLaterRunTheSameFrame)
{
    class Spawner : public TGameObject {
    public:
        int OnUpdate() override
        {
            if (!spawned) {
                spawned = true;
                GetState()->AddGameObject("z", std::make_shared<LoggingObject>(log));
                GetState()->AddGameObject("a", std::make_shared<LoggingObject>(log));
            }
            return 0;
        }
        bool spawned = false;
        std::shared_ptr<Log> log;
    };
    auto spawner = std::make_shared<Spawner>();
    spawner->log = log;
    state->AddGameObject("m", spawner);
    Add("n");
    log->clear();
    state->UpdateObjects();
    EXPECT_EQ(*log, (Log{"z:add", "a:add", "n:update", "z:update"}));
}

TEST_F(GameStateTest, GetGameObjectsSelectsByClassNameWithDerivedClassesAndAnyLetterCase)
{
    state->AddGameObject("b", std::make_shared<DerivedObject>());
    state->AddGameObject("a", std::make_shared<LoggingObject>());
    state->AddGameObject("c", std::make_shared<TGameObject>());
    auto keys = [&](const std::string& type) {
        std::vector<std::string> result;
        for (auto& object : state->GetGameObjects(type)) result.push_back(object->obj_key);
        return result;
    };
    EXPECT_EQ(keys(""), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(keys("LoggingObject"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(keys("loggingobject"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(keys("DERIVEDOBJECT"), (std::vector<std::string>{"b"}));
    EXPECT_EQ(keys("TGameObject"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(keys("TTankThatDoesNotExist").empty());
    EXPECT_EQ(state->GetGameObject("b")->GetType(), "DerivedObject");
}

TEST_F(GameStateTest, UserEventsAreOfferedInKeyOrderUntilOneIsConsumed)
{
    Add("b")->consumeUserData = 7;
    Add("a");
    Add("c");
    log->clear();
    EXPECT_EQ(state->OnUserEvent(7, 0, 0.0f), 1);
    EXPECT_EQ(*log, (Log{"a:user", "b:user"}));
    log->clear();
    EXPECT_EQ(state->OnUserEvent(1, 0, 0.0f), 0);
    EXPECT_EQ(log->size(), 3u);
}

TEST_F(GameStateTest, AnimatorsOfOneObjectShareTheFrameTime)
{
    auto object = Add("a");
    auto first = std::make_shared<TimeAnimator>();
    auto second = std::make_shared<TimeAnimator>();
    object->AddAnimator("x", first);
    object->AddAnimator("y", second);
    EXPECT_EQ(first->obj_key, "x");
    EXPECT_EQ(first->state_key, "s");
    clock.Set(4242);
    object->RunAnimators();
    EXPECT_EQ(first->times, std::vector<int>{4242});
    EXPECT_EQ(second->times, std::vector<int>{4242});
}

TEST_F(GameStateTest, AnimatorQueuedTwiceIsRemovedOnceAndReplacedAnimatorsAreDestroyed)
{
    class CountingAnimator : public TGameObjectAnimator {
    public:
        int Destroy() override { return ++destroyed; }
        int destroyed = 0;
    };
    auto object = Add("a");
    auto old = std::make_shared<CountingAnimator>();
    object->AddAnimator("k", old);
    object->AddAnimator("k", std::make_shared<CountingAnimator>());
    EXPECT_EQ(old->destroyed, 1);
    EXPECT_EQ(old->state_key, "");
    auto current = std::dynamic_pointer_cast<CountingAnimator>(object->GetAnimator("k"));
    object->QueueGameObjectAnimatorForDeletion("k");
    object->QueueGameObjectAnimatorForDeletion("k");
    object->OnPostUpdate();
    EXPECT_EQ(current->destroyed, 1);
    EXPECT_EQ(object->GetAnimator("k"), nullptr);
}

TEST_F(GameStateTest, AnimatorAddedToAFreeObjectNeverFindsAState)
{
    auto object = std::make_shared<TGameObject>();
    auto animator = std::make_shared<TimeAnimator>();
    object->AddAnimator("k", animator);
    state->AddGameObject("late", object);
    EXPECT_EQ(animator->GetState(), nullptr);
    EXPECT_EQ(object->GetState(), state);
}

TEST_F(GameStateTest, QueuedStateAnimatorIsDestroyedAfterThePostUpdatePass)
{
    state->AddAnimator("end", std::make_shared<LoggingStateAnimator>(log));
    state->QueueAnimatorForDeletion("end");
    log->clear();
    state->PostUpdateObjects();
    EXPECT_EQ(*log, (Log{"state-animator:destroy"}));
    EXPECT_EQ(state->GetAnimator("end"), nullptr);
}

TEST_F(GameStateTest, UnknownViewRaisesAndARemovedCurrentViewFallsBackToPlainDrawing)
{
    EXPECT_THROW(state->SetGameView("nope"), std::runtime_error);
    try {
        state->SetGameView("nope");
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "SetGameView: GameView does not exist");
    }
    game->InitGraphics(800, 600, 16, 0);
    auto first = std::make_shared<TGameView>();
    state->AddGameView("v", first);
    state->SetGameView("v");
    EXPECT_EQ(state->GetCurrentGameView(), first);
    // The current view follows a replacement under its key and a change of the key.
    auto second = std::make_shared<TGameView>();
    state->AddGameView("v", second);
    EXPECT_EQ(state->GetCurrentGameView(), second);
    auto other = std::make_shared<TGameView>();
    state->AddGameView("w", other);
    state->currentGameView = "w";
    EXPECT_EQ(state->GetCurrentGameView(), other);
    state->currentGameView = "v";
    EXPECT_EQ(state->GetCurrentGameView(), second);
    state->RemoveGameView("v");
    EXPECT_EQ(state->currentGameView, "v");
    EXPECT_EQ(state->GetCurrentGameView(), nullptr);
    log->clear();
    state->Render();
    EXPECT_EQ(*log, (Log{"s:render"}));
}

TEST_F(GameStateTest, DrawWithoutSceneManagerDrawsNothing)
{
    state->smgr = nullptr;
    state->Render();
    EXPECT_TRUE(log->empty());
}

namespace {
// Records the lines a state draws instead of drawing them.
class LineState : public TGameState {
public:
    int DrawLine(int x1, int y1, int x2, int y2, std::optional<irr::video::SColor> color) override
    {
        lines.push_back({unsigned(x1), unsigned(y1), unsigned(x2), unsigned(y2), color ? color->color : 0u});
        return 0;
    }
    std::vector<std::array<unsigned, 5>> lines;
};
}  // namespace

TEST(StateDrawing, ThickLinesGoThroughDrawLineOneRowAtATimeInWhiteByDefault)
{
    LineState state;
    state.DrawHorizontalLine(10, 20, 110, 3, std::nullopt);
    const unsigned white = irr::video::SColor(255, 255, 255, 255).color;
    EXPECT_EQ(state.lines, (std::vector<std::array<unsigned, 5>>{
                               {10, 20, 110, 20, white}, {10, 21, 110, 21, white}, {10, 22, 110, 22, white}}));
    state.lines.clear();
    state.DrawVerticalLine(5, 0, 9, 2, irr::video::SColor(255, 1, 2, 3));
    ASSERT_EQ(state.lines.size(), 2u);
    EXPECT_EQ(state.lines[1][0], 6u);
    state.lines.clear();
    state.DrawHorizontalLine(0, 0, 1, 0, std::nullopt);
    state.DrawVerticalLine(0, 0, 1, -2, std::nullopt);
    EXPECT_TRUE(state.lines.empty());
}

TEST_F(GameStateTest, RememberedLookupFollowsEveryChangeOfTheRegistryAndKeepsNothingAlive)
{
    TObjectLookup<LoggingObject> last;
    auto first = Add("a");
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("a", last), first);
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("a", last), first);

    auto replacement = std::make_shared<DerivedObject>(log);
    state->AddGameObject("a", replacement);  // the same key, another object
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("a", last), replacement);

    auto other = Add("b");
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("b", last), other);  // another key
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("a", last), replacement);

    std::weak_ptr<DerivedObject> watched = replacement;
    replacement.reset();
    state->RemoveGameObject("a");
    EXPECT_TRUE(watched.expired());  // the lookup held it weakly
    EXPECT_EQ(state->GetGameObjectAs<LoggingObject>("a", last), nullptr);

    // The class asked for still decides, as with the plain lookup.
    TObjectLookup<DerivedObject> derived;
    EXPECT_EQ(state->GetGameObjectAs<DerivedObject>("b", derived), nullptr);
}

TEST_F(GameStateTest, AnObjectFindsItsStateAfterTheStateIsReplacedRemovedOrRenamed)
{
    auto object = Add("a");
    EXPECT_EQ(object->GetState(), state);

    auto replacement = std::make_shared<PipelineState>("s", log);
    TGame::AddGameState("s", replacement);
    EXPECT_EQ(object->GetState(), replacement);

    auto other = std::make_shared<PipelineState>("t", log);
    TGame::AddGameState("t", other);
    object->state_key = "t";
    EXPECT_EQ(object->GetState(), other);

    TGame::RemoveGameState("t");
    EXPECT_EQ(object->GetState(), nullptr);
    object->state_key.clear();
    EXPECT_EQ(object->GetState(), nullptr);
}
