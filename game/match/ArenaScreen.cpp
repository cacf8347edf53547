// The match: entering and leaving the arena, the per-frame match logic and function
// keys, respawning, the score display and the set of camera views.
#include "game/match/ArenaScreen.h"

#include <algorithm>

#include "framework/CameraFraming.h"
#include "framework/Clock.h"
#include "framework/FreeCameraGameView.h"
#include "framework/Framerate.h"
#include "framework/GameEventReceiver.h"
#include "framework/GameResource.h"
#include "framework/GameView.h"
#include "framework/OrthogonalGameView.h"
#include "framework/objects/SteppedCollisionResponse.h"
#include "framework/SplitView.h"
#include "framework/objects/PositionCameraAnimator.h"
#include "game/world/Arena.h"
#include "game/ColorScheme.h"
#include "game/match/EndMatchAnimator.h"
#include "game/world/Player.h"
#include "game/match/SafeRespawn.h"
#include "game/tank/Tank.h"
#include "game/control/TankControllerFactory.h"
#include "game/control/TankController.h"
#include "game/control/ReplayTankController.h"
#include "game/Vexmoor.h"
#include "game/net/NetworkMatch.h"
#include "game/effects/BattlefieldEffects.h"
#include "game/effects/ColorContrast.h"
#include "game/effects/TankOutlines.h"
#include "game/TankColors.h"

namespace {

constexpr float kMinRespawnDistance = 2.0f;
constexpr float kMinTargetFps = 5.0f;
const char* const kScoreFont = "fonts/pixfont_basic_36pt_bold.xml";

// Engine key codes of the match keys.
enum MatchKey {
    kEscape = 27,
    kF1 = 112,
    kF2,
    kF3,
    kF4,
    kF5,
    kF6,
    kF7,
    kF8,
    kF9,
    kF12 = 123,
    kPlus = 187,
    kMinus = 189,
    kKeypadPlus = 107,
    kKeypadMinus = 109,
};

bool AnyTankDying(TVexmoorArenaScreen& arena)
{
    for (const auto& object : arena.GetGameObjects("TTank"))
        if (object && object->GetAnimator("die_anim")) return true;
    return false;
}

}  // namespace

int TVexmoorArenaScreen::OnSetGameState(TGameState*)
{
    TVexmoor* game = GetGame();
    if (game && game->device) game->device->getCursorControl()->setVisible(false);
    LoadSounds();
    LoadModels();
    started_ = startPending_ = false;
    replay_.reset();
    replayEnd = TReplayEnd{};
    shellsHitBoxes = false;
    const std::string replayPath = game ? game->replayToPlay : std::string();
    if (game) game->replayToPlay.clear();
    if (!replayPath.empty() && OpenReplay(replayPath)) {
        // The recording's set-up is the match's: OpenReplay took it, its arena too.
    } else {
        if (game) {
            match = game->settings.match;
            for (size_t slot = 0; slot < tankModels.size(); ++slot) tankModels[slot] = game->settings.players[slot].tank;
        }
        slots = PlayingSlots();
        // Decided once here: the sides, the scores, the winner's line, the recording and
        // the results all read the mode played. A replay plays the mode it recorded.
        match.mode = ModePlayed(match.mode, slots.size());
        ChooseArena();
    }
    FitRespawnPoints();
    RequireMeshes(MatchMeshKeys());
    if (game) game->SetClsColor(SchemeColor("Background"));
    AddGameResource("fnt", WholeFontResource(kScoreFont, 36, 1));
    const uint32_t now = GameClock::Milliseconds();
    rules.Start(match, now);
    overlay.Start(now);
    winner = 0;
    stats = TMatchStats{};
    scoreInks_ = ScoreInks{};  // the arena's floor and walls may be others
    SetFlag("host_paused", 0);  // a joined match sets it from the host's snapshots
    ResetArena();
    SetGameView("overhead55_cam");
    // Each playing slot's player drives its slot's tank (player 1 "tank2", player 2
    // "tank1", players 3 and 4 "tank3" and "tank4"), as set up, or as recorded in a replay.
    const TSettings defaults;
    const TSettings& settings = game ? game->settings : defaults;
    for (int slot : slots) {
        const std::string& tank = TankKeyOfSlot(slot);
        const std::string& player = PlayerKeyOfSlot(slot);
        TSlotController made = replay_ ? TSlotController{player + "_replay_controller", TReplayTankController::Create(tank)}
                                       : MakeSlotController(slot, settings.players[slot], tank);
        AddGameObject(player, TPlayer::Create(tank, made.key));
        AddGameObject(made.key, made.controller);
    }
    // The set-up's starting values; F7 and F8 still toggle them.
    if (match.guided) SetFlag("guided_shells", 1);
    if (match.invisible) SetInvisibleTanks(0);
    if (replay_) return 0;
    if (auto network = Network()) network->Enter(*this);
    return 0;
}

