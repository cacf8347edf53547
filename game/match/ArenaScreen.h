// The match state "Arena": loads the arena, a tank for each playing slot (two to four) and
// their sounds, runs the match (score limit, respawns, the function keys), draws the scores
// and builds the views.
#pragma once

#include <irrlicht.h>

#include <deque>
#include <memory>
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "framework/ObjectLookup.h"
#include "game/match/MatchOverlay.h"
#include "game/match/MatchTape.h"
#include "game/replay/ReplayReader.h"
#include "game/world/ArenaWorld.h"
#include "game/world/MatchStats.h"
#include "game/settings/Settings.h"

class TPlayer;
class TTankController;
class TNetworkMatch;
class TColorResource;
class TFontResource;

class TVexmoorArenaScreen : public TArenaWorld {
    VEXMOOR_CLASS(TVexmoorArenaScreen, TArenaWorld)

public:
    // Match flow (ArenaScreen.cpp).
    int OnSetGameState(TGameState* previous) override;
    int OnPreUpdate() override;
    int OnUpdate() override;
    // The end of each update: the tanks' collision responses, then the frame's recording.
    int OnPostUpdate() override;
    int OnRender() override;
    // The match's texts stand on grounds of their own: the overlay's backdrops, the scores' outlines.
    std::optional<irr::video::SColor> TextGround() override;
    int OnLeaveGameState(TGameState* next) override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    int OnUserEvent(int data1, int data2, float data3) override;

    int IncrementColorScheme() override;
    virtual int RespawnTanks();
    // The match's end in each slot's wins and losses, saved with the settings.
    virtual int RecordResult();
    int QueueTankForRespawn(const std::string& key) override;
    int IsInvisibleTanks() override;
    // Passes value to every tank's SetVisible and keeps it in the flag "invisible_tanks".
    virtual int SetInvisibleTanks(int value);
    virtual int InitGameViews();
    // The arena's floor and walls in world space: what the fixed views frame.
    irr::core::aabbox3df ArenaBounds();
    // F9: pauses the match, or resumes it.
    virtual int TogglePause();
    // Keeps the view's orthographic look for the shells (shellsHitBoxes).
    int SetGameView(const std::string& key) override;
    // Where the finale leads: the results (the title in a game without them), or from a
    // replay back where the replay was chosen.
    virtual std::string AfterFinale();
    // The view F1 to F6 (index 0 to 5) selects now: F5 and F6 go from a tank's view on to
    // its team mate's when pressed again.
    std::string ViewOfFunctionKey(int index);

    // Sides and points (ArenaScores.cpp). The slots the settings make play (a network
    // match: the duel of slots 0 and 1).
    std::vector<int> PlayingSlots();
    // The mode a match of `tanks` tanks plays in: TEAMS needs three, a team of one being a
    // player, so that two tanks set to TEAMS play and show as the duel (FREE FOR ALL).
    static TMatchMode ModePlayed(TMatchMode chosen, size_t tanks);
    // Two tanks that fight: the duel, whose points are the hits the other tank took (what
    // a network joiner is told), self-hits off a bounce included.
    bool IsDuel() const;
    // A slot's points: in the duel the hits the other tank took, else the hits its shells
    // made on enemy tanks.
    int Points(int slot);
    // What TMatchRules decides on: each slot's points in FREE FOR ALL (index = slot), each
    // team's in TEAMS (index = team).
    std::vector<int> SidePoints();
    // Whether the slot's player won (in TEAMS: its team).
    bool WonBy(int slot) const;
    // The slot whose tank color the winner's line wears (in TEAMS the team's first playing
    // slot); -1 before the end.
    int WinnerSlot() const;
    // "PLAYER n WINS", in TEAMS "TEAM n WINS"; empty before the end.
    std::wstring WinnerLine() const;

