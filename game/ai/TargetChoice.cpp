#include "game/ai/TargetChoice.h"

#include <cmath>

#include "game/ai/Aim.h"

namespace ai {

int ChooseTarget(const irr::core::vector3df& self, const std::vector<TContact>& enemies, int current,
                 const std::function<bool(const irr::core::vector3df&, const irr::core::vector3df&)>& clearShot)
{
    const int count = static_cast<int>(enemies.size());
    if (count == 0) return -1;
    if (count == 1) return 0;
    // The kind of choice an enemy is: 0 a clear shot, 1 aiming at us, 2 neither.
    auto kind = [&](const TContact& enemy) {
        if (clearShot(self, enemy.position)) return 0;
        return std::fabs(AngleDifference(enemy.yaw, YawTo(enemy.position, self))) < kAimingAtDegrees ? 1 : 2;
    };
    auto distance = [&](const TContact& enemy) {
        return irr::core::vector3df(enemy.position.X - self.X, 0, enemy.position.Z - self.Z).getLength();
    };

    int best = -1, bestKind = 3;
    float bestDistance = 0.0f;
    std::vector<int> kinds(static_cast<size_t>(count), 3);
    for (int i = 0; i < count; ++i) {
        if (!enemies[i].seen) continue;
        kinds[i] = kind(enemies[i]);
        const float d = distance(enemies[i]);
        if (kinds[i] < bestKind || (kinds[i] == bestKind && d < bestDistance)) {
            best = i;
            bestKind = kinds[i];
            bestDistance = d;
        }
    }
    const bool haveCurrent = current >= 0 && current < count;
    if (best < 0) return haveCurrent ? current : 0;
    if (haveCurrent && enemies[current].seen && kinds[current] == bestKind &&
        distance(enemies[current]) < bestDistance + kSwitchDistance)
        return current;
    return best;
}

}  // namespace ai
