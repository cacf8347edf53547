// One camera per tank on its part of the screen: two one above the other, each on half of
// the screen; three or four in quarters, in reading order. While the view is current each
// tank camera gets its part's aspect ratio, a narrower field of view and a small shift
// (its own for halves and for quarters); a part's camera that is no tank's (an overview)
// keeps its field of view and place and takes only its part's aspect ratio. Leaving the
// view gives back the full-screen settings, the old positions and an overview's own aspect.
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
    // Halves for one or two cameras, quarters for three or four; every part a tank camera.
    static std::shared_ptr<TSplitView> Create(const std::vector<irr::scene::ICameraSceneNode*>& parts);
    // The same, where only the cameras in tankCameras are tanks' (narrowed and shifted).
    static std::shared_ptr<TSplitView> Create(const std::vector<irr::scene::ICameraSceneNode*>& parts,
                                              const std::vector<irr::scene::ICameraSceneNode*>& tankCameras);

    // Sub-views are not told of either.
    int OnSetGameView(TGameView* previous) override;
    int OnLeaveGameView(TGameView* next) override;

    // Whether camera is narrowed and shifted while the view is current.
    bool IsTankCamera(irr::scene::ICameraSceneNode* camera) const;

    // Each camera's parent-relative position from when the view became current.
    std::map<irr::scene::ICameraSceneNode*, irr::core::vector3df> camPos;

private:
    std::vector<irr::scene::ICameraSceneNode*> tankCameras_;
    bool quarters_ = false;
    // An overview camera's aspect ratio from when the view became current.
    std::map<irr::scene::ICameraSceneNode*, float> ownAspect_;
};
