#include "game/tank/Tank.h"

#include "framework/Clock.h"
#include "framework/Game.h"
#include "framework/GameResource.h"
#include "framework/GameState.h"
#include "game/world/ArenaWorld.h"
#include "game/world/SceneChildren.h"
#include "game/tank/SpeedRamp.h"
#include "game/tank/MaintainTankY.h"
#include "game/tank/TankDieAnimator.h"
#include "game/tank/TankVisibleAnimator.h"
#include "game/tank/TankShell.h"
#include "sound/Sound.h"

namespace {

std::shared_ptr<TSound> ArenaSound(const std::shared_ptr<TGameState>& arena, const std::string& key)
{
    if (!arena) return nullptr;
    auto resource = arena->GetGameResourceAs<TSoundResource>(key);
    return resource ? resource->GetResource() : nullptr;
}

irr::scene::IMesh* NodeMesh(irr::scene::ISceneNode* node)
{
    if (!node || node->getType() != irr::scene::ESNT_MESH) return nullptr;
    return static_cast<irr::scene::IMeshSceneNode*>(node)->getMesh();
}

}  // namespace

TTank::TTank()
{
    auto arena = TGame::GetGameState("Arena");
    if (auto sound = ArenaSound(arena, "engine_sound")) engine = sound->Cue(nullptr);
    shot = ArenaSound(arena, "shot_sound");
    if (shot) shot_channel = shot->Cue(nullptr);
    // The engine runs from construction on, for as long as the tank exists.
    if (engine) engine->SetPaused(0);
}

int TTank::MsSinceLastMove() const
{
    return static_cast<int>(GameClock::Milliseconds() - static_cast<uint32_t>(lastMoveMs));
}

int TTank::OnUpdate()
{
    TMovableGameObject::OnUpdate();
    // A quadratic ramp in the time since the last Start or Stop: each frame adds the ramp's
    // gain since the previous frame, so the speed at a given time is the same at any frame rate.
    const int sinceMove = MsSinceLastMove();
    const float step = SpeedRamp::Step(rampMs_, sinceMove);
    rampMs_ = sinceMove;
    if (bStarting && speed < max_speed)
        speed += acceleration * step;
    else if (bStopping && speed > 0.0f)
        speed -= deceleration * step;

    if (speed >= max_speed) {
        speed = max_speed;
        bStarting = 0;
    } else if (speed < 0.0f) {
        // Only a step past 0 ends the stop; a speed landing exactly on 0 keeps it set.
        speed = 0.0f;
        bStopping = 0;
    }

    Move(0.0f, 0.0f, speed);
    Turn(0.0f, turn_speed, 0.0f);

    float rate = turn_speed == 0.0f ? kEngineSound[1] : kEngineSound[0];
    if (!IsStopped()) {
        rate = kEngineSound[2] * (speed / max_speed);
        if (rate < kEngineSound[3]) rate = kEngineSound[4];
    }
    // Whole percent steps only: the game uses 0 and 100.
    const float level = static_cast<float>(volume / 100);
    if (engine) {
        engine->SetRate(rate);
        engine->SetVolume(kEngineSound[5] * level);
    }
    if (shot_channel) shot_channel->SetVolume(kEngineSound[6] * level);
    return 0;
}

int TTank::SetColor(irr::scene::ISceneManager* smgr, irr::video::SColor newColor)
{
    if (irr::scene::IMesh* mesh = NodeMesh(_node)) {
        irr::scene::IMeshManipulator* manipulator = smgr->getMeshManipulator();
        manipulator->setVertexColors(mesh, newColor);
        manipulator->setVertexColorAlpha(mesh, 0);
    }
    color = newColor;
    return 0;
}

int TTank::SetDisabled(int value)
{
    disabled = value;
    return 0;
}

int TTank::IsDisabled()
{
    return disabled;
}

int TTank::IsVisible()
{
    return visible;
}

