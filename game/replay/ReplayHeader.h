// The set-up of a recorded match, written at the start of its replay file: everything the
// match needs to be played again the same way (arena, variations, tanks, scheme, seeds).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/replay/ReplayFormat.h"

namespace replay {

enum class TArenaKind : uint8_t {
    BuiltIn = 0,  // one of the game's arenas, by id
    Custom = 1,   // an arena described by the text stored with it
    Maze = 2,     // a maze made from the stored seed
};

struct TArenaSetup {
    TArenaKind kind = TArenaKind::BuiltIn;
    uint8_t builtInId = 0;   // 0 open field, 1 maze, 2 forts (a random choice is stored as the one played)
    uint32_t mazeSeed = 0;
    std::string customText;  // at most kMaxCustomArenaBytes
};

enum class TShellKind : uint8_t { Straight = 0, Bouncing = 1 };
enum class TRespawnRule : uint8_t { Anywhere = 0, Safe = 1 };

struct TVariations {
    TShellKind shells = TShellKind::Straight;
    uint8_t bounces = 1;
    uint16_t scoreTo = 10;
    uint16_t timeLimitSeconds = 0;  // 0: none
    bool guided = false;            // at the start; F7 in the key list toggles it
    bool invisible = false;         // at the start; F8 toggles it
    TRespawnRule respawn = TRespawnRule::Anywhere;
};

enum class TDriverKind : uint8_t { Keys = 0, Pad = 1, Computer = 2, Network = 3 };

struct TTankSetup {
    TDriverKind driver = TDriverKind::Keys;
    // Keys: the key set's player slot; Pad: the pad's index; Computer: 0 easy, 1 normal,
    // 2 hard; Network: the peer's slot.
    uint8_t detail = 0;
    uint8_t model = 0;  // 0 boxy, 1 sleek
    uint32_t seed = 0;  // the computer player's dice (0 for other drivers)
};

enum class TSidesMode : uint8_t { FreeForAll = 0, Teams = 1 };

struct TReplayHeader {
    std::string gameVersion;  // at most kMaxTextBytes
    int64_t dateUnixSeconds = 0;
    TArenaSetup arena;
    TVariations variations;
    std::vector<TTankSetup> tanks;  // 1 to kMaxTanks
    uint8_t colorScheme = 0;        // the palette's index at the start
    float targetFps = 60.0f;        // the speed at the start; plus and minus change it
    uint32_t gameSeed = 0;          // the game's own random numbers
    std::vector<uint32_t> extraSeeds;  // at most kMaxExtraSeeds, in the order the game draws them
    // Who played and how the tanks fight: each tank's player slot (0 is player 1),
    // ascending; empty for slots 0, 1, ... in tank order. Every one for itself, or players 1
    // and 3 against 2 and 4, with or without hits on team mates. A match of the first slots
    // in FREE FOR ALL without friendly fire writes none of this: its header is as it always was.
    std::vector<uint8_t> slots;
    TSidesMode mode = TSidesMode::FreeForAll;
    bool friendlyFire = false;

    // The slot of tank `tank`.
    int SlotOfTank(size_t tank) const { return tank < slots.size() ? slots[tank] : static_cast<int>(tank); }

    bool operator==(const TReplayHeader& other) const;
};

// The header's bytes: magic, format version, body length, body, body checksum.
std::vector<uint8_t> EncodeHeader(const TReplayHeader& header);

// Reads a header from the start of `data`; on success sets `used` to its length in bytes.
// Returns an empty string, or the reason the bytes are not a header of this format.
std::string DecodeHeader(const uint8_t* data, size_t size, TReplayHeader& header, size_t& used);

}  // namespace replay
