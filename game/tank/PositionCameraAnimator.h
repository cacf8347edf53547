// "cam_anim": keeps the tank's camera (child 1 of its node) looking the way the tank looks.
#pragma once

#include <irrlicht.h>

#include "framework/objects/GameObject.h"

class TPositionCameraAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TPositionCameraAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;
};
