#include <gtest/gtest.h>

#include "RecordingState.h"
#include "framework/GameEventReceiver.h"
#include "tests/support/InputEvents.h"

namespace {

// Records the arguments the receiver hands to the state's hooks.
class HookState : public TGameState {
public:
    int OnMouseEvent(int mouseEvent, int button, int x, int y, float) override
    {
        mouse.push_back({mouseEvent, button, x, y});
        return 0;
    }
    int OnKeyEvent(int key, int pressedDown, int, int, int menu, int lmenu, int) override
    {
        keys.push_back({key, pressedDown, menu, lmenu});
        return consumeKeys;
    }
    std::vector<std::array<int, 4>> mouse;
    std::vector<std::array<int, 4>> keys;
    int consumeKeys = 0;
};

class EventGame : public TGame {
public:
    int OnEvent(const irr::SEvent& event) override
    {
        seen.push_back(event.EventType);
        return 0;
    }
    std::vector<irr::EEVENT_TYPE> seen;
};

}  // namespace

class EventReceiverTest : public ::testing::Test {
protected:
    void SetUp() override { TGame::InitClassData(); }
    void TearDown() override { TGame::ReleaseClassData(); }
    TGameEventReceiver receiver;
};

TEST_F(EventReceiverTest, PressAndReleaseLatchAndCount)
{
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_A, true));
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_A, 0, 0, 0), 1);
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_KEY_A, 0), 1);
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_KEY_A, 0), 1);
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_A, false));
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_A, 0, 0, 0), 0);
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_KEY_A, 0), 0);
    EXPECT_EQ(receiver.IsKeyDownUp(irr::KEY_KEY_A, 0), 1);
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_KEY_A, 1), 1);
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_KEY_A, 0), 0);
}

TEST_F(EventReceiverTest, AutoRepeatNeitherCountsNorLatches)
{
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_A, true));
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_KEY_A, 1), 1);
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_KEY_A, 1), 0);
    for (int i = 0; i < 3; ++i) receiver.OnEvent(KeyEvent(irr::KEY_KEY_A, true));
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_KEY_A, 0), 1);
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_KEY_A, 0), 0);
}

TEST_F(EventReceiverTest, FlushWhileHeldMakesTheNextRepeatANewPress)
{
    receiver.OnEvent(KeyEvent(irr::KEY_UP, true));
    receiver.FlushKeys();
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_UP, 0, 0, 0), 0);
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_UP, 0), 0);
    receiver.OnEvent(KeyEvent(irr::KEY_UP, true));
    EXPECT_EQ(receiver.KeyHitCnt(irr::KEY_UP, 0), 1);
    EXPECT_EQ(receiver.IsKeyUpDown(irr::KEY_UP, 0), 1);
}

TEST_F(EventReceiverTest, ModifierArgumentsOnlyAddConditions)
{
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_B, true));
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_B, 1, 0, 0), 0);
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_B, 0, 0, 0), 1);
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_C, true, true, true));
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_C, 1, 1, 0), 1);
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_C, 0, 0, 1), 0);
}

TEST_F(EventReceiverTest, AltEntriesComeFromTheReceiversOwnKeyState)
{
    receiver.OnEvent(KeyEvent(irr::KEY_LMENU, true));
    EXPECT_EQ(receiver.m_key_menu[irr::KEY_LMENU], 1);
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_D, true));
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_D, 0, 0, 1), 1);
    receiver.OnEvent(KeyEvent(irr::KEY_MENU, true));
    receiver.OnEvent(KeyEvent(irr::KEY_LMENU, false));
    EXPECT_EQ(receiver.m_key_menu[irr::KEY_LMENU], 1);  // the generic Alt is still down
    receiver.OnEvent(KeyEvent(irr::KEY_MENU, false));
    EXPECT_EQ(receiver.m_key_menu[irr::KEY_MENU], 0);
}

