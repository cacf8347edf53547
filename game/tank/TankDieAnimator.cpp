#include "game/tank/TankDieAnimator.h"

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameResource.h"
#include "framework/GameState.h"
#include "game/tank/Tank.h"
#include "game/world/ArenaWorld.h"
#include "sound/Sound.h"

TankDieAnimator::TankDieAnimator()
{
    if (auto state = TGame::GetCurrentGameState()) {
        if (auto resource = state->GetGameResourceAs<TSoundResource>("die_sound")) die = resource->GetResource();
    }
    die_channel = PlayDieSound(die);
}

std::shared_ptr<TChannel> TankDieAnimator::PlayDieSound(const std::shared_ptr<TSound>& die)
{
    if (!die) return nullptr;
    std::shared_ptr<TChannel> channel = die->Cue(nullptr);
    if (channel) {
        channel->SetVolume(0.5f);
        die->Play(channel);
    }
    return channel;
}

int TankDieAnimator::OnAnimate(TGameObject* obj, int timeMs)
{
    auto* tank = dynamic_cast<TTank*>(obj);
    if (!tank || !tank->_node) return 0;
    if (start == 0) start = timeMs;
    tank->Turn(0.0f, speed, 0.0f);
    const float f = TGame::Framerate->speedfactor;
    tank->SetPosition(tank->GetPosition() + hit_from * (hit_speed * f));
    if (timeMs - start > lifeSpan) {
        auto state = tank->GetState();
        tank->QueueGameObjectAnimatorForDeletion(obj_key);
        if (auto* arena = TArenaWorld::Of(state.get())) {
            // A paused game keeps the tanks stopped until it resumes.
            arena->SetTanksDisabled(TGame::Framerate->IsPaused() ? 1 : 0);
            arena->QueueTankForRespawn(tank->obj_key);
        }
    }
    lastPosition = tank->GetPosition();
    return 0;
}
