// The values a replay file holds besides its header: the drive command of one tank in one
// frame, the match keys, one recorded frame and the match's result. docs/replays.md
// describes how they are laid out on disk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace replay {

constexpr char kMagic[4] = {'V', 'X', 'R', 'P'};
constexpr uint16_t kFormatVersion = 1;
constexpr size_t kMaxTanks = 4;

// The blocks that follow the header.
constexpr uint8_t kFrameBlockTag = 'F';
constexpr uint8_t kEndBlockTag = 'E';

// Limits a reader holds a file to, so that a damaged count never asks for much memory.
constexpr size_t kMaxFileBytes = 16u << 20;
constexpr size_t kMaxHeaderBytes = 96u << 10;
constexpr size_t kMaxCustomArenaBytes = 64u << 10;
constexpr size_t kMaxTextBytes = 255;
constexpr size_t kMaxExtraSeeds = 16;
constexpr size_t kMaxBlockFrames = 4096;
constexpr size_t kMaxBlockBytes = 64u << 10;
constexpr size_t kMaxFrames = 2u << 20;  // about nine and a half hours at 60 frames a second
constexpr size_t kMaxKeysPerFrame = 8;
constexpr size_t kMaxKeys = 1u << 20;

// What drives a tank for one frame, whoever fills it: keys, a pad, the computer or the network.
struct TDriveCommand {
    bool drive = false;
    int turn = 0;  // -1 left, 0 none, 1 right
    bool fire = false;
    bool reverse = false;  // drives backwards (or coasts) where the tank offers it

    bool operator==(const TDriveCommand& other) const
    {
        return drive == other.drive && turn == other.turn && fire == other.fire && reverse == other.reverse;
    }
    bool operator!=(const TDriveCommand& other) const { return !(*this == other); }
};

// The keys of a match that change it and so belong in its recording. Of the view keys (F1
// to F6) only this counts: whether the orthographic view is on, in which shells hit tanks
// by their boxes; the rest change only what is watched.
enum class TMatchKey : uint8_t {
    Guided = 0,       // F7
    Invisible = 1,    // F8
    Pause = 2,        // F9 (or a pad's Start, or a pad pulled out)
    Scheme = 3,       // F12
    Faster = 4,       // plus
    Slower = 5,       // minus
    FlatViewOn = 6,   // F3: the orthographic view
    FlatViewOff = 7,  // from it to another view
};
constexpr uint8_t kMatchKeyCount = 8;

// One frame of the match: the game clock's reading at the frame (milliseconds, wrapping as
// a 32-bit value) and each tank's command. The match keys handled in the frame are in the
// replay's key list, in the order they came.
struct TReplayFrame {
    uint32_t timeMs = 0;
    std::array<TDriveCommand, kMaxTanks> commands{};
};

// A match key handled in frame `frame` (an index into the frames), where the match reads
// its keys: after the objects' update.
struct TReplayKeyEvent {
    uint32_t frame = 0;
    TMatchKey key = TMatchKey::Pause;
};

// How the recording ended, written as the file's last block.
enum class TReplayEnding : uint8_t {
    ScoreReached = 0,
    TimeUp = 1,
    Abandoned = 2,  // the players left the match before its end
};

struct TReplayResult {
    TReplayEnding ending = TReplayEnding::Abandoned;
    std::array<uint16_t, kMaxTanks> scores{};  // each player's score as the match keeps it, in tank order
};

}  // namespace replay
