// Benchmarks 1 and 2: a frame of a match on the NULL driver, the game against the same
// scene built straight on the engine, in one run. Every tank drives and turns, tank 2
// (player 1's) keeps a shell in flight, and so do players 3 and 4's when they play, the
// collision-response animators run, the clock steps 16 ms a frame.
//   bench_match [--frames N] [--rounds R] [--only game|bare] [--view 0-5] [--effects on|off] [--tanks 2-4]
//               [--computers]
// --tanks plays that many tanks at the keys; with --computers NORMAL computers drive them
// all, and the game's computer brains drive the bare tanks too: both sides' tanks stand
// while one dies and come back at the arena's respawn points.
// --only runs one side under callgrind's control (see run_benchmarks.sh): instructions are
// collected for the N measured frames only.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "BareArena.h"
#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/ProgramEntry.h"
#include "game/effects/GlowSprite.h"

#ifdef VEXMOOR_HAVE_CALLGRIND
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

namespace {

constexpr int kWarmUpFrames = 300;

struct Options {
    int frames = 10000;
    int rounds = 50;  // short turns, so that a change of load touches both sides alike
    std::string only;
    int view = bench::BareArena::kOverhead55;  // the game's F1 to F6, less one
    bool effects = true;
    int tanks = 2;  // players at the keys, slots 0 to tanks-1
    bool computers = false;  // NORMAL computers drive every tank instead
};

Options Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--computers") {
            options.computers = true;
            --i;  // a flag without a value
            continue;
        }
        if (i + 1 >= argc) throw std::runtime_error("no value after " + flag);
        if (flag == "--frames") options.frames = std::atoi(argv[i + 1]);
        else if (flag == "--rounds") options.rounds = std::atoi(argv[i + 1]);
        else if (flag == "--only") options.only = argv[i + 1];
        else if (flag == "--view") options.view = std::atoi(argv[i + 1]);
        else if (flag == "--effects") options.effects = std::string(argv[i + 1]) != "off";
        else if (flag == "--tanks") options.tanks = std::atoi(argv[i + 1]);
        else throw std::runtime_error("unknown argument " + flag);
    }
    if (options.tanks < 2 || options.tanks > 4) throw std::runtime_error("--tanks: 2 to 4");
    if (options.rounds < 1) options.rounds = 1;
    if (options.view < 0 || options.view >= bench::BareArena::kViews) throw std::runtime_error("--view: 0 to 5");
    if (options.only != "" && options.only != "game" && options.only != "bare")
        throw std::runtime_error("--only: game or bare");
    if (options.frames < 1) throw std::runtime_error("--frames: at least 1");
    return options;
}

double Us(int64_t ns, int64_t frames)
{
    if (frames <= 0 || ns < 0) throw std::runtime_error("no frames timed");
    return ns / 1000.0 / frames;
}

}  // namespace

