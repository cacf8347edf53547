#include "game/control/ComputerTankController.h"

#include <algorithm>
#include <cmath>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameState.h"
#include "game/world/ArenaWorld.h"
#include "game/world/SceneChildren.h"
#include "game/tank/Tank.h"
#include "game/tank/TankShell.h"
#include "game/tank/WallSweep.h"
#include "game/ai/Aim.h"
#include "game/ai/NavGrid.h"
#include "game/ai/TargetChoice.h"
#include "game/ai/WallQueries.h"

using irr::core::vector3df;

namespace {

// The ground direction a node faces (its +Z in world space).
vector3df Forward(irr::scene::ISceneNode* node)
{
    vector3df forward(0, 0, 1);
    node->getAbsoluteTransformation().rotateVect(forward);
    forward.Y = 0;
    forward.normalize();
    return forward;
}

// One straight leg of a shell's path: where it starts, its velocity (per ms) and how long
// it flies along it, to its next wall or the end of its life.
struct ShellLeg {
    vector3df from, velocity;
    float ms;
};

// A bouncing shell's path ahead through the walls, for the bounces it has left: swept as
// its flight sweeps itself, mirrored by its own flight's reflection, its life starting
// again at every wall.
std::vector<ShellLeg> BouncingPath(irr::scene::ITriangleSelector* walls, TTankShell& shell, int bouncesLeft,
                                   float speed, uint32_t nowMs)
{
    std::vector<ShellLeg> legs;
    auto* flight = dynamic_cast<TankShellAnimator*>(shell.GetAnimator("shell_anim").get());
    if (!flight || !walls) return legs;
    const vector3df extent = shell._node->getBoundingBox().getExtent();
    const float radius = std::max({extent.X, extent.Y, extent.Z}) / 2.0f;
    vector3df from = shell._node->getAbsolutePosition();
    vector3df heading = Forward(shell._node);
    // A flight not animated yet starts this frame.
    const int flownMs = flight->start != 0 ? static_cast<int>(nowMs) - flight->start : 0;
    float lifeMs = static_cast<float>(flight->lifeSpan - flownMs);
    for (int bounce = 0; bounce <= bouncesLeft && lifeMs > 0.0f; ++bounce) {
        const vector3df motion = heading * (speed * lifeMs);
        const std::optional<TWallHit> hit = FirstWallHit(walls, from, motion, radius);
        const float fraction = hit ? hit->fraction : 1.0f;
        legs.push_back({from, heading * speed, lifeMs * fraction});
        if (!hit) break;
        from += motion * fraction;
        flight->Reflect(nullptr, hit->triangle, heading);  // without an object it mirrors the heading only
        lifeMs = static_cast<float>(flight->lifeSpan);
    }
    return legs;
}

// Of a path's legs, the one that passes closest to `point` before it ends, and how close.
std::optional<std::pair<ShellLeg, float>> ClosestLeg(const std::vector<ShellLeg>& legs, const vector3df& point)
{
    std::optional<std::pair<ShellLeg, float>> best;
    for (const ShellLeg& leg : legs) {
        const auto pass = ai::ClosestPass(leg.from, leg.velocity, point);
        if (!pass || pass->timeMs > leg.ms || (best && pass->distance >= best->second)) continue;
        best = {leg, pass->distance};
    }
    return best;
}

}  // namespace

std::shared_ptr<TComputerTankController> TComputerTankController::Create(const std::string& targetKey,
                                                                         ai::TDifficulty difficulty)
{
    auto controller = std::make_shared<TComputerTankController>();
    controller->difficulty = difficulty;
    controller->SetTarget(targetKey);
    return controller;
}

bool TComputerTankController::MakeBrain()
{
    auto state = GetState();
    auto arena = state ? state->GetGameObjectAs<TNodeGameObject>("arena", arena_) : nullptr;
    auto tank = Tank();
    irr::scene::ITriangleSelector* walls = arena && arena->_node ? arena->_node->getTriangleSelector() : nullptr;
    if (!walls || !tank || !state->smgr) return false;
    if (brain && walls == walls_) return true;
    walls_ = walls;

    // The brain thinks on the ground; shells fly at the muzzle's height.
    irr::scene::ISceneNode* muzzle = ChildAt(tank->_node, 2);
    if (muzzle) muzzle->updateAbsolutePosition();
    const float height = muzzle ? muzzle->getAbsolutePosition().Y : 0.4f;
    std::shared_ptr<const TNavGrid> grid = ai::GridForTank(walls, tank->collision_radius);
    grid_ = grid;
    targetShot_ = ai::GridShot(grid);
    brain = std::make_unique<ai::TTankBrain>(
        difficulty, grid, ai::RayLineOfFire(state->smgr->getSceneCollisionManager(), walls, height, grid), seed);
    return true;
}

