// The computer player's costs and strength, in figures: the frame of a match with none, one
// and two computer players (NULL driver, or OpenGL with --opengl under a display), the cost
// of one path plan, and win rates by difficulty over simulated matches.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/Clock.h"
#include "framework/Game.h"
#include "game/Arena.h"
#include "game/ArenaScreen.h"
#include "game/Player.h"
#include "game/TitleScreen.h"
#include "game/Vexmoor.h"
#include "game/ai/NavGrid.h"
#include "sound/SoundDevice.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kFrameMs = 16;

struct Match {
    explicit Match(int driver)
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        ok = game->InitGraphics(800, 600, 16, driver) != 0;
        // The engine's log lines would break up the printed table.
        if (ok) game->device->getLogger()->setLogLevel(irr::ELL_NONE);
        TGame::AddGameState("Arena", arena);
        TGame::AddGameState("TitleScreen", title);
    }
    ~Match()
    {
        if (TGame::GetCurrentGameState()) TGame::SetGameState("");
        TGame::ReleaseClassData();
        game.reset();
        SoundDevice::Shutdown();
        GameClock::SetSource(nullptr);
    }
    void Enter(TPlayerStatus one, TPlayerStatus two)
    {
        game->settings.players[0].status = one;
        game->settings.players[1].status = two;
        TGame::SetGameState("Arena");
    }
    void Frame()
    {
        clock.Advance(kFrameMs);
        game->RunFrame();
    }
    int Score(const char* key) { return arena->GetGameObjectAs<TPlayer>(key)->score; }

    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    std::shared_ptr<TVexmoorArenaScreen> arena = std::make_shared<TVexmoorArenaScreen>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
    bool ok = false;
};

// Microseconds per frame over `frames` frames of a match, the match restarted at its end.
double FrameMicros(int driver, TPlayerStatus one, TPlayerStatus two, int frames)
{
    Match match(driver);
    if (!match.ok) return -1.0;
    match.Enter(one, two);
    for (int i = 0; i < 100; ++i) match.Frame();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        match.Frame();
        if (TGame::GetCurrentGameState() != match.arena) match.Enter(one, two);
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / frames;
}

const char* Name(TPlayerStatus s)
{
    switch (s) {
    case TPlayerStatus::ComputerEasy: return "EASY";
    case TPlayerStatus::ComputerNormal: return "NORMAL";
    case TPlayerStatus::ComputerHard: return "HARD";
    default: return "HUMAN";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const bool opengl = argc > 1 && std::strcmp(argv[1], "--opengl") == 0;
    const int driver = opengl ? 5 : 0;
    const int frames = opengl ? 2000 : 20000;
    const auto human = TPlayerStatus::Human, normal = TPlayerStatus::ComputerNormal;
    const double none = FrameMicros(driver, human, human, frames);
    const double one = FrameMicros(driver, human, normal, frames);
    const double two = FrameMicros(driver, normal, normal, frames);
    std::printf("frame of a match, %s, %d frames: two humans %.1f us, one computer %.1f us (%.3f of the rate), "
                "two computers %.1f us (%.3f of the rate)\n",
                opengl ? "OpenGL" : "NULL driver", frames, none, one, none / one, two, none / two);
    if (opengl) return 0;

    {
        // One path plan on each arena between its two start points, the grid already built.
        Match match(0);
        match.Enter(human, human);
        match.Frame();
        for (int model = 0; model < 3; ++model) {
            if (model == 0) match.arena->LoadArenaBase();
            if (model == 1) match.arena->LoadArena1();
            if (model == 2) match.arena->LoadArena2();
            auto arena = match.arena->GetGameObjectAs<TArena>("arena");
            irr::scene::ITriangleSelector* walls = arena->_node->getTriangleSelector();
            auto t0 = Clock::now();
            auto grid = TNavGrid::ForWalls(walls, 1.5f);
            const double buildMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            const int plans = 200;
            size_t points = 0;
            t0 = Clock::now();
            for (int i = 0; i < plans; ++i) points += grid->FindPath(arena->respawn_points[0], arena->respawn_points[1]).size();
            const double planUs = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / plans;
            std::printf("%s: grid %dx%d built in %.1f ms (once per arena); one path plan start to start %.0f us (%zu points)\n",
                        model == 0 ? "arena_base" : model == 1 ? "arena1" : "arena2", grid->Width(), grid->Depth(),
                        buildMs, planUs, points / plans);
        }
    }

    const TPlayerStatus levels[] = {TPlayerStatus::ComputerEasy, TPlayerStatus::ComputerNormal,
                                    TPlayerStatus::ComputerHard};
    std::printf("wins of the row's difficulty against the column's, 50 matches each (sides alternate):\n");
    std::printf("%8s %8s %8s %8s\n", "", "EASY", "NORMAL", "HARD");
    for (TPlayerStatus row : levels) {
        std::printf("%8s", Name(row));
        for (TPlayerStatus column : levels) {
            int wins = 0, played = 0;
            Match match(0);
            for (int m = 0; m < 50; ++m) {
                const bool rowFirst = m % 2 == 0;
                match.Enter(rowFirst ? row : column, rowFirst ? column : row);
                for (int f = 0; f < 10 * 60 * 1000 / static_cast<int>(kFrameMs); ++f) {
                    match.Frame();
                    if (match.arena->GetFlag("match_end")) break;
                }
                if (match.arena->GetFlag("match_end")) {
                    ++played;
                    const bool firstLost = match.arena->winner != 1;
                    wins += (firstLost != rowFirst) ? 1 : 0;
                }
                TGame::SetGameState("TitleScreen");
                match.Frame();
            }
            std::printf(" %5d/%-2d", wins, played);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}
