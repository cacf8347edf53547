// When a match is decided: the score to reach, the clock of a time limit, and sudden
// death when the clock runs out on a tie.
#pragma once

#include <cstdint>

#include "game/settings/Settings.h"

class TMatchRules {
public:
    void Start(const TMatchOptions& options, uint32_t nowMs);
    // Runs the clock (stopped while paused) and returns the winner, 1 or 2, once the match
    // is decided, else 0. points1 and points2 are the hits each player has made; nothing is
    // decided while a death still plays (tanksFree false).
    int Update(int points1, int points2, bool tanksFree, bool paused, uint32_t nowMs);

    bool Timed() const { return timeLimitMs > 0; }
    // Whole seconds left on the clock, rounded up; 0 once it has run out.
    int SecondsLeft() const;
    bool SuddenDeath() const { return suddenDeath; }

    int scoreTo = 10;
    int timeLimitMs = 0;  // 0: no clock
    int elapsedMs = 0;
    uint32_t lastMs = 0;
    bool suddenDeath = false;
};
