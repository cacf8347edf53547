// The computer player's costs and strength, in figures: the frame of a match with none, one
// and two computer players (NULL driver, or OpenGL with --opengl under a display), the cost
// of one path plan, and win rates by difficulty over simulated matches.
//   bench_computer [--opengl] [--rounds R] [--frames N] [--matches M] [--only none|one|two]
// The three set-ups take turns in blocks of N frames for R rounds, the order rotating each
// round, so that a change in the machine's load touches all of them alike. Each block starts
// a fresh match and leaves its first frames out. A human holds its drive and turn keys and
// fires whenever it can, so that the tanks move and shoot in every set-up.
// --only runs one block of one set-up and nothing else, with callgrind collecting only its
// frames (valgrind --tool=callgrind --collect-atstart=no). --matches 0 leaves the win table out.
#include <algorithm>
#include <stdexcept>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "framework/Clock.h"
#include "framework/Game.h"
#include "game/world/Arena.h"
#include "game/match/ArenaScreen.h"
#include "game/world/Player.h"
#include "game/screens/TitleScreen.h"
#include "game/Vexmoor.h"
#include "game/ai/NavGrid.h"
#include "sound/SoundDevice.h"
#include "tests/support/InputEvents.h"

#ifdef VEXMOOR_HAVE_CALLGRIND
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kFrameMs = 16;
constexpr int kSkippedFrames = 120;  // of each block: the match's start

struct Setup {
    const char* name;
    TPlayerStatus one, two;
};
const Setup kSetups[] = {{"none", TPlayerStatus::Human, TPlayerStatus::Human},
                         {"one", TPlayerStatus::Human, TPlayerStatus::ComputerNormal},
                         {"two", TPlayerStatus::ComputerNormal, TPlayerStatus::ComputerNormal}};

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
        // A human drives in circles: its forward and turn keys stay down.
        for (int slot = 0; slot < 2; ++slot) {
            const TKeyBindings& keys = game->settings.players[slot].keys;
            const bool human = game->settings.players[slot].status == TPlayerStatus::Human;
            Key(keys.forward, human);
            Key(slot == 0 ? keys.left : keys.right, human);
            Key(keys.fire, false);
        }
        fireDown_ = false;
    }
    bool InArena() const { return TGame::GetCurrentGameState() == arena; }
    void Frame()
    {
        // Humans press fire in one frame and let go in the next: a shot whenever none flies.
        fireDown_ = !fireDown_;
        for (int slot = 0; slot < 2; ++slot)
            if (game->settings.players[slot].status == TPlayerStatus::Human)
                Key(game->settings.players[slot].keys.fire, fireDown_);
        clock.Advance(kFrameMs);
        game->RunFrame();
    }
    void Key(int key, bool down) { game->device->postEventFromUser(KeyEvent(static_cast<irr::EKEY_CODE>(key), down)); }

    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    std::shared_ptr<TVexmoorArenaScreen> arena = std::make_shared<TVexmoorArenaScreen>();
    std::shared_ptr<TVexmoorGameTitleScreen> title = std::make_shared<TVexmoorGameTitleScreen>();
    bool ok = false;

private:
    bool fireDown_ = false;
};

struct BlockTime {
    double wallUs = 0, cpuUs = 0;  // per frame
};

// One block: a fresh match of the set-up, its first frames left out, then `frames` frames
// timed (a match that ends meanwhile starts again, outside the timing).
BlockTime Block(Match& match, const Setup& setup, int frames, bool callgrind = false)
{
    match.Enter(setup.one, setup.two);
    for (int i = 0; i < kSkippedFrames; ++i) match.Frame();
    int64_t wall = 0, cpu = 0;
    for (int done = 0; done < frames;) {
        if (!match.InArena()) match.Enter(setup.one, setup.two);
        if (callgrind) CALLGRIND_TOGGLE_COLLECT;
        const int64_t wall0 = bench::NowNs(), cpu0 = bench::ProcessCpuNs();
        for (; done < frames && match.InArena(); ++done) match.Frame();
        wall += bench::NowNs() - wall0;
        cpu += bench::ProcessCpuNs() - cpu0;
        if (callgrind) CALLGRIND_TOGGLE_COLLECT;
    }
    if (frames <= 0 || wall <= 0 || cpu <= 0) throw std::runtime_error("a block of frames took no time");
    return {wall / 1e3 / frames, cpu / 1e3 / frames};
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (n == 0) throw std::runtime_error("no figures to take the median of");
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Spread(const std::vector<double>& v, const char* format)
{
    char text[96];
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    std::snprintf(text, sizeof text, format, Median(v), *low, *high);
    return text;
}

void FrameTable(int driver, int rounds, int frames)
{
    Match match(driver);
    if (!match.ok) {
        std::printf("no %s device\n", driver ? "OpenGL" : "NULL");
        return;
    }
    std::vector<double> wall[3], cpu[3];
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < 3; ++k) {
            const int s = (round + k) % 3;
            const BlockTime t = Block(match, kSetups[s], frames);
            wall[s].push_back(t.wallUs);
            cpu[s].push_back(t.cpuUs);
        }
    std::printf("frame of a match, %s, %d rounds of %d frames a set-up; median (least to most) a frame:\n",
                driver ? "OpenGL 800x600" : "NULL driver", rounds, frames);
    const char* names[] = {"two humans", "one computer", "two computers"};
    for (int s = 0; s < 3; ++s) {
        std::printf("  %-14s wall %s   processor %s", names[s], Spread(wall[s], "%.1f us (%.1f to %.1f)").c_str(),
                    Spread(cpu[s], "%.1f us (%.1f to %.1f)").c_str());
        if (s > 0) {
            // The rate against the two humans', round by round (each round's blocks ran close together).
            std::vector<double> wallRatio, cpuRatio;
            for (int r = 0; r < rounds; ++r) {
                wallRatio.push_back(wall[0][r] / wall[s][r]);
                cpuRatio.push_back(cpu[0][r] / cpu[s][r]);
            }
            std::printf("   rate / two humans' wall %s, processor %s", Spread(wallRatio, "%.3f (%.3f to %.3f)").c_str(),
                        Spread(cpuRatio, "%.3f (%.3f to %.3f)").c_str());
        }
        std::printf("\n");
    }
}

