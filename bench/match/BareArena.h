// The match scene built straight on Irrlicht, without the game's framework: the same
// meshes as private colored copies with their hidden outlines, the same triangle
// selectors, collision-response animators and cameras, the same motion of two to four
// tanks, one shell at a time from each tank that fires with the same collision queries,
// computer players' thinking when computers play (the game's own brains, sensing the scene),
// and the same drawing (scene, the score texts and the GUI, once per camera of the view),
// with the game's battlefield effects on the engine's scene alone: the sky, the outlines
// the colors call for, a shell's core and trail, the muzzle flash, the burst where a shell
// hits a tank and the blur of that tank's death spin.
#pragma once

#include <irrlicht.h>

#include "framework/Clock.h"
#include "game/ai/TankBrain.h"
#include "game/ai/WallQueries.h"
#include "game/effects/ColorContrast.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace bench {

// The scheme's colors: the arena's walls, the tanks ("tank1" to "tank4"), the clear color
// (the floor).
struct BareColors {
    irr::video::SColor arena{255, 234, 170, 42}, tank1{255, 137, 212, 110}, tank2{255, 110, 121, 212},
        clear{255, 112, 16, 15}, tank3{255, 0, 3, 76}, tank4{255, 53, 102, 36};
    // The color of the tank a slot drives: slot 0 "tank2", slot 1 "tank1", then "tank3", "tank4".
    irr::video::SColor OfSlot(int slot) const;
};

// Where a tank starts and which way it faces (degrees about Y, from +Z toward +X).
struct BareStart {
    irr::core::vector3df position;
    float yaw = 0.0f;
};

// The arena played: its walls' mesh and where each slot's tank starts. Taken from the game's
// match (GameRun::MatchWalls), so that both sides play the same walls and places whichever
// arena the game chose; without a game, FORTS from its file and the built-in arenas' two
// start points, the tanks facing each other.
struct BareWalls {
    irr::scene::IMesh* mesh = nullptr;  // copied when the scene is built; null: media/arena2.3ds
    std::vector<BareStart> starts{{{-17.0f, 0.0f, 0.0f}, 90.0f}, {{16.5f, 0.0f, 0.0f}, -90.0f}};
    // Where a computer's tank comes back after its death spin (none: it stays where it died).
    std::vector<irr::core::vector3df> respawns;
};

class BareArena {
public:
    // The game's six views, in the order of its keys F1 to F6.
    enum View { kOverhead55, kOverhead, kOrtho, kSplit, kTank1, kTank2 };
    static constexpr int kViews = 6;
    static const char* ViewName(View view);  // the game's name of the view

    using Colors = BareColors;

    // Builds the scene on a device of its own: driverType 0 NULL, 5 OpenGL at 800x600,
    // created with the game's parameters, with a tank for each of the first `tanks` slots
    // (2 to 4; walls.starts must name a place for each). Media paths are relative to the
    // working folder. Without computers each tank turns at full throttle, and the tank of
    // slot 0 fires, and those of slots 2 and 3; with them, the game's NORMAL computer brain
    // drives and fires every tank from what it senses of the scene, as the game's computers do.
    BareArena(int driverType, View view, const Colors& colors = Colors(), const BareWalls& walls = BareWalls(),
              int tanks = 2, bool computers = false);
    void SetView(View view);
    ~BareArena();
    bool Ok() const { return device_ != nullptr; }
    irr::video::IVideoDriver* Driver() const { return driver_; }

    // One frame 16 ms after the previous: tanks, shells and collision queries, then drawing.
    void Frame();

    // n more shots for the tank of `slot`: once this is called for any slot, a tank fires only
    // while it has shots allowed, so that the bare computers fire no more often than the
    // game's did (they think alike, but do not play the same match).
    void AllowShots(int slot, int n);

