// Asks the shell for a state that was never registered; the run must end with the
// error's message on stderr and exit status 255.
#include "framework/Game.h"
#include "framework/GameState.h"
#include "framework/ProgramEntry.h"

int main()
{
    TGame game;
    return RunProgram([] {
        TGame::InitClassData();
        TGame::AddGameState("Known", std::make_shared<TGameState>());
        TGame::SetGameState("Unknown");
    });
}
