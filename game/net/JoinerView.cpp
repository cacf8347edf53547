#include "game/net/JoinerView.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/GameResource.h"
#include "framework/objects/NodeGameObject.h"
#include "game/world/ArenaWorld.h"
#include "game/world/Player.h"
#include "game/tank/Tank.h"
#include "game/tank/TankDieAnimator.h"
#include "game/TankColors.h"
#include "game/Vexmoor.h"
#include "sound/Sound.h"

using irr::core::vector3df;

namespace {

constexpr size_t kSnapshotsKept = 32;    // about a second at 30 a second
constexpr size_t kPredictionsKept = 180;  // three seconds of frames

// The shortest way from angle a to angle b, in degrees.
float AngleTo(float a, float b)
{
    float d = std::fmod(b - a, 360.0f);
    if (d > 180.0f) d -= 360.0f;
    if (d < -180.0f) d += 360.0f;
    return d;
}

vector3df PositionOf(const Wire::TankState& t) { return vector3df(t.x, t.y, t.z); }

// Tanks and shells stand level on the ground: a heading is their whole rotation.
void SetPose(TNodeGameObject& object, const vector3df& position, float heading)
{
    if (!object._node) return;
    object._node->setPosition(position);
    object._node->setRotation(vector3df(0.0f, heading, 0.0f));
    object._node->updateAbsolutePosition();
}

std::string ShellKey(int i) { return "net_shell" + std::to_string(i); }

}  // namespace

const Wire::TankState* TJoinerView::TankOf(const Wire::Snapshot& snapshot, int slot)
{
    for (const Wire::TankState& t : snapshot.tanks)
        if (t.slot == slot) return &t;
    return nullptr;
}

void TJoinerView::OnSnapshot(const Wire::Snapshot& snapshot, uint32_t localMs)
{
    if (!snapshots_.empty() && static_cast<int32_t>(snapshot.sequence - snapshots_.back().sequence) <= 0) return;
    const int32_t offset = static_cast<int32_t>(snapshot.hostTimeMs - localMs);
    if (!offsetMsSeen_ || offset > *offsetMsSeen_) offsetMsSeen_ = offset;
    offsetMs_ = static_cast<uint32_t>(*offsetMsSeen_);
    snapshots_.push_back(snapshot);
    if (snapshots_.size() > kSnapshotsKept) snapshots_.pop_front();
    newSnapshot_ = true;
}

void TJoinerView::RecordPrediction(uint32_t sequence, const vector3df& position, float rotationY)
{
    predictions_.push_back({sequence, position, rotationY});
    if (predictions_.size() > kPredictionsKept) predictions_.pop_front();
}

