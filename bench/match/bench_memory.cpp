// Benchmark 5: resident memory with the OpenGL driver (run it under Xvfb). The peak over a
// whole match (ten hits, the finale, back to the title), and the resident size over fifty
// arena entries, each with some driving and shooting and Escape back to the title.
// The hits are set up by placing the tanks face to face in the open middle of the arena.
// The title's size is compared with a bare engine program (this one with --bare: the same
// libraries loaded, the match's meshes and font on the engine alone, 30 frames drawn).
//   DISPLAY=:80 bench_memory [--driver 0|5] [--entries N] [--bare] [--title] [--map]
// --title stops after the title's figure; --map adds what the game holds there beyond the
// bare program, mapping by mapping (libraries, heap, anonymous memory).
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "BareArena.h"
#include "GameRun.h"
#include "MemoryMap.h"
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

// A field of /proc/self/status in kB; a field that cannot be read is an error, never a 0.
long Status(const char* field)
{
    const long kb = bench::StatusKb(field);
    if (kb <= 0) throw std::runtime_error(std::string("no ") + field + " in /proc/self/status");
    return kb;
}

struct BareProgram {
    long kb = -1;
    std::map<std::string, long> mappings;  // with --map
};

// Runs this program with --bare and reads the bare engine's resident size in kB.
BareProgram RunBareProgram(int driver, bool map)
{
    // The shell that popen starts has an /proc/self/exe of its own: name this program.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) throw std::runtime_error("cannot find this program's file");
    self[length] = '\0';
    const std::string command = std::string("'") + self + "' --bare --driver " + std::to_string(driver) +
                                (map ? " --map" : "") + " 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    if (!child) throw std::runtime_error("could not start the bare engine program");
    BareProgram bare;
    std::string output;
    char line[4096];
    while (std::fgets(line, sizeof line, child)) {
        std::sscanf(line, "bare engine resident %ld kB", &bare.kb);
        output += line;
    }
    if (pclose(child) != 0 || bare.kb <= 0) throw std::runtime_error("the bare engine program gave no resident size");
    bare.mappings = bench::ReadMappings(output);
    if (map && bare.mappings.empty()) throw std::runtime_error("the bare engine program gave no map of its memory");
    return bare;
}

}  // namespace

int main(int argc, char** argv)
{
    int driver = irr::video::EDT_OPENGL, entries = 50;
    bool bare = false, titleOnly = false, map = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--bare") bare = true;
        if (flag == "--title") titleOnly = true;
        if (flag == "--map") map = true;
        if (i + 1 >= argc) break;
        if (flag == "--driver") driver = std::atoi(argv[i + 1]);
        else if (flag == "--entries") entries = std::atoi(argv[i + 1]);
    }
    if (bare) {
        return RunProgram([&] {
            bench::BareArena arena(driver, bench::BareArena::kOverhead55);
            if (!arena.Ok()) throw std::runtime_error("no window for the bare engine");
            for (int i = 0; i < 30; ++i) arena.Frame();
            std::printf("bare engine resident %ld kB\n", Status("VmRSS"));
            if (map) std::fputs(bench::WriteMappings(bench::ResidentByMapping()).c_str(), stdout);
        });
    }
    return RunProgram([&] {
        const BareProgram bareProgram = RunBareProgram(driver, map);
        const long bareKb = bareProgram.kb;
        bench::GameRun game(driver);
        game.StartToTitle();
        for (int i = 0; i < 30; ++i) game.Frame();
        const long atTitle = Status("VmRSS");
        std::printf("Benchmark 5: resident memory, %s driver\n", driver == 0 ? "NULL" : "OpenGL");
        std::printf("  at the title %.1f MB, a bare engine program %.1f MB: %.3f of it (goal <= 1.10)\n",
                    Mb(atTitle), Mb(bareKb), static_cast<double>(atTitle) / bareKb);
        if (map) {
            const std::map<std::string, long> mine = bench::ResidentByMapping();
            if (mine.empty()) throw std::runtime_error("no map of this program's memory in /proc/self/smaps");
            std::printf("  held at the title beyond the bare engine program, by mapping:\n");
            bench::PrintDifference(mine, bareProgram.mappings, 100);
        }
        if (titleOnly) return;
        const bool peakReset = bench::ResetPeakRss();

        game.ClickStartGame();
        const int frames = PlayMatch(game);
        // The results follow the finale; Escape there leads to the title.
        if (game.Current() != "ResultsScreen") throw std::runtime_error("the match did not end in the results");
        game.Frame();
        game.EscapeToTitle();
        for (int i = 0; i < 30; ++i) game.Frame();
        const long matchPeak = Status("VmHWM");
        const long afterMatch = Status("VmRSS");
        std::printf("  whole match (%d frames, 10 hits, finale): peak %.1f MB%s, %.1f MB back at the title\n", frames,
                    Mb(matchPeak), peakReset ? "" : " (peak since program start)", Mb(afterMatch));

        long afterFirst = 0, afterTenth = 0;
        for (int entry = 1; entry <= entries; ++entry) {
            game.ClickStartGame();
            game.HoldDrivingKeys();
            for (int i = 0; i < 120; ++i) game.Frame(true);
            game.ReleaseDrivingKeys();
            game.EscapeToTitle();
            for (int i = 0; i < 10; ++i) game.Frame();
            if (entry == 1) afterFirst = Status("VmRSS");
            if (entry == 10) afterTenth = Status("VmRSS");
        }
        if (entries < 1) return;
        const long afterAll = Status("VmRSS");
        std::printf("  %d arena entries: %.1f MB after the first", entries, Mb(afterFirst));
        // The growth per entry is judged from the tenth on, once the caches are warm.
        if (entries > 10)
            std::printf(", %.1f MB after the tenth, %.1f MB after the last (%+.1f kB per entry from the tenth on)",
                        Mb(afterTenth), Mb(afterAll), static_cast<double>(afterAll - afterTenth) / (entries - 10));
        else
            std::printf(", %.1f MB after the last", Mb(afterAll));
        std::printf("; peak of the run %.1f MB\n", Mb(Status("VmHWM")));
    });
}
