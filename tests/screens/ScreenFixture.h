// Runs the real game on the NULL driver with a hand-driven clock, the way the program does:
// the six states registered, the start-up state current, frames run one by one, and input
// posted to the engine device so that its GUI environment reports hovered and left entries.
#pragma once

#include <gtest/gtest.h>
#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Clock.h"
#include "framework/GameResource.h"
#include "game/CreditsScreen.h"
#include "game/GameInit.h"
#include "game/OptionsScreen.h"
#include "game/StartScreen.h"
#include "game/TitleScreen.h"
#include "game/Vexmoor.h"
#include "sound/Sound.h"

// What a screen handed to the driver in one frame.
struct DrawnText {
    std::wstring text;
    irr::gui::IGUIFont* font;
    irr::video::SColor color;
    int x, y;
};
struct DrawnLine {
    int x1, y1, x2, y2;
    irr::video::SColor color;
};

// A screen that notes the texts and lines it draws, then draws them as usual.
template <class Screen>
class Drawn : public Screen {
public:
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<irr::video::SColor> color, int x,
                 int y, int width, int height, int hcenter, int vcenter) override
    {
        texts.push_back({text, font, color.value_or(irr::video::SColor(255, 255, 255, 255)), x, y});
        return Screen::DrawText(text, font, color, x, y, width, height, hcenter, vcenter);
    }
    int DrawLine(int x1, int y1, int x2, int y2, std::optional<irr::video::SColor> color) override
    {
        lines.push_back({x1, y1, x2, y2, color.value_or(irr::video::SColor(255, 255, 255, 255))});
        return Screen::DrawLine(x1, y1, x2, y2, color);
    }
    int OnRender() override
    {
        texts.clear();
        lines.clear();
        return Screen::OnRender();
    }
    const DrawnText* Find(const std::wstring& text) const
    {
        for (const DrawnText& drawn : texts)
            if (drawn.text == text) return &drawn;
        return nullptr;
    }

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the game and its states and runs the start-up state on the NULL driver.
    void StartGame(int width = 800, int height = 600);
    // From a fresh start to the first frame of the title screen.
    void StartAtTitle(int width = 800, int height = 600);

    bool Frame();
    void Frames(int count);
    void MoveMouse(int x, int y);
    void PointAt(irr::gui::IGUIElement* element);
    // A left click (press and release) where the mouse is.
    void Click();
    void TapKey(irr::EKEY_CODE key);
    std::string Current() const;

    irr::video::SColor Scheme(const std::string& key) { return game->CurrentColorScheme->GetColor(key); }
    static irr::video::SColor ColorOf(irr::gui::IGUIStaticText* entry) { return entry->getOverrideColor(); }
    irr::gui::IGUIFont* Font(const std::string& key);
    std::shared_ptr<TSoundResource> HoverSound();

    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    // The states the game runs; a test may swap one before StartGame.
    std::shared_ptr<TVexmoorGameInit> init = std::make_shared<TVexmoorGameInit>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
    std::shared_ptr<TVexmoorGameCreditsScreen> credits = std::make_shared<TVexmoorGameCreditsScreen>();
    std::shared_ptr<TVexmoorGameOptionsScreen> options = std::make_shared<TVexmoorGameOptionsScreen>();
    // The match is another screen's business: an empty stand-in marks that it was chosen.
    std::shared_ptr<TVexmoorGameState> arena = std::make_shared<TVexmoorGameState>();
    std::shared_ptr<TVexmoorGameStartScreen> startScreen = std::make_shared<TVexmoorGameStartScreen>();

private:
    void Post(irr::SEvent& event);
    int mouseX_ = 0;
    int mouseY_ = 0;
};
