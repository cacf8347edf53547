// Two cameras one above the other, each on half of the screen. While the view is current
// the cameras get the half screen's aspect ratio, a narrower field of view and a small
// shift; leaving the view gives back the full-screen settings and the old positions.
#pragma once

#include <map>
#include <memory>

#include "framework/GameView.h"

class TSplitView : public TGameView {
    VEXMOOR_CLASS(TSplitView, TGameView)

public:
    // top on the upper half of the game's screen, bottom on the lower half.
    static std::shared_ptr<TSplitView> Create(irr::scene::ICameraSceneNode* top,
                                              irr::scene::ICameraSceneNode* bottom);

    // Sub-views are not told of either.
    int OnSetGameView(TGameView* previous) override;
    int OnLeaveGameView(TGameView* next) override;

    // Each camera's parent-relative position from when the view became current.
    std::map<irr::scene::ICameraSceneNode*, irr::core::vector3df> camPos;
};
