#include "game/world/Player.h"

#include "framework/GameState.h"
#include "game/tank/Tank.h"
#include "game/control/TankController.h"

std::shared_ptr<TPlayer> TPlayer::Create(const std::string& tankKey, const std::string& controllerKey)
{
    auto player = std::make_shared<TPlayer>();
    player->SetTank(tankKey);
    player->SetController(controllerKey);
    return player;
}

int TPlayer::SetController(const std::string& key)
{
    controller = key;
    return 0;
}

int TPlayer::SetTank(const std::string& key)
{
    tank = key;
    return 0;
}

std::shared_ptr<TTankController> TPlayer::GetController()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTankController>(controller) : nullptr;
}

std::shared_ptr<TTank> TPlayer::GetTank()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTank>(tank) : nullptr;
}
