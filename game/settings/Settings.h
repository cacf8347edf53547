// The player's settings as plain values: video, frame pacing, sound, keys, the match
// set-up and each player slot's record. Every default is the game's original behaviour.
// Reading and writing the settings file is the job of SettingsStore; screens and the
// arena read and change these values, nothing else touches the file.
#pragma once

#include <array>
#include <string>

// Engine key codes of one player's four actions.
struct TKeyBindings {
    int forward = 0;
    int left = 0;
    int right = 0;
    int fire = 0;
};

// Who drives a tank slot. The set-up screen's STATUS column cycles through these.
enum class TPlayerStatus {
    Human,           // the keyboard, with the slot's key bindings
    ComputerEasy,
    ComputerNormal,
    ComputerHard,
    Gamepad1,        // the first connected pad
    Gamepad2,        // the second connected pad
    Gamepad3,
    Gamepad4,
    Off,             // no tank in this slot (players 3 and 4 start so)
    Network,         // a network joiner drives this slot (a host's set-up only)
};

// How many tank slots a match has; a slot whose status is Off plays no tank.
constexpr int kMaxPlayers = 4;

// The tank model a player drives.
enum class TTankModel { Boxy, Sleek };

struct TPlayerSetup {
    TTankModel tank = TTankModel::Boxy;
    TPlayerStatus status = TPlayerStatus::Human;
    TKeyBindings keys;
    int wins = 0;    // matches this slot won on this machine
    int losses = 0;  // matches this slot lost on this machine
};

// arena_base, arena1, arena2, one of the three; a new maze from a seed; an arena file by name.
enum class TArenaChoice { OpenField, Maze, Forts, Random, RandomMaze, Custom };
enum class TShellKind { Straight, Bouncing };
enum class TRespawnRule { Anywhere, Safe };
// FREE FOR ALL: each tank scores its own hits. TEAMS: players 1 and 3 against 2 and 4.
enum class TMatchMode { FreeForAll, Teams };

// The match variations of the set-up screen's OPTIONS column.
struct TMatchOptions {
    TArenaChoice arena = TArenaChoice::Forts;
    TShellKind shells = TShellKind::Straight;
    int bounces = 1;          // 1, 2, 3 or 5: walls a bouncing shell survives
    int scoreTo = 10;         // 5, 10 or 20: hits that end the match
    int timeLimitSeconds = 0; // 0 (none), 136 or 300
    bool guided = false;      // guided shells at the start (F7 still toggles)
    bool invisible = false;   // invisible tanks at the start (F8 still toggles)
    TRespawnRule respawn = TRespawnRule::Anywhere;
    std::string customArena;  // the name of the arena file played when arena is Custom
    int mazeSeed = 0;         // the seed of every RANDOM MAZE; 0 draws a new one each match
    TMatchMode mode = TMatchMode::FreeForAll;
    bool friendlyFire = false;  // in TEAMS, whether a team mate's shell hits
};

// Frame pacing: kUncapped runs the loop as fast as it goes, kVsync waits for the
// display, any other value is a cap in frames per second (60, 120 or 144).
constexpr int kFrameRateUncapped = 0;
constexpr int kFrameRateVsync = -1;
// The frame-rate choices in the order the options screen steps through them.
constexpr int kFrameRates[] = {kFrameRateUncapped, kFrameRateVsync, 60, 120, 144};

// The window sizes (and full-screen modes) a player can choose.
struct TWindowSize {
    int width;
    int height;
};
constexpr TWindowSize kWindowSizes[] = {{800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}};

struct TSettings {
    TSettings();

    bool fullscreen = true;
    int windowWidth = 800;
    int windowHeight = 600;
    int frameRate = kFrameRateUncapped;
    int volume = 100;  // master volume, 0 to 100 in steps of 10

    // Slot 0 is player 1 (the boxy tank, X Z C Tab), slot 1 player 2 (the sleek tank,
    // Up Left Right Return); slots 2 and 3 (players 3 and 4: I J L Space, and the keypad's
    // 8 4 6 0) start Off, so a default match is the duel.
    std::array<TPlayerSetup, kMaxPlayers> players;
    TMatchOptions match;

    // The default keys of a player slot (0 to 3).
    static TKeyBindings DefaultKeys(int slot);

    // The slots that play a tank (status not Off), and whether slot `slot` does.
    int PlayingCount() const;
    bool IsPlaying(int slot) const;
};
