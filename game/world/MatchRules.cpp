#include "game/world/MatchRules.h"

#include <algorithm>

void TMatchRules::Start(const TMatchOptions& options, uint32_t nowMs)
{
    scoreTo = std::max(1, options.scoreTo);
    timeLimitMs = std::max(0, options.timeLimitSeconds) * 1000;
    elapsedMs = 0;
    lastMs = nowMs;
    suddenDeath = false;
}

int TMatchRules::Update(int points1, int points2, bool tanksFree, bool paused, uint32_t nowMs)
{
    // The clock wraps as a 32-bit value; the difference does not.
    if (!paused) elapsedMs += static_cast<int>(nowMs - lastMs);
    lastMs = nowMs;
    // A limit counts once the death that reached it has played out.
    if (!tanksFree) return 0;
    if (points1 >= scoreTo) return 1;
    if (points2 >= scoreTo) return 2;
    if (Timed() && elapsedMs >= timeLimitMs) {
        if (points1 != points2) return points1 > points2 ? 1 : 2;
        suddenDeath = true;  // the next hit decides
    }
    return 0;
}

int TMatchRules::SecondsLeft() const
{
    const int left = std::max(0, timeLimitMs - elapsedMs);
    return (left + 999) / 1000;
}
