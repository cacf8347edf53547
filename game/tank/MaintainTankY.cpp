#include "game/tank/MaintainTankY.h"

#include "framework/objects/NodeGameObject.h"

int MaintainTankY::OnAnimate(TGameObject* obj, int)
{
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!tank || !tank->_node) return 0;
    const irr::core::vector3df p = tank->GetPosition();
    if (p.Y != setY) tank->SetPosition(irr::core::vector3df(p.X, setY, p.Z));
    return 0;
}
