#include "game/net/NetworkMatch.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cmath>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/GameEventReceiver.h"
#include "game/net/ArenaOnWire.h"
#include "game/world/ArenaWorld.h"
#include "game/world/Player.h"
#include "game/net/NetworkMatchEnd.h"
#include "game/net/NetworkRematch.h"
#include "game/tank/Tank.h"
#include "game/tank/TankShell.h"
#include "game/Vexmoor.h"
#include "game/tank/TankDieAnimator.h"
#include "game/control/NetworkTankController.h"

static_assert(kMaxPlayers == Wire::kMaxTanks, "a slot of the match is a player on the wire");

namespace {

// The largest piece of a replay file: a header (at most 96 KiB and its framing) or a block.
constexpr size_t kMaxRecordingPiece = 128u << 10;

std::string NetControllerKey(int slot) { return TArenaWorld::PlayerKeyOfSlot(slot) + "_net_controller"; }

bool Plays(uint8_t playing, int slot) { return playing >> slot & 1; }

uint32_t Now() { return GameClock::Milliseconds(); }

// Degrees in [0, 360), as the wire wants them whatever a tank has turned through.
float Wrapped(float degrees)
{
    float d = std::fmod(degrees, 360.0f);
    return d < 0 ? d + 360.0f : d;
}

float Clamped(float v, float limit) { return std::clamp(v, -limit, limit); }

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Adds the processor time of its scope to a counter.
class CpuTimer {
public:
    explicit CpuTimer(uint64_t& total) : total_(total) { start_ = Read(); }
    ~CpuTimer() { total_ += Read() - start_; }

private:
    static uint64_t Read()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
    }
    uint64_t& total_;
    uint64_t start_;
};

}  // namespace

TNetworkMatch::TNetworkMatch(std::shared_ptr<TNetSession> session, bool rematch)
    : session_(std::move(session)), rematch_(rematch)
{
}

std::shared_ptr<TNetworkMatch> TNetworkMatch::Host(const std::string& address, uint16_t port, std::string* error)
{
    auto session = TNetSession::Host(address, port, GameClock::Milliseconds, TNetSession::Options{}, error);
    return session ? std::make_shared<TNetworkMatch>(std::move(session)) : nullptr;
}

std::shared_ptr<TNetworkMatch> TNetworkMatch::Join(const TNetAddress& host, std::string* error)
{
    auto session = TNetSession::Join(host, GameClock::Milliseconds, TNetSession::Options{}, error);
    return session ? std::make_shared<TNetworkMatch>(std::move(session)) : nullptr;
}

// The match as this arena plays it, for the joiner: the arena drawn (a random choice
// already made), the match options and both tank models.
Wire::MatchSetup TNetworkMatch::SetupOf(TArenaWorld& arena)
{
    Wire::MatchSetup s;
    const TMatchOptions& m = arena.match;
    for (TArenaChoice choice : {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts})
        if (TArenaWorld::ArenaModelFor(choice) == arena.arena_model) s.arena = static_cast<uint8_t>(choice);
    // A maze goes as what makes it, an arena file as its grid.
    if (arena.arenaGrid && arena.maze) {
        s.arena = Wire::kArenaRandomMaze;
        s.maze = {arena.maze->seed, static_cast<uint8_t>(arena.maze->version),
                  static_cast<uint8_t>(arena.maze->roomsAcross), static_cast<uint8_t>(arena.maze->roomsDown)};
    } else if (arena.arenaGrid) {
        s.arena = Wire::kArenaGrid;
        s.grid = ArenaOnWire::Pack(*arena.arenaGrid);
    }
    s.shells = static_cast<uint8_t>(m.shells);
    s.bounces = static_cast<uint8_t>(std::clamp(m.bounces, 1, 9));
    s.scoreTo = static_cast<uint8_t>(std::clamp(m.scoreTo, 1, Wire::kMaxScore));
    s.timeLimitSeconds = static_cast<uint16_t>(std::clamp(m.timeLimitSeconds, 0, 3600));
    s.guided = m.guided ? 1 : 0;
    s.invisible = m.invisible ? 1 : 0;
    s.respawn = static_cast<uint8_t>(m.respawn);
    s.playing = 0;
    for (int slot : arena.slots)
        if (slot >= 0 && slot < Wire::kMaxTanks) s.playing |= static_cast<uint8_t>(1 << slot);
    s.playing |= 3;
    s.mode = m.mode == TMatchMode::Teams ? 1 : 0;
    s.friendlyFire = m.friendlyFire ? 1 : 0;
    for (size_t p = 0; p < s.tankModels.size() && p < arena.tankModels.size(); ++p)
        s.tankModels[p] = static_cast<uint8_t>(arena.tankModels[p]);
    return s;
}

