#include "game/tank/TankVisibleAnimator.h"

#include "game/tank/Tank.h"

int TankVisibleAnimator::OnAnimate(TGameObject* obj, int)
{
    auto* tank = dynamic_cast<TTank*>(obj);
    if (!tank) return 0;
    if (!tank->IsVisible()) tank->SetVisible(1);
    if (!tank->GetShell()) {
        tank->QueueGameObjectAnimatorForDeletion(obj_key);
        tank->SetVisible(0);
    }
    return 0;
}
