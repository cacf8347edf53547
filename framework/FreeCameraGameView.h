// A view whose first camera takes user input (a fly camera) only while the view is current.
#pragma once

#include "framework/GameView.h"

class TFreeCameraGameView : public TGameView {
    VEXMOOR_CLASS(TFreeCameraGameView, TGameView)

public:
    int AddCamera(irr::scene::ICameraSceneNode* camera,
                  std::optional<irr::core::recti> viewport = std::nullopt) override;
    // Sub-views are not told: only the first camera's input is switched.
    int OnSetGameView(TGameView* previous) override;
    int OnLeaveGameView(TGameView* next) override;
};
