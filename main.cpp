// Program entry: reads the command line and the settings, builds the game and its
// screens and runs the main loop.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/DataFolder.h"
#include "framework/Game.h"
#include "framework/ProgramEntry.h"
#include "framework/StopSignals.h"
#include "game/CommandLine.h"
#include "game/Vexmoor.h"
#include "game/VexmoorScreens.h"
#include "game/replay/ReplayFolder.h"
#include "game/replay/ReplayReader.h"

// Where media/ and fonts/ lie relative to the program: the installed layout and the
// checkout the build folder belongs to (both set by the build).
#ifndef VEXMOOR_PROGRAM_TO_DATA
#define VEXMOOR_PROGRAM_TO_DATA "."
#endif
#ifndef VEXMOOR_PROGRAM_TO_SOURCE
#define VEXMOOR_PROGRAM_TO_SOURCE ".."
#endif

int main(int argc, char** argv)
{
    const TCommandLine line = TCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case TCommandLine::Action::Refuse:
            std::fprintf(stderr, "vexmoor: %s\n%s", line.error.c_str(), TCommandLine::Usage().c_str());
            return 2;
        case TCommandLine::Action::Help: std::fputs(TCommandLine::Usage().c_str(), stdout); return 0;
        case TCommandLine::Action::Version: std::printf("%s\n", TCommandLine::VersionLine().c_str()); return 0;
        case TCommandLine::Action::Play: break;
    }
    if (!line.replay.empty()) {
        // A replay that cannot be played is said before any window opens.
        replay::TReplayReader reader;
        if (!reader.Open(line.replay)) {
            std::fprintf(stderr, "vexmoor: the replay %s %s; it cannot be played\n", line.replay.c_str(),
                         reader.Problem().c_str());
            return 1;
        }
    }
    if (!EnterDataFolder({"media", "fonts"}, {VEXMOOR_PROGRAM_TO_DATA, VEXMOOR_PROGRAM_TO_SOURCE},
                         "Start the game with its vexmoor command, or from the folder that holds them."))
        return 255;
    StopSignals::Install();
    std::shared_ptr<TVexmoor> game;
    const int status = RunProgram([&] {
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        game->UseSettingsFile(TSettingsStore::FromEnvironment());
        if (line.fullscreen) game->SetFullscreenForRun(*line.fullscreen);
        game->replayFolder = replay::TReplayFolder::DefaultPath();
        TVexmoorScreens screens;
        if (!line.replay.empty()) {
            game->replayToPlay = line.replay;
            game->afterReplay = "TitleScreen";
            screens.init->next = "Arena";
        }
        if (line.network.role != TNetworkArguments::Role::None) {
            std::string error;
            game->network = line.network.Start(&error);
            screens.init->next = "Arena";
            if (!game->network) {
                // Said on stderr and on the set-up screen, which offers the same role again:
                // a player started from the desktop's menu sees no stderr.
                std::fprintf(stderr, "network: %s\n", error.c_str());
                if (auto start = std::dynamic_pointer_cast<TVexmoorGameStartScreen>(screens.start))
                    start->network.Offer(line.network, error);
                screens.init->next = "StartScreen";
            }
        }
        screens.init->width = game->settings.windowWidth;
        screens.init->height = game->settings.windowHeight;
        screens.Open();
        game->Run();
    });
    return StopSignals::ExitStatus(status);
}