std::shared_ptr<TNetworkTankController> TNetworkMatch::Controller(TArenaWorld& arena, int slot)
{
    return arena.GetGameObjectAs<TNetworkTankController>(NetControllerKey(slot));
}

std::vector<uint8_t> TNetworkMatch::JoinerSlotsOf(TArenaWorld& arena)
{
    std::vector<uint8_t> joiners;
    if (TVexmoor* game = arena.GetGame())
        for (int slot : arena.slots)
            if (slot > 0 && slot < kMaxPlayers && game->settings.players[static_cast<size_t>(slot)].status == TPlayerStatus::Network)
                joiners.push_back(static_cast<uint8_t>(slot));
    if (joiners.empty()) joiners.push_back(1);
    return joiners;
}

void TNetworkMatch::Enter(TArenaWorld& arena)
{
    // On the host each joiner's tank is driven from the network; a joiner drives nothing
    // but its own tank, predicted from this machine's keys, once the host says which.
    if (!IsJoiner()) session_->SetJoinerSlots(JoinerSlotsOf(arena));
    for (int slot : arena.slots) {
        const bool joiners = IsJoiner() || std::count(session_->JoinerSlots().begin(), session_->JoinerSlots().end(), slot);
        auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot));
        if (!player || !joiners) continue;
        arena.RemoveGameObject(player->controller);
        player->SetController("");
        if (!IsJoiner()) {
            arena.AddGameObject(NetControllerKey(slot), TNetworkTankController::Create(player->tank));
            player->SetController(NetControllerKey(slot));
        }
    }
    arena.SetTanksDisabled(1);
    if (!IsJoiner()) session_->SetSetup(SetupOf(arena));
    if (session_->GetStatus() == TNetSession::Status::Connected) {
        StartPlaying(arena);
    } else {
        message_ = IsJoiner() ? L"JOINING THE HOST" : L"WAITING FOR A PLAYER ON PORT " + std::to_wstring(session_->GetPort());
    }
}

bool TNetworkMatch::FinalePlayedOut(TArenaWorld& arena) const
{
    // The finale's animator deletes itself as it asks for what follows.
    return phase_ == Phase::Finale && arena.GetFlag("match_end") && !arena.GetAnimator("match_end");
}

void TNetworkMatch::Leave(TArenaWorld& arena)
{
    TVexmoor* game = arena.GetGame();
    if (game && FinalePlayedOut(arena) && TGame::IsGameState("ResultsScreen")) {
        if (hostResults_) game->lastMatch = *hostResults_;
        game->networkRematch = std::make_shared<TNetworkRematch>(session_, rematchChosen_, hostResults_);
        return;
    }
    session_->Close();
    // The set-up screen that follows offers the same role again and says why the match ended.
    if (auto end = game ? game->networkMatchEnd.lock() : nullptr) end->AfterNetworkMatch(*session_, endMessage_);
}

