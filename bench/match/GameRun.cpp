#include "GameRun.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "Stopwatch.h"
#include "framework/Game.h"
#include "framework/GameResource.h"
#include "game/VexmoorScreens.h"
#include "game/ColorScheme.h"
#include "game/effects/TankOutlines.h"
#include "game/tank/Tank.h"
#include "game/world/Arena.h"
#include "tests/support/InputEvents.h"

namespace bench {

int TimedArena::OnPreUpdate()
{
    pipelineStart_ = NowNs();
    return TVexmoorArenaScreen::OnPreUpdate();
}

int TimedArena::OnPostUpdate()
{
    const int result = TVexmoorArenaScreen::OnPostUpdate();
    pipelineNs += NowNs() - pipelineStart_;
    return result;
}

int TimedArena::OnPreRender()
{
    renderStart_ = NowNs();
    return TVexmoorArenaScreen::OnPreRender();
}

int TimedArena::OnPostRender()
{
    const int result = TVexmoorArenaScreen::OnPostRender();
    lastDrawnNs = NowNs();
    renderNs += lastDrawnNs - renderStart_;
    ++framesDrawn;
    return result;
}

int TimedArena::LoadTanks()
{
    const int result = TVexmoorArenaScreen::LoadTanks();
    starts.clear();
    for (int slot : slots) {
        auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot));
        if (!tank || !tank->_node) break;
        starts.push_back({tank->_node->getPosition(), tank->_node->getRotation().Y});
    }
    return result;
}

void TimedArena::ResetTimes()
{
    pipelineNs = renderNs = framesDrawn = 0;
}

int TimedTitle::OnPostRender()
{
    const int result = TVexmoorGameTitleScreen::OnPostRender();
    lastDrawnNs = NowNs();
    ++framesDrawn;
    return result;
}

GameRun::GameRun(int driverType)
{
    clock.Install();
    TGame::InitClassData();
    game_ = std::make_shared<TVexmoor>();
    TVexmoorScreens screens;
    screens.init->driverType = driverType;
    screens.title = title;
    screens.arena = arena;
    screens.Open();
}

GameRun::~GameRun()
{
    // Leave the current screen as the program's end does, then let the engine go.
    if (TGame::GetCurrentGameState()) TGame::SetGameState("");
    TGame::ReleaseClassData();
    game_.reset();
    GameClock::SetSource(nullptr);
}

void GameRun::PlayTanks(int tanks, bool computers)
{
    if (tanks < 2 || tanks > kMaxPlayers)
        throw std::runtime_error("a match plays 2 to 4 tanks, not " + std::to_string(tanks));
    fireKeys_.clear();
    // Computers play FORTS to a score never reached, so that the match runs on.
    if (computers) {
        game_->settings.match.arena = TArenaChoice::Forts;
        game_->settings.match.scoreTo = 1000000;
    }
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        TPlayerSetup& player = game_->settings.players[static_cast<size_t>(slot)];
        player.status = slot >= tanks ? TPlayerStatus::Off
                        : computers   ? TPlayerStatus::ComputerNormal
                                      : TPlayerStatus::Human;
        // Player 2 drives without firing, as in the duel of the benchmarks.
        if (player.status == TPlayerStatus::Human && slot != 1)
            fireKeys_.push_back(static_cast<irr::EKEY_CODE>(player.keys.fire));
    }
}

int GameRun::HitsSince(const TMatchStats& before) const
{
    int hits = 0;
    for (int slot : arena->slots) hits += arena->stats.hits[slot] - before.hits[slot];
    return hits;
}

void GameRun::CheckMatchGoesOn() const
{
    if (Current() != "Arena" || arena->GetFlag("match_end"))
        throw std::runtime_error("the game's match ended while it was measured");
}

void GameRun::UseSchemeWithOutlines()
{
    for (size_t i = 0; i < game_->ColorSchemes.size(); ++i) {
        TColorScheme& scheme = *game_->ColorSchemes[i];
        const TOutlinePlan plan = TankOutlines::PlanFor(scheme.GetColor("Tank1"), scheme.GetColor("Tank2"),
                                                        scheme.GetColor("Arena"));
        if (plan.outline[0] || plan.outline[1]) {
            game_->SetCurrentColorScheme(static_cast<int>(i));
            return;
        }
    }
    throw std::runtime_error("no color scheme calls for an outline");
}

BareArena::Colors GameRun::MatchColors()
{
    BareArena::Colors colors;
    auto tank1 = arena->GetGameObjectAs<TTank>("tank1");
    auto tank2 = arena->GetGameObjectAs<TTank>("tank2");
    auto walls = arena->GetGameObjectAs<TArena>("arena");
    auto* node = walls ? static_cast<irr::scene::IMeshSceneNode*>(walls->_node) : nullptr;
    if (!tank1 || !tank2 || !node || !game_->clsColor || node->getMesh()->getMeshBufferCount() == 0)
        throw std::runtime_error("the arena is not loaded");
    colors.arena = static_cast<irr::video::S3DVertex*>(node->getMesh()->getMeshBuffer(0)->getVertices())[0].Color;
    colors.arena.setAlpha(255);
    colors.tank1 = tank1->color;
    colors.tank2 = tank2->color;
    if (auto tank3 = arena->GetGameObjectAs<TTank>("tank3")) colors.tank3 = tank3->color;
    if (auto tank4 = arena->GetGameObjectAs<TTank>("tank4")) colors.tank4 = tank4->color;
    colors.clear = *game_->clsColor;
    return colors;
}

