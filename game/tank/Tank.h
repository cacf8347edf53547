// The player's vehicle: a speed ramp timed from its last start or stop (the same at any
// frame rate), a fixed turn rate, an engine sound pitched by speed, one shell in flight at
// a time and a recolorable mesh.
#pragma once

#include <irrlicht.h>

#include <memory>

#include "framework/ObjectLookup.h"
#include "framework/objects/MovableGameObject.h"

class TChannel;
class TSound;
class TTankShell;
class TGameState;

class TTank : public TMovableGameObject {
    VEXMOOR_CLASS(TTank, TMovableGameObject)

public:
    // Engine rates and channel volumes, in this order: standing and turning, standing
    // still, top speed, lowest while moving, floor while moving, engine volume, shot volume.
    static constexpr float kEngineSound[7] = {1.5f, 0.85f, 2.85f, 0.85f, 0.85f, 0.9f, 0.2f};

    // Needs the arena state with its "engine_sound" and "shot_sound"; a missing one
    // leaves the tank silent.
    TTank();

    int OnUpdate() override;
    int Destroy() override;
    int IsVisible() override;
    int SetVisible(int visible) override;

    virtual int SetColor(irr::scene::ISceneManager* smgr, irr::video::SColor color);
    virtual int SetDisabled(int disabled);
    virtual int IsDisabled();
    virtual int Die(irr::core::vector3df hitFrom);
    virtual int IsMoving();
    virtual int IsAccelerating();
    virtual int IsStopping();
    virtual int IsStopped();
    virtual int Start();
    virtual int Stop();
    virtual int TurnRight();
    virtual int TurnLeft();
    virtual int StopTurn();
    virtual int IsTurning();
    virtual std::shared_ptr<TTankShell> GetShell();
    virtual int Shoot(TGameState* state);
    virtual int SetVolume(int volume);
    virtual int AttachMaintainYAnimator();
    virtual int AttachDieAnimator(irr::core::vector3df hitFrom);

    std::shared_ptr<TChannel> engine;
    std::shared_ptr<TSound> shot;
    std::shared_ptr<TChannel> shot_channel;
    irr::video::SColor color{255, 255, 255, 255};
    irr::scene::ICameraSceneNode* cam = nullptr;
    // The collision ellipsoid of the tank's model against the walls and the other tank;
    // set by the loader.
    irr::core::vector3df collision_radius{1.25f, 5.0f, 1.25f};
    float max_speed = 0.06f;
    float acceleration = 0.0000055f;
    float deceleration = 0.0000055f;
    int bStarting = 0;
    int bStopping = 0;
    float turn_rate = 3.0f;
    float speed = 0.0f;
    int lastMoveMs = 0;
    float turn_speed = 0.0f;
    int disabled = 0;
    int visible = 1;
    int volume = 100;

private:
    // Milliseconds since the last Start or Stop, on the wrapping clock.
    int MsSinceLastMove() const;

    // MsSinceLastMove at the previous update: where the next ramp step starts.
    int rampMs_ = 0;

    TObjectLookup<TTankShell> shell_;
};
