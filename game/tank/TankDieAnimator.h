// The per-tank animators: hold the height, keep the distance from the other tank, die
// with a spin and a slide, show an invisible tank while its shell flies, aim its camera.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>

#include "framework/ObjectLookup.h"
#include "framework/objects/GameObject.h"

class TSound;
class TChannel;
class TTank;

// "maintain_y": pins the tank to the height it had when the animator was attached.
class MaintainTankY : public TGameObjectAnimator {
    VEXMOOR_CLASS(MaintainTankY, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;

    float setY = 0.0f;
};

// "min_dist_anim": puts the tank back where it last stood farther than `distance` from the
// other tank, so neither can drive into the other.
class TankMinimumDistanceAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankMinimumDistanceAnimator, TGameObjectAnimator)

public:
    static std::shared_ptr<TankMinimumDistanceAnimator> Create(const std::string& fromKey);
    int OnAnimate(TGameObject* obj, int timeMs) override;

    float distance = 1.25f;
    std::string from_key;
    std::optional<irr::core::vector3df> lastPosition;

private:
    TObjectLookup<TTank> other_;
};

// "die_anim": spins the hit tank and slides it along the shell's direction, plays the
// death sound, and after its life span asks the arena to respawn the tank.
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

// "vis_anim": shows an invisible tank from its shot until its shell is gone, then hides it
// again.
class TankVisibleAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankVisibleAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;
};

// "cam_anim": keeps the tank's camera (child 1 of its node) looking the way the tank looks.
class TPositionCameraAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TPositionCameraAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;
};