int main(int argc, char** argv)
{
    return RunProgram([&] {
        const Options options = Parse(argc, argv);
        ShowEffects(options.effects);
        const auto view = static_cast<bench::BareArena::View>(options.view);
        bench::GameRun game(0);
        game.StartToTitle();
        game.UseSchemeWithOutlines();
        game.PlayTanks(options.tanks, options.computers);
        game.ClickStartGame();
        if (game.MatchTanks() != options.tanks) throw std::runtime_error("the match does not play every tank asked for");
        game.SelectView(view);
        game.HoldDrivingKeys();
        bench::BareArena bare(0, view, game.MatchColors(), game.MatchWalls(), options.tanks, options.computers);
        if (!bare.Ok()) throw std::runtime_error("no NULL device for the bare engine");

        int64_t gameShellFrames = 0;
        auto runGame = [&](int frames) {
            int64_t total = 0;
            for (int i = 0; i < frames; ++i) {
                const int64_t start = bench::NowNs();
                game.Frame(true);
                total += bench::NowNs() - start;
                if (game.arena->GetGameObject("tank2_shell")) ++gameShellFrames;
            }
            return total;
        };
        auto runBare = [&](int frames) {
            int64_t total = 0;
            for (int i = 0; i < frames; ++i) {
                const int64_t start = bench::NowNs();
                bare.Frame();
                total += bench::NowNs() - start;
            }
            return total;
        };

        runGame(kWarmUpFrames);
        runBare(kWarmUpFrames);
        game.arena->ResetTimes();
        bare.ResetTimes();
        gameShellFrames = 0;
        const TMatchStats statsBefore = game.arena->stats;

        if (!options.only.empty()) {
            // Only the frames themselves are counted, not this loop's own bookkeeping.
            const bool gameSide = options.only == "game";
            for (int i = 0; i < options.frames; ++i) {
                CALLGRIND_TOGGLE_COLLECT;
                if (gameSide) game.Frame(true);
                else bare.Frame();
                CALLGRIND_TOGGLE_COLLECT;
            }
            game.CheckMatchGoesOn();
            std::printf("%s: %d frames measured in %s, effects %s, %d tanks; hits on tanks: game %d, bare %lld\n",
                        options.only.c_str(), options.frames, bench::BareArena::ViewName(view),
                        options.effects ? "on" : "off", options.tanks, game.HitsSince(statsBefore),
                        static_cast<long long>(bare.hits));
            return;
        }

        int64_t gameNs = 0, bareNs = 0;
        const int perRound = options.frames / options.rounds;
        for (int round = 0; round < options.rounds; ++round) {
            // The bare computers fire as many shots as the game's did, a round later.
            const TMatchStats roundStart = game.arena->stats;
            gameNs += runGame(perRound);
            if (options.computers)
                for (int slot = 0; slot < options.tanks; ++slot)
                    bare.AllowShots(slot, game.arena->stats.shots[slot] - roundStart.shots[slot]);
            bareNs += runBare(perRound);
        }
        game.CheckMatchGoesOn();
        const int64_t frames = static_cast<int64_t>(perRound) * options.rounds;
        const auto& a = *game.arena;
        if (frames <= 0 || gameNs <= 0 || bareNs <= 0) throw std::runtime_error("no frames timed");
        std::printf("Benchmark 1/2: a frame of a match, NULL driver, 16 ms clock steps, %lld frames each side "
                    "(%d interleaved rounds), %s, effects %s, %d tanks%s\n",
                    static_cast<long long>(frames), options.rounds, bench::BareArena::ViewName(view),
                    options.effects ? "on" : "off", options.tanks, options.computers ? ", all computers" : "");
        std::printf("  game  %8.2f us/frame = pipeline %.2f (game: states, controllers, tanks, shell) + render %.2f "
                    "(mostly engine: drawAll with the scene animators and collision response, draw calls; plus the "
                    "score text) + rest %.2f; shell in "
                    "flight %.0f%% of frames\n",
                    Us(gameNs, frames), Us(a.pipelineNs, frames), Us(a.renderNs, frames),
                    Us(gameNs - a.pipelineNs - a.renderNs, frames), 100.0 * gameShellFrames / frames);
        std::printf("  bare  %8.2f us/frame = simulation %.2f (tanks, shell, collision queries) + render %.2f + "
                    "device run %.2f; shell in flight %.0f%% of frames\n",
                    Us(bareNs, frames), Us(bare.simNs, frames), Us(bare.renderNs, frames),
                    Us(bareNs - bare.simNs - bare.renderNs, frames), 100.0 * bare.shellFrames / frames);
        // What each side's tanks did meanwhile, so that the two can be seen to do the same work.
        std::string shots;
        int gameHits = 0;
        for (int slot = 0; slot < options.tanks; ++slot) {
            shots += (slot ? ", " : "") + std::to_string(a.stats.shots[slot] - statsBefore.shots[slot]) + " / " +
                     std::to_string(bare.shots[slot]);
            gameHits += a.stats.hits[slot] - statsBefore.hits[slot];
        }
        std::printf("  shots by slot, game / bare: %s; hits on tanks: game %d (enemy hits), bare %lld\n", shots.c_str(),
                    gameHits, static_cast<long long>(bare.hits));
        std::printf("  ratio game/bare %.3f (goal <= 1.10)\n", static_cast<double>(gameNs) / bareNs);
    });
}
