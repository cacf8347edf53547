// When a match is decided: the score to reach, the clock of a time limit, and sudden
// death when the clock runs out on a tie.
#pragma once

#include <cstdint>
#include <vector>

#include "game/settings/Settings.h"

class TMatchRules {
public:
    void Start(const TMatchOptions& options, uint32_t nowMs);
    // Runs the clock (stopped while paused) and returns the winning side, 1 for points[0],
    // 2 for points[1] and so on, once the match is decided, else 0. points holds each side's
    // points (a player's or a team's); nothing is decided while a death still plays
    // (tanksFree false). When the clock runs out the leader wins; a tie at the top goes to
    // sudden death, where the next scoring hit decides.
    int Update(const std::vector<int>& points, bool tanksFree, bool paused, uint32_t nowMs);
    // The duel: the hits each of the two players has made.
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
