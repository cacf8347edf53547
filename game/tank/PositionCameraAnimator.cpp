#include "game/tank/PositionCameraAnimator.h"

#include "framework/objects/NodeGameObject.h"
#include "framework/objects/PositionCameraAnimator.h"
#include "game/world/SceneChildren.h"

int TPositionCameraAnimator::OnAnimate(TGameObject* obj, int)
{
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!tank) return 0;
    if (irr::scene::ISceneNode* camera = ChildAt(tank->_node, 1))
        PositionCamera(static_cast<irr::scene::ICameraSceneNode*>(camera));
    return 0;
}
