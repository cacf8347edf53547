#include "framework/objects/PositionCameraAnimator.h"

void PositionCameraAnimator::animateNode(irr::scene::ISceneNode* node, irr::u32)
{
    // Only a camera has a target to set.
    if (!node || node->getType() != irr::scene::ESNT_CAMERA) return;
    PositionCamera(static_cast<irr::scene::ICameraSceneNode*>(node));
}

irr::scene::ISceneNodeAnimator* PositionCameraAnimator::createClone(irr::scene::ISceneNode*,
                                                                    irr::scene::ISceneManager*)
{
    return new PositionCameraAnimator();
}

PositionCameraAnimator* AddPositionCameraAnimator(irr::scene::ISceneNode* node)
{
    if (!node) return nullptr;
    auto* animator = new PositionCameraAnimator();
    node->addAnimator(animator);
    animator->drop();  // the node holds it now
    return animator;
}

void PositionCamera(irr::scene::ICameraSceneNode* camera)
{
    if (!camera) return;
    irr::core::matrix4 rotation;
    rotation.setRotationDegrees(camera->getRotation());
    irr::core::vector3df up(0.0f, 1.0f, 0.0f);
    rotation.transformVect(up);
    camera->setUpVector(up);

    irr::core::vector3df target(0.0f, 0.0f, 1000.0f);
    camera->getAbsoluteTransformation().transformVect(target);
    camera->setTarget(target);
}
