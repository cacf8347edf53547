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
    return Update(std::vector<int>{points1, points2}, tanksFree, paused, nowMs);
}

int TMatchRules::Update(const std::vector<int>& points, bool tanksFree, bool paused, uint32_t nowMs)
{
    // The clock wraps as a 32-bit value; the difference does not.
    if (!paused) elapsedMs += static_cast<int>(nowMs - lastMs);
    lastMs = nowMs;
    // A limit counts once the death that reached it has played out.
    if (!tanksFree) return 0;
    for (size_t side = 0; side < points.size(); ++side)
        if (points[side] >= scoreTo) return static_cast<int>(side) + 1;
    if (Timed() && elapsedMs >= timeLimitMs && !points.empty()) {
        const auto top = std::max_element(points.begin(), points.end());
        if (std::count(points.begin(), points.end(), *top) == 1) return static_cast<int>(top - points.begin()) + 1;
        suddenDeath = true;  // the next hit decides
    }
    return 0;
}

int TMatchRules::SecondsLeft() const
{
    const int left = std::max(0, timeLimitMs - elapsedMs);
    return (left + 999) / 1000;
}
