// The match's recording and the replay of one: the set-up as a replay header, the start of
// a match (its clock, seeds and tape), each frame's commands and keys into the tape, and
// the other way round in a replay: the recorded set-up, commands and keys at the recorded
// frame times, as many frames a draw as the viewer's clock has reached.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <iostream>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/GameEventReceiver.h"
#include "framework/Gamepads.h"
#include "framework/objects/SteppedCollisionResponse.h"
#include "game/CommandLine.h"
#include "game/Vexmoor.h"
#include "game/arenas/ArenaFileReader.h"
#include "game/control/ComputerTankController.h"
#include "game/control/KeyboardTankController.h"
#include "game/control/NetworkTankController.h"
#include "game/control/PadTankController.h"
#include "game/control/ReplayTankController.h"
#include "game/match/ArenaScreen.h"
#include "game/net/NetworkMatch.h"
#include "game/tank/Tank.h"
#include "game/world/Player.h"

namespace {

const char* const kBuiltInModels[] = {"arena_base_model", "arena1_model", "arena2_model"};
const TArenaChoice kBuiltInChoices[] = {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts};

enum Key { kEscape = 27, kF1 = 112, kF7 = 118, kF8 = 119, kF9 = 120, kF12 = 123, kPlus = 187, kMinus = 189,
           kKeypadPlus = 107, kKeypadMinus = 109 };

// How long the last picture of a recording without an end stays before the way back.
constexpr uint32_t kEndHoldMs = 3000;
// A draw after a stall does not make up more than this much of the replay at once.
constexpr uint32_t kLongestDrawMs = 250;
constexpr int kSlowest = -2, kFastest = 2;  // the viewer's speed: 1/4 to 4 times

replay::TDriveCommand Recorded(const TDriveCommand& c)
{
    // Drive turns left, then right: with both held the right turn wins.
    return {c.drive, c.right ? 1 : (c.left ? -1 : 0), c.fire, false};
}

TDriveCommand Played(const replay::TDriveCommand& c)
{
    TDriveCommand command;
    command.drive = c.drive;
    command.left = c.turn < 0;
    command.right = c.turn > 0;
    command.fire = c.fire;
    return command;
}

uint8_t Skill(TPlayerStatus status)
{
    return status == TPlayerStatus::ComputerEasy ? 0 : status == TPlayerStatus::ComputerNormal ? 1 : 2;
}

std::wstring SpeedText(int speed)
{
    static const wchar_t* const kTexts[] = {L"1/4x", L"1/2x", L"1x", L"2x", L"4x"};
    return kTexts[speed - kSlowest];
}

}  // namespace

