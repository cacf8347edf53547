// Recording costs, in figures:
//   bench_replay [--minutes M]
// 1. Two computer players (NORMAL) play M minutes of game time on the NULL driver at 60
//    frames a second (steps of 16 and 17 ms), recorded by the arena itself into its replay
//    folder: the time per frame is the arena's whole recording (each tank's command taken
//    from its controller, the frame added, a block handed to the file's thread every 240
//    frames).
// 2. The same length of human-like input: each tank holds a command for 0.1 to 1.5 s,
//    recorded by the writer alone.
// For both: bytes a minute, and the time a frame takes to record into a real file
// (mean, and the slowest frame, which is one that writes a block).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "framework/Clock.h"
#include "framework/Game.h"
#include "game/match/ArenaScreen.h"
#include "game/tank/Tank.h"
#include "game/screens/TitleScreen.h"
#include "game/Vexmoor.h"
#include "game/replay/ReplayReader.h"
#include "game/replay/ReplayWriter.h"
#include "sound/SoundDevice.h"

namespace {

using replay::TDriveCommand;
using Commands = std::array<TDriveCommand, replay::kMaxTanks>;

struct TStream {
    std::vector<uint32_t> times;
    std::vector<Commands> commands;
};

uint32_t Step(size_t frame)
{
    return frame % 3 == 0 ? 16 : 17;  // 60 frames a second on a millisecond clock
}

// A match the arena records itself, two NORMAL computer players for `frames` frames at 60
// frames a second: the file it wrote and the time each frame's recording took.
struct TRecorded {
    size_t bytes = 0;
    std::vector<double> frameNs;
};

TRecorded RecordedMatch(size_t frames)
{
    TRecorded recorded;
    GameClock::ManualClock clock{100000};
    clock.Install();
    TGame::InitClassData();
    auto game = std::make_shared<TVexmoor>();
    if (game->InitGraphics(800, 600, 16, 0) == 0) {
        std::fprintf(stderr, "bench_replay: no NULL device\n");
        std::exit(1);
    }
    game->device->getLogger()->setLogLevel(irr::ELL_NONE);
    char folder[] = "/tmp/bench_replay_XXXXXX";
    if (!::mkdtemp(folder)) std::exit(1);
    game->replayFolder = folder;
    auto arena = std::make_shared<TVexmoorArenaScreen>();
    arena->tape.timed = true;
    TGame::AddGameState("Arena", arena);
    TGame::AddGameState("TitleScreen", std::make_shared<TVexmoorGameTitleScreen>());
    game->settings.players[0].status = TPlayerStatus::ComputerNormal;
    game->settings.players[1].status = TPlayerStatus::ComputerNormal;
    game->settings.match.scoreTo = 1000;  // no end before the minutes are up
    TGame::SetGameState("Arena");
    for (size_t f = 0; f < frames; ++f) {
        clock.Advance(Step(f));
        game->RunFrame();
    }
    for (uint32_t ns : arena->tape.frameNs) recorded.frameNs.push_back(ns);
    const std::string path = arena->tape.Path();
    TGame::SetGameState("");
    replay::TReplayReader reader;
    if (!reader.Open(path) || reader.Frames().size() + 1 < frames) {
        std::fprintf(stderr, "bench_replay: the match's recording does not read back: %s\n", reader.Problem().c_str());
        std::exit(1);
    }
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fseek(file, 0, SEEK_END);
        recorded.bytes = static_cast<size_t>(std::ftell(file));
        std::fclose(file);
    }
    ::unlink(path.c_str());
    ::rmdir(folder);
    TGame::ReleaseClassData();
    game.reset();
    SoundDevice::Shutdown();
    GameClock::SetSource(nullptr);
    return recorded;
}

TStream HumanDuel(size_t frames)
{
    TStream stream;
    std::mt19937 dice(7);
    uint32_t now = 100000;
    Commands held{};
    int holdLeft[2] = {0, 0};
    for (size_t f = 0; f < frames; ++f) {
        now += Step(f);
        for (int t = 0; t < 2; ++t) {
            if (holdLeft[t]-- > 0) continue;
            holdLeft[t] = 6 + static_cast<int>(dice() % 85);  // 0.1 to 1.5 s
            held[t].drive = dice() % 4 != 0;
            held[t].turn = static_cast<int>(dice() % 3) - 1;
            held[t].fire = dice() % 3 == 0;
        }
        stream.times.push_back(now);
        stream.commands.push_back(held);
        held[0].fire = held[1].fire = false;  // a shot is one frame's press
    }
    return stream;
}

replay::TReplayHeader DuelHeader()
{
    replay::TReplayHeader header;
    header.gameVersion = "Vexmoor 1.0";
    header.tanks.resize(2);
    return header;
}

void Report(const char* name, size_t bytes, const std::vector<double>& frameNs, double minutes)
{
    double sum = 0;
    for (double ns : frameNs) sum += ns;
    std::vector<double> sorted = frameNs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-32s %6.0f bytes a minute   a frame: median %.0f ns, mean %.0f ns, 99.9%% under %.0f ns, "
                "slowest %.1f us\n",
                name, bytes / minutes, sorted[sorted.size() / 2], sum / frameNs.size(),
                sorted[sorted.size() * 999 / 1000], sorted.back() / 1e3);
}

void Measure(const char* name, const TStream& stream, double minutes)
{
    const std::string path = "/tmp/bench_replay_" + std::to_string(::getpid()) + ".vxr";
    std::vector<double> frameNs;
    frameNs.reserve(stream.times.size());
    size_t bytes = 0;
    {
        replay::TReplayWriter writer(DuelHeader());
        if (!writer.Open(path)) {
            std::fprintf(stderr, "bench_replay: %s %s\n", path.c_str(), writer.Problem().c_str());
            std::exit(1);
        }
        for (size_t f = 0; f < stream.times.size(); ++f) {
            const int64_t t0 = bench::NowNs();
            writer.AddFrame(stream.times[f], stream.commands[f]);
            frameNs.push_back(static_cast<double>(bench::NowNs() - t0));
        }
        writer.Finish({});
    }
    replay::TReplayReader reader;
    if (!reader.Open(path) || reader.Frames().size() != stream.times.size()) {
        std::fprintf(stderr, "bench_replay: the recording does not read back: %s\n", reader.Problem().c_str());
        std::exit(1);
    }
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fseek(file, 0, SEEK_END);
        bytes = static_cast<size_t>(std::ftell(file));
        std::fclose(file);
    }
    ::unlink(path.c_str());
    Report(name, bytes, frameNs, minutes);
}

}  // namespace

int main(int argc, char** argv)
{
    double minutes = 3;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) minutes = std::atof(argv[++i]);
    const size_t frames = static_cast<size_t>(minutes * 60 * 60);
    std::printf("recording a duel of %.1f minutes at 60 frames a second (%zu frames), into a file:\n", minutes,
                frames);
    const TRecorded match = RecordedMatch(frames);
    Report("the arena, two NORMAL computers", match.bytes, match.frameNs, minutes);
    Measure("human-like holds", HumanDuel(frames), minutes);
    return 0;
}
