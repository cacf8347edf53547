// The figures of one match, for the results screen: each player's shots and hits, the
// winner and how long the match ran (its clock, which stops while paused).
#pragma once

#include <cstdint>

#include "game/settings/Settings.h"

struct TMatchStats {
    int shots[kMaxPlayers] = {0, 0, 0, 0};  // [0] player 1, [1] player 2, ...
    int hits[kMaxPlayers] = {0, 0, 0, 0};   // hits on enemy tanks
    bool playing[kMaxPlayers] = {true, true, false, false};  // the slots that had a tank
    TMatchMode mode = TMatchMode::FreeForAll;  // the mode played: TEAMS only with three tanks or more
    int winner = 0;  // the player (1 to 4), in TEAMS the team (1 or 2); 0 on a draw or before the end
    int elapsedMs = 0;
    bool network = false;  // played over the network: a rematch needs both sides

    // Hits per shot in whole percent; 0 without a shot.
    int AccuracyPercent(int player) const { return AccuracyPercent(hits[player - 1], shots[player - 1]); }
    static int AccuracyPercent(int hits, int shots) { return shots > 0 ? (hits * 100 + shots / 2) / shots : 0; }
};
