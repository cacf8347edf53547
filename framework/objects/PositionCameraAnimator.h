// Keeps a camera looking the way its node is turned: an engine animator and the two
// free functions that attach and apply it.
#pragma once

#include <irrlicht.h>

// Each frame, points the camera it animates along the camera's own rotation.
class PositionCameraAnimator : public irr::scene::ISceneNodeAnimator {
public:
    void animateNode(irr::scene::ISceneNode* node, irr::u32 timeMs) override;
    irr::scene::ISceneNodeAnimator* createClone(irr::scene::ISceneNode* node,
                                                irr::scene::ISceneManager* newManager = 0) override;
};

// Attaches a new PositionCameraAnimator to node, which then owns it; null for a null node.
PositionCameraAnimator* AddPositionCameraAnimator(irr::scene::ISceneNode* node);

// Up vector from the camera's relative rotation, target 1000 units along its local +Z.
void PositionCamera(irr::scene::ICameraSceneNode* camera);
