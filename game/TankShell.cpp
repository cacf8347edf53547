#include "game/TankShell.h"

#include <cmath>

#include "framework/GameState.h"
#include "framework/OrthogonalGameView.h"
#include "game/ArenaScreen.h"
#include "game/Player.h"
#include "game/Tank.h"
#include "game/effects/BattlefieldEffects.h"

std::shared_ptr<TTankShell> TTankShell::Create(const std::string& tankKey)
{
    auto shell = std::make_shared<TTankShell>();
    shell->tank_key = tankKey;
    return shell;
}

int TTankShell::OnUpdate()
{
    TMovableGameObject::OnUpdate();
    auto state = GetState();
    auto* arena = dynamic_cast<TVexmoorArenaScreen*>(state.get());
    if (!arena || !_node) return 0;

    // A shell that did not move this frame (a paused game) tests nothing.
    if (GetGlobalPosition().equals(GetLastGlobalPosition())) return 0;

    if (auto world = arena->GetGameObjectAs<TNodeGameObject>("arena", world_)) {
        if (CheckCollision(world.get(), 0)) {
            arena->QueueGameObjectForDeletion(obj_key);
            return 0;
        }
    }
    // In the orthographic overhead view the tank test is a plain box overlap.
    const std::shared_ptr<TGameView> view = arena->GetCurrentGameView();
    const int boxMode = dynamic_cast<TOrthogonalGameView*>(view.get()) ? 1 : 0;
    // A shell never tests the tank that fired it.
    if (tank_key != "tank1" && TestTank(*arena, "tank1", tank1_, "player2", boxMode)) return 0;
    if (tank_key != "tank2") TestTank(*arena, "tank2", tank2_, "player1", boxMode);
    return 0;
}

bool TTankShell::TestTank(TVexmoorArenaScreen& arena, const std::string& victimKey, TObjectLookup<TTank>& victimLookup,
                          const std::string& playerKey, int boxMode)
{
    auto victim = arena.GetGameObjectAs<TTank>(victimKey, victimLookup);
    if (!victim || !CheckCollision(victim.get(), boxMode)) return false;
    arena.SetTanksDisabled(1);
    victim->Die(GetDirection());
    BattlefieldEffects::OnHit(arena, victim, GetGlobalPosition());
    if (auto player = arena.GetGameObjectAs<TPlayer>(playerKey)) player->score += 1;
    arena.QueueGameObjectForDeletion(obj_key);
    return true;
}

int TTankShell::Destroy()
{
    auto state = GetState();
    if (state && state->smgr && _node && _node->getType() == irr::scene::ESNT_MESH)
        state->smgr->getMeshCache()->removeMesh(static_cast<irr::scene::IMeshSceneNode*>(_node)->getMesh());
    return TMovableGameObject::Destroy();
}

TankShellAnimator::TankShellAnimator()
{
    SetDirection(irr::core::vector3df(0.0f, 0.0f, 1.0f));
}

int TankShellAnimator::SetDirection(irr::core::vector3df newDirection)
{
    direction = newDirection * speed;
    return 0;
}

int TankShellAnimator::OnAnimate(TGameObject* obj, int timeMs)
{
    if (start == 0) start = timeMs;
    auto* shell = dynamic_cast<TTankShell*>(obj);
    if (!shell) return 0;
    if (timeMs - start < lifeSpan) {
        shell->Move(direction.X, direction.Y, direction.Z);
    } else if (auto state = GetState()) {
        state->QueueGameObjectForDeletion(obj->obj_key);
    }
    return 0;
}

int TankShellAnimator::Reflect(TGameObject* obj, const irr::core::triangle3df& triangle,
                               irr::core::vector3df& moveDir)
{
    irr::core::vector3df n = triangle.getNormal();
    if (n.getLengthSQ() > 0.0f) n.normalize();
    const float d = moveDir.X * n.X + moveDir.Y * n.Y + moveDir.Z * n.Z;
    moveDir += irr::core::vector3df(-2.0f * n.X * d, -2.0f * n.Y * d, -2.0f * n.Z * d);

    auto* mover = dynamic_cast<TMovableGameObject*>(obj);
    if (!mover || !mover->_node) return 0;
    mover->SetPosition(mover->GetLastPosition());
    // Facing a direction about Y: the engine turns +Z toward +X for positive yaw, so the
    // yaw of a direction (x, z) is atan2(x, z).
    const irr::core::vector3df target = mover->GetPosition() + moveDir;
    const irr::core::vector3df toTarget = target - mover->GetPosition();
    if (toTarget.X != 0.0f || toTarget.Z != 0.0f) {
        irr::core::vector3df rotation = mover->GetRotation();
        rotation.Y = std::atan2(toTarget.X, toTarget.Z) * irr::core::RADTODEG;
        mover->SetRotation(rotation);
    }
    return 0;
}
