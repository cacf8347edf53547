// Benchmark 5: resident memory with the OpenGL driver (run it under Xvfb). The peak over a
// whole match (ten hits, the finale, back to the title), and the resident size over fifty
// arena entries, each with some driving and shooting and Escape back to the title.
// The hits are set up by placing the tanks face to face in the open middle of the arena.
// The title's size is compared with a bare engine program (this one with --bare: the same
// libraries loaded, the match's meshes and font on the engine alone, 30 frames drawn).
//   DISPLAY=:80 bench_memory [--driver 0|5] [--entries N] [--bare]
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "BareArena.h"
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

// Runs this program with --bare and reads the bare engine's resident size in kB.
long BareProgramKb(int driver)
{
    // The shell that popen starts has an /proc/self/exe of its own: name this program.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) throw std::runtime_error("cannot find this program's file");
    self[length] = '\0';
    const std::string command = std::string("'") + self + "' --bare --driver " + std::to_string(driver) + " 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    if (!child) throw std::runtime_error("could not start the bare engine program");
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, child))
        if (std::sscanf(line, "bare engine resident %ld kB", &kb) == 1) break;
    while (std::fgets(line, sizeof line, child)) {
    }
    if (pclose(child) != 0 || kb <= 0) throw std::runtime_error("the bare engine program gave no resident size");
    return kb;
}

}  // namespace

int main(int argc, char** argv)
{
    int driver = irr::video::EDT_OPENGL, entries = 50;
    bool bare = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--bare") bare = true;
        if (i + 1 >= argc) break;
        if (flag == "--driver") driver = std::atoi(argv[i + 1]);
        else if (flag == "--entries") entries = std::atoi(argv[i + 1]);
    }
    if (bare) {
        return RunProgram([&] {
            bench::BareArena arena(driver, bench::BareArena::kOverhead55);
            if (!arena.Ok()) throw std::runtime_error("no window for the bare engine");
            for (int i = 0; i < 30; ++i) arena.Frame();
            const long kb = bench::StatusKb("VmRSS");
            if (kb <= 0) throw std::runtime_error("no resident size in /proc/self/status");
            std::printf("bare engine resident %ld kB\n", kb);
        });
    }
    return RunProgram([&] {
        const long bareKb = BareProgramKb(driver);
        bench::GameRun game(driver);
        game.StartToTitle();
        for (int i = 0; i < 30; ++i) game.Frame();
        const long atTitle = bench::StatusKb("VmRSS");
        if (atTitle <= 0) throw std::runtime_error("no resident size in /proc/self/status");
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
        std::printf("  at the title %.1f MB, a bare engine program %.1f MB: %.3f of it (goal <= 1.10)\n",
                    Mb(atTitle), Mb(bareKb), static_cast<double>(atTitle) / bareKb);
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
