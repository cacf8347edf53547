// Recording costs, in figures:
//   bench_replay [--minutes M]
// 1. Two computer players (NORMAL) play M minutes of game time on the NULL driver at 60
//    frames a second (steps of 16 and 17 ms); each tank's command is read back from the
//    tank after each frame (driving, turn direction, a new shell) and recorded.
// 2. The same length of human-like input: each tank holds a command for 0.1 to 1.5 s.
// For both: bytes a minute, and the time a frame takes to record into a real file
// (mean, and the slowest frame, which is the one that writes a block).
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

TStream ComputerDuel(size_t frames)
{
    TStream stream;
    GameClock::ManualClock clock{100000};
    clock.Install();
    TGame::InitClassData();
    auto game = std::make_shared<TVexmoor>();
    if (game->InitGraphics(800, 600, 16, 0) == 0) {
        std::fprintf(stderr, "bench_replay: no NULL device\n");
        std::exit(1);
    }
    game->device->getLogger()->setLogLevel(irr::ELL_NONE);
    auto arena = std::make_shared<TVexmoorArenaScreen>();
    TGame::AddGameState("Arena", arena);
    TGame::AddGameState("TitleScreen", std::make_shared<TVexmoorGameTitleScreen>());
    game->settings.players[0].status = TPlayerStatus::ComputerNormal;
    game->settings.players[1].status = TPlayerStatus::ComputerNormal;
    TGame::SetGameState("Arena");
    bool hadShell[2] = {false, false};
    for (size_t f = 0; f < frames; ++f) {
        if (TGame::GetCurrentGameState() != arena) TGame::SetGameState("Arena");
        clock.Advance(Step(f));
        game->RunFrame();
        Commands commands{};
        for (int t = 0; t < 2; ++t) {
            auto tank = arena->GetGameObjectAs<TTank>(t == 0 ? "tank1" : "tank2");
            if (!tank) continue;
            const bool shell = tank->GetShell() != nullptr;
            commands[t].drive = tank->IsMoving() != 0;
            commands[t].turn = tank->turn_speed > 0 ? 1 : (tank->turn_speed < 0 ? -1 : 0);
            commands[t].fire = shell && !hadShell[t];
            hadShell[t] = shell;
        }
        stream.times.push_back(clock.Now());
        stream.commands.push_back(commands);
    }
    TGame::SetGameState("");
    TGame::ReleaseClassData();
    game.reset();
    SoundDevice::Shutdown();
    GameClock::SetSource(nullptr);
    return stream;
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
    double sum = 0;
    for (double ns : frameNs) sum += ns;
    std::vector<double> sorted = frameNs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-22s %8.0f bytes a minute   a frame: mean %.0f ns, 99.9%% under %.0f ns, slowest %.1f us\n", name,
                bytes / minutes, sum / frameNs.size(), sorted[sorted.size() * 999 / 1000], sorted.back() / 1e3);
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
    Measure("two computers (NORMAL)", ComputerDuel(frames), minutes);
    Measure("human-like holds", HumanDuel(frames), minutes);
    return 0;
}
