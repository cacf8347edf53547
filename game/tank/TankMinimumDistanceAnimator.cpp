#include "game/tank/TankMinimumDistanceAnimator.h"

#include "framework/objects/NodeGameObject.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TankMinimumDistanceAnimator> TankMinimumDistanceAnimator::Create(const std::string& fromKey)
{
    auto animator = std::make_shared<TankMinimumDistanceAnimator>();
    animator->from_key = fromKey;
    return animator;
}

int TankMinimumDistanceAnimator::OnAnimate(TGameObject* obj, int)
{
    auto state = GetState();
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!state || !tank || !tank->_node) return 0;
    auto other = state->GetGameObjectAs<TTank>(from_key, other_);
    if (!other || !other->_node) return 0;
    const float d = tank->GetDistanceFrom(other->GetGlobalPosition());
    if (d > distance) {
        lastPosition = tank->GetPosition();
    } else if (lastPosition) {
        tank->SetPosition(*lastPosition);
    }
    // Too close before any far-enough position was seen: nothing to go back to, stay put.
    return 0;
}
