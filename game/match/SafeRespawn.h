// The SAFE respawn rule: points out of every enemy's line of fire, and the grace time in
// which a respawned tank blinks, cannot be hit and cannot fire.
#pragma once

#include <irrlicht.h>

#include <string>
#include <vector>

#include "framework/objects/GameObject.h"

class TGameState;

// A gun that could fire at a respawning tank: where its tank stands and where it points
// (degrees about Y from +Z toward +X).
struct TGun {
    irr::core::vector3df position;
    float heading = 0.0f;
};
// The guns of the tanks whose shells would hit the tank under `key`: in a match those the
// world's ShellHits lets through (an enemy, a team mate with friendly fire on), elsewhere
// every other tank. As the tanks' nodes were last placed (their absolute positions).
std::vector<TGun> GunsAgainst(TGameState& arena, const std::string& key);

// True when a straight shell from every gun to `point` would meet one of the walls first.
bool OutOfLineOfFire(irr::scene::ITriangleSelector* walls, const irr::core::vector3df& point,
                     const std::vector<TGun>& guns);
// The same for the guns against `key` in the arena's walls.
bool OutOfLineOfFire(TGameState& arena, const irr::core::vector3df& point, const std::string& key);

// How far a point lies out of the aim of the guns: the smallest angle (degrees, 0 to 180)
// between a gun's heading and the ground line from that gun to the point, and the nearest
// gun's distance from it. Where no point is hidden, SAFE takes the one with the largest
// angle, then the largest distance.
struct TAimExposure {
    float angle = 180.0f;
    float distance = 0.0f;
};
TAimExposure AimExposure(const irr::core::vector3df& point, const std::vector<TGun>& guns);
// The same for the guns against `key`.
TAimExposure AimExposure(TGameState& arena, const irr::core::vector3df& point, const std::string& key);
// True when a lies farther out of aim than b: a wider angle (by more than a degree), else farther away.
bool FartherOutOfAim(const TAimExposure& a, const TAimExposure& b);

// "spawn_grace": for its life span the tank blinks; shells pass it and it cannot fire.
class TankSpawnGraceAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankSpawnGraceAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;

    int lifeSpan = 1500;
    int blink = 125;  // ms shown, then ms hidden
    int start = 0;
};
