#include "framework/objects/PositionCameraAnimator.h"

namespace {

bool Same(const irr::core::vector3df& a, const irr::core::vector3df& b)
{
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;  // exactly, not within the engine's tolerance
}

}  // namespace

void PositionCameraAnimator::animateNode(irr::scene::ISceneNode* node, irr::u32)
{
    // Only a camera has a target to set.
    if (!node || node->getType() != irr::scene::ESNT_CAMERA) return;
    auto* camera = static_cast<irr::scene::ICameraSceneNode*>(node);
    // The fixed cameras stand still: most frames there is nothing to aim.
    if (HasAim(camera)) return;
    PositionCamera(camera);
    last_ = {camera->getRotation(), camera->getAbsoluteTransformation(), camera->getTarget(), camera->getUpVector()};
    aimed_ = true;
}

bool PositionCameraAnimator::HasAim(irr::scene::ICameraSceneNode* camera) const
{
    if (!aimed_ || !Same(camera->getRotation(), last_.rotation) || !Same(camera->getTarget(), last_.target) ||
        !Same(camera->getUpVector(), last_.up))
        return false;
    const irr::core::matrix4& now = camera->getAbsoluteTransformation();
    for (int i = 0; i < 16; ++i)
        if (now[i] != last_.transformation[i]) return false;
    return true;
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
