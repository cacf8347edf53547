// Benchmark 3: frames per second of the arena drawn by the OpenGL driver at 800x600 (run
// it under Xvfb with Mesa), in each of the six views, the game against the same scene and
// effects drawn straight by the engine, and both again with the effects off. Both windows stay open side by
// side and take turns in short blocks of frames, so that a change in the machine's load
// touches both alike. The match is the one of benchmark 1: both tanks driving and turning,
// a shell in flight, 16 ms of game time per frame whatever the real frame time.
//   DISPLAY=:80 bench_render [--frames N] [--block B] [--shots FOLDER] [--views split,tank1,...] [--each]
//                            [--tanks 2-4] [--computers]
// --each weighs every effect on its own in the game's frame instead (see MeasureEach).
// --tanks plays that many tanks at the keys (players 3 and 4 drive and fire too); with
// --computers NORMAL computers drive every tank on FORTS (four unless --tanks says), the
// game's and, with the same brains, the bare engine's; the views are then overhead55_cam
// and split unless --views names others.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "BareArena.h"
#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/ProgramEntry.h"
#include "game/effects/GlowSprite.h"

namespace {

constexpr int kWarmUpFrames = 60;
std::string shotFolder;  // --shots: a picture of the X screen after each view, to compare the scenes

// The OpenGL window whose context is current now, as the engine set it up (the engine
// draws into a GLX window of its own): makes it current again for the frames that follow.
struct GlWindow {
    explicit GlWindow(irr::video::IVideoDriver* driver)
        : display(glXGetCurrentDisplay()), context(glXGetCurrentContext()), drawable(glXGetCurrentDrawable())
    {
        window = driver->getExposedVideoData().OpenGLLinux.X11Window;
        if (!display || !context || !drawable) throw std::runtime_error("no current OpenGL context");
    }
    void MakeCurrent() const
    {
        if (!glXMakeContextCurrent(display, drawable, drawable, context))
            throw std::runtime_error("glXMakeContextCurrent failed");
    }
    void MoveTo(int x, int y) const
    {
        XMoveWindow(display, window, x, y);
        XSync(display, False);
    }
    Display* display;
    GLXContext context;
    GLXDrawable drawable;
    Window window;
};

void Shot(const std::string& name)
{
    if (shotFolder.empty()) return;
    const std::string command = "import -window root " + shotFolder + "/" + name + ".png";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bench_render: %s failed\n", command.c_str());
}

// Frames per second from a time; a figure that could not be taken is an error, never a 0.
double Fps(int64_t frames, int64_t ns, const char* what)
{
    if (frames <= 0 || ns <= 0) throw std::runtime_error(std::string("no frames timed for ") + what);
    return frames / (ns / 1e9);
}

struct Times {
    int64_t wall = 0, cpu = 0;  // ns; processor time of every thread of the process
    int64_t mainCpu = 0;        // ns; processor time of the thread that runs the frames
};

double Median(std::vector<double> values)
{
    if (values.empty()) throw std::runtime_error("no block rounds measured");
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Who plays: the players at the keys of slots 0 to tanks-1, or computers in every slot.
struct Players {
    int tanks = 2;
    bool computers = false;
};

// The match of the benchmarks: the first scheme with outlines, the tanks at the keys
// driving, past the key list of the match's first seconds.
void EnterMatch(bench::GameRun& game, const Players& players = Players())
{
    game.StartToTitle();
    game.UseSchemeWithOutlines();
    game.PlayTanks(players.tanks, players.computers);
    game.ClickStartGame();
    if (game.MatchTanks() != players.tanks) throw std::runtime_error("the match does not play every tank asked for");
    game.HoldDrivingKeys();
    game.PlayPastMatchKeys();
}

// n frames of the game, fire pressed whenever it can be, until the driver has drawn them.
Times RunGame(bench::GameRun& game, int n)
{
    const int64_t drawn = game.arena->framesDrawn;
    const int64_t start = bench::NowNs(), cpu = bench::ProcessCpuNs(), mainCpu = bench::ThreadCpuNs();
    for (int i = 0; i < n; ++i) game.Frame(true);
    glFinish();
    const Times times{bench::NowNs() - start, bench::ProcessCpuNs() - cpu, bench::ThreadCpuNs() - mainCpu};
    if (game.arena->framesDrawn - drawn != n) throw std::runtime_error("the game did not draw every frame");
    if (times.wall <= 0 || times.cpu <= 0) throw std::runtime_error("a block of the game took no time");
    return times;
}

// Every view in turn: the game and the bare engine with the effects on and off take
// turns in blocks of frames (game on, bare on, game off, bare off), so that a change of
// load touches all four alike.
void Measure(int frames, int block, const std::vector<int>& views, const Players& players)
{
    bench::GameRun game(irr::video::EDT_OPENGL);
    EnterMatch(game, players);
    const GlWindow gameWindow(game.Game().driver);

    bench::BareArena bare(irr::video::EDT_OPENGL, bench::BareArena::kOverhead55, game.MatchColors(), game.MatchWalls(),
                          players.tanks, players.computers);
    if (!bare.Ok()) throw std::runtime_error("no OpenGL window (is DISPLAY set?)");
    const GlWindow bareWindow(bare.Driver());
    // Side by side: neither window covers the other.
    gameWindow.MoveTo(0, 0);
    bareWindow.MoveTo(820, 0);
    if (players.computers) {
        // Both sides' computers warm up alike.
        constexpr int kWarmUpFrames = 600;
        gameWindow.MakeCurrent();
        RunGame(game, kWarmUpFrames);
        bareWindow.MakeCurrent();
        for (int i = 0; i < kWarmUpFrames; ++i) bare.Frame();
        std::printf("  the game's computer brains drive the bare tanks too\n");
    }
    const TMatchStats statsBefore = game.arena->stats;

    // The bare tanks then fire as many shots as the game's did, a block of frames later.
    auto runGame = [&](int n) {
        gameWindow.MakeCurrent();
        const TMatchStats before = game.arena->stats;
        const Times times = RunGame(game, n);
        if (players.computers)
            for (int slot = 0; slot < players.tanks; ++slot)
                bare.AllowShots(slot, game.arena->stats.shots[slot] - before.shots[slot]);
        return times;
    };
    auto runBare = [&](int n) {
        bareWindow.MakeCurrent();
        const int64_t start = bench::NowNs(), cpu = bench::ProcessCpuNs(), mainCpu = bench::ThreadCpuNs();
        for (int i = 0; i < n; ++i) bare.Frame();
        glFinish();
        const Times times{bench::NowNs() - start, bench::ProcessCpuNs() - cpu, bench::ThreadCpuNs() - mainCpu};
        if (times.wall <= 0 || times.cpu <= 0) throw std::runtime_error("a block of the bare engine took no time");
        return times;
    };
    std::printf("  %-15s %9s %9s %9s %9s   %9s %9s %7s   %s\n", "view", "game fps", "bare fps", "game/bare",
                "spread", "game off", "bare off", "ratio", "effects' share of the game's frame (bare's)");
    for (int v : views) {
        const auto view = static_cast<bench::BareArena::View>(v);
        gameWindow.MakeCurrent();
        game.SelectView(view);
        bare.SetView(view);
        int64_t ns[4] = {0, 0, 0, 0}, cpu[4] = {0, 0, 0, 0};  // game on, bare on, game off, bare off
        std::vector<double> ratios, cpuRatios, shares, mainUs[2];
        for (int done = -kWarmUpFrames; done < frames; done += block) {
            Times round[4];
            for (int side = 0; side < 4; ++side) {
                ShowEffects(side < 2);
                round[side] = side % 2 == 0 ? runGame(block) : runBare(block);
            }
            ShowEffects(true);
            if (done < 0) continue;  // warming up
            for (int side = 0; side < 4; ++side) ns[side] += round[side].wall, cpu[side] += round[side].cpu;
            ratios.push_back(static_cast<double>(round[1].wall) / round[0].wall);
            cpuRatios.push_back(static_cast<double>(round[1].cpu) / round[0].cpu);
            shares.push_back(1.0 - static_cast<double>(round[2].cpu) / round[0].cpu);
            for (int side = 0; side < 2; ++side) mainUs[side].push_back(round[side].mainCpu / 1e3 / block);
        }
        if (!shotFolder.empty()) {
            // The picture shows a frame of each side with the effects on.
            runGame(1);
            runBare(1);
            Shot(bench::BareArena::ViewName(view));
        }
        const int64_t measured = static_cast<int64_t>(ratios.size()) * block;
        const char* const names[4] = {"the game", "the bare engine", "the game without effects",
                                      "the bare engine without effects"};
        double fps[4];
        for (int side = 0; side < 4; ++side) fps[side] = Fps(measured, ns[side], names[side]);
        std::printf("  %-15s %9.1f %9.1f %9.3f %4.2f-%4.2f %9.1f %9.1f %7.3f   %5.1f%% (%.1f%%)\n",
                    bench::BareArena::ViewName(view), fps[0], fps[1], fps[0] / fps[1],
                    *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                    fps[2], fps[3], fps[2] / fps[3], 100.0 * (ns[0] - ns[2]) / ns[0],
                    100.0 * (ns[1] - ns[3]) / ns[1]);
        std::printf("  %-15s medians of %zu block rounds: game/bare %.3f in wall time, %.3f in processor time; "
                    "effects %.1f%% of the game's processor time; the frames' own thread %.0f / %.0f us a frame\n",
                    "", ratios.size(), Median(ratios), Median(cpuRatios), 100.0 * Median(shares), Median(mainUs[0]),
                    Median(mainUs[1]));
    }
    // What each side's tanks did over the whole run (both ran the same frames), so that the
    // two can be seen to do alike: the computers fire when they see a target, the bare
    // tanks whenever they can.
    std::string shots;
    int gameHits = 0;
    for (int slot = 0; slot < players.tanks; ++slot) {
        shots += (slot ? ", " : "") + std::to_string(game.arena->stats.shots[slot] - statsBefore.shots[slot]) +
                 " / " + std::to_string(bare.shots[slot]);
        gameHits += game.arena->stats.hits[slot] - statsBefore.hits[slot];
    }
    std::printf("  shots by slot over the run, game / bare: %s; hits on tanks: game %d, bare %lld\n", shots.c_str(),
                gameHits, static_cast<long long>(bare.hits));
    game.CheckMatchGoesOn();
    gameWindow.MakeCurrent();  // the game's device goes first and releases its own context
}

// What each effect costs in the game's frame: in every view asked for, the game alone with
// every effect, with none, with every effect but one (for each kind in turn), and with the
// tanks' outlines alone (every kind off, the effects on), taking turns in blocks of frames.
void MeasureEach(int frames, int block, const std::vector<int>& views)
{
    bench::GameRun game(irr::video::EDT_OPENGL);
    EnterMatch(game);
    const GlWindow gameWindow(game.Game().driver);
    // Sides: 0 every effect, 1 none, 2 + k every effect but kind k, last the outlines alone.
    constexpr int kSides = 3 + kEffectKinds;
    auto show = [](int side) {
        ShowEffects(side != 1);
        for (int k = 0; k < kEffectKinds; ++k)
            ShowEffect(static_cast<TEffect>(k), side != kSides - 1 && side != 2 + k);
    };
    std::printf("  %-15s %9s %9s   share of the game's frame, processor (wall): medians of the block rounds\n", "view",
                "fps on", "fps off");
    for (int v : views) {
        const auto view = static_cast<bench::BareArena::View>(v);
        game.SelectView(view);
        std::vector<double> cpuShare[kSides], wallShare[kSides];
        int64_t onNs = 0, offNs = 0, measured = 0;
        for (int done = -kWarmUpFrames; done < frames; done += block) {
            Times round[kSides];
            for (int side = 0; side < kSides; ++side) {
                show(side);
                round[side] = RunGame(game, block);
            }
            show(0);
            if (done < 0) continue;
            onNs += round[0].wall, offNs += round[1].wall, measured += block;
            for (int side = 1; side < kSides; ++side) {
                // What turning the side's effects off saves; the outlines: what they add to none.
                const int from = side == kSides - 1 ? side : 0, to = side == kSides - 1 ? 1 : side;
                cpuShare[side].push_back(static_cast<double>(round[from].cpu - round[to].cpu) / round[0].cpu);
                wallShare[side].push_back(static_cast<double>(round[from].wall - round[to].wall) / round[0].wall);
            }
        }
        std::printf("  %-15s %9.1f %9.1f   all %.1f%% (%.1f%%)", bench::BareArena::ViewName(view),
                    Fps(measured, onNs, "the game"), Fps(measured, offNs, "the game without effects"),
                    100.0 * Median(cpuShare[1]), 100.0 * Median(wallShare[1]));
        for (int k = 0; k < kEffectKinds; ++k)
            std::printf(", %s %.1f%% (%.1f%%)", EffectName(static_cast<TEffect>(k)), 100.0 * Median(cpuShare[2 + k]),
                        100.0 * Median(wallShare[2 + k]));
        std::printf(", outlines %.1f%% (%.1f%%)\n", 100.0 * Median(cpuShare[kSides - 1]),
                    100.0 * Median(wallShare[kSides - 1]));
    }
    show(0);
}

}  // namespace

int main(int argc, char** argv)
{
    int frames = 600, block = 25;
    bool each = false;
    Players players;
    bool tanksGiven = false;
    std::vector<int> views;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--each") each = true;
        if (flag == "--computers") players.computers = true;
        if (i + 1 >= argc) continue;
        if (flag == "--frames") frames = std::atoi(argv[++i]);
        else if (flag == "--block") block = std::atoi(argv[++i]);
        else if (flag == "--shots") shotFolder = argv[++i];
        else if (flag == "--tanks") {
            players.tanks = std::atoi(argv[++i]);
            tanksGiven = true;
            if (players.tanks < 2 || players.tanks > 4) {
                std::fprintf(stderr, "bench_render: --tanks takes 2 to 4, not %s\n", argv[i]);
                return 2;
            }
        }
        else if (flag == "--views") {
            // Names of the game's views, comma separated.
            std::string list = argv[++i];
            for (size_t at = 0; at <= list.size();) {
                const size_t end = std::min(list.find(',', at), list.size());
                const std::string name = list.substr(at, end - at);
                int found = -1;
                for (int v = 0; v < bench::BareArena::kViews; ++v)
                    if (name == bench::BareArena::ViewName(static_cast<bench::BareArena::View>(v))) found = v;
                if (found < 0) {
                    std::fprintf(stderr, "bench_render: no view named '%s'\n", name.c_str());
                    return 2;
                }
                views.push_back(found);
                at = end + 1;
            }
        }
    }
    if (block < 1) block = 1;
    if (frames < block) frames = block;
    if (players.computers && !tanksGiven) players.tanks = 4;
    if (each && (players.computers || players.tanks != 2)) {
        std::fprintf(stderr, "bench_render: --each weighs the duel's effects only\n");
        return 2;
    }
    if (views.empty() && players.computers) views = {bench::BareArena::kOverhead55, bench::BareArena::kSplit};
    if (views.empty())
        for (int v = 0; v < bench::BareArena::kViews; ++v) views.push_back(v);
    return RunProgram([&] {
        if (each) {
            std::printf("Benchmark 3, effect by effect: OpenGL at 800x600, the game alone, %d frames a side and view, "
                        "in turns of %d frames (goal: every effect together <= 10%% of the frame)\n",
                        frames, block);
            MeasureEach(frames, block, views);
            return;
        }
        if (players.computers)
            std::printf("Benchmark 3, %d computers on FORTS: OpenGL at 800x600, %d frames each side and view, in turns "
                        "of %d frames (goal: game/bare >= 0.95)\n",
                        players.tanks, frames, block);
        else
            std::printf("Benchmark 3: OpenGL at 800x600, %d tanks, %d frames each side and view, in turns of %d frames "
                        "(goals: game/bare >= 0.97, effects <= 10%% of the game's frame)\n",
                        players.tanks, frames, block);
        Measure(frames, block, views, players);
    });
}
