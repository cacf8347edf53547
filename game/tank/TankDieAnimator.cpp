#include "game/tank/TankDieAnimator.h"

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameResource.h"
#include "framework/GameState.h"
#include "framework/objects/PositionCameraAnimator.h"
#include "game/match/ArenaScreen.h"
#include "game/world/SceneChildren.h"
#include "game/tank/Tank.h"
#include "sound/Sound.h"

int MaintainTankY::OnAnimate(TGameObject* obj, int)
{
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!tank || !tank->_node) return 0;
    const irr::core::vector3df p = tank->GetPosition();
    if (p.Y != setY) tank->SetPosition(irr::core::vector3df(p.X, setY, p.Z));
    return 0;
}

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
        if (auto* arena = dynamic_cast<TVexmoorArenaScreen*>(state.get())) {
            // A paused game keeps the tanks stopped until it resumes.
            arena->SetTanksDisabled(TGame::Framerate->IsPaused() ? 1 : 0);
            arena->QueueTankForRespawn(tank->obj_key);
        }
    }
    lastPosition = tank->GetPosition();
    return 0;
}

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

int TPositionCameraAnimator::OnAnimate(TGameObject* obj, int)
{
    auto* tank = obj ? obj->AsNodeObject() : nullptr;
    if (!tank) return 0;
    if (irr::scene::ISceneNode* camera = ChildAt(tank->_node, 1))
        PositionCamera(static_cast<irr::scene::ICameraSceneNode*>(camera));
    return 0;
}