replay::TReplayHeader TVexmoorArenaScreen::MatchHeader(uint32_t gameSeed)
{
    replay::TReplayHeader h;
    TVexmoor* game = GetGame();
    h.gameVersion = TCommandLine::VersionLine();
    h.dateUnixSeconds = static_cast<int64_t>(std::time(nullptr));
    if (arenaGrid) {
        // An arena file, or a maze, goes as its grid: the replay plays it whatever the
        // window (which sizes a maze) or the files of the machine that plays it.
        h.arena.kind = maze ? replay::TArenaKind::Maze : replay::TArenaKind::Custom;
        h.arena.mazeSeed = maze ? maze->seed : 0;
        h.arena.customText = arenaGrid->ToText();
    } else {
        for (uint8_t id = 0; id < 3; ++id)
            if (arena_model == kBuiltInModels[id]) h.arena.builtInId = id;
    }
    replay::TVariations& v = h.variations;
    v.shells = match.shells == TShellKind::Bouncing ? replay::TShellKind::Bouncing : replay::TShellKind::Straight;
    v.bounces = static_cast<uint8_t>(std::clamp(match.bounces, 0, 255));
    v.scoreTo = static_cast<uint16_t>(std::clamp(match.scoreTo, 0, 65535));
    v.timeLimitSeconds = static_cast<uint16_t>(std::clamp(match.timeLimitSeconds, 0, 65535));
    v.guided = match.guided;
    v.invisible = match.invisible;
    v.respawn = match.respawn == TRespawnRule::Safe ? replay::TRespawnRule::Safe : replay::TRespawnRule::Anywhere;
    // A tank for each playing slot, in slot order.
    for (int slot : slots) {
        replay::TTankSetup tank;
        tank.model = tankModels[static_cast<size_t>(slot)] == TTankModel::Sleek ? 1 : 0;
        tank.detail = static_cast<uint8_t>(slot);
        auto player = GetGameObjectAs<TPlayer>(PlayerKeyOfSlot(slot));
        auto controller = player ? GetGameObject(player->controller) : nullptr;
        if (auto computer = std::dynamic_pointer_cast<TComputerTankController>(controller)) {
            tank.driver = replay::TDriverKind::Computer;
            tank.detail = game ? Skill(game->settings.players[static_cast<size_t>(slot)].status) : 1;
            tank.seed = computer->seed;
        } else if (auto pad = std::dynamic_pointer_cast<TPadTankController>(controller)) {
            tank.driver = replay::TDriverKind::Pad;
            tank.detail = static_cast<uint8_t>(pad->pad);
        } else if (std::dynamic_pointer_cast<TNetworkTankController>(controller)) {
            tank.driver = replay::TDriverKind::Network;
        }
        h.tanks.push_back(tank);
        h.slots.push_back(static_cast<uint8_t>(slot));
    }
    h.mode = match.mode == TMatchMode::Teams ? replay::TSidesMode::Teams : replay::TSidesMode::FreeForAll;
    h.friendlyFire = match.friendlyFire;
    h.colorScheme = static_cast<uint8_t>(game ? std::clamp(game->ColorSchemeIdx, 0, 255) : 0);
    h.targetFps = TGame::Framerate->GetTargetFPS();
    h.gameSeed = gameSeed;
    return h;
}

void TVexmoorArenaScreen::StartMatch()
{
    // A match begins in a frame, whose time is its start; asked between frames (a network
    // host whose joiner is in as the arena is entered), it begins with the next.
    if (!GameClock::InFrame()) {
        startPending_ = true;
        return;
    }
    startPending_ = false;
    started_ = true;
    // The first frame moves nothing: its step would hold the screen before and the loading.
    TGame::Framerate->ZeroStep();
    rules.Start(match, GameClock::Milliseconds());
    winner = 0;
    stats = TMatchStats{};
    // Where the last match respawned a tank says nothing about this one.
    last_respawn = 0;
    // A reset makes new tanks (a network host's, as the joiner comes in): they take the
    // match's visibility.
    if (HasFlag("invisible_tanks")) SetInvisibleTanks(GetFlag("invisible_tanks"));

    // Every random number of the match comes from seeds drawn now and recorded: the
    // computer players' and the game's own (respawn points).
    uint32_t gameSeed = 0;
    if (replay_) {
        gameSeed = replay_->reader.Header().gameSeed;
    } else {
        for (int slot : slots) {
            auto player = GetGameObjectAs<TPlayer>(PlayerKeyOfSlot(slot));
            auto computer = player ? GetGameObjectAs<TComputerTankController>(player->controller) : nullptr;
            if (computer) computer->seed = static_cast<unsigned>(TGame::Random()());
        }
        gameSeed = static_cast<uint32_t>(TGame::Random()());
    }
    TGame::Random().seed(gameSeed);

    TVexmoor* game = GetGame();
    if (replay_ || !game || game->replayFolder.empty()) return;
    TMatchTape::Listener listener;
    // A network host hands its recording to the joiner as it is written.
    if (auto network = Network())
        listener = [weak = std::weak_ptr<TNetworkMatch>(network)](const std::vector<uint8_t>& piece) {
            if (auto match = weak.lock()) match->SendRecording(piece);
        };
    if (tape.Start(MatchHeader(gameSeed), game->replayFolder, std::move(listener)) && shellsHitBoxes)
        tape.AddKey(replay::TMatchKey::FlatViewOn);
}

