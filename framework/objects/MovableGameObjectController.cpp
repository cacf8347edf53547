#include "framework/objects/MovableGameObjectController.h"

#include "framework/GameState.h"

int TMovableGameObjectController::SetTarget(const std::string& key)
{
    target_key = key;
    return 0;
}

std::shared_ptr<TGameObject> TMovableGameObjectController::GetTarget()
{
    std::shared_ptr<TGameState> state = GetState();
    if (!state) return nullptr;
    return state->GetGameObjectAs<TGameObject>(target_key, target_);
}