    int64_t simNs = 0;     // the tanks, the shell and its collision queries
    int64_t renderNs = 0;  // beginScene to endScene
    int64_t frames = 0;
    int64_t shellFrames = 0;  // frames that ended with a shell of slot 0's tank in flight
    int64_t hits = 0;         // shells that struck a tank
    int64_t shots[4] = {0, 0, 0, 0};  // by slot
    void ResetTimes()
    {
        simNs = renderNs = frames = shellFrames = hits = 0;
        for (int64_t& n : shots) n = 0;
    }

private:
    struct Shell {
        irr::scene::IMeshSceneNode* node = nullptr;
        irr::core::vector3df lastPosition;
        uint32_t startMs = 0;
    };
    struct Tank {
        int slot = 0;
        irr::video::SColor color;
        bool fires = false;
        Shell shell;
        irr::scene::IMeshSceneNode* node = nullptr;
        irr::scene::ICameraSceneNode* camera = nullptr;
        irr::scene::ISceneNode* muzzle = nullptr;
        irr::scene::ISceneNode* rim = nullptr;  // the outline, shown with the effects when the colors call for it
        bool outlined = false;
        irr::core::vector3df radius;
        // The game's speed ramp: starting up to full speed or stopping, since moveMs.
        float speed = 0.0f;
        bool starting = true, stopping = false;
        uint32_t moveMs = 0;
        int rampMs = 0;  // time since moveMs at the previous frame
        float turn = 0.0f;  // degrees per target frame
        std::unique_ptr<ai::TTankBrain> brain;  // a computer's, when computers play
        std::vector<irr::scene::ISceneNode*> slidesAlong;  // the arena and tanks it collides with, in order
        int target = -1;  // the slot of the enemy its brain fights
        irr::core::vector3df lastFar;  // last position far enough from every other tank
        int64_t spinsUntilFrame = -1;  // a burst's death spin, as the game's hit tanks spin
        // Its score's outline: planned for slots 0 and 1, else the backing its ink needs
        // over the floor and walls, or over a tank camera's sky.
        std::optional<irr::video::SColor> scoreOutline, scoreOutlineOverSky;
    };

    irr::scene::IMesh* Mesh(const char* file);
    irr::scene::IMeshSceneNode* Place(irr::scene::IMesh* mesh, irr::video::SColor color, irr::core::vector3df position,
                                      irr::core::vector3df rotation, irr::core::vector3df outline);
    void AddTank(Tank& tank, const BareStart& start, const irr::video::SColor* outline);
    irr::scene::ICameraSceneNode* FixedCamera(irr::core::vector3df rotation, const irr::core::aabbox3df& bounds,
                                              float aspect);
    void AimAlongRotation(irr::scene::ICameraSceneNode* camera);
    void SplitFraming(bool split);
    void AddCollision(Tank& tank, irr::scene::ISceneNode* world);
    void AddCollisions(Tank& tank);
    void Respawn(Tank& tank);
    void MoveTank(Tank& tank);
    ai::TSenses Sense(Tank& tank);
    bool Think(Tank& tank);  // steers as the brain says; true when it fires
    void Fire(Tank& tank);
    void MoveShell(Tank& shooter);
    bool ShellHits(const Shell& shell, irr::scene::ISceneNode* target, const irr::core::vector3df& velocity);
    void DropShell(Shell& shell);
    void Burst(Tank& victim, const irr::core::vector3df& where);
    bool Spinning(const Tank& tank) const { return frameNumber_ < tank.spinsUntilFrame; }
    bool AnySpinning() const
    {
        for (const Tank& tank : tanks_)
            if (Spinning(tank)) return true;
        return false;
    }
    void Draw();
    Tank& OfSlot(int slot) { return tanks_[static_cast<size_t>(slot)]; }
    bool Quarters() const { return tanks_.size() > 2; }

    irr::IrrlichtDevice* device_ = nullptr;
    irr::video::IVideoDriver* driver_ = nullptr;
    irr::scene::ISceneManager* smgr_ = nullptr;
    irr::gui::IGUIFont* font_ = nullptr;
    View view_;
    irr::scene::IMeshSceneNode* arena_ = nullptr;
    ai::ShotTest targetShot_;  // the computers' coarse test of a shot at an enemy
    std::vector<irr::core::vector3df> respawns_;
    bool shotsCapped_ = false;
    int64_t shotsAllowed_[4] = {0, 0, 0, 0};
    std::minstd_rand respawnDice_{1};  // the same respawns every run
    std::vector<Tank> tanks_;  // by slot: slot 0 drives "tank2", slot 1 "tank1"
    std::vector<Tank*> moveOrder_;  // "tank1" first, as the game updates them
    irr::scene::ICameraSceneNode* overhead55_ = nullptr;
    irr::scene::ICameraSceneNode* overhead_ = nullptr;
    irr::scene::ICameraSceneNode* ortho_ = nullptr;
    Colors colors_;
    TOutlinePlan plan_;  // the outlines the colors call for, of the two first tanks and their scores
    GameClock::ManualClock clock_;  // the effects' clock, installed for each frame
    std::vector<irr::core::recti> splitViewports_;
    uint32_t nowMs_ = 100000;
    int64_t frameNumber_ = 0;
};

}  // namespace bench
