// The match scene built straight on Irrlicht, without the game's framework: the same
// meshes as private colored copies with their hidden outlines, the same triangle
// selectors, collision-response animators and cameras, the same motion of both tanks,
// one shell at a time from tank 2 with the same collision queries, and the same drawing
// (scene, two score texts and the GUI, once per camera of the view).
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <vector>

namespace bench {

class BareArena {
public:
    enum View { kOverhead55, kSplit };

    // Builds the scene on a device of its own: driverType 0 NULL, 5 OpenGL at 800x600,
    // created with the game's parameters. Media paths are relative to the working folder.
    BareArena(int driverType, View view);
    ~BareArena();
    bool Ok() const { return device_ != nullptr; }
    irr::video::IVideoDriver* Driver() const { return driver_; }

    // One frame 16 ms after the previous: tanks, shell and collision queries, then drawing.
    void Frame();

    int64_t simNs = 0;     // the tanks, the shell and its collision queries
    int64_t renderNs = 0;  // beginScene to endScene
    int64_t frames = 0;
    int64_t shellFrames = 0;  // frames that ended with a shell in flight
    void ResetTimes() { simNs = renderNs = frames = shellFrames = 0; }

private:
    struct Tank {
        irr::scene::IMeshSceneNode* node = nullptr;
        irr::scene::ICameraSceneNode* camera = nullptr;
        irr::scene::ISceneNode* muzzle = nullptr;
        irr::core::vector3df radius;
        float speed = 0.0f;
        uint32_t startMs = 0;
        int rampMs = 0;  // time since the start at the previous frame
        float turn = 0.0f;  // degrees per target frame
        irr::core::vector3df lastFar;  // last position far enough from the other tank
    };
    struct Shell {
        irr::scene::IMeshSceneNode* node = nullptr;
        irr::core::vector3df lastPosition;
        uint32_t startMs = 0;
    };

    irr::scene::IMeshSceneNode* Place(const char* file, irr::video::SColor color, irr::core::vector3df position,
                                      irr::core::vector3df rotation, irr::core::vector3df outline);
    void AddTank(Tank& tank, const char* file, irr::core::vector3df position, float yaw, irr::core::vector3df camera,
                 irr::core::vector3df muzzle, irr::core::vector3df radius, irr::video::SColor color);
    irr::scene::ICameraSceneNode* FixedCamera(irr::core::vector3df position, irr::core::vector3df rotation);
    void AimAlongRotation(irr::scene::ICameraSceneNode* camera);
    void MoveTank(Tank& tank, const Tank& other);
    void Fire();
    void MoveShell();
    bool ShellHits(irr::scene::ISceneNode* target, const irr::core::vector3df& velocity);
    void DropShell();
    void Draw();

    irr::IrrlichtDevice* device_ = nullptr;
    irr::video::IVideoDriver* driver_ = nullptr;
    irr::scene::ISceneManager* smgr_ = nullptr;
    irr::gui::IGUIFont* font_ = nullptr;
    View view_;
    irr::scene::IMeshSceneNode* arena_ = nullptr;
    Tank tank1_, tank2_;
    Shell shell_;
    irr::scene::ICameraSceneNode* overhead55_ = nullptr;
    std::vector<irr::core::recti> splitViewports_;
    uint32_t nowMs_ = 100000;
    int64_t frameNumber_ = 0;
};

}  // namespace bench