int TVexmoorArenaScreen::OnLeaveGameState(TGameState*)
{
    // A recording still open ends here: the players left before the end.
    tape.Stop(ResultNow(replay::TReplayEnding::Abandoned));
    if (auto network = Network()) {
        network->Leave(*this);
        GetGame()->network.reset();
    }
    ClearGameObjects();
    ClearGameViews();
    DropArenaGrid();
    if (guienv) guienv->clear();
    if (smgr) smgr->clear();
    TVexmoor* game = GetGame();
    // A replay leaves the game's speed and colors as the viewer had them.
    if (replay_) {
        if (game) game->SetCurrentColorScheme(replay_->viewerScheme);
        GameClock::Unpin();
    }
    if (game) game->SetClsColor(SchemeColor("Arena"));
    back = nullptr;
    mouse_on = -1;
    if (game && game->device && game->driver) {
        irr::gui::ICursorControl* cursor = game->device->getCursorControl();
        cursor->setVisible(true);
        const irr::core::dimension2d<irr::u32> size = game->driver->getScreenSize();
        cursor->setPosition(static_cast<int>(size.Width) / 2, static_cast<int>(size.Height) / 2);
    }
    ClearFlags();
    // A finale left early (Escape) must not end the next match.
    RemoveAnimator("match_end");
    // A pause (F9) ends with the match, as does a respawn still waiting.
    if (TGame::Framerate->IsPaused()) TGame::Framerate->Pause();
    if (replay_) TGame::Framerate->SetTargetFPS(replay_->viewerFps);
    respawn.clear();
    for (PadWatch& watch : padWatch_) watch = PadWatch{};
    pausedForPad_ = 0;
    overlay.replayLines.clear();
    replay_.reset();
    started_ = startPending_ = false;
    return 0;
}

int TVexmoorArenaScreen::OnPreUpdate()
{
    TVexmoorGameState::OnPreUpdate();
    auto network = replay_ ? nullptr : Network();
    if (network) network->BeforeObjects(*this);
    // A network host's match begins when the joiner is in (the network starts it), any
    // other with its first frame.
    if (!started_ && (!network || startPending_)) StartMatch();
    if (replay_) FeedReplayCommands();
    if (resetOnLoop) {
        ResetArena();
        resetOnLoop = 0;
    }
    RespawnTanks();
    return 0;
}

