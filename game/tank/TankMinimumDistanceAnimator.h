// "min_dist_anim": puts the tank back where it last stood farther than `distance` from the
// other tank, so neither can drive into the other.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>

#include "framework/ObjectLookup.h"
#include "framework/objects/GameObject.h"

class TTank;

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
