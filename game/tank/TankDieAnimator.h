// "die_anim": spins the hit tank and slides it along the shell's direction, plays the
// death sound, and after its life span asks the arena to respawn the tank.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>

#include "framework/objects/GameObject.h"

class TSound;
class TChannel;

class TankDieAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankDieAnimator, TGameObjectAnimator)

public:
    TankDieAnimator();
    int OnAnimate(TGameObject* obj, int timeMs) override;
    // Plays a death's sound on a channel of its own at the death's volume; null without one.
    static std::shared_ptr<TChannel> PlayDieSound(const std::shared_ptr<TSound>& die);

    float speed = 100.0f;
    int lifeSpan = 750;
    int start = 0;
    irr::core::vector3df hit_from;
    float hit_speed = 0.5f;
    std::optional<irr::core::vector3df> lastPosition;
    std::shared_ptr<TSound> die;
    std::shared_ptr<TChannel> die_channel;
};
