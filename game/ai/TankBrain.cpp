#include "game/ai/TankBrain.h"

#include <algorithm>
#include <cmath>

#include "game/ai/Aim.h"
#include "game/ai/NavGrid.h"

using irr::core::vector3df;

namespace ai {

namespace {

constexpr float kTeleport = 1.5f;          // a jump this long between frames is a respawn
constexpr uint32_t kStuckWindowMs = 500;   // driving this long without getting anywhere...
constexpr float kStuckDistance = 0.25f;    // ...farther than this is being stuck
constexpr uint32_t kUnstickTurnMs = 450;
constexpr uint32_t kUnstickDriveMs = 500;
constexpr float kWaypointReach = 0.8f;
constexpr float kDriveWhileTurning = 45.0f; // degrees off the course below which it drives on
constexpr float kTurnDeadBand = 1.5f;       // the least dead band, half a frame's turn at 60 fps
constexpr float kAimWindow = 10.0f;         // degrees off the aim within which it asks the walls
constexpr uint32_t kBlockedGiveUpMs = 500;  // aimed at a shot the walls keep blocking: move on
constexpr uint32_t kMoveOnMs = 2000;         // ...for this long
constexpr float kMoveOnDistance = 2.0f;
constexpr int kMissesBeforeMoving = 3;
constexpr uint32_t kIdleMoveOnMs = 2500;    // standing without a shot this long: move on
constexpr uint32_t kReplanMs = 3000;
constexpr float kReplanTargetMoved = 3.0f;
constexpr float kMinFiringDistance = 4.0f;
constexpr float kFiringReach = 0.7f;        // of the shell's range, for a place to fire from
constexpr float kHoldReach = 0.92f;         // of the shell's range, to fire from where it stands
constexpr float kShotRadius = 0.2f;
constexpr float kSelfRadius = 1.2f;
constexpr float kDodgeMargin = 0.7f;
constexpr int kShotsAtAnEmptyPlace = 2;
constexpr float kLookedThere = 3.0f;
constexpr float kMaxTankSpeed = 0.01f;      // per ms; anything faster seen is a respawn

vector3df Flat(const vector3df& v)
{
    return vector3df(v.X, 0.0f, v.Z);
}

}  // namespace

TTankBrain::TTankBrain(TDifficulty difficulty, std::shared_ptr<const TNavGrid> grid,
                       std::function<bool(const vector3df&, const vector3df&)> lineOfFire, unsigned seed)
    : difficulty_(difficulty), grid_(std::move(grid)), lineOfFire_(std::move(lineOfFire)), dice_(seed)
{
}

TTankCommand TTankBrain::Think(const TSenses& s)
{
    const vector3df position = Flat(s.position);
    if (lastPosition_ && lastPosition_->getDistanceFrom(position) > kTeleport) {
        // Respawned: whatever was planned started from elsewhere.
        path_.clear();
        unstickUntilMs_ = unstickTurnUntilMs_ = 0;
        drivingLast_ = false;
    }
    lastPosition_ = position;

    sights_.push_back({s.nowMs, s.targetSeen, Flat(s.targetPosition), s.targetId, s.enemyShellFlying,
                       Flat(s.enemyShellPosition), Flat(s.enemyShellVelocity), s.enemyShellLegMs});
    const Sight* sight = Delayed(s);
    if (sight) Perceive(*sight);

    // Two tanks can each stand waiting for the other to step into a line of fire, or one
    // can stand where its aim never settles: standing long without a shot, it moves on.
    if (!idleSinceMs_ || s.moving || s.disabled || s.ownShellFlying) {
        idleSinceMs_ = s.nowMs;
    } else if (s.nowMs - *idleSinceMs_ >= kIdleMoveOnMs) {
        holdAfterMs_ = s.nowMs + kMoveOnMs;
        path_.clear();
        idleSinceMs_ = s.nowMs;
    }

    if (s.disabled || !grid_) {
        drivingLast_ = false;
        return {};
    }

    // Shots from here keep missing (or meet something the line of fire did not): move on.
    if (!s.ownShellFlying && shellWasFlying_ && !s.disabled) {
        if (position.getDistanceFrom(shortShotsFrom_) > kMoveOnDistance) shortShots_ = 0;
        shortShotsFrom_ = position;
        if (++shortShots_ >= kMissesBeforeMoving) {
            shortShots_ = 0;
            holdAfterMs_ = s.nowMs + kMoveOnMs;
            path_.clear();
        }
    }
    shellWasFlying_ = s.ownShellFlying;

    TTankCommand command;
    if (auto unstick = Unstick(s))
        command = *unstick;
    else if (auto dodge = sight && difficulty_.dodges ? Dodge(s, *sight) : std::nullopt)
        command = *dodge;
    else
        command = Attack(s);

    // Driving half a second without getting anywhere: turn toward the open side, then drive.
    if (command.drive && s.moving) {
        if (!drivingLast_) {
            drivingSinceMs_ = s.nowMs;
            drivingFrom_ = position;
        } else if (s.nowMs - drivingSinceMs_ >= kStuckWindowMs) {
            if (position.getDistanceFrom(drivingFrom_) < kStuckDistance) {
                const float left = grid_->WallDistance(position + Heading(s.yaw - 70.0f) * 1.5f);
                const float right = grid_->WallDistance(position + Heading(s.yaw + 70.0f) * 1.5f);
                unstickTurn_ = left > right ? -1 : left < right ? 1 : (dice_() % 2 ? 1 : -1);
                unstickTurnUntilMs_ = s.nowMs + kUnstickTurnMs;
                unstickUntilMs_ = unstickTurnUntilMs_ + kUnstickDriveMs;
                path_.clear();
            }
            drivingSinceMs_ = s.nowMs;
            drivingFrom_ = position;
        }
        drivingLast_ = true;
    } else {
        drivingLast_ = false;
    }
    return command;
}

// The newest sight at least the reaction delay old; older ones are dropped.
const TTankBrain::Sight* TTankBrain::Delayed(const TSenses& s)
{
    const uint32_t delay = static_cast<uint32_t>(difficulty_.reactionMs);
    while (sights_.size() >= 2 && s.nowMs - sights_[1].atMs >= delay) sights_.pop_front();
    if (sights_.empty() || s.nowMs - sights_.front().atMs < delay) return nullptr;
    return &sights_.front();
}

void TTankBrain::Perceive(const Sight& sight)
{
    if (sight.atMs == lastSightMs_ && lastSightMs_ != 0) return;  // seen already
    // Another enemy taken on is seen for the first time: no speed yet, no shots at it.
    const bool sameTarget = sight.targetId == lastSeenId_;
    const bool sawBefore = lastSeen_ && lastSeenMs_ == lastSightMs_ && lastSightMs_ != 0 && sameTarget;
    if (sight.targetSeen) {
        if (sawBefore && sight.atMs > lastSeenMs_) {
            const vector3df v = (sight.target - *lastSeen_) / static_cast<float>(sight.atMs - lastSeenMs_);
            targetVelocity_ = v.getLength() > kMaxTankSpeed ? vector3df() : targetVelocity_ * 0.5f + v * 0.5f;
        } else {
            targetVelocity_ = vector3df();
        }
        if (!lastSeen_ || !sameTarget || lastSeen_->getDistanceFrom(sight.target) > 1.0f) shotsAtLastSeen_ = 0;
        lastSeen_ = sight.target;
        lastSeenMs_ = sight.atMs;
        lastSeenId_ = sight.targetId;
    } else {
        targetVelocity_ = vector3df();
    }
    lastSightMs_ = sight.atMs;
}

std::optional<TTankCommand> TTankBrain::Unstick(const TSenses& s)
{
    if (s.nowMs < unstickTurnUntilMs_) return TTankCommand{false, unstickTurn_, false};
    if (s.nowMs < unstickUntilMs_) return TTankCommand{true, 0, false};
    return std::nullopt;
}

std::optional<TTankCommand> TTankBrain::Dodge(const TSenses& s, const Sight& sight)
{
    if (!sight.shell) return std::nullopt;
    const vector3df position = Flat(s.position);
    const auto pass = ClosestPass(sight.shellPosition, sight.shellVelocity, position);
    const float flies = sight.shellLegMs.value_or(s.shellLifeMs);
    if (!pass || pass->distance > kSelfRadius + kDodgeMargin || pass->timeMs > flies) return std::nullopt;
    // A wall between the shell and us stops it first (a bouncing shell's leg ends at its wall).
    if (!sight.shellLegMs && !grid_->ClearShot(sight.shellPosition, pass->closest, kShotRadius)) return std::nullopt;

    vector3df side(-sight.shellVelocity.Z, 0.0f, sight.shellVelocity.X);
    side.normalize();
    vector3df away = position - pass->closest;
    if (away.getLength() < 0.05f) away = Heading(s.yaw);
    if (side.dotProduct(away) < 0.0f) side = -side;
    // Out of the line to the side away from it, else to the other side; of the headings
    // that do it, the one nearest the tank's own.
    vector3df along = Flat(sight.shellVelocity);
    along.normalize();
    float bestYaw = s.yaw;
    float bestTurn = 1e9f;
    for (const vector3df& out : {side, -side}) {
        if (!grid_->IsOpen(position + out * 1.5f)) continue;
        for (float forward : {0.0f, 0.7f, -0.7f}) {
            vector3df direction = out + along * forward;
            const float yaw = YawTo(vector3df(), direction);
            const float turn = std::fabs(AngleDifference(s.yaw, yaw));
            if (turn < bestTurn) {
                bestTurn = turn;
                bestYaw = yaw;
            }
        }
        if (bestTurn < 1e9f) break;
    }
    if (bestTurn >= 1e9f) return std::nullopt;
    return TurnToward(s, bestYaw, true);
}

TTankCommand TTankBrain::Attack(const TSenses& s)
{
    const vector3df position = Flat(s.position);
    const vector3df muzzle = position + Heading(s.yaw) * s.muzzleForward;
    if (!lastSeen_) {
        if (path_.empty() || !patrolling_) PlanPatrol(s);
        return Follow(s);
    }

    const vector3df target = *lastSeen_;
    const bool fresh = lastSeenMs_ == lastSightMs_;
    const vector3df velocity = fresh ? targetVelocity_ : vector3df();
    const float range = s.shellSpeed * s.shellLifeMs;

    // A guided shell flies where its tank points: keep pointing at the target.
    if (s.guided && s.ownShellFlying) return TurnToward(s, YawTo(position, target), false);

    const float lead = InterceptTime(muzzle, s.shellSpeed, target, velocity).value_or(0.0f);
    const vector3df aim = target + velocity * lead;
    const float desired = YawTo(position, aim);

    // Nobody where it was last seen after a couple of shots: go and look.
    if (!fresh && shotsAtLastSeen_ >= kShotsAtAnEmptyPlace) {
        if (position.getDistanceFrom(target) < kLookedThere) {
            lastSeen_.reset();
            path_.clear();
            return {};
        }
        if (path_.empty() || plannedFor_.getDistanceFrom(target) > 0.5f) {
            path_ = grid_->FindPath(position, target);
            waypoint_ = 1;
            plannedFor_ = target;
            plannedMs_ = s.nowMs;
            patrolling_ = false;
        }
        return Follow(s);
    }

    const bool inReach = muzzle.getDistanceFrom(aim) < range * kHoldReach;
    if (blockedSinceMs_ != 0 && s.nowMs - blockedSinceMs_ > kBlockedGiveUpMs) {
        // The walls keep blocking a shot the grid let through: find a better place first.
        holdAfterMs_ = s.nowMs + kMoveOnMs;
        blockedSinceMs_ = 0;
        path_.clear();
    }
    // Judged from the tank's middle, which turning does not move; once holding, a
    // narrower gap keeps it there, so that it does not flap between holding and going.
    holding_ = inReach && s.nowMs >= holdAfterMs_ &&
               grid_->ClearShot(position, aim, holding_ ? kShotRadius * 0.5f : kShotRadius);
    if (holding_) {
        TTankCommand command = TurnToward(s, desired, false);
        path_.clear();
        if (std::fabs(AngleDifference(s.yaw, desired)) < kAimWindow) {
            // A wall, or a team mate the shell would hit, in the way: as good as blocked.
            if (FriendInTheWay(s, muzzle) || !lineOfFire_(muzzle, aim)) {
                if (blockedSinceMs_ == 0) blockedSinceMs_ = s.nowMs;
                return command;
            }
            blockedSinceMs_ = 0;
            const float miss = PredictedMiss(muzzle, Heading(s.yaw), s.shellSpeed, s.shellLifeMs, target, velocity);
            if (!s.ownShellFlying && miss < difficulty_.aimTolerance) {
                command.fire = true;
                lastAim_ = aim;
                if (!fresh) ++shotsAtLastSeen_;
            } else if (command.turn == 0 && miss >= difficulty_.aimTolerance &&
                       position.getDistanceFrom(target) > kMinFiringDistance) {
                // Turning comes in whole steps: closer in, the step that is left misses less.
                command.drive = true;
            }
        }
        return command;
    }

    // The target moved far: the place it was going to may still do.
    if (!path_.empty() && !patrolling_ && plannedFor_.getDistanceFrom(target) > kReplanTargetMoved &&
        IsFiringPlace(s, path_.back(), target))
        plannedFor_ = target;
    if (path_.empty() || plannedFor_.getDistanceFrom(target) > kReplanTargetMoved || s.nowMs - plannedMs_ > kReplanMs) {
        PlanToFiringPlace(s, target);
        // No place to fire from can be reached: look elsewhere meanwhile.
        if (path_.size() < 2) PlanPatrol(s);
        plannedFor_ = target;
    }
    return Follow(s);
}

TTankCommand TTankBrain::Follow(const TSenses& s)
{
    const vector3df position = Flat(s.position);
    while (waypoint_ < path_.size() && position.getDistanceFrom(path_[waypoint_]) < kWaypointReach) ++waypoint_;
    if (waypoint_ >= path_.size()) {
        path_.clear();
        return {};
    }
    const float desired = YawTo(position, path_[waypoint_]);
    const bool onCourse = std::fabs(AngleDifference(s.yaw, desired)) < kDriveWhileTurning;
    return TurnToward(s, desired, onCourse);
}

// A place to go and fire at `target` from.
bool TTankBrain::IsFiringPlace(const TSenses& s, const vector3df& p, const vector3df& target) const
{
    const float reach = s.shellSpeed * s.shellLifeMs * kFiringReach;
    const vector3df here = Flat(s.position);
    // Moving on from a place whose shot the walls blocked: somewhere else.
    if (s.nowMs < holdAfterMs_ && p.getDistanceFrom(here) < kMoveOnDistance) return false;
    // A place this near counts as reached at once: the tank would stay where it is, whose
    // shot was not clear, and plan the same again.
    if (p.getDistanceFrom(here) < kWaypointReach) return false;
    const float d = p.getDistanceFrom(target);
    return d > kMinFiringDistance && d < reach && grid_->ClearShot(p, target, kShotRadius * 2.0f);
}

void TTankBrain::PlanToFiringPlace(const TSenses& s, const vector3df& target)
{
    path_ = grid_->PathToNearest(s.position, [&](const vector3df& p) { return IsFiringPlace(s, p, target); });
    waypoint_ = 1;
    plannedFor_ = target;
    plannedMs_ = s.nowMs;
    patrolling_ = false;
}

void TTankBrain::PlanPatrol(const TSenses& s)
{
    const vector3df here = Flat(s.position);
    path_.clear();
    patrolling_ = true;
    plannedMs_ = s.nowMs;
    std::optional<vector3df> goal = grid_->ReachableAt(here, dice_());
    if (!goal) return;
    for (int tries = 0; tries < 8 && goal->getDistanceFrom(here) < 8.0f; ++tries) goal = grid_->ReachableAt(here, dice_());
    path_ = grid_->FindPath(s.position, *goal);
    waypoint_ = 1;
}

bool TTankBrain::FriendInTheWay(const TSenses& s, const vector3df& muzzle) const
{
    const vector3df velocity = Heading(s.yaw) * s.shellSpeed;
    for (const vector3df& mate : s.friends) {
        const auto pass = ClosestPass(muzzle, velocity, Flat(mate));
        if (pass && pass->timeMs <= s.shellLifeMs && pass->distance < s.friendRadius + kShotRadius) return true;
        // Already touching the muzzle: any shot meets it.
        if (Flat(mate).getDistanceFrom(muzzle) < s.friendRadius) return true;
    }
    return false;
}

TTankCommand TTankBrain::TurnToward(const TSenses& s, float yaw, bool drive) const
{
    const float error = AngleDifference(s.yaw, yaw);
    TTankCommand command;
    command.drive = drive;
    // Within half a frame's turn of the heading, a further step would only overshoot.
    const float deadBand = std::max(kTurnDeadBand, s.turnStep * 0.5f);
    command.turn = error > deadBand ? 1 : error < -deadBand ? -1 : 0;
    return command;
}

}  // namespace ai