void TVexmoorArenaScreen::OnHostRecording(const std::vector<uint8_t>& piece)
{
    TVexmoor* game = GetGame();
    if (!game || game->replayFolder.empty() || replay_) return;
    tape.Copy(piece, game->replayFolder);
}

void TVexmoorArenaScreen::RecordKey(replay::TMatchKey key)
{
    if (!replay_ && started_) tape.AddKey(key);
}

TMatchTape::Commands TVexmoorArenaScreen::DrivenCommands()
{
    // In tank order: the playing slots ascending.
    TMatchTape::Commands commands{};
    for (size_t tank = 0; tank < slots.size() && tank < commands.size(); ++tank) {
        const int slot = slots[tank];
        auto player = PlayerOfSlot(slot);
        auto controller = player ? GetGameObjectAs<TTankController>(player->controller, drivers_[slot]) : nullptr;
        if (!controller) continue;
        if (const std::optional<TDriveCommand> driven = controller->TakeDriven()) commands[tank] = Recorded(*driven);
    }
    return commands;
}

replay::TReplayResult TVexmoorArenaScreen::ResultNow(replay::TReplayEnding ending)
{
    replay::TReplayResult result;
    result.ending = ending;
    // In tank order (player 1 first): the hits each player's own tank took.
    for (size_t tank = 0; tank < slots.size() && tank < result.scores.size(); ++tank)
        result.scores[tank] = static_cast<uint16_t>(std::clamp(Score(slots[tank] + 1), 0, 65535));
    return result;
}

int TVexmoorArenaScreen::OnPostUpdate()
{
    TVexmoorGameState::OnPostUpdate();
    const uint32_t now = GameClock::Milliseconds();
    lastUpdateMs_ = now;
    // Once everything has moved, the tanks are kept out of the walls and each other, as
    // the scene's draw did before (and only once, however often the scene is drawn).
    if (smgr) StepCollisions(smgr->getRootSceneNode(), now);
    if (replay_) {
        if (!replay_->refused) AdvanceReplay();
        return 0;
    }
    const auto since = tape.timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    const TMatchTape::Commands commands = DrivenCommands();
    if (!started_ || !tape.IsRecording()) return 0;
    tape.AddFrame(now, commands);
    if (winner) {
        const bool timeUp = rules.Timed() && rules.elapsedMs >= rules.timeLimitMs;
        tape.Finish(ResultNow(timeUp ? replay::TReplayEnding::TimeUp : replay::TReplayEnding::ScoreReached));
    }
    if (tape.timed)
        tape.frameNs.push_back(static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - since).count()));
    return 0;
}

// Replays ---------------------------------------------------------------------------