int TVexmoorArenaScreen::OnUpdate()
{
    TGameEventReceiver* events = Events();
    if (!events) return 0;
    if (mouse_on == 101 && events->MouseHitCnt(0, 1)) {
        events->FlushMouse();
        SetNextState("TitleScreen");
    }
    auto network = replay_ ? nullptr : Network();
    if (network && network->AfterObjects(*this)) {
        // A joined match is the host's: only the views and leaving are this machine's.
        for (int i = 0; i < 6; ++i)
            if (events->IsKeyDownUp(kF1 + i, 1)) SetGameView(ViewOfFunctionKey(i));
        if (events->IsKeyDown(kEscape, 0, 0, 0)) TGame::SetGameState("TitleScreen");
        return 0;
    }
    if (GetFlag("match_end")) return 0;

    const uint32_t now = GameClock::Milliseconds();
    winner = rules.Update(SidePoints(), !GetFlag("tanks_disabled"), TGame::Framerate->IsPaused(), now);
    if (winner) {
        PlayMatchEnd();
        if (!replay_) RecordResult();
    }

    if (replay_) {
        // The keys of this frame as they came in the match; the viewer's keys are read once
        // a draw (UpdatesThisFrame).
        const std::vector<replay::TReplayKeyEvent>& keys = replay_->reader.Keys();
        while (replay_->nextKey < keys.size() && keys[replay_->nextKey].frame == replay_->next)
            ApplyMatchKey(keys[replay_->nextKey++].key);
        return 0;
    }
    if (events->IsKeyDownUp(kF12, 1)) ApplyMatchKey(replay::TMatchKey::Scheme);
    for (int i = 0; i < 6; ++i)
        if (events->IsKeyDownUp(kF1 + i, 1)) SetGameView(ViewOfFunctionKey(i));
    if (events->IsKeyDownUp(kF7, 1)) ApplyMatchKey(replay::TMatchKey::Guided);
    if (events->IsKeyDownUp(kF8, 1)) ApplyMatchKey(replay::TMatchKey::Invisible);
    if (events->IsKeyDownUp(kF9, 1)) ApplyMatchKey(replay::TMatchKey::Pause);
    // The keypad's plus and minus count as plus and minus.
    const int faster = events->IsKeyDownUp(kPlus, 1) + events->IsKeyDownUp(kKeypadPlus, 1);
    const int slower = events->IsKeyDownUp(kMinus, 1) + events->IsKeyDownUp(kKeypadMinus, 1);
    if (faster) ApplyMatchKey(replay::TMatchKey::Faster);
    if (slower) ApplyMatchKey(replay::TMatchKey::Slower);
    if (events->IsKeyDown(kEscape, 0, 0, 0)) TGame::SetGameState("TitleScreen");
    else UpdatePads();
    return 0;
}

int TVexmoorArenaScreen::ApplyMatchKey(replay::TMatchKey key)
{
    TFramerate& rate = *TGame::Framerate;
    switch (key) {
    case replay::TMatchKey::Scheme: IncrementColorScheme(); break;
    case replay::TMatchKey::Guided: SetFlag("guided_shells", GetFlag("guided_shells") ? 0 : 1); break;
    case replay::TMatchKey::Invisible:
        // The flag keeps the visibility last passed; unset, the tanks are shown, so the
        // first F8 hides them.
        SetInvisibleTanks(HasFlag("invisible_tanks") && !IsInvisibleTanks() ? 1 : 0);
        break;
    case replay::TMatchKey::Pause: return TogglePause();  // which records it
    case replay::TMatchKey::Faster:
    case replay::TMatchKey::Slower: {
        // During a pause the speed the match will run at again changes.
        float& speed = rate.IsPaused() ? rate.oldtargetfps : rate.targetfps;
        if (key == replay::TMatchKey::Faster) speed += 5;
        // Minus stops at 5: at 0 a frame lasts for ever, below it time runs backwards.
        else if (speed > kMinTargetFps) speed = std::max(kMinTargetFps, speed - 5);
        overlay.ShowSpeed(GameClock::Milliseconds());
        break;
    }
    case replay::TMatchKey::FlatViewOn: shellsHitBoxes = true; break;
    case replay::TMatchKey::FlatViewOff: shellsHitBoxes = false; break;
    }
    RecordKey(key);
    return 0;
}

int TVexmoorArenaScreen::SetGameView(const std::string& key)
{
    TVexmoorGameState::SetGameView(key);
    // In a replay the view is the viewer's; the match's own comes from the recording. The
    // empty view is only a view taken away for a moment (a reset).
    if (replay_ || key.empty()) return 0;
    const bool flat = dynamic_cast<TOrthogonalGameView*>(GetCurrentGameView().get()) != nullptr;
    if (flat != shellsHitBoxes) ApplyMatchKey(flat ? replay::TMatchKey::FlatViewOn : replay::TMatchKey::FlatViewOff);
    return 0;
}

