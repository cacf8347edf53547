// The wire format of network play: every message two machines exchange, field by field.
// This header is the whole protocol; WireCodec turns these values into bytes and back.
//
// Byte order and sizes
//   Integers are unsigned and big-endian (network order): u8, u16, u32.
//   f32 is an IEEE 754 single, its 32 bits sent as a u32. NaN and infinities are refused.
//   A packet is one message: a u8 type, then the fields below in the order given, nothing
//   after them. No packet is longer than kMaxPacketBytes. A packet that is empty, short,
//   too long, of an unknown type, has bytes left over, or carries a value outside the range
//   given here is dropped and counted; nothing in it is used.
//
// Channels (ENet): kChannelUnreliable carries Input, Snapshot and Ping, sequenced and
// unreliable (a late one is dropped by ENet, a lost one is replaced by the next);
// kChannelReliable carries Hello, Welcome, Refuse, Event, Recording, Results, Rematch and
// NextMatch, reliable and in order.
//
// Nothing the peer sends names a file, a key binding or a setting of the receiving
// machine: only match state, as numbers in the ranges below.
//
// Messages (type code, direction, fields)
//   1 Hello    joiner -> host   u32 magic, u16 version
//   2 Welcome  host -> joiner   u32 magic, u16 version, u8 slot (1..3: the player the joiner
//                               plays, one of the set-up's playing slots), then the host's match
//                               set-up:
//                               u8 arena (0 open field, 1 maze, 2 forts, 3 random maze,
//                                 4 arena grid),
//                               u8 shells (0 straight, 1 bouncing), u8 bounces (1..9),
//                               u8 scoreTo (1..99), u16 timeLimitSeconds (0..3600),
//                               u8 guided (0/1), u8 invisible (0/1), u8 respawn (0 anywhere, 1 safe),
//                               u8 playing (bit n: player n+1 plays a tank; bits 0 and 1 always,
//                                 no bit above 3), u8 mode (0 free for all, 1 teams),
//                               u8 friendlyFire (0/1),
//                               u8 tank model of players 1 to 4 (0 boxy, 1 sleek),
//                               then for a random maze: u32 seed, u8 generator version (1..255),
//                                 u8 rooms across, u8 rooms down (each 2..kMaxMazeRooms);
//                               for an arena grid: u8 name length (1..kMaxArenaName), the name's
//                                 bytes (32..126), f32 cell size, f32 wall height (each 0..10),
//                                 u8 columns, u8 rows (each 3..kMaxArenaSide),
//                                 u8 respawn count (2..kMaxRespawns), each u8 column, u8 row
//                                 (inside the grid), then the cells row by row, four to a byte
//                                 from its high bits, 2 bits each (0 floor, 1 wall, 2 low block;
//                                 3 and the last byte's unused bits, which are 0, are refused).
//                                 A 64 x 64 grid takes 1,024 bytes: the Welcome stays one packet.
//                               The joiner checks the arena as it checks an arena file.
//   3 Refuse   host -> joiner   u8 reason (1 version, 2 full, 3 bad hello), u16 host's version
//   4 Input    joiner -> host   u8 count (1..kInputsPerPacket), then count times, newest first:
//                               u32 sequence, u8 buttons (bits kButton*, other bits 0)
//   5 Snapshot host -> joiner   u32 sequence, u32 hostTimeMs, u32 lastInputApplied (of the
//                                 joiner it is sent to), u8 flags (bits kMatch*, other bits 0),
//                               u8 winner (0..4: the winning side once the finale plays, as
//                                 the match end event gives it, else 0),
//                               u8 scheme (0..kSchemes-1), u16 finaleMs (0..60000),
//                               u32 clockMsLeft (0..3600000: what the clock of a timed match
//                                 has left, 0 without a time limit),
//                               u8 tank count (2..kMaxTanks), then each, in rising slot order:
//                                 u8 slot (0..3: player 1 to 4),
//                                 f32 x, f32 y, f32 z (each within +-kMaxCoordinate),
//                                 u16 rotationY (the heading on the ground, degrees about Y
//                                   from +Z toward +X, in 65,536ths of a turn),
//                                 i8 speed (-127..127: -1..1), i8 turnSpeed (-90..90 degrees
//                                   a frame, whole), both as two's complement bytes,
//                                 u8 flags (bits kTank*, other bits 0), u16 deathMs (0..60000),
//                                 u8 score (0..kMaxScore: the hits the tank took),
//                                 u8 hits (0..kMaxScore: the hits its shells made on enemies)
//                               u8 shell count (0..kMaxShells), then each:
//                                 u8 owner (the slot of one of the tanks above),
//                                 f32 x, f32 y, f32 z, u16 rotationY (as for tanks)
//   6 Event    host -> joiner   u8 kind (1 hit, 2 death, 3 score, 4 match end),
//                               u8 player (0..3: the shooter of a hit, the dead tank's player,
//                               the scoring player; for a match end the winning side as the
//                               match counts them, 1..4 a player or 1..2 a team, 0 none),
//                               then of players 1 to 4: u8 score (hits taken), u8 hits (made),
//                               each 0..kMaxScore
//   7 Ping     either way       u32 senderTimeMs (keeps a quiet connection alive)
//   8 Recording host -> joiner  u8 last (1 for the last part of a piece, else 0),
//                               u16 length (1..kMaxRecordingPart), that many bytes: the
//                               host's replay file of the match as it is written, piece by
//                               piece (its header, each block of frames, its end), in parts
//                               that fit a packet. The joiner keeps it as its own replay, so
//                               that both replays play the host's match (the joiner cannot
//                               re-run it from the snapshots). It is data for the joiner's
//                               replay reader, which checks every byte; nothing else reads it.
//   (9 is not used.)
//   10 Results  host -> joiner  u8 winner (0 a draw, else the winning side as the match
//                                 counts them: 1..4 a player, 1..2 a team in teams),
//                               u8 mode (0 free for all, 1 teams), u8 playing (as in the
//                                 set-up), u32 elapsedMs (0..kMaxMatchMs: how long the match ran),
//                               then players 1 to 4's figures, each
//                                 u16 shots, u16 hits (0..shots: hits on enemies' tanks).
//                               Sent once, as the host's match is decided: the joiner's
//                               results show the host's figures, not its own.
//   11 Rematch  either way      no fields: this side chose REMATCH on its results (from the
//                               host: player 1 did). A side that chooses anything else closes
//                               the connection instead. The host begins the next match once it
//                               and every joiner chose.
//   12 NextMatch host -> joiner the match set-up, as a Welcome carries it after its version:
//                               both sides chose REMATCH and the host's new match begins
//                               (a RANDOM arena drawn anew). The joiner plays it at once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace Wire {