    // Recording and replays (ArenaReplay.cpp). Every match is recorded as it is played
    // (TVexmoor::replayFolder); with TVexmoor::replayToPlay set, the arena plays that
    // recording instead: its set-up, each tank driven by its recorded commands, the match
    // keys where they came, each frame at its recorded time, so that it ends as the match
    // did. The viewer has the views, a pause, a speed and Escape of their own.
    void StartMatch() override;
    void OnHostRecording(const std::vector<uint8_t>& piece) override;
    int UpdatesThisFrame() override;
    // A key that changes the match (guided, invisible, pause, scheme, faster, slower, the
    // flat view's hits): applied, and recorded with the frame.
    virtual int ApplyMatchKey(replay::TMatchKey key);
    // The match's set-up as a replay's header, with the seed of the game's random numbers.
    virtual replay::TReplayHeader MatchHeader(uint32_t gameSeed);
    bool IsReplay() const { return replay_ != nullptr; }

    // Gamepads (ArenaPads.cpp). Start pauses as F9 does, Back returns to the title as
    // Escape does; a player's pad pulled out pauses the match until it is back.
    virtual int UpdatePads();
    virtual int DrawPadMessages();
    // Whether the pad of player 1 to 4 was pulled out and is not back yet.
    virtual int IsPadLost(int player);
    bool AnyPadLost();

    // Loading (ArenaLoading.cpp).
    int ResetArena() override;
    virtual int FlagReset();
    virtual int LoadSounds();
    virtual int LoadModels();
    // The arena of match.arena: a built-in model, a new maze (its seed drawn unless the
    // settings fix it) or the arena file of that name (FORTS, said on stderr, when the
    // file is gone).
    virtual int ChooseArena();
    // The meshes this match places: both tanks, the shell and the arena in use.
    virtual std::vector<std::string> MatchMeshKeys();
    // Raises "Unable to load " followed by the first of `keys` that has no usable mesh,
    // so that no match starts that would fail later (the shell at the first shot).
    virtual int RequireMeshes(const std::vector<std::string>& keys);
    virtual int LoadBoxyTank(const std::string& key, const std::string& colorKey);
    virtual int LoadSleekTank(const std::string& key, const std::string& colorKey);
    virtual int LoadTanks();
    virtual int LoadArenaBase();
    virtual int LoadArena1();
    virtual int LoadArena2();
    int RebuildCollisionAnimators() override;
    irr::scene::IMeshSceneNode* LoadModel(const std::string& meshKey, irr::video::SColor color,
                                          irr::core::vector3df position, irr::core::vector3df rotation,
                                          std::optional<irr::core::vector3df> outlineScale, irr::scene::ISceneNode* parent,
                                          std::optional<irr::core::vector3df> meshRotation) override;
    // Adds a hidden, face-flipped, scaled copy of a mesh node as its child.
    virtual irr::scene::IMeshSceneNode* AddCelMesh(irr::scene::ISceneNode* node, irr::core::vector3df scale);
    int SetTanksDisabled(int disabled) override;
    virtual int SetTanksVolume(int volume);

    // The world's events (ArenaScreen.cpp): the match's end, and the battlefield effects
    // of a shot and a hit.
    void PlayMatchEnd() override;
    void OnShot(TTank& tank, irr::scene::ISceneNode* shell, irr::scene::ISceneNode* muzzle) override;
    void OnHit(const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where, int shooter) override;

    irr::gui::IGUIStaticText* back = nullptr;
    int mouse_on = -1;
    int resetOnLoop = 0;
    std::deque<std::string> respawn;
    int last_respawn = 0;

    TMatchOverlay overlay;
    // This match's shots and hits, counted from the world's events.
    TMatchStats stats;
    // This match's recording (or a network joiner's copy of the host's).
    TMatchTape tape;

