#include "game/tank/TankMinimumDistanceAnimator.h"

#include <algorithm>

#include "framework/objects/NodeGameObject.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"

std::shared_ptr<TankMinimumDistanceAnimator> TankMinimumDistanceAnimator::Create(const std::string& fromKey)
{
    auto animator = std::make_shared<TankMinimumDistanceAnimator>();
    animator->from_key = fromKey;
    return animator;
}

std::shared_ptr<TankMinimumDistanceAnimator> TankMinimumDistanceAnimator::Create(const std::vector<std::string>& fromKeys)
{
    auto animator = Create(fromKeys.empty() ? std::string() : fromKeys.front());
    if (fromKeys.size() > 1) animator->also_from.assign(fromKeys.begin() + 1, fromKeys.end());
    return animator;
}

int TankMinimumDistanceAnimator::OnAnimate(TGameObject* obj, int)
{
    auto state = GetState();
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!state || !tank || !tank->_node) return 0;
    auto other = state->GetGameObjectAs<TTank>(from_key, other_);
    if (!other || !other->_node) return 0;
    float d = tank->GetDistanceFrom(other->GetGlobalPosition());
    others_.resize(also_from.size());
    for (size_t i = 0; i < also_from.size(); ++i) {
        auto more = state->GetGameObjectAs<TTank>(also_from[i], others_[i]);
        if (more && more->_node) d = std::min(d, tank->GetDistanceFrom(more->GetGlobalPosition()));
    }
    if (d > distance) {
        lastPosition = tank->GetPosition();
    } else if (lastPosition) {
        tank->SetPosition(*lastPosition);
    }
    // Too close before any far-enough position was seen: nothing to go back to, stay put.
    return 0;
}
