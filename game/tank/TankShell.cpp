#include "game/tank/TankShell.h"

#include <algorithm>
#include <cmath>

#include "framework/GameState.h"
#include "game/world/ArenaWorld.h"
#include "game/world/Player.h"
#include "game/tank/Tank.h"

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
    auto* arena = TArenaWorld::Of(state.get());
    if (!arena || !_node) return 0;

    // A shell that did not move this frame (a paused game) tests nothing.
    if (GetGlobalPosition().equals(GetLastGlobalPosition())) return 0;

    // In the orthographic overhead view the tank test is a plain box overlap.
    const int boxMode = arena->shellsHitBoxes ? 1 : 0;
    auto world = arena->GetGameObjectAs<TNodeGameObject>("arena", world_);
    if (world && arena->ShellBounces() > 0) return FlyBouncing(*arena, *world, arena->ShellBounces(), boxMode);
    if (world) {
        if (CheckCollision(world.get(), 0)) {
            arena->QueueGameObjectForDeletion(obj_key);
            return 0;
        }
    }
    // A straight shell never tests the tank that fired it.
    TestTanks(*arena, false, boxMode);
    return 0;
}

bool TTankShell::TestTanks(TArenaWorld& arena, bool ownTankToo, int boxMode)
{
    const int shooter = TArenaWorld::SlotOfTank(tank_key);
    // In tank key order ("tank1" is slot 1), as the duel always tested them.
    for (int slot : {1, 0, 2, 3}) {
        if (std::find(arena.slots.begin(), arena.slots.end(), slot) == arena.slots.end()) continue;
        const bool own = slot == shooter;
        if (own ? !ownTankToo : !arena.ShellHits(shooter, slot)) continue;
        if (TestTank(arena, slot, boxMode)) return true;
    }
    return false;
}

bool TTankShell::TestTank(TArenaWorld& arena, int victimSlot, int boxMode)
{
    auto victim = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(victimSlot), tanks_[victimSlot]);
    // A tank just back from a safe respawn cannot be hit.
    if (!victim || victim->GetAnimator("spawn_grace") || !CheckCollision(victim.get(), boxMode)) return false;
    const int shooter = TArenaWorld::SlotOfTank(tank_key);
    arena.SetTanksDisabled(1);
    victim->Die(GetDirection());
    arena.OnHit(victim, GetGlobalPosition(), shooter);
    if (auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(victimSlot))) player->score += 1;
    if (arena.AreEnemies(shooter, victimSlot))
        if (auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(shooter))) player->hits += 1;
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
    if (moveDir.X == 0.0f && moveDir.Z == 0.0f) return 0;
    const float yaw = std::atan2(moveDir.X, moveDir.Z);
    irr::core::vector3df rotation = mover->GetRotation();
    if (rotation.X == 0.0f && rotation.Z == 0.0f) {
        rotation.Y = yaw * irr::core::RADTODEG;
        mover->SetRotation(rotation);
        return 0;
    }
    // The engine may hand out an equivalent triple such as (180, 57, 180): turn the
    // orientation itself about Y by what its nose lacks.
    irr::core::matrix4 orientation;
    orientation.setRotationDegrees(rotation);
    irr::core::vector3df nose(0.0f, 0.0f, 1.0f);
    orientation.rotateVect(nose);
    irr::core::matrix4 turn;
    turn.setRotationRadians(irr::core::vector3df(0.0f, yaw - std::atan2(nose.X, nose.Z), 0.0f));
    mover->SetRotation((turn * orientation).getRotationDegrees());
    return 0;
}