void TNetworkMatch::BeforeObjects(TArenaWorld& arena)
{
    CpuTimer timer(cpuNanoseconds);
    session_->Service();
    if (phase_ == Phase::Ended) {
        if (Now() - endedAtMs_ >= messageShownMs) arena.SetNextState("StartScreen");
        return;
    }
    // Once the match is decided its finale plays out whatever the network does.
    if (session_->IsOver() && phase_ != Phase::Finale) {
        EndEarly(arena, session_->GetMessage());
        return;
    }
    if (phase_ == Phase::Waiting && session_->GetStatus() == TNetSession::Status::Connected) StartPlaying(arena);
    // A host with joiners still to come says how many it has.
    if (phase_ == Phase::Waiting && !IsJoiner() && session_->JoinerSlots().size() > 1)
        message_ = L"WAITING FOR PLAYERS ON PORT " + std::to_wstring(session_->GetPort()) + L": " +
                   std::to_wstring(session_->JoinedCount()) + L" OF " +
                   std::to_wstring(session_->JoinerSlots().size()) + L" IN";
    if (IsJoiner())
        JoinerBefore(arena);
    else
        HostBefore(arena);
}

bool TNetworkMatch::AfterObjects(TArenaWorld& arena)
{
    CpuTimer timer(cpuNanoseconds);
    if (phase_ == Phase::Waiting || phase_ == Phase::Ended) return true;
    if (IsJoiner()) {
        JoinerAfter(arena);
        return true;
    }
    HostAfter(arena);
    return false;
}

void TNetworkMatch::StartPlaying(TArenaWorld& arena)
{
    phase_ = Phase::Playing;
    message_.clear();
    playingSinceMs_ = Now();
    if (IsJoiner()) {
        // The host's set-up is the match's; the joiner's own stays in its settings.
        const Wire::MatchSetup& s = session_->GetSetup();
        TMatchOptions m;
        m.arena = s.arena == Wire::kArenaRandomMaze ? TArenaChoice::RandomMaze
                  : s.arena == Wire::kArenaGrid     ? TArenaChoice::Custom
                                                    : static_cast<TArenaChoice>(s.arena);
        m.customArena = s.arena == Wire::kArenaGrid ? s.grid.name : "";
        m.shells = static_cast<TShellKind>(s.shells);
        m.bounces = s.bounces;
        m.scoreTo = s.scoreTo;
        m.timeLimitSeconds = s.timeLimitSeconds;
        m.guided = s.guided;
        m.invisible = s.invisible;
        m.respawn = static_cast<TRespawnRule>(s.respawn);
        m.mode = s.mode ? TMatchMode::Teams : TMatchMode::FreeForAll;
        m.friendlyFire = s.friendlyFire;
        for (size_t p = 0; p < s.tankModels.size() && p < arena.tankModels.size(); ++p)
            arena.tankModels[p] = static_cast<TTankModel>(s.tankModels[p]);
        // The arena was entered with this machine's set-up: the first snapshot's reset
        // loads the host's arena and tanks in its place.
        arena.match = m;
        arena.rules.Start(m, Now());  // its clock shows the host's (the snapshots set it)
        TakeHostsSlots(arena, s);
        UseHostsArena(arena, s);
        // The tanks wait for the first snapshot, which a host of several waits to send.
        if (__builtin_popcount(s.playing) > 2 && phase_ == Phase::Playing) message_ = L"WAITING FOR THE OTHER PLAYERS";
        return;
    }
    arena.ResetArena();
    arena.SetTanksDisabled(0);
    // The joiner of a rematch waits on its results for this match's set-up.
    if (rematch_) {
        session_->Send(Wire::NextMatch{session_->GetSetup()});
        session_->Flush();
    }
    // The match is on from this frame: its clock, its seeds and its recording.
    arena.StartMatch();
}