int TVexmoorArenaScreen::TogglePause()
{
    TFramerate& rate = *TGame::Framerate;
    rate.Pause();
    RecordKey(replay::TMatchKey::Pause);
    // A death still playing keeps the tanks stopped; its end frees them.
    SetTanksDisabled(rate.IsPaused() || AnyTankDying(*this) ? 1 : 0);
    SetTanksVolume(rate.IsPaused() ? 0 : 100);
    // Any resume, F9's too, ends a pause the pads made.
    if (!rate.IsPaused()) {
        pausedForPad_ = 0;
        for (PadWatch& watch : padWatch_) watch.lost = 0;
    }
    return 0;
}

int TVexmoorArenaScreen::RecordResult()
{
    TVexmoor* game = GetGame();
    if (!game) return 0;
    // winner is the player (slot + 1) who won, in TEAMS the team (TeamOf + 1).
    for (int slot : slots) {
        TPlayerSetup& player = game->settings.players[static_cast<size_t>(slot)];
        if (WonBy(slot))
            ++player.wins;
        else
            ++player.losses;
    }
    game->SaveSettings();
    return 0;
}

int TVexmoorArenaScreen::RespawnTanks()
{
    if (respawn.empty()) return 0;
    auto arena = GetGameObjectAs<TArena>("arena");
    if (!arena) return 0;
    std::vector<std::string> used;
    const auto tanks = GetGameObjects("TTank");
    const int points = static_cast<int>(arena->respawn_points.size());
    const bool safe = match.respawn == TRespawnRule::Safe;
    for (const std::string& key : respawn) {
        auto tank = GetGameObjectAs<TTank>(key);
        if (!tank || !tank->_node) continue;
        auto eligible = [&](int c) {
            if (c == last_respawn || std::find(used.begin(), used.end(), std::to_string(c)) != used.end())
                return false;
            for (const auto& object : tanks) {
                if (!object || object->obj_key == key) continue;
                auto other = std::dynamic_pointer_cast<TTank>(object);
                if (other && other->_node &&
                    other->GetGlobalPosition().getDistanceFrom(arena->respawn_points[c]) < kMinRespawnDistance)
                    return false;
            }
            return true;
        };
        // SAFE keeps to the points out of the other tank's line of fire, where there are any.
        std::vector<char> hidden(points, 0);
        bool anyHidden = false;
        for (int c = 0; safe && c < points; ++c) {
            hidden[c] = eligible(c) && OutOfLineOfFire(*this, arena->respawn_points[c], key);
            anyHidden = anyHidden || hidden[c];
        }
        int c = -1;
        if (safe && !anyHidden) {
            // Nothing hides any point: the one farthest out of the other tank's aim.
            TAimExposure best;
            for (int p = 0; p < points; ++p) {
                if (!eligible(p)) continue;
                const TAimExposure exposure = AimExposure(*this, arena->respawn_points[p], key);
                if (c < 0 || FartherOutOfAim(exposure, best)) c = p, best = exposure;
            }
        }
        if (c < 0) {
            do {
                c = TGame::RandomInt(0, points - 1);
            } while (!eligible(c) || (anyHidden && !hidden[c]));
        }
        used.push_back(std::to_string(c));
        tank->_node->setPosition(arena->respawn_points[c]);
        // Its place in the world at once, for whatever asks before the tank's own update.
        tank->_node->updateAbsolutePosition();
        last_respawn = c;
        if (safe) tank->AddAnimator("spawn_grace", std::make_shared<TankSpawnGraceAnimator>());
    }
    respawn.clear();
    RebuildCollisionAnimators();
    return 0;
}

int TVexmoorArenaScreen::QueueTankForRespawn(const std::string& key)
{
    respawn.push_back(key);
    return 0;
}