constexpr uint32_t kMagic = 0x56584D52;  // "VXMR"
constexpr uint16_t kProtocolVersion = 6;
constexpr uint16_t kDefaultPort = 47400;
constexpr size_t kMaxPacketBytes = 1200;

constexpr uint8_t kChannelUnreliable = 0;
constexpr uint8_t kChannelReliable = 1;
constexpr uint8_t kChannelCount = 2;

enum class Type : uint8_t {
    Hello = 1,
    Welcome = 2,
    Refuse = 3,
    Input = 4,
    Snapshot = 5,
    Event = 6,
    Ping = 7,
    Recording = 8,
    Results = 10,
    Rematch = 11,
    NextMatch = 12
};

// Input buttons.
constexpr uint8_t kButtonForward = 1, kButtonLeft = 2, kButtonRight = 4, kButtonFire = 8;
constexpr uint8_t kButtonsAll = 15;
constexpr size_t kInputsPerPacket = 4;  // the newest state and the three before it

// Snapshot match flags.
constexpr uint8_t kMatchPaused = 1, kMatchGuided = 2, kMatchInvisible = 4, kMatchFinale = 8, kMatchSuddenDeath = 16;
constexpr uint8_t kMatchAll = 31;
constexpr uint32_t kMaxClockMs = 3600000;
// Snapshot tank flags.
constexpr uint8_t kTankVisible = 1, kTankDisabled = 2, kTankDying = 4, kTankStarting = 8, kTankStopping = 16;
constexpr uint8_t kTankAll = 31;

constexpr int kSchemes = 13;
constexpr int kMaxTanks = 4;  // players 1 to 4
constexpr int kMaxScore = 99;
constexpr int kMaxShells = 8;
constexpr float kMaxCoordinate = 10000.0f;

struct Hello {
    uint32_t magic = kMagic;
    uint16_t version = kProtocolVersion;
};

