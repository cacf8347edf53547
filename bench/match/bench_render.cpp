// Benchmark 3: frames per second of the arena drawn by the OpenGL driver at 800x600 (run
// it under Xvfb with Mesa), in the "overhead55_cam" view and in the split screen, the game
// against the same scene drawn straight by the engine. Both windows stay open side by
// side and take turns in short blocks of frames, so that a change in the machine's load
// touches both alike. The match is the one of benchmark 1: both tanks driving and turning,
// a shell in flight, 16 ms of game time per frame whatever the real frame time.
//   DISPLAY=:80 bench_render [--frames N] [--block B] [--shots FOLDER]
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "BareArena.h"
#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/ProgramEntry.h"

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

void Measure(bool split, int frames, int block)
{
    bench::GameRun game(irr::video::EDT_OPENGL);
    game.StartToTitle();
    game.ClickStartGame();
    if (split) {
        // F4 counts on release.
        game.Key(irr::KEY_F4, true);
        game.Frame();
        game.Key(irr::KEY_F4, false);
        game.Frame();
        if (game.arena->currentGameView != "split") throw std::runtime_error("F4 did not select the split view");
    }
    game.HoldDrivingKeys();
    const GlWindow gameWindow(game.Game().driver);

    bench::BareArena bare(irr::video::EDT_OPENGL, split ? bench::BareArena::kSplit : bench::BareArena::kOverhead55);
    if (!bare.Ok()) throw std::runtime_error("no OpenGL window (is DISPLAY set?)");
    const GlWindow bareWindow(bare.Driver());
    // Side by side: neither window covers the other.
    gameWindow.MoveTo(0, 0);
    bareWindow.MoveTo(820, 0);

    auto runGame = [&](int n) {
        gameWindow.MakeCurrent();
        const int64_t start = bench::NowNs();
        for (int i = 0; i < n; ++i) game.Frame(true);
        glFinish();
        return bench::NowNs() - start;
    };
    auto runBare = [&](int n) {
        bareWindow.MakeCurrent();
        const int64_t start = bench::NowNs();
        for (int i = 0; i < n; ++i) bare.Frame();
        glFinish();
        return bench::NowNs() - start;
    };
    runGame(kWarmUpFrames);
    runBare(kWarmUpFrames);
    int64_t gameNs = 0, bareNs = 0;
    for (int done = 0; done < frames; done += block) {
        gameNs += runGame(block);
        bareNs += runBare(block);
    }
    Shot(split ? "split" : "overhead55");
    const int measured = (frames + block - 1) / block * block;
    const double gameFps = measured / (gameNs / 1e9), bareFps = measured / (bareNs / 1e9);
    std::printf("  %-15s game %7.1f fps   bare engine %7.1f fps   game/bare %.3f (goal >= 0.95)\n",
                split ? "split" : "overhead55_cam", gameFps, bareFps, gameFps / bareFps);
    gameWindow.MakeCurrent();  // the game's device goes first and releases its own context
}

}  // namespace

int main(int argc, char** argv)
{
    int frames = 1500, block = 25;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--frames") frames = std::atoi(argv[i + 1]);
        else if (flag == "--block") block = std::atoi(argv[i + 1]);
        else if (flag == "--shots") shotFolder = argv[i + 1];
    }
    if (block < 1) block = 1;
    return RunProgram([&] {
        std::printf("Benchmark 3: OpenGL at 800x600, %d frames each side, in turns of %d frames\n", frames, block);
        Measure(false, frames, block);
        Measure(true, frames, block);
    });
}
