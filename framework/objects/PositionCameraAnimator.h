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

private:
    // What the last aim started from and set. A camera that has them all, exactly, is
    // aimed already: aiming it again would set the same target and up vector.
    struct Aim {
        irr::core::vector3df rotation;
        irr::core::matrix4 transformation;
        irr::core::vector3df target, up;
    };
    bool HasAim(irr::scene::ICameraSceneNode* camera) const;
    bool aimed_ = false;
    Aim last_;
};

// Attaches a new PositionCameraAnimator to node, which then owns it; null for a null node.
PositionCameraAnimator* AddPositionCameraAnimator(irr::scene::ISceneNode* node);

// Up vector from the camera's relative rotation, target 1000 units along its local +Z.
void PositionCamera(irr::scene::ICameraSceneNode* camera);
