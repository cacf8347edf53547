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

namespace {

const char* const kNetController = "player2_net_controller";
// The largest piece of a replay file: a header (at most 96 KiB and its framing) or a block.
constexpr size_t kMaxRecordingPiece = 128u << 10;
const char* const kPlayerKeys[2] = {"player1", "player2"};

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
    for (size_t p = 0; p < 2; ++p) s.tankModels[p] = static_cast<uint8_t>(arena.tankModels[p]);
    return s;
}

std::shared_ptr<TNetworkTankController> TNetworkMatch::Controller(TArenaWorld& arena)
{
    return arena.GetGameObjectAs<TNetworkTankController>(kNetController);
}

void TNetworkMatch::Enter(TArenaWorld& arena)
{
    // Player 2's tank is driven from the network on the host, and predicted from this
    // machine's keys on the joiner; the joiner drives nothing else.
    for (int p = IsJoiner() ? 0 : 1; p < 2; ++p) {
        auto player = arena.GetGameObjectAs<TPlayer>(kPlayerKeys[p]);
        if (!player) continue;
        arena.RemoveGameObject(player->controller);
        if (p == 1) {
            arena.AddGameObject(kNetController, TNetworkTankController::Create(player->tank));
            player->SetController(kNetController);
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
        game->networkRematch = std::make_shared<TNetworkRematch>(session_, otherChoseRematch_, hostResults_);
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
        for (size_t p = 0; p < 2; ++p) arena.tankModels[p] = static_cast<TTankModel>(s.tankModels[p]);
        // The arena was entered with this machine's set-up: the first snapshot's reset
        // loads the host's arena and tanks in its place.
        arena.match = m;
        arena.rules.Start(m, Now());  // its clock shows the host's (the snapshots set it)
        UseHostsArena(arena, s);
        return;  // the tanks wait for the first snapshot
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

void TNetworkMatch::StartFinale(TArenaWorld& arena, const std::array<uint8_t, 2>& hitsTaken)
{
    if (phase_ == Phase::Finale) return;
    phase_ = Phase::Finale;
    // Both sides say how the match ended, in the same words: each player's points are the
    // hits the other player's tank took.
    std::fprintf(stderr, "network: the match is over: player 1 has %d points, player 2 has %d\n", hitsTaken[1],
                 hitsTaken[0]);
    if (IsJoiner()) {
        for (int p = 0; p < 2; ++p)
            if (auto player = arena.GetGameObjectAs<TPlayer>(kPlayerKeys[p])) player->score = hitsTaken[p];
        // The winner's line, as the host shows it: the player whose opponent's tank took more hits.
        arena.winner = hitsTaken[1] > hitsTaken[0] ? 1 : hitsTaken[0] > hitsTaken[1] ? 2 : 0;
        arena.SetFlag("host_paused", 0);
    }
    if (IsJoiner() && !arena.GetFlag("match_end")) arena.PlayMatchEnd();
    // The host's figures are the match's, on both sides' results.
    TVexmoor* game = arena.GetGame();
    if (!IsJoiner() && game) session_->Send(TNetworkRematch::ToWire(game->lastMatch));
}

void TNetworkMatch::TakeAfterMatch(const Wire::Message& message)
{
    if (std::holds_alternative<Wire::Rematch>(message)) otherChoseRematch_ = true;
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
    auto controller = Controller(arena);
    while (auto message = session_->Receive()) {
        if (auto* input = std::get_if<Wire::Input>(&*message); input && controller) controller->TakeInputs(input->states);
        TakeAfterMatch(*message);
    }
    if (controller) inputSequence = controller->lastSequence;
}

void TNetworkMatch::HostAfter(TArenaWorld& arena)
{
    if (arena.GetFlag("match_end")) StartFinale(arena, HitsTaken(arena));
    // Due every interval on average, whatever the frame rate.
    const uint32_t now = Now();
    if (lastSent_ && static_cast<int32_t>(now - nextSnapshotMs_) < 0) return;
    nextSnapshotMs_ += snapshotIntervalMs;
    if (!lastSent_ || static_cast<int32_t>(now - nextSnapshotMs_) >= 0) nextSnapshotMs_ = now + snapshotIntervalMs;
    Wire::Snapshot snapshot = TakeSnapshot(arena);
    SendEvents(arena, snapshot);
    session_->Send(snapshot);
    session_->Flush();
    lastSent_ = std::move(snapshot);
}

std::array<uint8_t, 2> TNetworkMatch::HitsTaken(TArenaWorld& arena)
{
    std::array<uint8_t, 2> hits{};
    for (int p = 0; p < 2; ++p) {
        auto player = arena.GetGameObjectAs<TPlayer>(kPlayerKeys[p]);
        hits[p] = static_cast<uint8_t>(std::clamp(player ? player->score : 0, 0, Wire::kMaxScore));
    }
    return hits;
}

Wire::Snapshot TNetworkMatch::TakeSnapshot(TArenaWorld& arena)
{
    Wire::Snapshot s;
    s.sequence = ++snapshotSequence_;
    s.hostTimeMs = Now();
    s.lastInputApplied = inputSequence;
    const bool finale = arena.GetFlag("match_end") != 0;
    s.flags = (TGame::Framerate && TGame::Framerate->IsPaused() ? Wire::kMatchPaused : 0) |
              (arena.GetFlag("guided_shells") ? Wire::kMatchGuided : 0) |
              (arena.IsInvisibleTanks() ? Wire::kMatchInvisible : 0) | (finale ? Wire::kMatchFinale : 0) |
              (arena.rules.SuddenDeath() ? Wire::kMatchSuddenDeath : 0);
    if (arena.rules.Timed())
        s.clockMsLeft = static_cast<uint32_t>(std::clamp(arena.rules.timeLimitMs - arena.rules.elapsedMs, 0,
                                                         static_cast<int>(Wire::kMaxClockMs)));
    TVexmoor* game = arena.GetGame();
    s.scheme = static_cast<uint8_t>(game ? std::clamp(game->ColorSchemeIdx, 0, Wire::kSchemes - 1) : 0);
    s.scores = HitsTaken(arena);
    for (int p = 0; p < 2; ++p) {
        auto tank = arena.GetGameObjectAs<TTank>(TJoinerView::kTankKeys[p]);
        if (!tank || !tank->_node) continue;
        Wire::TankState& t = s.tanks[p];
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
    for (uint8_t p = 0; p < 2; ++p) {
        if ((now.tanks[p].flags & Wire::kTankDying) && !(before.tanks[p].flags & Wire::kTankDying)) {
            session_->Send(Wire::Event{Wire::EventKind::Hit, uint8_t(1 - p), now.scores});
            session_->Send(Wire::Event{Wire::EventKind::Death, p, now.scores});
        }
        // A player's score counts the hits its tank took: the other player scored.
        if (now.scores[p] != before.scores[p]) session_->Send(Wire::Event{Wire::EventKind::Score, uint8_t(1 - p), now.scores});
    }
    if ((now.flags & Wire::kMatchFinale) && !(before.flags & Wire::kMatchFinale)) {
        const uint8_t winner = now.scores[0] <= now.scores[1] ? 0 : 1;
        session_->Send(Wire::Event{Wire::EventKind::MatchEnd, winner, now.scores});
    }
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
            for (int p = 0; p < 2; ++p)
                if (auto player = arena.GetGameObjectAs<TPlayer>(kPlayerKeys[p])) player->score = event->scores[p];
            if (event->kind == Wire::EventKind::MatchEnd) StartFinale(arena, event->scores);
        }
        TakeAfterMatch(*message);
    }
    if (phase_ != Phase::Playing) return;
    if (const Wire::Snapshot* newest = view_.Newest(); newest && (newest->flags & Wire::kMatchFinale)) {
        StartFinale(arena, newest->scores);
        return;
    }
    // This machine's keys of player 2, as one input state.
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
    if (auto controller = Controller(arena))
        controller->TakeInputs({Wire::InputState{state.sequence, uint8_t(buttons & ~Wire::kButtonFire)}});
}

void TNetworkMatch::JoinerAfter(TArenaWorld& arena)
{
    if (phase_ == Phase::Finale) return;
    view_.Apply(arena, Now());
    if (auto tank = arena.GetGameObjectAs<TTank>(TJoinerView::kTankKeys[TJoinerView::kOwn]); tank && tank->_node)
        view_.RecordPrediction(inputSequence, tank->GetPosition(), tank->GetHeading());
}
