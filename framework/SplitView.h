// One camera per tank on its part of the screen: two one above the other, each on half of
// the screen; three or four in quarters, in reading order. While the view is current the
// cameras get their part's aspect ratio, a narrower field of view and a small shift;
// leaving the view gives back the full-screen settings and the old positions.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "framework/GameView.h"

class TSplitView : public TGameView {
    VEXMOOR_CLASS(TSplitView, TGameView)

public:
    // top on the upper half of the game's screen, bottom on the lower half.
    static std::shared_ptr<TSplitView> Create(irr::scene::ICameraSceneNode* top,
                                              irr::scene::ICameraSceneNode* bottom);
    // Halves for one or two cameras, quarters for three or four.
    static std::shared_ptr<TSplitView> Create(const std::vector<irr::scene::ICameraSceneNode*>& parts);

    // Sub-views are not told of either.
    int OnSetGameView(TGameView* previous) override;
    int OnLeaveGameView(TGameView* next) override;

    // Each camera's parent-relative position from when the view became current.
    std::map<irr::scene::ICameraSceneNode*, irr::core::vector3df> camPos;
};
