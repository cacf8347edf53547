// The computer player's thinking: from what its tank senses each frame it decides to
// drive or not, which way to turn and whether to fire. It sees the world through a
// reaction delay, plans over the arena's navigation grid toward a place with a clear line
// of fire, leads its aim, dodges shells and backs out of dead ends. It knows nothing of
// screens or game objects; its controller fills in the senses and carries out the command.
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

class TNavGrid;

namespace ai {

// What changes with the difficulty, and nothing else does.
struct TDifficulty {
    int reactionMs = 200;      // the world is seen as it was this long ago
    float aimTolerance = 0.6f; // fires when the predicted miss is under this
    bool dodges = true;        // steps out of the path of a shell that will cross it

    static TDifficulty Easy() { return {400, 1.6f, false}; }
    static TDifficulty Normal() { return {200, 0.6f, true}; }
    static TDifficulty Hard() { return {80, 0.3f, true}; }
};

// One frame's senses. Speeds are in units per millisecond of game time.
struct TSenses {
    uint32_t nowMs = 0;
    irr::core::vector3df position;  // the own tank, on the ground
    float yaw = 0.0f;               // its heading in degrees
    bool moving = false;
    float turnStep = 2.88f;         // degrees one frame of turning turns it (at this frame rate)
    float muzzleForward = 0.67f;    // how far ahead of the tank's center a shell starts
    bool ownShellFlying = false;
    bool guided = false;            // shells turn with their tank (F7)
    bool disabled = false;          // the tank may not act (a death playing, a pause)

    bool targetSeen = false;        // false while the opponent is invisible
    irr::core::vector3df targetPosition;
    float targetRadius = 0.8f;
    int targetId = 0;               // which enemy is the opponent: a change is a new one

    // Tanks its own shell would hit but must not: team mates, with friendly fire on.
    std::vector<irr::core::vector3df> friends;
    float friendRadius = 1.25f;

    // The enemy shell that threatens most: where it is, or for a bouncing shell where the
    // leg of its path that threatens starts (at a wall it is still to bounce off).
    bool enemyShellFlying = false;
    irr::core::vector3df enemyShellPosition;
    irr::core::vector3df enemyShellVelocity;
    // How long a bouncing shell flies along that leg from its start, to its next wall or
    // the end of its life: walls already counted. Unset for a straight shell, which the
    // brain gives its whole life and judges the walls of with its grid.
    std::optional<float> enemyShellLegMs;

    float shellSpeed = 0.03f;       // per ms
    float shellLifeMs = 900.0f;
};

struct TTankCommand {
    bool drive = false;
    int turn = 0;  // -1 left, 0 none, 1 right
    bool fire = false;
};

class TTankBrain {
public:
    // lineOfFire(from, to): true when a shell from `from` would reach `to` without meeting
    // a wall. seed: the brain's own dice (patrol goals).
    TTankBrain(TDifficulty difficulty, std::shared_ptr<const TNavGrid> grid,
               std::function<bool(const irr::core::vector3df&, const irr::core::vector3df&)> lineOfFire,
               unsigned seed);

    TTankCommand Think(const TSenses& senses);

    const TDifficulty& Difficulty() const { return difficulty_; }
    // Where the opponent was last seen (through the reaction delay), if ever.
    const std::optional<irr::core::vector3df>& LastSeen() const { return lastSeen_; }
    // The point the last shot was aimed at.
    const std::optional<irr::core::vector3df>& LastAimPoint() const { return lastAim_; }
    const std::vector<irr::core::vector3df>& Path() const { return path_; }

private:
    // The part of the senses that is seen through the reaction delay.
    struct Sight {
        uint32_t atMs;
        bool targetSeen;
        irr::core::vector3df target;
        int targetId;
        bool shell;
        irr::core::vector3df shellPosition, shellVelocity;
        std::optional<float> shellLegMs;
    };
    const Sight* Delayed(const TSenses& senses);
    void Perceive(const Sight& sight);
    std::optional<TTankCommand> Dodge(const TSenses& senses, const Sight& sight);
    std::optional<TTankCommand> Unstick(const TSenses& senses);
    TTankCommand Attack(const TSenses& senses);
    TTankCommand Follow(const TSenses& senses);
    bool IsFiringPlace(const TSenses& senses, const irr::core::vector3df& p, const irr::core::vector3df& target) const;
    void PlanToFiringPlace(const TSenses& senses, const irr::core::vector3df& target);
    void PlanPatrol(const TSenses& senses);
    TTankCommand TurnToward(const TSenses& senses, float yaw, bool drive) const;
    bool FriendInTheWay(const TSenses& senses, const irr::core::vector3df& muzzle) const;

    TDifficulty difficulty_;
    std::shared_ptr<const TNavGrid> grid_;
    std::function<bool(const irr::core::vector3df&, const irr::core::vector3df&)> lineOfFire_;
    std::mt19937 dice_;

    std::deque<Sight> sights_;
    std::optional<irr::core::vector3df> lastSeen_;
    uint32_t lastSeenMs_ = 0;
    int lastSeenId_ = 0;
    uint32_t lastSightMs_ = 0;
    irr::core::vector3df targetVelocity_;
    std::optional<irr::core::vector3df> lastAim_;
    int shotsAtLastSeen_ = 0;
    uint32_t blockedSinceMs_ = 0;
    uint32_t holdAfterMs_ = 0;
    bool holding_ = false;
    bool shellWasFlying_ = false;
    std::optional<uint32_t> idleSinceMs_;  // standing without a shell in flight since
    int shortShots_ = 0;  // misses from about the same place
    irr::core::vector3df shortShotsFrom_;

    std::vector<irr::core::vector3df> path_;
    size_t waypoint_ = 0;
    irr::core::vector3df plannedFor_;
    bool patrolling_ = false;
    uint32_t plannedMs_ = 0;

    std::optional<irr::core::vector3df> lastPosition_;
    uint32_t drivingSinceMs_ = 0;
    irr::core::vector3df drivingFrom_;
    bool drivingLast_ = false;
    uint32_t unstickUntilMs_ = 0;
    uint32_t unstickTurnUntilMs_ = 0;
    int unstickTurn_ = 1;
};

}  // namespace ai