int TVexmoorArenaScreen::IsInvisibleTanks()
{
    return GetFlag("invisible_tanks");
}

int TVexmoorArenaScreen::SetInvisibleTanks(int value)
{
    SetFlag("invisible_tanks", value);
    // The flag keeps the visibility last passed to every tank.
    for (int slot : slots)
        if (auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot))) tank->SetVisible(value);
    return 0;
}

int TVexmoorArenaScreen::IncrementColorScheme()
{
    TVexmoor* game = GetGame();
    if (!game) return 0;
    game->SetCurrentColorScheme(game->ColorSchemeIdx + 1);
    // "tank1" first, as the duel always did.
    for (int slot : {1, 0, 2, 3})
        if (std::find(slots.begin(), slots.end(), slot) != slots.end())
            if (auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot)))
                tank->SetColor(smgr, TankColors::OfSlot(*this, slot));
    // From here on the walls wear the scheme's "Background" over its "Arena" clear color,
    // the reverse of the match's start; the finale cycles through both looks.
    if (auto arena = GetGameObjectAs<TArena>("arena")) arena->SetColor(smgr, SchemeColor("Background"));
    BattlefieldEffects::OnColorsChanged(*this);
    return 0;
}

int TVexmoorArenaScreen::InitGameViews()
{
    // A view from each tank's camera, under the tank's key.
    std::vector<std::shared_ptr<TTank>> tanks;
    for (int slot : slots) {
        auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot));
        if (!tank) return 0;
        tanks.push_back(tank);
    }
    if (tanks.size() < 2) return 0;
    // The duel's views in the order they always were made.
    if (tanks.size() == 2) std::swap(tanks[0], tanks[1]);
    for (const auto& tank : tanks) {
        auto view = std::make_shared<TGameView>();
        view->AddCamera(tank->cam);
        AddGameView(tank->obj_key, view);
    }

    // The engine's fly camera; its move speed is per millisecond (50 per second).
    auto freeCam = std::make_shared<TFreeCameraGameView>();
    freeCam->AddCamera(smgr->addCameraSceneNodeFPS(nullptr, 100.0f, 0.05f, -1, nullptr, 0, false, 0.0f, false, false));
    AddGameView("freeCam", freeCam);

    // The fixed views frame the arena's floor and walls for the screen's size and aspect.
    const irr::core::aabbox3df bounds = ArenaBounds();
    const irr::core::recti screen = GetGame() && GetGame()->screenRect ? *GetGame()->screenRect : irr::core::recti();
    const float aspect = screen.getHeight() > 0 ? 1.0f * screen.getWidth() / screen.getHeight() : 4.0f / 3.0f;
    auto fixedCamera = [&](irr::core::vector3df rotation) {
        irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(
            nullptr, irr::core::vector3df(0, 0, 0), irr::core::vector3df(0, 0, 100), -1, false);
        AddPositionCameraAnimator(camera);
        camera->setRotation(rotation);
        CameraFraming::FramePerspective(camera, bounds, aspect);
        return camera;
    };
    auto ortho = std::make_shared<TOrthogonalGameView>();
    irr::scene::ICameraSceneNode* orthoCamera = fixedCamera({90, 0, 0});
    ortho->AddCamera(orthoCamera);
    CameraFraming::FrameOrthographic(orthoCamera, bounds, aspect);
    AddGameView("ortho_cam", ortho);
    auto overhead55 = std::make_shared<TGameView>();
    overhead55->AddCamera(fixedCamera({55, 0, 0}));
    AddGameView("overhead55_cam", overhead55);
    auto overhead = std::make_shared<TGameView>();
    irr::scene::ICameraSceneNode* overheadCamera = fixedCamera({90, 0, 0});
    overhead->AddCamera(overheadCamera);
    AddGameView("overhead_cam", overhead);
    if (tanks.size() == 2) {
        // "tank1" above, "tank2" below, as always.
        AddGameView("split", TSplitView::Create(tanks[0]->cam, tanks[1]->cam));
        return 0;
    }
    // One part a tank in slot order; with three, the fourth part looks from overhead.
    std::vector<irr::scene::ICameraSceneNode*> tankCameras;
    for (const auto& tank : tanks) tankCameras.push_back(tank->cam);
    std::vector<irr::scene::ICameraSceneNode*> parts = tankCameras;
    if (parts.size() == 3) parts.push_back(overheadCamera);
    AddGameView("split", TSplitView::Create(parts, tankCameras));
    return 0;
}