    // How a replay ended: once its last recorded frame has run, each player's points and
    // each tank's place then, by slot (player 1's tank "tank2" first).
    struct TReplayEnd {
        bool reached = false;
        int points[kMaxPlayers] = {0, 0, 0, 0};
        irr::core::vector3df places[kMaxPlayers];
    };
    TReplayEnd replayEnd;
    // A replay plays at most this many recorded frames before a draw; a slower machine
    // watches it slower.
    static constexpr int kMaxUpdatesPerDraw = 32;
    // A match updates at most once in this many milliseconds: a display faster than that
    // (the frame rate is not capped by default) draws the same match again in between, and
    // the recording grows by at most 250 frames a second however fast the machine draws.
    int minUpdateMs = 4;

private:
    struct TankModel;
    // A replay being played: its frames and keys, how far it has run, the viewer's pause
    // and speed, and what it changed of the game to be put back afterwards.
    struct ReplayPlay {
        replay::TReplayReader reader;
        std::string path;
        size_t next = 0;      // the next recorded frame to run
        size_t nextKey = 0;   // the next recorded key
        int64_t playedMs = 0; // from the first frame to the last one run
        double aheadMs = 0;   // how far the viewer's clock has got, from the first frame
        uint32_t liveMs = 0;  // the real clock at the last draw
        int speed = 0;        // the viewer's: 2 to this power, -2 to 2
        bool paused = false;
        bool refused = false;     // it could not be played: back at the next frame
        uint32_t clockMs = 0;     // the game's time past the last frame (the finale's)
        uint32_t endedLiveMs = 0; // the real clock when an unfinished recording ran out
        float viewerFps = 60.0f;
        int viewerScheme = 0;
    };
    // Reads the replay at path and takes its set-up as the match's; false (with the reason
    // on stderr and for the replay list) when it cannot be played.
    bool OpenReplay(const std::string& path);
    void RefuseReplay(const std::string& problem);
    // The viewer's keys, once a draw.
    void ReplayViewerKeys();
    // Before a replayed frame's objects update: each tank's recorded command.
    void FeedReplayCommands();
    // After it: the next frame's time, or the end.
    void AdvanceReplay();
    // Each tank's command of the frame, taken from its player's controller.
    TMatchTape::Commands DrivenCommands();
    void RecordKey(replay::TMatchKey key);
    // The tape's end of a live match: the result so far.
    replay::TReplayResult ResultNow(replay::TReplayEnding ending);
    std::unique_ptr<ReplayPlay> replay_;
    bool started_ = false;       // StartMatch has run in this visit
    bool startPending_ = false;  // asked for between frames: at the next
    uint32_t lastUpdateMs_ = 0;  // the time of the match's last update
    TObjectLookup<TTankController> drivers_[kMaxPlayers];  // each slot's controller
    // The network match of this machine, if one is on.
    std::shared_ptr<TNetworkMatch> Network();
    int LoadTank(const std::string& key, const std::string& colorKey, const TankModel& model);
    int LoadArena(const std::string& modelKey);
    // The hits taken by player n's own tank (0 while the player is missing).
    int Score(int player);
    // The player of a slot, looked up every frame for the score limit and the score texts.
    std::shared_ptr<TPlayer> PlayerOfSlot(int slot);
    // The text of a side's points (a FREE FOR ALL's slot, a TEAMS match's team).
    const std::wstring& PointsText(int side, int points);

    struct ScoreBoard {
        TObjectLookup<TPlayer> player;
        int shown = -1;  // the points the text was made for
        std::wstring text;
        TObjectLookup<TColorResource> color;  // of the slot's tank
    };
    ScoreBoard scores_[kMaxPlayers];  // by slot (players), the texts by side
    // Each slot's score ink and the outline it wears, worked out again only when a color it
    // stands on or in changes: the contrasts are costly to work out every frame.
    struct ScoreInks {
        irr::video::SColor ink[kMaxPlayers];
        irr::video::SColor floor, walls;
        bool sky = false;
        bool known = false;
        std::optional<irr::video::SColor> outline[kMaxPlayers];
        bool SameGround(const ScoreInks& now) const
        {
            return known && sky == now.sky && floor == now.floor && walls == now.walls &&
                   std::equal(std::begin(ink), std::end(ink), std::begin(now.ink));
        }
    };
    ScoreInks scoreInks_;
    TObjectLookup<TFontResource> scoreFont_;

    struct PadWatch {
        int connected = -1;  // at the last frame; -1 before the first
        int lost = 0;
    };
    PadWatch padWatch_[kMaxPlayers];  // players 1 to 4
    int pausedForPad_ = 0;  // the pause is the pads' own, so a pad plugged back in ends it
};

