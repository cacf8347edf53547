// Recordings for the replay tests: a set-up touching every header field and a match script
// (frame times, commands, keys) that the tests compare a read-back recording against.
#pragma once

#include <random>
#include <vector>

#include "game/replay/ReplayWriter.h"

namespace replay_test {

using namespace replay;

struct TScriptFrame {
    uint32_t timeMs;
    std::array<TDriveCommand, kMaxTanks> commands;
    std::vector<TMatchKey> keys;
};

inline TReplayHeader VariedHeader(size_t tanks = 4)
{
    TReplayHeader h;
    h.gameVersion = "Vexmoor 1.0";
    h.dateUnixSeconds = 1714567890;
    h.arena.kind = TArenaKind::Custom;
    h.arena.builtInId = 2;
    h.arena.mazeSeed = 0xDEADBEEF;
    h.arena.customText = std::string("#####\n#1 2#\n#####\n") + std::string(3000, 'x');
    h.variations = {TShellKind::Bouncing, 5, 20, 300, true, true, TRespawnRule::Safe};
    const TTankSetup kinds[] = {{TDriverKind::Keys, 1, 0, 0},
                                {TDriverKind::Computer, 2, 1, 77},
                                {TDriverKind::Pad, 1, 1, 0},
                                {TDriverKind::Network, 3, 0, 0}};
    h.tanks.assign(kinds, kinds + tanks);
    h.colorScheme = 12;
    h.targetFps = 62.5f;
    h.gameSeed = 123456789;
    h.extraSeeds = {1, 0xFFFFFFFF, 42};
    return h;
}

// A match with human-like holds: each tank keeps a command for a few to a few dozen frames;
// the frame steps wobble around 16-17 ms with stalls, a pause, and the clock wrapping.
inline std::vector<TScriptFrame> VariedScript(size_t frames, unsigned seed, uint32_t startMs = 0xFFFFF000u)
{
    std::mt19937 dice(seed);
    std::vector<TScriptFrame> script;
    uint32_t now = startMs;
    std::array<TDriveCommand, kMaxTanks> held{};
    std::array<int, kMaxTanks> holdLeft{};
    for (size_t f = 0; f < frames; ++f) {
        const int roll = static_cast<int>(dice() % 100);
        now += roll < 80 ? 16 + (f % 3 != 0) : roll < 90 ? static_cast<uint32_t>(dice() % 40)
                                                         : roll < 98 ? 200 + dice() % 50 : 70000 + dice() % 9;
        for (size_t t = 0; t < kMaxTanks; ++t) {
            if (holdLeft[t]-- > 0) continue;
            holdLeft[t] = static_cast<int>(dice() % 40);
            const uint32_t bits = dice();
            held[t] = {(bits & 1) != 0, static_cast<int>(bits % 3) - 1, (bits & 8) != 0, (bits & 16) != 0};
        }
        std::vector<TMatchKey> keys;
        if (dice() % 25 == 0)
            for (uint32_t k = dice() % 9; k > 0; --k) keys.push_back(static_cast<TMatchKey>(dice() % kMatchKeyCount));
        script.push_back({now, held, keys});
    }
    return script;
}

inline void Play(TReplayWriter& writer, const std::vector<TScriptFrame>& script)
{
    for (const TScriptFrame& frame : script) {
        for (TMatchKey key : frame.keys) writer.AddKey(key);
        writer.AddFrame(frame.timeMs, frame.commands);
    }
}

inline std::vector<uint8_t> Record(const TReplayHeader& header, const std::vector<TScriptFrame>& script,
                                   const TReplayResult& result)
{
    TReplayWriter writer(header);
    Play(writer, script);
    writer.Finish(result);
    return writer.Bytes();
}

}  // namespace replay_test