irr::core::aabbox3df TVexmoorArenaScreen::ArenaBounds()
{
    auto arena = GetGameObjectAs<TArena>("arena");
    if (!arena || !arena->_node) return irr::core::aabbox3df(-20, 0, -12, 20, 2, 12);
    arena->_node->updateAbsolutePosition();
    return arena->_node->getTransformedBoundingBox();
}

std::optional<irr::video::SColor> TVexmoorArenaScreen::TextGround()
{
    return std::nullopt;
}

std::shared_ptr<TNetworkMatch> TVexmoorArenaScreen::Network()
{
    TVexmoor* game = GetGame();
    return game ? game->network : nullptr;
}

void TVexmoorArenaScreen::PlayMatchEnd()
{
    SetFlag("match_end", 1);
    stats.winner = winner;
    stats.mode = match.mode;
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        stats.playing[slot] = std::find(slots.begin(), slots.end(), slot) != slots.end();
    stats.elapsedMs = rules.elapsedMs;
    stats.network = Network() != nullptr;
    // A replay's match is one played before: the results keep the last one played.
    if (TVexmoor* game = GetGame(); game && !replay_) game->lastMatch = stats;
    AddAnimator("match_end", std::make_shared<TEndMatchAnimator>());
}

std::string TVexmoorArenaScreen::ViewOfFunctionKey(int index)
{
    static const char* const kFixed[] = {"overhead55_cam", "overhead_cam", "ortho_cam", "split"};
    if (index >= 0 && index < 4) return kFixed[index];
    // F5 shows player 2's tank ("tank1"), F6 player 1's ("tank2"); pressed again on that
    // view, each goes on to its team mate's tank (player 4's "tank4", player 3's "tank3")
    // when it plays, and back. A key whose players have no tank keeps the view.
    const int first = index == 4 ? 1 : 0;
    std::vector<std::string> views;
    for (int slot : {first, first + 2})
        if (std::find(slots.begin(), slots.end(), slot) != slots.end()) views.push_back(TankKeyOfSlot(slot));
    if (views.empty()) return currentGameView;
    return views.size() > 1 && currentGameView == views[0] ? views[1] : views[0];
}

std::string TVexmoorArenaScreen::AfterFinale()
{
    TVexmoor* game = GetGame();
    if (replay_ && game && TGame::IsGameState(game->afterReplay)) return game->afterReplay;
    return TGame::IsGameState("ResultsScreen") ? "ResultsScreen" : "TitleScreen";
}

int TVexmoorArenaScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    if (!caller) return 0;
    if (eventType == irr::gui::EGET_ELEMENT_HOVERED) {
        if (caller->getType() == irr::gui::EGUIET_STATIC_TEXT)
            static_cast<irr::gui::IGUIStaticText*>(caller)->setOverrideColor(irr::video::SColor(255, 110, 121, 212));
        mouse_on = caller->getID();
    } else if (eventType == irr::gui::EGET_ELEMENT_LEFT) {
        if (caller->getType() == irr::gui::EGUIET_STATIC_TEXT)
            static_cast<irr::gui::IGUIStaticText*>(caller)->setOverrideColor(irr::video::SColor(255, 112, 16, 15));
        mouse_on = -1;
    }
    return 0;
}

int TVexmoorArenaScreen::OnUserEvent(int data1, int data2, float data3)
{
    if (TVexmoorGameState::OnUserEvent(data1, data2, data3)) return 0;
    // No object took the event: it would go to the debug log, which has no listener here.
    return 1;
}