ai::TSenses TComputerTankController::Sense(TTank& tank)
{
    auto state = GetState();
    ai::TSenses s;
    s.nowMs = GameClock::Milliseconds();
    tank._node->updateAbsolutePosition();
    const vector3df position = tank._node->getAbsolutePosition();
    const vector3df forward = Forward(tank._node);
    s.position = position;
    s.yaw = ai::YawTo(vector3df(), forward);
    s.moving = tank.IsMoving() != 0;
    s.turnStep = tank.turn_rate * (TGame::Framerate ? TGame::Framerate->speedfactor : 1.0f);
    s.disabled = tank.IsDisabled() != 0;
    s.ownShellFlying = tank.GetShell() != nullptr;
    s.guided = state->GetFlag("guided_shells") != 0;
    if (irr::scene::ISceneNode* muzzle = ChildAt(tank._node, 2)) {
        muzzle->updateAbsolutePosition();
        s.muzzleForward = (muzzle->getAbsolutePosition() - position).dotProduct(forward);
    }

    // Its shell's speed follows the target frame rate, as every motion does.
    const float targetFps = TGame::Framerate ? TGame::Framerate->GetTargetFPS() : 60.0f;
    const TankShellAnimator flight;
    s.shellSpeed = flight.speed * targetFps / 1000.0f;
    s.shellLifeMs = static_cast<float>(flight.lifeSpan);

    const TArenaWorld* world = TArenaWorld::Of(state.get());
    const int self = TArenaWorld::SlotOfTank(target_key);
    if (!world || self < 0) {
        // Outside a match's slots: the opponent is the other tank of a duel.
        const std::string other = target_key == "tank1" ? "tank2" : "tank1";
        SenseOpponent(s, state->GetGameObjectAs<TTank>(other, opponent_));
        SenseShell(s, state->GetGameObjectAs<TTankShell>(other + "_shell", enemyShell_));
        return s;
    }

    // The enemies, and the tanks the own shell must spare: team mates with friendly fire on.
    std::vector<int> enemySlots;
    for (int slot : world->slots) {
        if (slot == self || slot < 0 || slot >= kMaxPlayers) continue;
        if (world->AreEnemies(self, slot)) {
            enemySlots.push_back(slot);
        } else if (world->ShellHits(self, slot)) {
            auto mate = state->GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(slot), tanks_[slot]);
            if (!mate || !mate->_node) continue;
            mate->_node->updateAbsolutePosition();
            s.friends.push_back(mate->_node->getAbsolutePosition());
        }
    }
    if (enemySlots.size() == 1) {
        targetSlot_ = enemySlots[0];
    } else if (enemySlots.size() > 1) {
        std::vector<int> present;
        std::vector<ai::TContact> enemies;
        int current = -1;
        for (int slot : enemySlots) {
            auto enemy = state->GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(slot), tanks_[slot]);
            if (!enemy || !enemy->_node) continue;
            enemy->_node->updateAbsolutePosition();
            if (slot == targetSlot_) current = static_cast<int>(present.size());
            present.push_back(slot);
            enemies.push_back({enemy->_node->getAbsolutePosition(), ai::YawTo(vector3df(), Forward(enemy->_node)),
                               enemy->IsVisible() != 0});
        }
        const int chosen = ai::ChooseTarget(position, enemies, current, targetShot_);
        if (chosen >= 0) targetSlot_ = present[static_cast<size_t>(chosen)];
    }
    if (!enemySlots.empty()) {
        s.targetId = targetSlot_;
        SenseOpponent(s, state->GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(targetSlot_), opponent_));
    }

    // Of the shells that would hit it, the one that will pass closest: a straight shell on
    // its line, a bouncing one on the leg of its path ahead that comes closest.
    const int bounces = world->ShellBounces();
    std::optional<float> closest;
    for (int slot : world->slots) {
        if (slot < 0 || slot >= kMaxPlayers || !world->ShellHits(slot, self)) continue;
        auto shell = state->GetGameObjectAs<TTankShell>(TArenaWorld::TankKeyOfSlot(slot) + "_shell", shells_[slot]);
        if (!shell || !shell->_node) continue;
        shell->_node->updateAbsolutePosition();
        if (bounces > 0) {
            const auto leg = ClosestLeg(
                BouncingPath(walls_, *shell, bounces - shell->bounces, s.shellSpeed, s.nowMs), position);
            if (!leg || (closest && leg->second >= *closest)) continue;
            closest = leg->second;
            s.enemyShellFlying = true;
            s.enemyShellPosition = leg->first.from;
            s.enemyShellVelocity = leg->first.velocity;
            s.enemyShellLegMs = leg->first.ms;
            continue;
        }
        const auto pass = ai::ClosestPass(shell->_node->getAbsolutePosition(), Forward(shell->_node), position);
        const float miss = pass ? pass->distance : 1e9f;
        if (closest && miss >= *closest) continue;
        closest = miss;
        SenseShell(s, shell);
    }
    return s;
}

void TComputerTankController::SenseOpponent(ai::TSenses& s, const std::shared_ptr<TTank>& opponent)
{
    // Seen only while it can be seen.
    if (!opponent || !opponent->_node) return;
    s.targetSeen = opponent->IsVisible() != 0;
    if (!s.targetSeen) return;
    opponent->_node->updateAbsolutePosition();
    s.targetPosition = opponent->_node->getAbsolutePosition();
    const irr::core::aabbox3df box = opponent->_node->getTransformedBoundingBox();
    s.targetRadius = std::min(box.getExtent().X, box.getExtent().Z) / 2.0f;
}

void TComputerTankController::SenseShell(ai::TSenses& s, const std::shared_ptr<TTankShell>& shell)
{
    if (!shell || !shell->_node) return;
    shell->_node->updateAbsolutePosition();
    s.enemyShellFlying = true;
    s.enemyShellPosition = shell->_node->getAbsolutePosition();
    s.enemyShellVelocity = Forward(shell->_node) * s.shellSpeed;
}

int TComputerTankController::OnUpdate()
{
    TTankController::OnUpdate();
    auto state = GetState();
    auto tank = Tank();
    if (!state || !tank || !tank->_node || !MakeBrain()) return 0;

    const ai::TTankCommand thought = brain->Think(Sense(*tank));
    TDriveCommand command;
    command.drive = thought.drive;
    command.left = thought.turn < 0;
    command.right = thought.turn > 0;
    command.fire = thought.fire;
    Drive(*tank, command, state.get());
    return 0;
}
