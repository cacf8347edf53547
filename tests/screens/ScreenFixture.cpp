#include "ScreenFixture.h"

#include <cstring>

#include "framework/GameState.h"

void ScreenTest::SetUp()
{
    clock.Install();
    TGame::InitClassData();
}

void ScreenTest::TearDown()
{
    TGame::ReleaseClassData();
    game.reset();
    GameClock::SetSource(nullptr);
}

void ScreenTest::StartGame(int width, int height)
{
    game = std::make_shared<TVexmoor>();
    init->driverType = 0;
    init->width = width;
    init->height = height;
    TGame::AddGameState("InitGame", init);
    TGame::AddGameState("TitleScreen", title);
    TGame::AddGameState("CreditsScreen", credits);
    TGame::AddGameState("OptionsScreen", options);
    TGame::AddGameState("Arena", arena);
    TGame::AddGameState("StartScreen", startScreen);
    TGame::SetGameState("InitGame");
    ASSERT_TRUE(Frame());
    ASSERT_NE(game->device, nullptr);
}

void ScreenTest::StartAtTitle(int width, int height)
{
    StartGame(width, height);
    clock.Advance(500);
    ASSERT_TRUE(Frame());
    ASSERT_EQ(Current(), "TitleScreen");
    ASSERT_TRUE(Frame());
}

bool ScreenTest::Frame()
{
    return game->RunFrame();
}

void ScreenTest::Frames(int count)
{
    for (int i = 0; i < count; ++i) Frame();
}

void ScreenTest::Post(irr::SEvent& event)
{
    game->device->postEventFromUser(event);
}

void ScreenTest::MoveMouse(int x, int y)
{
    irr::SEvent event;
    std::memset(&event, 0, sizeof event);
    event.EventType = irr::EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = irr::EMIE_MOUSE_MOVED;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    mouseX_ = x;
    mouseY_ = y;
    Post(event);
}

void ScreenTest::PointAt(irr::gui::IGUIElement* element)
{
    ASSERT_NE(element, nullptr);
    const irr::core::recti rect = element->getAbsolutePosition();
    MoveMouse(rect.getCenter().X, rect.getCenter().Y);
}

void ScreenTest::Click()
{
    for (irr::EMOUSE_INPUT_EVENT kind : {irr::EMIE_LMOUSE_PRESSED_DOWN, irr::EMIE_LMOUSE_LEFT_UP}) {
        irr::SEvent event;
        std::memset(&event, 0, sizeof event);
        event.EventType = irr::EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = kind;
        event.MouseInput.X = mouseX_;
        event.MouseInput.Y = mouseY_;
        Post(event);
    }
}

void ScreenTest::TapKey(irr::EKEY_CODE key)
{
    for (bool down : {true, false}) {
        irr::SEvent event;
        std::memset(&event, 0, sizeof event);
        event.EventType = irr::EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = key;
        event.KeyInput.PressedDown = down;
        Post(event);
    }
}

std::string ScreenTest::Current() const
{
    auto state = TGame::GetCurrentGameState();
    return state ? state->state_key : "";
}

irr::gui::IGUIFont* ScreenTest::Font(const std::string& key)
{
    auto font = game->GetGameResourceAs<TFontResource>(key);
    return font ? font->GetResource() : nullptr;
}

std::shared_ptr<TSoundResource> ScreenTest::HoverSound()
{
    return game->GetGameResourceAs<TSoundResource>("menu_hover");
}
