// "min_dist_anim": puts the tank back where it last stood farther than `distance` from the
// other tanks, so none can drive into another.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/ObjectLookup.h"
#include "framework/objects/GameObject.h"

class TTank;

class TankMinimumDistanceAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankMinimumDistanceAnimator, TGameObjectAnimator)

public:
    static std::shared_ptr<TankMinimumDistanceAnimator> Create(const std::string& fromKey);
    // Kept from every tank of `fromKeys` (the first is from_key).
    static std::shared_ptr<TankMinimumDistanceAnimator> Create(const std::vector<std::string>& fromKeys);
    int OnAnimate(TGameObject* obj, int timeMs) override;

    float distance = 1.25f;
    std::string from_key;
    std::vector<std::string> also_from;  // the tanks after the first, in a match of three or four
    std::optional<irr::core::vector3df> lastPosition;

private:
    TObjectLookup<TTank> other_;
    std::vector<TObjectLookup<TTank>> others_;
};