void TNetworkMatch::UseHostsArena(TArenaWorld& arena, const Wire::MatchSetup& s)
{
    if (s.arena == Wire::kArenaRandomMaze) {
        const TMazePlan plan{s.maze.seed, s.maze.version, s.maze.roomsAcross, s.maze.roomsDown};
        if (std::optional<TArenaGrid> grid = TMazeGenerator::Generate(plan)) {
            arena.UseArenaGrid(std::move(*grid), plan);
            return;
        }
        std::fprintf(stderr, "network: the host's maze (generator version %d, %d x %d rooms) cannot be made here\n",
                     plan.version, plan.roomsAcross, plan.roomsDown);
        EndEarly(arena, "THE HOST'S MAZE CANNOT BE MADE HERE");
    } else if (s.arena == Wire::kArenaGrid) {
        TArenaRead read = ArenaOnWire::Unpack(s.grid);
        if (read.grid) {
            arena.UseArenaGrid(std::move(*read.grid), std::nullopt);
            return;
        }
        std::fprintf(stderr, "network: %s\n", read.error.Message().c_str());
        EndEarly(arena, "THE HOST'S ARENA IS REFUSED");
    } else {
        arena.DropArenaGrid();
        arena.arena_model = TArenaWorld::ArenaModelFor(arena.match.arena);
    }
}

void TNetworkMatch::TakeHostsSlots(TArenaWorld& arena, const Wire::MatchSetup& s)
{
    view_.own = session_->GetSlot();
    std::vector<int> slots;
    for (int slot = 0; slot < Wire::kMaxTanks; ++slot) {
        if (!Plays(s.playing, slot)) {
            arena.RemoveGameObject(TArenaWorld::PlayerKeyOfSlot(slot));
            continue;
        }
        slots.push_back(slot);
        auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot));
        if (!player) {
            player = TPlayer::Create(TArenaWorld::TankKeyOfSlot(slot), "");
            arena.AddGameObject(TArenaWorld::PlayerKeyOfSlot(slot), player);
        }
        if (slot == view_.own && !Controller(arena, slot)) {
            arena.AddGameObject(NetControllerKey(slot), TNetworkTankController::Create(player->tank));
            player->SetController(NetControllerKey(slot));
        }
    }
    arena.slots = slots;
}

void TNetworkMatch::StartFinale(TArenaWorld& arena, const Standings& standings, int winner)
{
    if (phase_ == Phase::Finale) return;
    phase_ = Phase::Finale;
    // Both sides say how the match ended, in the same words: in a duel each player's points
    // are the hits the other player's tank took; with more players, the hits each made.
    if (arena.slots.size() == 2) {
        std::fprintf(stderr, "network: the match is over: player 1 has %d points, player 2 has %d\n",
                     standings.scores[1], standings.scores[0]);
    } else {
        std::string line = "network: the match is over:";
        for (int slot : arena.slots)
            line += (slot == arena.slots.front() ? " player " : ", player ") + std::to_string(slot + 1) + " has " +
                    std::to_string(standings.hits[static_cast<size_t>(slot)]) + " hits";
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (IsJoiner()) {
        for (int slot : arena.slots)
            if (auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot))) {
                player->score = standings.scores[static_cast<size_t>(slot)];
                player->hits = standings.hits[static_cast<size_t>(slot)];
            }
        // The winner's line, as the host shows it.
        arena.winner = winner;
        arena.SetFlag("host_paused", 0);
    }
    if (IsJoiner() && !arena.GetFlag("match_end")) arena.PlayMatchEnd();
    // The host's figures are the match's, on every side's results.
    TVexmoor* game = arena.GetGame();
    if (!IsJoiner() && game) session_->Send(TNetworkRematch::ToWire(game->lastMatch));
}

void TNetworkMatch::TakeAfterMatch(const Wire::Message& message, int slot)
{
    // A joiner hears the host's choice, which is player 1's.
    if (std::holds_alternative<Wire::Rematch>(message) && slot >= 0 && slot < Wire::kMaxTanks)
        rematchChosen_ |= static_cast<uint8_t>(1 << (IsJoiner() ? 0 : slot));
    if (auto* results = std::get_if<Wire::Results>(&message); results && IsJoiner())
        hostResults_ = TNetworkRematch::FromWire(*results);
}

void TNetworkMatch::EndEarly(TArenaWorld& arena, const std::string& message)
{
    phase_ = Phase::Ended;
    endMessage_ = message.empty() ? "CONNECTION LOST" : message;
    endedAtMs_ = Now();
    arena.SetTanksDisabled(1);
    message_ = Wide(endMessage_);
}

