// The game's eight screens under the state names they hand over to each other by. The
// program opens the usual ones; a test or a benchmark puts its own in some places first.
#pragma once

#include <memory>

#include "framework/GameState.h"
#include "game/match/ArenaScreen.h"
#include "game/screens/CreditsScreen.h"
#include "game/screens/GameInit.h"
#include "game/screens/OptionsScreen.h"
#include "game/screens/ReplaysScreen.h"
#include "game/screens/ResultsScreen.h"
#include "game/screens/StartScreen.h"
#include "game/screens/TitleScreen.h"

struct TVexmoorScreens {
    std::shared_ptr<TVexmoorGameInit> init = std::make_shared<TVexmoorGameInit>();
    std::shared_ptr<TGameState> title = std::make_shared<TVexmoorGameTitleScreen>();
    std::shared_ptr<TGameState> credits = std::make_shared<TVexmoorGameCreditsScreen>();
    std::shared_ptr<TGameState> options = std::make_shared<TVexmoorGameOptionsScreen>();
    std::shared_ptr<TGameState> arena = std::make_shared<TVexmoorArenaScreen>();
    std::shared_ptr<TGameState> start = std::make_shared<TVexmoorGameStartScreen>();
    std::shared_ptr<TGameState> results = std::make_shared<TVexmoorResultsScreen>();
    std::shared_ptr<TGameState> replays = std::make_shared<TVexmoorReplaysScreen>();

    // Adds them as the game's states and makes the start-up screen the current one.
    void Open() const;
};