void TJoinerView::Apply(TArenaWorld& arena, uint32_t localMs)
{
    if (snapshots_.empty()) return;
    const Wire::Snapshot& newest = snapshots_.back();
    TVexmoor* game = arena.GetGame();

    // The scheme: the first time as the match starts, later as F12 steps it on the host.
    if (game && (!schemeTaken_ || newest.scheme != game->ColorSchemeIdx)) {
        if (!schemeTaken_) {
            game->SetCurrentColorScheme(newest.scheme);
            game->SetClsColor(arena.SchemeColor("Background"));  // as the arena's entry has it
            arena.ResetArena();
            arena.RebuildCollisionAnimators();
        } else {
            game->SetCurrentColorScheme((newest.scheme + Wire::kSchemes - 1) % Wire::kSchemes);
            arena.IncrementColorScheme();
        }
        schemeTaken_ = true;
    }
    for (const Wire::TankState& t : newest.tanks)
        if (auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(t.slot))) {
            player->score = t.score;
            player->hits = t.hits;
        }
    arena.SetFlag("guided_shells", newest.flags & Wire::kMatchGuided ? 1 : 0);
    arena.SetFlag("invisible_tanks", newest.flags & Wire::kMatchInvisible ? 1 : 0);
    // The host's pause and the clock of a timed match show here as there.
    arena.SetFlag("host_paused", newest.flags & Wire::kMatchPaused ? 1 : 0);
    if (arena.rules.Timed()) {
        arena.rules.elapsedMs = arena.rules.timeLimitMs - static_cast<int>(newest.clockMsLeft);
        arena.rules.suddenDeath = newest.flags & Wire::kMatchSuddenDeath;
    }

    // The two snapshots around the drawn time, and how far between them it lies.
    const uint32_t render = RenderTime(localMs);
    const Wire::Snapshot* a = &snapshots_.front();
    const Wire::Snapshot* b = a;
    for (const Wire::Snapshot& s : snapshots_) {
        if (static_cast<int32_t>(s.hostTimeMs - render) <= 0) a = &s;
        b = &s;
        if (static_cast<int32_t>(s.hostTimeMs - render) > 0) break;
    }
    const int32_t span = static_cast<int32_t>(b->hostTimeMs - a->hostTimeMs);
    const float t = span > 0 ? std::clamp(static_cast<int32_t>(render - a->hostTimeMs) / float(span), 0.0f, 1.0f) : 1.0f;

    for (const Wire::TankState& to : b->tanks) {
        if (to.slot == own) continue;
        auto tank = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(to.slot));
        const Wire::TankState* earlier = TankOf(*a, to.slot);
        if (!tank) continue;
        const Wire::TankState& from = earlier ? *earlier : to;
        const vector3df start = PositionOf(from), end = PositionOf(to);
        // A respawn is a jump, not a slide across the arena.
        const bool jump = start.getDistanceFrom(end) > snapDistance;
        const vector3df position = jump ? end : start + (end - start) * t;
        const bool far = tank->GetPosition().getDistanceFrom(position) > snapDistance;
        SetPose(*tank, position, jump ? to.rotationY : from.rotationY + AngleTo(from.rotationY, to.rotationY) * t);
        tank->lastPosition = tank->GetPosition();
        tank->lastGlobalPosition = tank->GetGlobalPosition();
        if (far) arena.RebuildCollisionAnimators();
        const Wire::TankState& shown = t < 0.5f ? from : to;
        if (tank->IsVisible() != (shown.flags & Wire::kTankVisible ? 1 : 0)) tank->SetVisible(shown.flags & Wire::kTankVisible ? 1 : 0);
        // Its engine sounds its speed and turn as on the host; where those move it in the
        // next update, the pose set here after the update overrides them.
        tank->speed = shown.speed;
        tank->turn_speed = shown.turnSpeed;
    }
    PlaceOwnTank(arena);
    PlaceShells(arena, *a, *b, t);
    PlaySounds(arena, t < 0.5f ? *a : *b);
    newSnapshot_ = false;
}

// As drawn: a shell newly in flight is its tank's shot, a tank newly dying its death (the
// own tank's from the newest snapshot, as PlaceOwnTank shows it).
void TJoinerView::PlaySounds(TArenaWorld& arena, const Wire::Snapshot& shown)
{
    for (const Wire::TankState& state : shown.tanks) {
        const int p = state.slot;
        const Wire::TankState* drawn = p == own ? TankOf(snapshots_.back(), p) : &state;
        const bool dying = drawn && (drawn->flags & Wire::kTankDying);
        const bool shell = std::any_of(shown.shells.begin(), shown.shells.end(),
                                       [p](const Wire::ShellState& s) { return s.owner == p; });
        auto tank = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(p));
        if (shell && !shellHeard_[p] && tank && tank->shot) tank->shot->Play(tank->shot_channel);
        if (dying && !deathHeard_[p]) {
            auto die = arena.GetGameResourceAs<TSoundResource>("die_sound");
            dieChannel = TankDieAnimator::PlayDieSound(die ? die->GetResource() : nullptr);
        }
        shellHeard_[p] = shell;
        deathHeard_[p] = dying;
    }
}

