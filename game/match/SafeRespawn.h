// The SAFE respawn rule: points out of the other tank's line of fire, and the grace time
// in which a respawned tank blinks, cannot be hit and cannot fire.
#pragma once

#include <irrlicht.h>

#include <string>

#include "framework/objects/GameObject.h"

class TGameState;

// True when a straight shell from any tank but `key` to `point` would meet a wall first.
bool OutOfLineOfFire(TGameState& arena, const irr::core::vector3df& point, const std::string& key);

// "spawn_grace": for its life span the tank blinks; shells pass it and it cannot fire.
class TankSpawnGraceAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankSpawnGraceAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;

    int lifeSpan = 1500;
    int blink = 125;  // ms shown, then ms hidden
    int start = 0;
};