BareWalls GameRun::MatchWalls()
{
    auto walls = arena->GetGameObjectAs<TArena>("arena");
    auto resource = arena->GetGameResourceAs<TMeshResource>(arena->arena_model);
    irr::scene::IAnimatedMesh* mesh = resource ? resource->GetResource() : nullptr;
    if (!walls || !mesh) throw std::runtime_error("the arena is not loaded");
    // The bare engine's tanks are slots 0 to n-1.
    const std::vector<int>& slots = arena->slots;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i] != static_cast<int>(i)) throw std::runtime_error("the match's slots are not the first ones");
    if (arena->starts.size() != slots.size() || slots.size() < 2)
        throw std::runtime_error("the match's tanks were not placed");
    BareWalls plan;
    plan.mesh = mesh->getMesh(0);
    plan.starts = arena->starts;
    plan.respawns = walls->respawn_points;
    return plan;
}

void GameRun::SelectView(BareArena::View view)
{
    // The view keys count on release.
    const irr::EKEY_CODE key = static_cast<irr::EKEY_CODE>(irr::KEY_F1 + view);
    Key(key, true);
    Frame();
    Key(key, false);
    Frame();
    if (arena->currentGameView != BareArena::ViewName(view))
        throw std::runtime_error(std::string("the key did not select the view ") + BareArena::ViewName(view));
}

std::string GameRun::Current() const
{
    auto state = TGame::GetCurrentGameState();
    return state ? state->state_key : "";
}

void GameRun::PlayPastMatchKeys()
{
    auto keysShown = [&] {
        const auto& lines = arena->overlay.drawn;
        return std::any_of(lines.begin(), lines.end(), [](const TMatchOverlay::Line& line) {
            return line.text == L"MATCH KEYS";
        });
    };
    // The list stands for a few seconds of game time: a few hundred frames at most.
    for (int i = 0; keysShown(); ++i) {
        if (i == 1000) throw std::runtime_error("the match keys stay on the screen");
        Frame(true);
    }
}

void GameRun::Frame(bool fire)
{
    // A press counts only if the release comes in a later frame: Tab goes down in one
    // frame and up in the next.
    if (fireDown_ || fire) {
        fireDown_ = !fireDown_;
        for (irr::EKEY_CODE key : fireKeys_) Key(key, fireDown_);
    }
    clock.Advance(kFrameMs);
    clock.Install();  // a bare engine in the same program has its own
    if (!game_->RunFrame()) throw std::runtime_error("the game ended");
}

void GameRun::StartToTitle()
{
    Frame();  // opens the window and loads the fonts
    clock.Advance(500);
    const int64_t drawn = title->framesDrawn;
    for (int i = 0; i < 100 && title->framesDrawn == drawn; ++i) Frame();
    if (Current() != "TitleScreen" || title->framesDrawn == drawn) throw std::runtime_error("no title screen");
}

void GameRun::ClickStartGame()
{
    if (!title->start) throw std::runtime_error("no START GAME entry");
    const irr::core::vector2di at = title->start->getAbsolutePosition().getCenter();
    Mouse(irr::EMIE_MOUSE_MOVED, at.X, at.Y);
    lastClickNs = NowNs();
    Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, at.X, at.Y);
    Mouse(irr::EMIE_LMOUSE_LEFT_UP, at.X, at.Y);
    const int64_t drawn = arena->framesDrawn;
    for (int i = 0; i < 10 && arena->framesDrawn == drawn; ++i) Frame();
    if (Current() != "Arena" || arena->framesDrawn == drawn) throw std::runtime_error("START GAME did not start");
}

void GameRun::EscapeToTitle()
{
    Key(irr::KEY_ESCAPE, true);
    const int64_t drawn = title->framesDrawn;
    for (int i = 0; i < 10 && title->framesDrawn == drawn; ++i) Frame();
    Key(irr::KEY_ESCAPE, false);
    if (Current() != "TitleScreen") throw std::runtime_error("Escape did not lead to the title");
}

std::vector<irr::EKEY_CODE> GameRun::DrivingKeys() const
{
    std::vector<irr::EKEY_CODE> keys;
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        const TPlayerSetup& player = game_->settings.players[static_cast<size_t>(slot)];
        if (player.status != TPlayerStatus::Human) continue;
        keys.push_back(static_cast<irr::EKEY_CODE>(player.keys.forward));
        keys.push_back(static_cast<irr::EKEY_CODE>(slot % 2 == 0 ? player.keys.left : player.keys.right));
    }
    return keys;
}

void GameRun::HoldDrivingKeys()
{
    for (irr::EKEY_CODE key : DrivingKeys()) Key(key, true);
}

void GameRun::ReleaseDrivingKeys()
{
    for (irr::EKEY_CODE key : DrivingKeys()) Key(key, false);
}

void GameRun::Key(irr::EKEY_CODE key, bool down)
{
    game_->device->postEventFromUser(KeyEvent(key, down));
}

void GameRun::TapKey(irr::EKEY_CODE key)
{
    Key(key, true);
    Key(key, false);
}

void GameRun::Mouse(irr::EMOUSE_INPUT_EVENT kind, int x, int y)
{
    game_->device->postEventFromUser(MouseEvent(kind, x, y));
}

}  // namespace bench
