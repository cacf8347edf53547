// A view whose cameras get a fixed orthographic projection when they are added.
#pragma once

#include "framework/GameView.h"

class TOrthogonalGameView : public TGameView {
    VEXMOOR_CLASS(TOrthogonalGameView, TGameView)

public:
    // The view volume is read from the camera now: later aspect changes do not rebuild it.
    int AddCamera(irr::scene::ICameraSceneNode* camera,
                  std::optional<irr::core::recti> viewport = std::nullopt) override;
};