void TJoinerView::PlaceOwnTank(TArenaWorld& arena)
{
    auto tank = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(own));
    const Wire::TankState* ownState = TankOf(snapshots_.back(), own);
    if (!tank || !tank->_node || !ownState) return;
    const Wire::TankState& host = *ownState;
    const int visible = host.flags & Wire::kTankVisible ? 1 : 0;
    if (tank->IsVisible() != visible) tank->SetVisible(visible);
    const int disabled = host.flags & Wire::kTankDisabled ? 1 : 0;
    if (tank->IsDisabled() != disabled) tank->SetDisabled(disabled);

    const vector3df hostPosition = PositionOf(host);
    // While it dies, or when prediction has gone far astray (a respawn), the host's word
    // is taken as it stands.
    if ((host.flags & Wire::kTankDying) || tank->GetPosition().getDistanceFrom(hostPosition) > snapDistance) {
        const bool far = tank->GetPosition().getDistanceFrom(hostPosition) > snapDistance;
        SetPose(*tank, hostPosition, host.rotationY);
        tank->lastPosition = tank->GetPosition();
        tank->lastGlobalPosition = tank->GetGlobalPosition();
        tank->speed = 0;
        if (far) arena.RebuildCollisionAnimators();
        correction_ = vector3df();
        rotationCorrection_ = 0;
        predictions_.clear();
        return;
    }
    if (newSnapshot_) {
        const uint32_t applied = snapshots_.back().lastInputApplied;
        auto it = std::find_if(predictions_.begin(), predictions_.end(),
                               [applied](const Prediction& p) { return p.sequence == applied; });
        if (it != predictions_.end()) {
            correction_ = hostPosition - it->position;
            rotationCorrection_ = AngleTo(it->rotationY, host.rotationY);
        }
    }
    // A share of what is left each frame; the past predictions move along with the tank,
    // so that the next snapshot measures only what is still wrong.
    const vector3df step = correction_ * correctionShare;
    const float turn = rotationCorrection_ * correctionShare;
    correction_ -= step;
    rotationCorrection_ -= turn;
    SetPose(*tank, tank->GetPosition() + step, tank->GetHeading() + turn);
    for (Prediction& p : predictions_) {
        p.position += step;
        p.rotationY += turn;
    }
}

// A tank has one shell in flight at most: each slot's shell is drawn by an object of its
// own, in its tank's color.
void TJoinerView::PlaceShells(TArenaWorld& arena, const Wire::Snapshot& a, const Wire::Snapshot& b, float t)
{
    const Wire::Snapshot& shown = t < 0.5f ? a : b;
    const Wire::Snapshot& other = &shown == &a ? b : a;
    auto shellOf = [](const Wire::Snapshot& snapshot, int slot) -> const Wire::ShellState* {
        for (const Wire::ShellState& s : snapshot.shells)
            if (s.owner == slot) return &s;
        return nullptr;
    };
    for (int slot = 0; slot < Wire::kMaxTanks; ++slot) {
        auto object = arena.GetGameObjectAs<TNodeGameObject>(ShellKey(slot));
        const Wire::ShellState* s = shellOf(shown, slot);
        if (!s) {
            if (object && object->_node) object->_node->setVisible(false);
            continue;
        }
        if (!object) {
            irr::scene::IMeshSceneNode* node = arena.LoadModel(
                "tank_shell_model", TankColors::OfSlot(arena, slot), vector3df(), vector3df(), std::nullopt, nullptr,
                std::nullopt);
            if (!node) continue;
            object = std::make_shared<TNodeGameObject>();
            arena.AddGameObject(ShellKey(slot), object);
            object->SetNodeObject(node);
        }
        // The same shell in the other snapshot glides; a new or gone one is shown as it is.
        vector3df position(s->x, s->y, s->z);
        float rotationY = s->rotationY;
        if (const Wire::ShellState* o = shellOf(other, slot)) {
            const Wire::ShellState& from = &shown == &a ? *s : *o;
            const Wire::ShellState& to = &shown == &a ? *o : *s;
            position = vector3df(from.x, from.y, from.z) + (vector3df(to.x, to.y, to.z) - vector3df(from.x, from.y, from.z)) * t;
            rotationY = from.rotationY + AngleTo(from.rotationY, to.rotationY) * t;
        }
        SetPose(*object, position, rotationY);
        object->_node->setVisible(true);
    }
}