// Host ---------------------------------------------------------------------------------

void TNetworkMatch::SendRecording(const std::vector<uint8_t>& piece)
{
    if (IsJoiner() || piece.empty()) return;
    for (size_t at = 0; at < piece.size(); at += Wire::kMaxRecordingPart) {
        const size_t end = std::min(piece.size(), at + Wire::kMaxRecordingPart);
        Wire::Recording part;
        part.last = end == piece.size() ? 1 : 0;
        part.bytes.assign(piece.begin() + static_cast<long>(at), piece.begin() + static_cast<long>(end));
        session_->Send(part);
    }
}

void TNetworkMatch::HostBefore(TArenaWorld& arena)
{
    int slot = -1;
    while (auto message = session_->Receive(&slot)) {
        if (auto* input = std::get_if<Wire::Input>(&*message))
            if (auto controller = Controller(arena, slot)) controller->TakeInputs(input->states);
        TakeAfterMatch(*message, slot);
    }
    if (auto controller = Controller(arena, session_->JoinerSlots().front())) inputSequence = controller->lastSequence;
}

void TNetworkMatch::HostAfter(TArenaWorld& arena)
{
    if (arena.GetFlag("match_end")) StartFinale(arena, StandingsOf(arena), arena.winner);
    // Due every interval on average, whatever the frame rate.
    const uint32_t now = Now();
    if (lastSent_ && static_cast<int32_t>(now - nextSnapshotMs_) < 0) return;
    nextSnapshotMs_ += snapshotIntervalMs;
    if (!lastSent_ || static_cast<int32_t>(now - nextSnapshotMs_) >= 0) nextSnapshotMs_ = now + snapshotIntervalMs;
    Wire::Snapshot snapshot = TakeSnapshot(arena);
    SendEvents(arena, snapshot);
    // Each joiner hears which of its inputs its tank has taken.
    for (uint8_t slot : session_->JoinerSlots()) {
        auto controller = Controller(arena, slot);
        snapshot.lastInputApplied = controller ? controller->lastSequence : 0;
        session_->SendToSlot(slot, snapshot);
    }
    session_->Flush();
    lastSent_ = std::move(snapshot);
}

TNetworkMatch::Standings TNetworkMatch::StandingsOf(TArenaWorld& arena)
{
    Standings standings;
    for (int slot : arena.slots) {
        auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot));
        if (!player || slot < 0 || slot >= Wire::kMaxTanks) continue;
        standings.scores[static_cast<size_t>(slot)] = static_cast<uint8_t>(std::clamp(player->score, 0, Wire::kMaxScore));
        standings.hits[static_cast<size_t>(slot)] = static_cast<uint8_t>(std::clamp(player->hits, 0, Wire::kMaxScore));
    }
    return standings;
}

TNetworkMatch::Standings TNetworkMatch::StandingsOf(const Wire::Snapshot& snapshot)
{
    Standings standings;
    for (const Wire::TankState& t : snapshot.tanks) {
        standings.scores[t.slot] = t.score;
        standings.hits[t.slot] = t.hits;
    }
    return standings;
}