int TTank::SetVisible(int value)
{
    visible = value;
    // Vertex alpha is 0 everywhere, so the alpha-channel material draws nothing: the tank
    // stays in the scene, keeps colliding and keeps its children, but cannot be seen.
    if (_node)
        _node->setMaterialType(visible ? irr::video::EMT_SOLID : irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
    return 0;
}

int TTank::Die(irr::core::vector3df hitFrom)
{
    return AttachDieAnimator(hitFrom);
}

int TTank::IsMoving()
{
    return speed > 0.0f ? 1 : 0;
}

int TTank::IsAccelerating()
{
    return bStarting;
}

int TTank::IsStopping()
{
    return bStopping;
}

int TTank::IsStopped()
{
    return speed == 0.0f ? 1 : 0;
}

int TTank::Start()
{
    lastMoveMs = static_cast<int>(GameClock::Milliseconds());
    rampMs_ = 0;
    bStarting = 1;
    speed = 0.01f;
    return 0;
}

int TTank::Stop()
{
    lastMoveMs = static_cast<int>(GameClock::Milliseconds());
    rampMs_ = 0;
    bStopping = 1;
    return 0;
}

int TTank::TurnRight()
{
    turn_speed = turn_rate;
    return 0;
}

int TTank::TurnLeft()
{
    turn_speed = -turn_rate;
    return 0;
}

int TTank::StopTurn()
{
    turn_speed = 0.0f;
    return 0;
}

int TTank::IsTurning()
{
    // Only a right turn counts; nothing in the game asks.
    return turn_speed > 0.0f ? 1 : 0;
}

std::shared_ptr<TTankShell> TTank::GetShell()
{
    auto state = GetState();
    return state ? state->GetGameObjectAs<TTankShell>(obj_key + "_shell", shell_) : nullptr;
}

int TTank::Shoot(TGameState* state)
{
    if (GetShell()) return 0;  // one shell in flight at a time
    if (GetAnimator("spawn_grace")) return 0;  // no firing straight out of a safe respawn
    auto* arena = TArenaWorld::Of(state);
    irr::scene::ISceneNode* muzzle = ChildAt(_node, 2);
    if (!arena || !muzzle) return 0;
    // From where the tank stands now: a respawn earlier in the frame has moved it since its
    // place in the world was last worked out.
    _node->updateAbsolutePosition();
    muzzle->updateAbsolutePosition();

    const bool guided = state->GetFlag("guided_shells") != 0;
    irr::core::vector3df position, rotation;
    irr::scene::ISceneNode* parent = nullptr;
    if (guided) {
        position = muzzle->getPosition();
        rotation = muzzle->getRotation();
        parent = muzzle;
    } else {
        position = muzzle->getAbsolutePosition();
        rotation = muzzle->getAbsoluteTransformation().getRotationDegrees();
    }

    irr::scene::IMeshSceneNode* node = arena->LoadModel("tank_shell_model", color, position, rotation,
                                                        irr::core::vector3df(1.02f, 1.02f, 1.02f), parent,
                                                        std::nullopt);
    auto shell = TTankShell::Create(obj_key);
    state->AddGameObject(obj_key + "_shell", shell);
    shell->SetNodeObject(node);
    shell->AddAnimator("shell_anim", std::make_shared<TankShellAnimator>());
    arena->OnShot(*this, node, muzzle);
    if (shot) shot->Play(shot_channel);
    // A guided shell keeps its place relative to the muzzle and turns and moves with the tank.
    if (guided) node->setParent(_node);
    if (!visible) AddAnimator("vis_anim", std::make_shared<TankVisibleAnimator>());
    return 0;
}

int TTank::SetVolume(int value)
{
    volume = value;
    return 0;
}

int TTank::AttachMaintainYAnimator()
{
    auto animator = std::make_shared<MaintainTankY>();
    animator->setY = GetPosition().Y;
    AddAnimator("maintain_y", animator);
    return 0;
}

int TTank::AttachDieAnimator(irr::core::vector3df hitFrom)
{
    auto animator = std::make_shared<TankDieAnimator>();
    animator->hit_from = irr::core::vector3df(hitFrom.X, 0.0f, hitFrom.Z);
    AddAnimator("die_anim", animator);
    return 0;
}

int TTank::Destroy()
{
    if (engine) {
        engine->Stop();
        engine.reset();
    }
    if (auto shell = GetShell()) shell->Destroy();
    auto state = GetState();
    if (state && state->smgr) {
        if (irr::scene::IMesh* mesh = NodeMesh(_node)) state->smgr->getMeshCache()->removeMesh(mesh);
    }
    return TMovableGameObject::Destroy();
}