void PathPlans()
{
    // One path plan on each arena between its two start points, the grid already built.
    Match match(0);
    match.Enter(TPlayerStatus::Human, TPlayerStatus::Human);
    match.Frame();
    for (int model = 0; model < 3; ++model) {
        if (model == 0) match.arena->LoadArenaBase();
        if (model == 1) match.arena->LoadArena1();
        if (model == 2) match.arena->LoadArena2();
        auto arena = match.arena->GetGameObjectAs<TArena>("arena");
        irr::scene::ITriangleSelector* walls = arena->_node->getTriangleSelector();
        // Built here rather than taken from the grids the matches share.
        std::vector<irr::core::triangle3df> triangles(static_cast<size_t>(walls->getTriangleCount()));
        irr::s32 got = 0;
        walls->getTriangles(triangles.data(), static_cast<irr::s32>(triangles.size()), got, nullptr);
        triangles.resize(static_cast<size_t>(got));
        auto t0 = Clock::now();
        const auto grid = std::make_unique<const TNavGrid>(triangles, 1.5f);
        const double buildMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        const int plans = 200;
        size_t points = 0;
        t0 = Clock::now();
        for (int i = 0; i < plans; ++i) points += grid->FindPath(arena->respawn_points[0], arena->respawn_points[1]).size();
        const double planUs = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / plans;
        std::printf("%s: grid %dx%d built in %.1f ms (once per arena); one path plan start to start %.0f us (%zu points)\n",
                    model == 0 ? "arena_base" : model == 1 ? "arena1" : "arena2", grid->Width(), grid->Depth(), buildMs,
                    planUs, points / plans);
    }
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

void WinTable(int matches)
{
    const TPlayerStatus levels[] = {TPlayerStatus::ComputerEasy, TPlayerStatus::ComputerNormal,
                                    TPlayerStatus::ComputerHard};
    std::printf("wins of the row's difficulty against the column's, %d matches each (sides alternate;"
                " a match without a winner in 10 simulated minutes is not counted):\n", matches);
    std::printf("%8s %8s %8s %8s\n", "", "EASY", "NORMAL", "HARD");
    int unfinished = 0;
    for (TPlayerStatus row : levels) {
        // The row is printed whole: each match device's first line would break it up.
        std::string line;
        char cell[32];
        std::snprintf(cell, sizeof cell, "%8s", Name(row));
        line += cell;
        for (TPlayerStatus column : levels) {
            int wins = 0, played = 0;
            Match match(0);
            for (int m = 0; m < matches; ++m) {
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
                } else {
                    ++unfinished;
                }
                TGame::SetGameState("TitleScreen");
                match.Frame();
            }
            std::snprintf(cell, sizeof cell, " %5d/%-2d", wins, played);
            line += cell;
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    std::printf("matches without a winner: %d of %d\n", unfinished, 9 * matches);
}

}  // namespace

int main(int argc, char** argv)
{
    bool opengl = false;
    int rounds = 5, frames = 0, matches = 50;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool hasValue = i + 1 < argc;
        if (flag == "--opengl") opengl = true;
        else if (flag == "--rounds" && hasValue) rounds = std::max(1, std::atoi(argv[++i]));
        else if (flag == "--frames" && hasValue) frames = std::max(1, std::atoi(argv[++i]));
        else if (flag == "--matches" && hasValue) matches = std::max(0, std::atoi(argv[++i]));
        else if (flag == "--only" && hasValue) only = argv[++i];
        else {
            std::fprintf(stderr, "bench_computer: unknown argument %s\n", flag.c_str());
            return 2;
        }
    }
    const int driver = opengl ? 5 : 0;
    if (frames == 0) frames = opengl ? 400 : 2000;

    if (!only.empty()) {
        for (const Setup& setup : kSetups)
            if (only == setup.name) {
                Match match(driver);
                if (!match.ok) return 1;
                const BlockTime t = Block(match, setup, frames, true);
                std::printf("%s: %d frames, %.1f us a frame\n", setup.name, frames, t.wallUs);
                return 0;
            }
        std::fprintf(stderr, "bench_computer: --only takes none, one or two, not %s\n", only.c_str());
        return 2;
    }

    FrameTable(driver, rounds, frames);
    if (opengl) return 0;
    PathPlans();
    if (matches > 0) WinTable(matches);
    return 0;
}