Wire::Snapshot TNetworkMatch::TakeSnapshot(TArenaWorld& arena)
{
    Wire::Snapshot s;
    s.sequence = ++snapshotSequence_;
    s.hostTimeMs = Now();
    const bool finale = arena.GetFlag("match_end") != 0;
    s.flags = (TGame::Framerate && TGame::Framerate->IsPaused() ? Wire::kMatchPaused : 0) |
              (arena.GetFlag("guided_shells") ? Wire::kMatchGuided : 0) |
              (arena.IsInvisibleTanks() ? Wire::kMatchInvisible : 0) | (finale ? Wire::kMatchFinale : 0) |
              (arena.rules.SuddenDeath() ? Wire::kMatchSuddenDeath : 0);
    s.winner = static_cast<uint8_t>(finale ? std::clamp(arena.winner, 0, Wire::kMaxTanks) : 0);
    if (arena.rules.Timed())
        s.clockMsLeft = static_cast<uint32_t>(std::clamp(arena.rules.timeLimitMs - arena.rules.elapsedMs, 0,
                                                         static_cast<int>(Wire::kMaxClockMs)));
    TVexmoor* game = arena.GetGame();
    s.scheme = static_cast<uint8_t>(game ? std::clamp(game->ColorSchemeIdx, 0, Wire::kSchemes - 1) : 0);
    const Standings standings = StandingsOf(arena);
    for (int p : arena.slots) {
        auto tank = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(p));
        if (!tank || !tank->_node || p < 0 || p >= Wire::kMaxTanks) continue;
        Wire::TankState& t = s.tanks.emplace_back();
        t.slot = static_cast<uint8_t>(p);
        t.score = standings.scores[static_cast<size_t>(p)];
        t.hits = standings.hits[static_cast<size_t>(p)];
        const irr::core::vector3df position = tank->GetPosition();
        t.x = Clamped(position.X, Wire::kMaxCoordinate);
        t.y = Clamped(position.Y, Wire::kMaxCoordinate);
        t.z = Clamped(position.Z, Wire::kMaxCoordinate);
        t.rotationY = tank->GetHeading();
        t.speed = Clamped(tank->speed, 1.0f);
        t.turnSpeed = Clamped(tank->turn_speed, 90.0f);
        auto dying = tank->GetAnimator("die_anim");
        t.flags = (tank->IsVisible() ? Wire::kTankVisible : 0) | (tank->IsDisabled() ? Wire::kTankDisabled : 0) |
                  (dying ? Wire::kTankDying : 0) | (tank->bStarting ? Wire::kTankStarting : 0) |
                  (tank->bStopping ? Wire::kTankStopping : 0);
        if (auto* die = dynamic_cast<TankDieAnimator*>(dying.get()); die && die->start != 0)
            t.deathMs = static_cast<uint16_t>(std::clamp<int>(static_cast<int>(s.hostTimeMs) - die->start, 0, 60000));
        if (auto shell = tank->GetShell(); shell && shell->_node) {
            const irr::core::vector3df at = shell->_node->getAbsolutePosition();
            // A guided shell turns with its tank: its heading in the world.
            const float yaw = TNodeGameObject::HeadingOf(shell->_node->getAbsoluteTransformation());
            s.shells.push_back(Wire::ShellState{static_cast<uint8_t>(p), Clamped(at.X, Wire::kMaxCoordinate),
                                                Clamped(at.Y, Wire::kMaxCoordinate),
                                                Clamped(at.Z, Wire::kMaxCoordinate), Wrapped(yaw)});
        }
    }
    return s;
}

// The reliable side of the match: what changed since the last snapshot, as events.
void TNetworkMatch::SendEvents(TArenaWorld&, const Wire::Snapshot& now)
{
    const Wire::Snapshot before = lastSent_ ? *lastSent_ : Wire::Snapshot{};
    const Standings standings = StandingsOf(now), earlier = StandingsOf(before);
    auto event = [&](Wire::EventKind kind, int player) {
        session_->Send(Wire::Event{kind, static_cast<uint8_t>(player), standings.scores, standings.hits});
    };
    // The shooter of a hit is the player whose hits went up; a team mate's hit (friendly
    // fire) counts for no one and names the victim.
    int shooter = -1;
    for (const Wire::TankState& t : now.tanks)
        if (standings.hits[t.slot] != earlier.hits[t.slot]) shooter = t.slot;
    for (const Wire::TankState& t : now.tanks) {
        const Wire::TankState* was = TJoinerView::TankOf(before, t.slot);
        if ((t.flags & Wire::kTankDying) && !(was && (was->flags & Wire::kTankDying))) {
            event(Wire::EventKind::Hit, shooter >= 0 ? shooter : t.slot);
            event(Wire::EventKind::Death, t.slot);
        }
        if (standings.scores[t.slot] != earlier.scores[t.slot])
            event(Wire::EventKind::Score, shooter >= 0 ? shooter : t.slot);
    }
    if ((now.flags & Wire::kMatchFinale) && !(before.flags & Wire::kMatchFinale)) event(Wire::EventKind::MatchEnd, now.winner);
}

