// A tank's shot: flies straight ahead for a fixed time and tests itself each frame
// against the arena and the other tanks.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <string>

#include "framework/ObjectLookup.h"
#include "framework/objects/GameObject.h"
#include "framework/objects/MovableGameObject.h"

class TTank;
class TArenaWorld;

class TTankShell : public TMovableGameObject {
    VEXMOOR_CLASS(TTankShell, TMovableGameObject)

public:
    static std::shared_ptr<TTankShell> Create(const std::string& tankKey);

    int OnUpdate() override;
    int Destroy() override;

    std::string tank_key;
    // Walls this shell has bounced off; from the first one on it can hit its own tank.
    int bounces = 0;

private:
    // A bouncing shell's step (ShellBounce.cpp): swept against the walls, mirrored at each
    // one met while bounces are left, the tanks tested along every straight piece.
    int FlyBouncing(TArenaWorld& arena, TNodeGameObject& world, int maxBounces, int boxMode);

    // Tests every tank of the match this shell may hit, "tank1" first; true at a hit. Its own
    // tank only with `ownTankToo` (a bouncing shell after its first wall); a team mate's
    // only with friendly fire on.
    bool TestTanks(TArenaWorld& arena, bool ownTankToo, int boxMode);
    // A hit on the tank of `victimSlot`: the tanks stop, the victim dies, its player counts
    // the hit taken and the shooter's player, if the victim was its enemy, the hit made.
    bool TestTank(TArenaWorld& arena, int victimSlot, int boxMode);

    // The objects a flying shell tests every frame (the tanks by slot).
    TObjectLookup<TNodeGameObject> world_;
    TObjectLookup<TTank> tanks_[4];
};

// Moves a shell for its flight time, then queues it for deletion.
class TankShellAnimator : public TGameObjectAnimator {
    VEXMOOR_CLASS(TankShellAnimator, TGameObjectAnimator)

public:
    TankShellAnimator();

    int OnAnimate(TGameObject* obj, int timeMs) override;
    virtual int SetDirection(irr::core::vector3df newDirection);
    // Mirrors moveDir in the triangle's plane, puts obj back where it was at the end of the
    // last frame and turns it about Y to face along the new direction. Bouncing shells call
    // it at every wall they survive.
    virtual int Reflect(TGameObject* obj, const irr::core::triangle3df& triangle, irr::core::vector3df& moveDir);

    float speed = 0.5f;
    irr::core::vector3df direction;
    int lifeSpan = 900;
    int start = 0;
};
