// The real game, assembled as the program assembles it, with a hand-driven clock that
// steps 16 ms a frame and timing hooks on the arena and the title screen. Input goes in
// through the engine device, as the window would deliver it.
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BareArena.h"
#include "framework/Clock.h"
#include "game/match/ArenaScreen.h"
#include "game/screens/TitleScreen.h"
#include "game/Vexmoor.h"

namespace bench {

constexpr uint32_t kFrameMs = 16;

// The arena, timing its update pipeline (OnPreUpdate to OnPostUpdate) and its render
// (OnPreRender to OnPostRender, around beginScene, the view's drawAll and endScene).
class TimedArena : public TVexmoorArenaScreen {
public:
    int OnPreUpdate() override;
    int OnPostUpdate() override;
    int OnPreRender() override;
    int OnPostRender() override;
    // Notes where each playing slot's tank was placed, before anything moves it.
    int LoadTanks() override;
    void ResetTimes();

    int64_t pipelineNs = 0;
    int64_t renderNs = 0;
    int64_t framesDrawn = 0;
    int64_t lastDrawnNs = 0;  // when the last frame was drawn (steady clock)
    std::vector<BareStart> starts;  // by slot, as the last loading placed the tanks

private:
    int64_t pipelineStart_ = 0;
    int64_t renderStart_ = 0;
};

// The title screen, noting when it was last drawn.
class TimedTitle : public TVexmoorGameTitleScreen {
public:
    int OnPostRender() override;
    int64_t framesDrawn = 0;
    int64_t lastDrawnNs = 0;
};

class GameRun {
public:
    // driverType: 0 NULL, 5 OpenGL (needs DISPLAY).
    explicit GameRun(int driverType);
    ~GameRun();

    // Runs the start-up screen's first frame (window, fonts) and skips its 500 ms hand-over
    // on the game clock, then runs frames until the title has been drawn once.
    void StartToTitle();
    // Points at "START GAME", clicks it and runs frames until the arena has been drawn once;
    // lastClickNs is when the click went in.
    void ClickStartGame();
    // Escape in the arena: back to the title, run until it has been drawn.
    void EscapeToTitle();

    // Who plays the next match: the first `tanks` slots (2 to 4), at the keys or all driven
    // by NORMAL computers, the others off; set before the match starts. Without it the
    // settings' own (the duel of two players at the keys).
    void PlayTanks(int tanks, bool computers = false);
    // The first color scheme whose colors call for an outline, so that every effect is
    // drawn; set before the match starts. The arena's colors once it has started.
    void UseSchemeWithOutlines();
    BareArena::Colors MatchColors();
    // The walls the game's match plays (the mesh of its arena, whichever was chosen) and
    // where each of its tanks started; valid while the match's meshes are loaded.
    BareWalls MatchWalls();
    // How many tanks the match plays.
    int MatchTanks() const { return static_cast<int>(arena->slots.size()); }
    // The hits on enemy tanks since the match's figures were `before`.
    int HitsSince(const TMatchStats& before) const;
    // Throws when the match has ended (its results would be measured in its place).
    void CheckMatchGoesOn() const;
    // Selects the arena's view by its key (F1 to F6) and checks that it was selected.
    void SelectView(BareArena::View view);

    // Every tank at the keys drives and turns: players 1 and 3 hold forward and left
    // (X and Z, I and J), players 2 and 4 forward and right (Up and Right, the keypad's 8 and 6).
    void HoldDrivingKeys();
    void ReleaseDrivingKeys();
    // Runs the match's frames (firing as Frame(true) does) until its key list, drawn over
    // the first seconds of a match, is gone: the bare engine draws no such list, so a
    // measurement that starts earlier weighs text the bare side never draws.
    void PlayPastMatchKeys();
    // One main-loop iteration 16 ms of game time after the previous one. With fire set,
    // players 1, 3 and 4 at the keys press fire (Tab, Space, the keypad's 0) in this frame
    // and release it in the next (a press fires when the tank has no shell in flight).
    void Frame(bool fire = false);
    void Key(irr::EKEY_CODE key, bool down);
    void TapKey(irr::EKEY_CODE key);

    std::string Current() const;
    TVexmoor& Game() { return *game_; }
    std::shared_ptr<TimedArena> arena = std::make_shared<TimedArena>();
    std::shared_ptr<TimedTitle> title = std::make_shared<TimedTitle>();
    GameClock::ManualClock clock{100000};
    int64_t lastClickNs = 0;

private:
    void Mouse(irr::EMOUSE_INPUT_EVENT kind, int x, int y);
    // The keys a slot's player holds to drive in circles, and the fire keys pressed.
    std::vector<irr::EKEY_CODE> DrivingKeys() const;
    std::vector<irr::EKEY_CODE> fireKeys_{irr::KEY_TAB};
    std::shared_ptr<TVexmoor> game_;
    bool fireDown_ = false;
};

}  // namespace bench