// Joiner -------------------------------------------------------------------------------

void TNetworkMatch::JoinerBefore(TArenaWorld& arena)
{
    while (auto message = session_->Receive()) {
        if (auto* snapshot = std::get_if<Wire::Snapshot>(&*message)) view_.OnSnapshot(*snapshot, Now());
        if (auto* part = std::get_if<Wire::Recording>(&*message)) {
            // Put together piece by piece; a piece longer than any a replay has is dropped.
            recordingTooLong_ = recordingTooLong_ || recordingPiece_.size() + part->bytes.size() > kMaxRecordingPiece;
            if (!recordingTooLong_) recordingPiece_.insert(recordingPiece_.end(), part->bytes.begin(), part->bytes.end());
            if (part->last) {
                if (!recordingTooLong_) arena.OnHostRecording(recordingPiece_);
                recordingPiece_.clear();
                recordingTooLong_ = false;
            }
        }
        if (auto* event = std::get_if<Wire::Event>(&*message)) {
            for (int slot : arena.slots)
                if (auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot))) {
                    player->score = event->scores[static_cast<size_t>(slot)];
                    player->hits = event->hits[static_cast<size_t>(slot)];
                }
            if (event->kind == Wire::EventKind::MatchEnd) StartFinale(arena, Standings{event->scores, event->hits}, event->player);
        }
        TakeAfterMatch(*message, 0);
    }
    if (phase_ != Phase::Playing) return;
    if (const Wire::Snapshot* newest = view_.Newest()) {
        if (newest->flags & Wire::kMatchFinale) {
            StartFinale(arena, StandingsOf(*newest), newest->winner);
            return;
        }
        // The others are in: the match begins here now.
        if (message_ == L"WAITING FOR THE OTHER PLAYERS") {
            message_.clear();
            playingSinceMs_ = Now();
        }
    }
    // This machine's keys of player 2, as one input state, whichever player it plays.
    TGameEventReceiver* events = arena.Events();
    const TKeyBindings keys = arena.GetGame() ? arena.GetGame()->settings.players[1].keys : TSettings::DefaultKeys(1);
    uint8_t buttons = 0;
    if (events) {
        if (events->IsKeyDown(keys.forward, 0, 0, 0)) buttons |= Wire::kButtonForward;
        if (events->IsKeyDown(keys.left, 0, 0, 0)) buttons |= Wire::kButtonLeft;
        if (events->IsKeyDown(keys.right, 0, 0, 0)) buttons |= Wire::kButtonRight;
        // A tap between two frames still counts as a press.
        if (events->IsKeyUpDown(keys.fire, 1) | events->IsKeyDown(keys.fire, 0, 0, 0)) buttons |= Wire::kButtonFire;
    }
    const Wire::InputState state{++inputSequence, buttons};
    inputs_.push_front(state);
    if (inputs_.size() > Wire::kInputsPerPacket) inputs_.pop_back();
    session_->Send(Wire::Input{std::vector<Wire::InputState>(inputs_.begin(), inputs_.end())});
    session_->Flush();
    // The tank moves here at once; only the host fires.
    if (auto controller = Controller(arena, view_.own))
        controller->TakeInputs({Wire::InputState{state.sequence, uint8_t(buttons & ~Wire::kButtonFire)}});
}

void TNetworkMatch::JoinerAfter(TArenaWorld& arena)
{
    if (phase_ == Phase::Finale) return;
    view_.Apply(arena, Now());
    if (auto tank = arena.GetGameObjectAs<TTank>(TArenaWorld::TankKeyOfSlot(view_.own)); tank && tank->_node)
        view_.RecordPrediction(inputSequence, tank->GetPosition(), tank->GetHeading());
}
