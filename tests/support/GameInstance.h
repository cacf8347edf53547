// One of several games run in one process, frame by frame. The framework keeps the state
// registry, the current state, the frame limiter and the running game at class level
// (one game per program); each instance keeps its own set and swaps it in around
// everything it does, so instances never see each other's states.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <type_traits>
#include <utility>

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameState.h"
#include "game/match/ArenaScreen.h"
#include "game/screens/StartScreen.h"
#include "game/screens/TitleScreen.h"
#include "game/Vexmoor.h"
#include "tests/support/InputEvents.h"

class TGameInstance {
public:
    // A game on the NULL driver with the arena, title and set-up screens.
    TGameInstance()
    {
        Within([this] {
            TGame::InitClassData();
            game = std::make_shared<TVexmoor>();
            game->InitGraphics(800, 600, 16, 0);
            TGame::AddGameState("Arena", arena);
            TGame::AddGameState("TitleScreen", title);
            TGame::AddGameState("StartScreen", start);
            game->networkMatchEnd = start;
        });
    }
    ~TGameInstance()
    {
        Within([this] {
            if (TGame::GetCurrentGameState()) TGame::SetGameState("");
            TGame::ReleaseClassData();
            game.reset();
        });
    }

    // Runs f with this instance's class-level data in place.
    template <class F>
    std::invoke_result_t<F> Within(F&& f)
    {
        struct Swapped {
            TGameInstance& i;
            explicit Swapped(TGameInstance& in) : i(in) { i.Swap(); }
            ~Swapped() { i.Swap(); }
        } swapped(*this);
        return f();
    }

    void Frame() { Within([this] { game->RunFrame(); }); }
    void Key(irr::EKEY_CODE key, bool down)
    {
        Within([&] { game->device->postEventFromUser(KeyEvent(key, down)); });
    }
    // A left click on the middle of a GUI element, as the window would hand it over.
    void ClickOn(irr::gui::IGUIElement* element)
    {
        if (!element) return;
        const irr::core::position2di at = element->getAbsolutePosition().getCenter();
        Within([&] {
            for (auto kind : {irr::EMIE_MOUSE_MOVED, irr::EMIE_LMOUSE_PRESSED_DOWN, irr::EMIE_LMOUSE_LEFT_UP})
                game->device->postEventFromUser(MouseEvent(kind, at.X, at.Y));
        });
    }
    std::string Current()
    {
        return Within([] {
            auto state = TGame::GetCurrentGameState();
            return state ? state->state_key : std::string();
        });
    }

    std::shared_ptr<TVexmoor> game;
    std::shared_ptr<TVexmoorArenaScreen> arena = std::make_shared<TVexmoorArenaScreen>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
    std::shared_ptr<TVexmoorGameStartScreen> start = std::make_shared<TVexmoorGameStartScreen>();

private:
    void Swap()
    {
        std::swap(TGame::GameStates, states_);
        std::swap(TGame::CurrentGameState, current_);
        std::swap(TGame::Framerate, framerate_);
        std::swap(TGame::GameInstance, instance_);
    }

    KeyedMap<std::shared_ptr<TGameState>> states_;
    std::shared_ptr<TGameState> current_;
    std::shared_ptr<TFramerate> framerate_;
    TGame* instance_ = nullptr;
};
