// The match state "Arena": loads the arena, the two tanks and their sounds, runs the
// match (score limit, respawns, the function keys), draws the scores and builds the views.
#pragma once

#include <irrlicht.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "framework/ObjectLookup.h"
#include "game/match/MatchOverlay.h"
#include "game/world/ArenaWorld.h"
#include "game/world/MatchStats.h"
#include "game/settings/Settings.h"

class TPlayer;
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
    // Passes value to both tanks' SetVisible and keeps it in the flag "invisible_tanks".
    virtual int SetInvisibleTanks(int value);
    virtual int InitGameViews();
    // The arena's floor and walls in world space: what the fixed views frame.
    irr::core::aabbox3df ArenaBounds();
    // F9: pauses the match, or resumes it.
    virtual int TogglePause();

    // Gamepads (ArenaPads.cpp). Start pauses as F9 does, Back returns to the title as
    // Escape does; a player's pad pulled out pauses the match until it is back.
    virtual int UpdatePads();
    virtual int DrawPadMessages();
    // Whether the pad of player 1 or 2 was pulled out and is not back yet.
    virtual int IsPadLost(int player);

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
    void OnHit(const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where) override;

    irr::gui::IGUIStaticText* back = nullptr;
    int mouse_on = -1;
    int resetOnLoop = 0;
    std::deque<std::string> respawn;
    int last_respawn = 0;

    TMatchOverlay overlay;
    // This match's shots and hits, counted from the world's events.
    TMatchStats stats;

private:
    struct TankModel;
    // The network match of this machine, if one is on.
    std::shared_ptr<TNetworkMatch> Network();
    int LoadTank(const std::string& key, const std::string& colorKey, const TankModel& model);
    int LoadArena(const std::string& modelKey);
    // The score of player 1 or 2 (0 while the player is missing), and its text.
    int Score(int player);
    const std::wstring& ScoreText(int player);

    // The players, looked up every frame for the score limit and the score texts.
    struct ScoreBoard {
        TObjectLookup<TPlayer> player;
        int shown = -1;  // the score the text was made for
        std::wstring text;
        TObjectLookup<TColorResource> color;  // of the tank that scores for the player
    };
    ScoreBoard scores_[2];  // players 1 and 2
    TObjectLookup<TFontResource> scoreFont_;

    struct PadWatch {
        int connected = -1;  // at the last frame; -1 before the first
        int lost = 0;
    };
    PadWatch padWatch_[2];  // players 1 and 2
    int pausedForPad_ = 0;  // the pause is the pads' own, so a pad plugged back in ends it
};

