// The SAFE respawn rule: points out of the other tank's line of fire, and the grace time
// in which a respawned tank blinks, cannot be hit and cannot fire.
#pragma once

#include <irrlicht.h>

#include <string>

#include "framework/objects/GameObject.h"

class TGameState;

// True when a straight shell from any tank but `key` to `point` would meet a wall first.
bool OutOfLineOfFire(TGameState& arena, const irr::core::vector3df& point, const std::string& key);

// How far a point lies out of the aim of the tanks but `key`: the smallest angle (degrees,
// 0 to 180) between a gun's heading and the ground line from that tank to the point, and
// that tank's distance from it. Where no point is hidden, SAFE takes the one with the
// largest angle, then the largest distance.
struct TAimExposure {
    float angle = 180.0f;
    float distance = 0.0f;
};
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
