// "vis_anim": shows an invisible tank from its shot until its shell is gone, then hides it
// again.
#pragma once

#include <irrlicht.h>

#include "framework/objects/GameObject.h"

class TankVisibleAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankVisibleAnimator, TGameObjectAnimator)

public:
    int OnAnimate(TGameObject* obj, int timeMs) override;
};
