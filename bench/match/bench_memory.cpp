// Benchmark 5: resident memory with the OpenGL driver (run it under Xvfb). The peak over a
// whole match (ten hits, the finale, back to the title), and the resident size over fifty
// arena entries, each with some driving and shooting and Escape back to the title.
// The hits are set up by placing the tanks face to face in the open middle of the arena.
//   DISPLAY=:80 bench_memory [--driver 0|5] [--entries N]
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/ProgramEntry.h"
#include "game/world/Player.h"
#include "game/tank/Tank.h"

namespace {

double Mb(long kb)
{
    return kb / 1024.0;
}

// Tank 2 a few units west of tank 1, facing it, in the open middle of the arena.
void FaceToFace(bench::GameRun& game)
{
    auto tank1 = game.arena->GetGameObjectAs<TTank>("tank1");
    auto tank2 = game.arena->GetGameObjectAs<TTank>("tank2");
    if (!tank1 || !tank2) throw std::runtime_error("no tanks");
    tank1->SetPosition(irr::core::vector3df(0, 0, 0));
    tank1->SetRotation(irr::core::vector3df(0, -90, 0));
    tank2->SetPosition(irr::core::vector3df(-5, 0, 0));
    tank2->SetRotation(irr::core::vector3df(0, 90, 0));
    // The collision animators sweep from their last place: start them afresh here.
    game.arena->RebuildCollisionAnimators();
}

// Plays one match to its end; returns the number of frames it took.
int PlayMatch(bench::GameRun& game)
{
    int frames = 0;
    auto step = [&](bool fire) {
        game.Frame(fire);
        if (++frames > 20000) throw std::runtime_error("the match does not end");
    };
    while (game.Current() == "Arena") {
        auto victim = game.arena->GetGameObjectAs<TPlayer>("player2");
        if (game.arena->GetFlag("match_end") || !victim) {
            step(false);
            continue;
        }
        // Some play between the hits.
        game.HoldDrivingKeys();
        for (int i = 0; i < 120; ++i) step(true);
        game.ReleaseDrivingKeys();
        for (int i = 0; i < 60 && game.arena->GetGameObject("tank2_shell"); ++i) step(false);
        if (game.arena->GetFlag("tanks_disabled")) continue;
        const int score = victim->score;
        FaceToFace(game);
        for (int i = 0; i < 120 && victim->score == score; ++i) step(true);
        // The death plays out and the tank comes back.
        for (int i = 0; i < 200 && game.arena->GetFlag("tanks_disabled"); ++i) step(false);
    }
    return frames;
}

}  // namespace

int main(int argc, char** argv)
{
    int driver = irr::video::EDT_OPENGL, entries = 50;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--driver") driver = std::atoi(argv[i + 1]);
        else if (flag == "--entries") entries = std::atoi(argv[i + 1]);
    }
    return RunProgram([&] {
        bench::GameRun game(driver);
        game.StartToTitle();
        for (int i = 0; i < 30; ++i) game.Frame();
        const long atTitle = bench::StatusKb("VmRSS");
        const bool peakReset = bench::ResetPeakRss();

        game.ClickStartGame();
        const int frames = PlayMatch(game);
        // The results follow the finale; Escape there leads to the title.
        if (game.Current() != "ResultsScreen") throw std::runtime_error("the match did not end in the results");
        game.Frame();
        game.EscapeToTitle();
        for (int i = 0; i < 30; ++i) game.Frame();
        const long matchPeak = bench::StatusKb("VmHWM");
        const long afterMatch = bench::StatusKb("VmRSS");

        long afterFirst = 0, afterTenth = 0;
        for (int entry = 1; entry <= entries; ++entry) {
            game.ClickStartGame();
            game.HoldDrivingKeys();
            for (int i = 0; i < 120; ++i) game.Frame(true);
            game.ReleaseDrivingKeys();
            game.EscapeToTitle();
            for (int i = 0; i < 10; ++i) game.Frame();
            if (entry == 1) afterFirst = bench::StatusKb("VmRSS");
            if (entry == 10) afterTenth = bench::StatusKb("VmRSS");
        }
        const long afterAll = bench::StatusKb("VmRSS");

        std::printf("Benchmark 5: resident memory, %s driver\n", driver == 0 ? "NULL" : "OpenGL");
        std::printf("  at the title %.1f MB; whole match (%d frames, 10 hits, finale): peak %.1f MB%s, "
                    "%.1f MB back at the title\n",
                    Mb(atTitle), frames, Mb(matchPeak), peakReset ? "" : " (peak since program start)",
                    Mb(afterMatch));
        std::printf("  %d arena entries: %.1f MB after the first, %.1f MB after the tenth, %.1f MB after the last "
                    "(%+.1f kB per entry from the tenth on); peak of the run %.1f MB\n",
                    entries, Mb(afterFirst), Mb(afterTenth), Mb(afterAll),
                    entries > 10 ? static_cast<double>(afterAll - afterTenth) / (entries - 10) : 0.0,
                    Mb(bench::StatusKb("VmHWM")));
    });
}