TEST_F(EventReceiverTest, MouseButtonsWheelAndCursor)
{
    receiver.OnEvent(KeyEvent(irr::KEY_LSHIFT, true));
    receiver.OnEvent(MouseEvent(irr::EMIE_RMOUSE_PRESSED_DOWN));
    EXPECT_EQ(receiver.IsMouseButtonDown(1, 1, 0, 0), 1);
    EXPECT_EQ(receiver.MouseHitCnt(1, 0), 1);
    receiver.OnEvent(MouseEvent(irr::EMIE_RMOUSE_LEFT_UP));
    EXPECT_EQ(receiver.IsMouseButtonDownUp(1, 1), 1);
    EXPECT_EQ(receiver.IsMouseButtonDownUp(1, 1), 0);
    receiver.OnEvent(MouseEvent(irr::EMIE_MOUSE_MOVED, 120, 45));
    receiver.OnEvent(MouseEvent(irr::EMIE_MOUSE_WHEEL, 0, 0, -1.0f));
    receiver.OnEvent(MouseEvent(irr::EMIE_MOUSE_WHEEL, 0, 0, 1.0f));
    EXPECT_EQ(receiver.MouseZ(), 1.0f);
    receiver.FlushMouse();
    EXPECT_EQ(receiver.MouseHitCnt(1, 0), 0);
    EXPECT_EQ(receiver.MouseX(), 120);
    EXPECT_EQ(receiver.MouseY(), 45);
}

TEST_F(EventReceiverTest, DoubleClicksChangeNoButtonStateAndReachHooksWithTheirButton)
{
    TGame game;
    auto state = std::make_shared<HookState>();
    TGame::AddGameState("s", state);
    TGame::SetGameState("s");
    receiver.OnEvent(MouseEvent(irr::EMIE_LMOUSE_PRESSED_DOWN));
    receiver.OnEvent(MouseEvent(irr::EMIE_LMOUSE_LEFT_UP));
    receiver.OnEvent(MouseEvent(irr::EMIE_LMOUSE_DOUBLE_CLICK));
    receiver.OnEvent(MouseEvent(irr::EMIE_RMOUSE_TRIPLE_CLICK));
    EXPECT_EQ(receiver.MouseHitCnt(0, 0), 1);
    EXPECT_EQ(receiver.IsMouseButtonDown(0, 0, 0, 0), 0);
    EXPECT_EQ(receiver.MouseHitCnt(1, 0), 0);
    receiver.OnEvent(MouseEvent(irr::EMIE_MOUSE_MOVED, 3, 4));
    receiver.OnEvent(MouseEvent(irr::EMIE_MOUSE_WHEEL));
    ASSERT_EQ(state->mouse.size(), 6u);
    EXPECT_EQ(state->mouse[2], (std::array<int, 4>{irr::EMIE_LMOUSE_DOUBLE_CLICK, 0, 0, 0}));
    EXPECT_EQ(state->mouse[3], (std::array<int, 4>{irr::EMIE_RMOUSE_TRIPLE_CLICK, 1, 0, 0}));
    EXPECT_EQ(state->mouse[4], (std::array<int, 4>{irr::EMIE_MOUSE_MOVED, 0, 3, 4}));
    EXPECT_EQ(state->mouse[5][1], 1);  // the wheel reaches the hook as button 1
}

TEST_F(EventReceiverTest, KeysReachTheStateAndUnconsumedEventsTheGame)
{
    EventGame game;
    auto state = std::make_shared<HookState>();
    TGame::AddGameState("s", state);
    receiver.OnEvent(KeyEvent(irr::KEY_KEY_E, true));  // no current state yet
    EXPECT_EQ(receiver.IsKeyDown(irr::KEY_KEY_E, 0, 0, 0), 1);
    TGame::SetGameState("s");
    receiver.OnEvent(KeyEvent(irr::KEY_RMENU, true));
    EXPECT_EQ(state->keys.back(), (std::array<int, 4>{irr::KEY_RMENU, 1, 0, 0}));
    state->consumeKeys = 1;
    EXPECT_TRUE(receiver.OnEvent(KeyEvent(irr::KEY_KEY_F, true)));
    irr::SEvent log{};
    log.EventType = irr::EET_LOG_TEXT_EVENT;
    EXPECT_FALSE(receiver.OnEvent(log));
    EXPECT_EQ(game.seen, (std::vector<irr::EEVENT_TYPE>{irr::EET_KEY_INPUT_EVENT, irr::EET_KEY_INPUT_EVENT,
                                                        irr::EET_LOG_TEXT_EVENT}));
}

TEST_F(EventReceiverTest, OutOfRangeQueriesReadZero)
{
    EXPECT_EQ(receiver.IsKeyDown(-1, 0, 0, 0), 0);
    EXPECT_EQ(receiver.KeyHitCnt(256, 1), 0);
    EXPECT_EQ(receiver.MouseHitCnt(3, 1), 0);
    EXPECT_EQ(receiver.IsMouseButtonDown(-1, 0, 0, 0), 0);
}