bool TVexmoorArenaScreen::OpenReplay(const std::string& path)
{
    TVexmoor* game = GetGame();
    replay_ = std::make_unique<ReplayPlay>();
    ReplayPlay& r = *replay_;
    r.path = path;
    r.viewerFps = TGame::Framerate->GetTargetFPS();
    r.viewerScheme = game ? game->ColorSchemeIdx : 0;
    if (!r.reader.Open(path)) {
        RefuseReplay(r.reader.Problem());
        return false;
    }
    const replay::TReplayHeader& h = r.reader.Header();
    if (h.tanks.size() < 2) {
        RefuseReplay("has " + std::to_string(h.tanks.size()) + " tank (this game plays 2 to 4)");
        return false;
    }
    if (r.reader.Frames().empty()) {
        RefuseReplay("holds no frames");
        return false;
    }
    TMatchOptions m;
    const replay::TVariations& v = h.variations;
    m.shells = v.shells == replay::TShellKind::Bouncing ? TShellKind::Bouncing : TShellKind::Straight;
    m.bounces = v.bounces;
    m.scoreTo = v.scoreTo;
    m.timeLimitSeconds = v.timeLimitSeconds;
    m.guided = v.guided;
    m.invisible = v.invisible;
    m.respawn = v.respawn == replay::TRespawnRule::Safe ? TRespawnRule::Safe : TRespawnRule::Anywhere;
    m.mode = h.mode == replay::TSidesMode::Teams ? TMatchMode::Teams : TMatchMode::FreeForAll;
    m.friendlyFire = h.friendlyFire;
    DropArenaGrid();
    if (h.arena.kind == replay::TArenaKind::BuiltIn) {
        m.arena = kBuiltInChoices[h.arena.builtInId];
        arena_model = ArenaModelFor(m.arena);
    } else {
        TArenaRead read = TArenaFileReader::Parse(h.arena.customText, "in the replay");
        if (!read.grid) {
            RefuseReplay("holds an arena that is refused (" + read.error.Message() + ")");
            return false;
        }
        std::optional<TMazePlan> plan;
        if (h.arena.kind == replay::TArenaKind::Maze) {
            const int room = TMazeGenerator::kRoomCells + 1;
            plan = TMazePlan{h.arena.mazeSeed, TMazeGenerator::kVersion, (read.grid->Columns() - 1) / room,
                             (read.grid->Rows() - 1) / room};
        }
        m.arena = plan ? TArenaChoice::RandomMaze : TArenaChoice::Custom;
        m.customArena = read.grid->Name();
        UseArenaGrid(std::move(*read.grid), plan);
    }
    match = m;
    slots.clear();
    for (size_t tank = 0; tank < h.tanks.size(); ++tank) {
        const int slot = h.SlotOfTank(tank);
        slots.push_back(slot);
        tankModels[static_cast<size_t>(slot)] = h.tanks[tank].model ? TTankModel::Sleek : TTankModel::Boxy;
    }
    // The colors and the game speed the match began with.
    if (game) game->SetCurrentColorScheme(h.colorScheme);
    TGame::Framerate->SetTargetFPS(h.targetFps);
    r.liveMs = GameClock::Live();
    GameClock::Pin(r.reader.Frames().front().timeMs);
    return true;
}

void TVexmoorArenaScreen::RefuseReplay(const std::string& problem)
{
    TVexmoor* game = GetGame();
    std::cerr << "replay: the replay " << replay_->path << " " << problem << "; it cannot be played" << std::endl;
    replay_->refused = true;
    if (game) game->replayRefused = problem;
    const std::string back = game ? game->afterReplay : std::string();
    SetNextState(TGame::IsGameState(back) ? back : "TitleScreen");
}

void TVexmoorArenaScreen::ReplayViewerKeys()
{
    ReplayPlay& r = *replay_;
    TGameEventReceiver* events = Events();
    TVexmoor* game = GetGame();
    TGamepads* pads = game ? game->gamepads.get() : nullptr;
    bool pause = false, back = false;
    if (events) {
        for (int i = 0; i < 6; ++i)
            if (events->IsKeyDownUp(kF1 + i, 1)) SetGameView(ViewOfFunctionKey(i));
        pause = events->IsKeyDownUp(kF9, 1) != 0;
        const int faster = events->IsKeyDownUp(kPlus, 1) + events->IsKeyDownUp(kKeypadPlus, 1);
        const int slower = events->IsKeyDownUp(kMinus, 1) + events->IsKeyDownUp(kKeypadMinus, 1);
        if (faster) r.speed = std::min(r.speed + 1, kFastest);
        if (slower) r.speed = std::max(r.speed - 1, kSlowest);
        // The keys that change a match change nothing of a recorded one: none is kept for later.
        for (int key : {kF7, kF8, kF12}) events->IsKeyDownUp(key, 1);
        back = events->IsKeyDown(kEscape, 0, 0, 0) != 0;
    }
    for (int pad = 0; pads && pad < TGamepads::kPads; ++pad) {
        back = back || pads->IsButtonUpDown(pad, TGamepads::Back, 1);
        if (pads->IsButtonUpDown(pad, TGamepads::Start, 1)) pause = !pause;
    }
    if (pause) r.paused = !r.paused;
    if (back) SetNextState(AfterFinale());
}