// Welcome arenas.
constexpr uint8_t kArenaRandomMaze = 3, kArenaGrid = 4;
constexpr int kMaxMazeRooms = 15;
constexpr int kMaxArenaName = 24, kMaxArenaSide = 64, kMaxRespawns = 6;
constexpr float kMaxArenaLength = 10.0f;

struct MazeSetup {
    uint32_t seed = 0;
    uint8_t version = 1;
    uint8_t roomsAcross = 8, roomsDown = 6;
};

struct CellPlace {
    uint8_t column = 0, row = 0;
};

struct ArenaGrid {
    std::string name;
    float cellSize = 1.25f, wallHeight = 1.2f;
    uint8_t columns = 3, rows = 3;
    std::vector<CellPlace> respawns;  // point 1 first
    std::vector<uint8_t> cells;       // columns x rows, row by row: 0 floor, 1 wall, 2 low block
};

struct MatchSetup {
    uint8_t arena = 2;
    uint8_t shells = 0;
    uint8_t bounces = 1;
    uint8_t scoreTo = 10;
    uint16_t timeLimitSeconds = 0;
    uint8_t guided = 0;
    uint8_t invisible = 0;
    uint8_t respawn = 0;
    uint8_t playing = 3;  // bit n: player n+1 plays
    uint8_t mode = 0;
    uint8_t friendlyFire = 0;
    std::array<uint8_t, kMaxTanks> tankModels{0, 1, 0, 1};
    MazeSetup maze;  // for kArenaRandomMaze
    ArenaGrid grid;  // for kArenaGrid
};

struct Welcome {
    uint32_t magic = kMagic;
    uint16_t version = kProtocolVersion;
    uint8_t slot = 1;  // the joiner's player: 1 is player 2
    MatchSetup setup;
};

enum class RefuseReason : uint8_t { Version = 1, Full = 2, BadHello = 3 };

struct Refuse {
    RefuseReason reason = RefuseReason::Full;
    uint16_t hostVersion = kProtocolVersion;
};

struct InputState {
    uint32_t sequence = 0;
    uint8_t buttons = 0;
};

struct Input {
    std::vector<InputState> states;  // newest first, 1..kInputsPerPacket
};

struct TankState {
    uint8_t slot = 0;
    float x = 0, y = 0, z = 0;
    float rotationY = 0;
    float speed = 0;
    float turnSpeed = 0;
    uint8_t flags = kTankVisible;
    uint16_t deathMs = 0;
    uint8_t score = 0;  // hits taken
    uint8_t hits = 0;   // hits made on enemies
};

struct ShellState {
    uint8_t owner = 0;
    float x = 0, y = 0, z = 0;
    float rotationY = 0;
};

struct Snapshot {
    uint32_t sequence = 0;
    uint32_t hostTimeMs = 0;
    uint32_t lastInputApplied = 0;
    uint8_t flags = 0;
    uint8_t winner = 0;
    uint8_t scheme = 0;
    uint16_t finaleMs = 0;
    uint32_t clockMsLeft = 0;
    std::vector<TankState> tanks;    // 2..kMaxTanks, in rising slot order
    std::vector<ShellState> shells;  // 0..kMaxShells
};

enum class EventKind : uint8_t { Hit = 1, Death = 2, Score = 3, MatchEnd = 4 };

struct Event {
    EventKind kind = EventKind::Hit;
    uint8_t player = 0;
    std::array<uint8_t, kMaxTanks> scores{};  // hits taken, player 1 first
    std::array<uint8_t, kMaxTanks> hits{};    // hits made
};

struct Ping {
    uint32_t senderTimeMs = 0;
};

constexpr size_t kMaxRecordingPart = 1024;

struct Recording {
    uint8_t last = 1;
    std::vector<uint8_t> bytes;  // 1..kMaxRecordingPart
};

constexpr uint32_t kMaxMatchMs = 86400000;  // a day

struct Results {
    uint8_t winner = 0;
    uint8_t mode = 0;
    uint8_t playing = 3;
    uint32_t elapsedMs = 0;
    std::array<uint16_t, kMaxTanks> shots{};  // player 1 first
    std::array<uint16_t, kMaxTanks> hits{};
};

struct Rematch {};

struct NextMatch {
    MatchSetup setup;
};

using Message =
    std::variant<Hello, Welcome, Refuse, Input, Snapshot, Event, Ping, Recording, Results, Rematch, NextMatch>;

}  // namespace Wire
