#include "game/match/SafeRespawn.h"

#include <cmath>

#include "framework/GameState.h"
#include "game/ai/Aim.h"
#include "game/world/ArenaWorld.h"
#include "game/tank/Tank.h"
#include "game/tank/WallSweep.h"

namespace {
// The height shells fly at, and half a tank's width: a point is out of the line of fire
// when the walls stop shots at the middle of a tank there and at both its sides.
constexpr float kShellHeight = 0.4f;
constexpr float kHalfWidth = 1.0f;
constexpr float kRayRadius = 0.001f;
}  // namespace

std::vector<TGun> GunsAgainst(TGameState& arena, const std::string& key)
{
    const TArenaWorld* world = TArenaWorld::Of(&arena);
    const int victim = TArenaWorld::SlotOfTank(key);
    std::vector<TGun> guns;
    for (const auto& object : arena.GetGameObjects("TTank")) {
        auto tank = std::dynamic_pointer_cast<TTank>(object);
        if (!tank || !tank->_node || tank->obj_key == key) continue;
        const int shooter = TArenaWorld::SlotOfTank(tank->obj_key);
        if (world && victim >= 0 && shooter >= 0 && !world->ShellHits(shooter, victim)) continue;
        guns.push_back({tank->GetGlobalPosition(), TNodeGameObject::HeadingOf(tank->_node->getAbsoluteTransformation())});
    }
    return guns;
}

bool OutOfLineOfFire(irr::scene::ITriangleSelector* walls, const irr::core::vector3df& point,
                     const std::vector<TGun>& guns)
{
    if (!walls) return false;
    const irr::core::vector3df target(point.X, kShellHeight, point.Z);
    for (const TGun& gun : guns) {
        irr::core::vector3df from = gun.position;
        from.Y = kShellHeight;
        irr::core::vector3df side = (target - from).crossProduct(irr::core::vector3df(0, 1, 0));
        if (side.getLengthSQ() > 0.0f) side.setLength(kHalfWidth);
        for (float s : {0.0f, -1.0f, 1.0f})
            if (!FirstWallHit(walls, from + side * s, target - from, kRayRadius)) return false;
    }
    return true;
}

bool OutOfLineOfFire(TGameState& arena, const irr::core::vector3df& point, const std::string& key)
{
    auto world = arena.GetGameObjectAs<TNodeGameObject>("arena");
    irr::scene::ITriangleSelector* walls = world && world->_node ? world->_node->getTriangleSelector() : nullptr;
    if (!walls) return false;
    world->_node->updateAbsolutePosition();
    return OutOfLineOfFire(walls, point, GunsAgainst(arena, key));
}

TAimExposure AimExposure(const irr::core::vector3df& point, const std::vector<TGun>& guns)
{
    TAimExposure exposure;
    bool first = true;
    for (const TGun& gun : guns) {
        const float angle = std::fabs(ai::AngleDifference(gun.heading, ai::YawTo(gun.position, point)));
        const float distance =
            irr::core::vector3df(point.X - gun.position.X, 0, point.Z - gun.position.Z).getLength();
        if (first || angle < exposure.angle) exposure.angle = angle;
        if (first || distance < exposure.distance) exposure.distance = distance;
        first = false;
    }
    return exposure;
}

TAimExposure AimExposure(TGameState& arena, const irr::core::vector3df& point, const std::string& key)
{
    // Where the guns point now, moved this frame or not.
    for (const auto& object : arena.GetGameObjects("TTank"))
        if (auto tank = std::dynamic_pointer_cast<TTank>(object); tank && tank->_node) tank->_node->updateAbsolutePosition();
    return AimExposure(point, GunsAgainst(arena, key));
}

bool FartherOutOfAim(const TAimExposure& a, const TAimExposure& b)
{
    constexpr float kSameAngle = 1.0f;
    if (std::fabs(a.angle - b.angle) > kSameAngle) return a.angle > b.angle;
    return a.distance > b.distance;
}

int TankSpawnGraceAnimator::OnAnimate(TGameObject* obj, int timeMs)
{
    auto* tank = dynamic_cast<TTank*>(obj);
    if (!tank || !tank->_node) return 0;
    if (start == 0) start = timeMs;
    const int elapsed = timeMs - start;
    if (elapsed >= lifeSpan) {
        tank->SetVisible(tank->IsVisible());  // back to its own look
        tank->QueueGameObjectAnimatorForDeletion(obj_key);
        return 0;
    }
    // An invisible tank stays invisible; a visible one blinks.
    const bool shown = (elapsed / blink) % 2 == 0;
    if (tank->IsVisible())
        tank->_node->setMaterialType(shown ? irr::video::EMT_SOLID : irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
    return 0;
}