int TVexmoorArenaScreen::UpdatesThisFrame()
{
    // What the overlay drew is forgotten once a draw, whatever the updates before it.
    overlay.NewFrame();
    if (!replay_) {
        if (started_ && static_cast<uint32_t>(GameClock::Live() - lastUpdateMs_) < static_cast<uint32_t>(minUpdateMs))
            return 0;
        return 1;
    }
    ReplayPlay& r = *replay_;
    if (r.refused) return 0;
    const uint32_t live = GameClock::Live();
    const uint32_t realMs = std::min(live - r.liveMs, kLongestDrawMs);
    r.liveMs = live;
    ReplayViewerKeys();
    const std::vector<replay::TReplayFrame>& frames = r.reader.Frames();
    const bool inFrames = r.next < frames.size();
    const bool finale = GetFlag("match_end") != 0;
    overlay.replayLines = {!inFrames && !finale ? L"END OF REPLAY"
                           : r.paused           ? L"REPLAY PAUSED"
                                                : L"REPLAY " + SpeedText(r.speed),
                           L"F1-F6 VIEWS   F9 PAUSE   - + SPEED   ESCAPE BACK"};
    if (pendingNextState) return 0;
    if (!r.paused) r.aheadMs += realMs * std::ldexp(1.0, r.speed);

    if (inFrames) {
        // The recorded frames whose time the viewer's clock has reached.
        int due = 0;
        int64_t at = r.playedMs;
        for (size_t i = r.next; i < frames.size() && due < kMaxUpdatesPerDraw; ++i) {
            const int64_t step = i == 0 ? 0 : static_cast<uint32_t>(frames[i].timeMs - frames[i - 1].timeMs);
            if (static_cast<double>(at + step) > r.aheadMs) break;
            at += step;
            ++due;
        }
        // Behind by more than a draw's share: the viewer's clock waits, rather than the
        // replay racing to catch up.
        if (due == kMaxUpdatesPerDraw) r.aheadMs = std::min(r.aheadMs, static_cast<double>(at));
        GameClock::Pin(frames[r.next].timeMs);
        return due;
    }
    if (finale) {
        // The finale plays on past the recording, at the viewer's pace.
        if (r.paused) return 0;
        GameClock::Pin(frames.back().timeMs + static_cast<uint32_t>(std::max(0.0, r.aheadMs - r.playedMs)));
        return 1;
    }
    // A recording without its end (the players left, the game stopped): its last picture
    // a moment, then back.
    if (static_cast<uint32_t>(live - r.endedLiveMs) >= kEndHoldMs) SetNextState(AfterFinale());
    return 0;
}

void TVexmoorArenaScreen::FeedReplayCommands()
{
    ReplayPlay& r = *replay_;
    if (r.refused) return;
    const std::vector<replay::TReplayFrame>& frames = r.reader.Frames();
    for (size_t tank = 0; tank < slots.size() && tank < replay::kMaxTanks; ++tank) {
        auto player = PlayerOfSlot(slots[tank]);
        auto controller = player ? GetGameObjectAs<TReplayTankController>(player->controller) : nullptr;
        if (!controller) continue;
        controller->next = r.next < frames.size() ? Played(frames[r.next].commands[tank]) : TDriveCommand{};
    }
}

void TVexmoorArenaScreen::AdvanceReplay()
{
    ReplayPlay& r = *replay_;
    const std::vector<replay::TReplayFrame>& frames = r.reader.Frames();
    if (r.next >= frames.size()) return;
    if (r.next > 0) r.playedMs += static_cast<uint32_t>(frames[r.next].timeMs - frames[r.next - 1].timeMs);
    ++r.next;
    if (r.next < frames.size()) {
        GameClock::Pin(frames[r.next].timeMs);
        return;
    }
    // The last recorded frame has run: the match stands as it did when it was recorded.
    replayEnd.reached = true;
    // "player 1 has 3 points, player 2 has 10": the last without its unit, as always.
    std::cerr << "replay: the end of " << r.path << ": ";
    for (int slot : slots) {
        replayEnd.points[slot] = Points(slot);
        if (auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot))) replayEnd.places[slot] = tank->GetPosition();
        std::cerr << "player " << slot + 1 << " has " << replayEnd.points[slot]
                  << (slot == slots.back() ? "" : " points, ");
    }
    std::cerr << std::endl;
}
