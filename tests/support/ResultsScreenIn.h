// A results screen put into a test's game instance, in the place the game's own would take,
// for tests that play a match to its results.
#pragma once

#include <memory>

#include "game/screens/ResultsScreen.h"
#include "tests/support/GameInstance.h"

inline std::shared_ptr<TVexmoorResultsScreen> AddResultsScreen(TGameInstance& g)
{
    auto screen = std::make_shared<TVexmoorResultsScreen>();
    g.Within([&] {
        TGame::AddGameState("ResultsScreen", screen);
        screen->guienv = g.game->device->getGUIEnvironment();
        screen->LoadGameFonts();
    });
    return screen;
}
