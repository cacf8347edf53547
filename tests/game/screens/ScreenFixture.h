// Runs the real game on the NULL driver with a hand-driven clock, as the program does: six
// states, the start-up state first, frames one by one, and input posted to the engine device
// so that its GUI environment reports hovered and left entries.
#pragma once

#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Clock.h"
#include "framework/GameResource.h"
#include "framework/Gamepads.h"
#include "game/Vexmoor.h"
#include "game/VexmoorScreens.h"
#include "sound/Sound.h"
#include "tests/support/InputEvents.h"

// A screen that notes the colors of what it draws, then draws it as usual.
template <class Screen>
class Drawn : public Screen {
public:
    int OnRender() override
    {
        texts.clear();
        lineColors.clear();
        return Screen::OnRender();
    }
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<irr::video::SColor> color, int x,
                 int y, int w, int h, int hcenter, int vcenter) override
    {
        texts.push_back({text, font, *color, x, y});
        return Screen::DrawText(text, font, color, x, y, w, h, hcenter, vcenter);
    }
    int DrawLine(int x1, int y1, int x2, int y2, std::optional<irr::video::SColor> color) override
    {
        lineColors.push_back(*color);
        return Screen::DrawLine(x1, y1, x2, y2, color);
    }
    struct Text {
        std::wstring text;
        irr::gui::IGUIFont* font;
        irr::video::SColor color;
        int x, y;
    };
    std::vector<Text> texts;
    std::vector<irr::video::SColor> lineColors;
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
    }
    void TearDown() override
    {
        TGame::ReleaseClassData();
        game.reset();
        GameClock::SetSource(nullptr);
    }

    // Builds the game (unless the test made its own) and runs the start-up state's first
    // frame on the NULL driver.
    void StartGame(int width = 800, int height = 600)
    {
        if (!game) game = std::make_shared<TVexmoor>();
        // A frame cap chosen on the options screen waits on the hand-driven clock.
        game->frameCap.SetWaiter([this](uint32_t ms) { clock.Advance(ms); });
        init->driverType = 0;
        init->width = width;
        init->height = height;
        TVexmoorScreens screens;
        screens.init = init;
        screens.title = title;
        screens.credits = credits;
        screens.options = options;
        screens.arena = arena;
        screens.start = startScreen;
        screens.results = results;
        screens.Open();
        ASSERT_TRUE(game->RunFrame());
    }
    // On to the title screen's first frame.
    void StartAtTitle(int width = 800, int height = 600)
    {
        StartGame(width, height);
        clock.Advance(500);
        game->RunFrame();
        ASSERT_EQ(Current(), "TitleScreen");
        game->RunFrame();
    }
    void Frames(int count = 1)
    {
        for (int i = 0; i < count; ++i) game->RunFrame();
    }
    // Frames until the game has seen `pads` pads: with none connected it looks for them
    // only every few frames.
    bool FramesUntilPads(int pads)
    {
        for (int i = 0; i <= TGamepads::kIdlePollFrames; ++i) {
            game->RunFrame();
            if (game->gamepads && game->gamepads->ConnectedCount() == pads) return true;
        }
        return false;
    }

    void MoveMouse(int x, int y)
    {
        mouseX_ = x;
        mouseY_ = y;
        PostMouse(irr::EMIE_MOUSE_MOVED);
    }
    void PointAt(irr::gui::IGUIElement* element)
    {
        ASSERT_NE(element, nullptr);
        MoveMouse(element->getAbsolutePosition().getCenter().X, element->getAbsolutePosition().getCenter().Y);
    }
    void Click()
    {
        PostMouse(irr::EMIE_LMOUSE_PRESSED_DOWN);
        PostMouse(irr::EMIE_LMOUSE_LEFT_UP);
    }
    void TapKey(irr::EKEY_CODE key)
    {
        for (bool down : {true, false}) game->device->postEventFromUser(KeyEvent(key, down));
    }

    // Down, key by key, until screen lights the entry id.
    void LightByKeys(TVexmoorGameState& screen, int id)
    {
        for (int i = 0; i < 40 && screen.HighlightedEntry() != id; ++i) {
            TapKey(irr::KEY_DOWN);
            Frames();
        }
        ASSERT_EQ(screen.HighlightedEntry(), id);
    }

    static std::string Current()
    {
        auto state = TGame::GetCurrentGameState();
        return state ? state->state_key : "";
    }
    irr::video::SColor Scheme(const std::string& key) { return game->CurrentColorScheme->GetColor(key); }
    irr::gui::IGUIFont* Font(const std::string& key) { return game->GetGameResourceAs<TFontResource>(key)->GetResource(); }
    std::shared_ptr<TSoundResource> HoverSound() { return game->GetGameResourceAs<TSoundResource>("menu_hover"); }
    // The hover sound, silenced, so that a test hears whether it starts again.
    std::shared_ptr<TSoundResource> SilencedHoverSound()
    {
        auto sound = HoverSound();
        if (sound && sound->channel) sound->channel->Stop();
        return sound;
    }

    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    // The states the game runs; a test may swap one before StartGame.
    std::shared_ptr<TVexmoorGameInit> init = std::make_shared<TVexmoorGameInit>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
    std::shared_ptr<TVexmoorGameCreditsScreen> credits = std::make_shared<TVexmoorGameCreditsScreen>();
    std::shared_ptr<TVexmoorGameOptionsScreen> options = std::make_shared<TVexmoorGameOptionsScreen>();
    // The match belongs to another part of the game: an empty stand-in shows it was chosen.
    std::shared_ptr<TVexmoorGameState> arena = std::make_shared<TVexmoorGameState>();
    std::shared_ptr<TVexmoorGameStartScreen> startScreen = std::make_shared<TVexmoorGameStartScreen>();
    std::shared_ptr<Drawn<TVexmoorResultsScreen>> results = std::make_shared<Drawn<TVexmoorResultsScreen>>();

private:
    void PostMouse(irr::EMOUSE_INPUT_EVENT kind) { game->device->postEventFromUser(MouseEvent(kind, mouseX_, mouseY_)); }
    int mouseX_ = 0;
    int mouseY_ = 0;
};
