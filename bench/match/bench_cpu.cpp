// Benchmark 6: processor seconds per wall second (user and system time of every thread of
// the process, getrusage) of the real game drawn by OpenGL at 800x600 (run it under Xvfb
// with Mesa), on the title and in a match, without a frame cap and capped at 60 frames a
// second, against the bare engine's match with the same cap (the game's own frame cap).
// The game runs on the real clock here, so its cap sleeps as it does for a player. In the
// match the game and the bare engine take turns in blocks of a second, both windows open,
// so that a change in the machine's load touches both alike.
//   DISPLAY=:80 bench_cpu [--seconds S]
#include <GL/glx.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BareArena.h"
#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/FrameCap.h"
#include "framework/ProgramEntry.h"

namespace {

constexpr int kCap = 60;
constexpr int kBareScheme = 2;
constexpr double kBlockSeconds = 1.0;

int64_t ProcessorNs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ns = [](const timeval& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_usec * 1000; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// Processor and wall time and frames of one side, summed over its blocks.
struct Tally {
    int64_t processorNs = 0;
    int64_t wallNs = 0;
    int64_t frames = 0;
    void Add(const Tally& other)
    {
        processorNs += other.processorNs;
        wallNs += other.wallNs;
        frames += other.frames;
    }
    // A figure that could not be taken is an error, never a 0.
    double Load() const
    {
        Check();
        return static_cast<double>(processorNs) / static_cast<double>(wallNs);
    }
    double Fps() const
    {
        Check();
        return static_cast<double>(frames) * 1e9 / static_cast<double>(wallNs);
    }
    void Check() const
    {
        if (wallNs <= 0 || processorNs <= 0 || frames <= 0) throw std::runtime_error("no frames timed");
    }
};

// Runs frames for `seconds` of wall time and adds them to the tally.
void RunFor(double seconds, const std::function<void()>& frame, Tally& tally)
{
    const int64_t wallStart = bench::NowNs(), processorStart = ProcessorNs();
    const int64_t end = wallStart + static_cast<int64_t>(seconds * 1e9);
    int64_t frames = 0;
    while (bench::NowNs() < end) {
        frame();
        ++frames;
    }
    glFinish();
    tally.processorNs += ProcessorNs() - processorStart;
    tally.wallNs += bench::NowNs() - wallStart;
    tally.frames += frames;
}

// The OpenGL context current now, made current again before its window's frames.
struct GlContext {
    GlContext() : display(glXGetCurrentDisplay()), context(glXGetCurrentContext()), drawable(glXGetCurrentDrawable())
    {
        if (!display || !context || !drawable) throw std::runtime_error("no current OpenGL context");
    }
    void MakeCurrent() const
    {
        if (!glXMakeContextCurrent(display, drawable, drawable, context))
            throw std::runtime_error("glXMakeContextCurrent failed");
    }
    Display* display;
    GLXContext context;
    GLXDrawable drawable;
};

const char* CapName(int cap)
{
    return cap ? "capped at 60" : "uncapped    ";
}

void Measure(double seconds)
{
    bench::GameRun game(irr::video::EDT_OPENGL);
    game.StartToTitle();
    // From here on the game's clock is the real one: frames take their real time and the
    // cap really sleeps.
    GameClock::SetSource(nullptr);
    TFrameCap& gameCap = game.Game().frameCap;
    const GlContext gameContext;
    auto gameFrame = [&] { game.Frame(); };
    for (int cap : {0, kCap}) {
        gameCap.SetRate(cap);
        Tally title;
        RunFor(0.3, gameFrame, title);  // settles on the rate
        title = Tally();
        RunFor(seconds, gameFrame, title);
        std::printf("  title, %s  game %.3f (%.0f fps)\n", CapName(cap), title.Load(), title.Fps());
    }

    // The bare engine's colors are scheme 2's, a scheme without outlines.
    game.Game().SetCurrentColorScheme(kBareScheme);
    game.ClickStartGame();
    game.HoldDrivingKeys();
    game.PlayPastMatchKeys();
    int64_t frameNumber = 0;
    // Tank 1 fires whenever it can, as in the other match benchmarks.
    auto matchFrame = [&] { game.Frame(++frameNumber % 2 == 0); };

    bench::BareArena bare(irr::video::EDT_OPENGL, bench::BareArena::kOverhead55, game.MatchColors(), game.MatchWalls());
    if (!bare.Ok()) throw std::runtime_error("no OpenGL window for the bare engine");
    const GlContext bareContext;
    TFrameCap bareCap;
    auto bareFrame = [&] {
        bare.Frame();
        bareCap.Wait();
    };
    for (int cap : {0, kCap}) {
        gameCap.SetRate(cap);
        bareCap.SetRate(cap);
        Tally gameTally, bareTally;
        gameContext.MakeCurrent();
        RunFor(0.3, matchFrame, gameTally);
        bareContext.MakeCurrent();
        RunFor(0.3, bareFrame, bareTally);
        gameTally = bareTally = Tally();
        // Each pair of blocks gives a ratio too; their median shrugs off a block that a
        // burst of other work on the machine fell into.
        std::vector<double> ratios;
        for (double done = 0; done < seconds; done += kBlockSeconds) {
            Tally gameBlock, bareBlock;
            gameContext.MakeCurrent();
            RunFor(kBlockSeconds, matchFrame, gameBlock);
            bareContext.MakeCurrent();
            RunFor(kBlockSeconds, bareFrame, bareBlock);
            ratios.push_back(gameBlock.Load() / bareBlock.Load());
            gameTally.Add(gameBlock);
            bareTally.Add(bareBlock);
        }
        if (ratios.empty()) throw std::runtime_error("no block pairs timed");
        std::sort(ratios.begin(), ratios.end());
        std::printf("  match, %s  game %.3f (%.0f fps)   bare engine %.3f (%.0f fps)   game/bare %.3f, median of "
                    "%zu pairs %.3f%s\n",
                    CapName(cap), gameTally.Load(), gameTally.Fps(), bareTally.Load(), bareTally.Fps(),
                    gameTally.Load() / bareTally.Load(), ratios.size(), ratios[ratios.size() / 2],
                    cap ? " (goal <= 1.15)" : "");
    }
    if (game.Current() != "Arena") throw std::runtime_error("the match ended during the benchmark");
    gameContext.MakeCurrent();  // the game's device goes first and releases its own context
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 5.0;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--seconds") seconds = std::atof(argv[i + 1]);
    if (!(seconds > 0)) seconds = 5.0;
    return RunProgram([&] {
        std::printf("Benchmark 6: processor seconds per wall second (all threads), OpenGL at 800x600, %.0f s each\n",
                    seconds);
        Measure(seconds);
    });
}
