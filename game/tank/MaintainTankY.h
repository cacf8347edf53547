// "maintain_y": pins the tank to the height it had when the animator was attached.
#pragma once

#include <irrlicht.h>

#include "framework/objects/GameObject.h"

class MaintainTankY : public TGameObjectAnimator {
    VEXMOOR_CLASS(MaintainTankY, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;

    float setY = 0.0f;
};
