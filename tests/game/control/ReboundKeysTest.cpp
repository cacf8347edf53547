// Keys rebound on the options screen drive the tanks in the next match: the new key
// works, the key it replaced does not, and a swapped key works for its new action.
#include "tests/support/ArenaFixture.h"
#include "game/screens/OptionsScreen.h"

TEST_F(ArenaTest, KeysReboundOnTheOptionsScreenDriveTheNextMatch)
{
    auto options = std::make_shared<TVexmoorGameOptionsScreen>();
    TGame::AddGameState("OptionsScreen", options);
    TGame::SetGameState("OptionsScreen");
    Frame();
    // Player 1: forward to W; fire to Return, which player 2 had (player 2 fires with Tab now).
    auto rebind = [&](int slot, TOptionsControls::Action action, int key) {
        irr::gui::IGUIElement* cell = options->controls.cells[slot][action];
        const irr::core::vector2di at = cell->getAbsolutePosition().getCenter();
        Mouse(irr::EMIE_MOUSE_MOVED, at.X, at.Y);
        Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, at.X, at.Y);
        Mouse(irr::EMIE_LMOUSE_LEFT_UP, at.X, at.Y);
        Frame();
        ASSERT_TRUE(options->controls.Waiting());
        Tap(key);
        Frame();
    };
    rebind(0, TOptionsControls::kForward, irr::KEY_KEY_W);
    rebind(0, TOptionsControls::kFire, irr::KEY_RETURN);
    TGame::SetGameState("Arena");
    Frame();

    // Player 1 drives "tank2", player 2 "tank1".
    auto boxy = Tank("tank2");
    auto sleek = Tank("tank1");
    Press(irr::KEY_KEY_X);
    Frames(10);
    EXPECT_EQ(boxy->speed, 0.0f) << "X no longer drives";
    Release(irr::KEY_KEY_X);
    Press(irr::KEY_KEY_W);
    Frames(10);
    EXPECT_GT(boxy->speed, 0.0f) << "W drives";
    Release(irr::KEY_KEY_W);

    Press(irr::KEY_RETURN);
    Frame();
    Release(irr::KEY_RETURN);
    EXPECT_NE(boxy->GetShell(), nullptr) << "Return fires for player 1";
    EXPECT_EQ(sleek->GetShell(), nullptr);
    Press(irr::KEY_TAB);
    Frame();
    Release(irr::KEY_TAB);
    EXPECT_NE(sleek->GetShell(), nullptr) << "Tab fires for player 2";
    EXPECT_EQ(sleek->speed, 0.0f);
}
