#include "BareArena.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "Stopwatch.h"
#include "framework/CameraFraming.h"
#include "game/effects/BattlefieldEffects.h"
#include "game/effects/Explosion.h"
#include "game/effects/GlowSprite.h"
#include "game/effects/TankOutlines.h"
#include "game/match/ScoreDisplay.h"
#include "game/tank/SpeedRamp.h"

using irr::core::vector3df;

namespace bench {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr float kSpeedFactor = kFrameMs / (1000.0f / 60.0f);  // target frames per frame
constexpr float kMaxSpeed = 0.06f, kAcceleration = 0.0000055f, kTurnRate = 3.0f;
constexpr float kShellSpeed = 0.5f;
constexpr uint32_t kShellLifeMs = 900;
constexpr float kMinDistance = 1.25f;
constexpr float kSplitFov = 0.7853982f, kFullFov = 1.2566371f;  // the game's, pi/4 and pi/2.5
const irr::core::vector3df kSplitShift(0, 0.22f, 0.45f);  // the tanks' cameras in the split screen

}  // namespace

const char* BareArena::ViewName(View view)
{
    static const char* const kNames[kViews] = {"overhead55_cam", "overhead_cam", "ortho_cam", "split", "tank1", "tank2"};
    return kNames[view];
}

BareArena::BareArena(int driverType, View view, const Colors& colors, const BareWalls& walls)
    : view_(kOverhead55), colors_(colors)
{
    clock_.Set(nowMs_);
    clock_.Install();
    irr::SIrrlichtCreationParameters parameters;
    parameters.AntiAlias = true;
    parameters.DriverType = static_cast<irr::video::E_DRIVER_TYPE>(driverType);
    parameters.WindowSize = irr::core::dimension2d<irr::u32>(800, 600);
    parameters.Bits = 16;
    parameters.Fullscreen = true;
    device_ = irr::createDeviceEx(parameters);
    if (!device_) return;
    device_->getLogger()->setLogLevel(irr::ELL_ERROR);
    device_->setWindowCaption(L"Vexmoor bare engine");
    driver_ = device_->getVideoDriver();
    smgr_ = device_->getSceneManager();
    font_ = device_->getGUIEnvironment()->getFont("fonts/pixfont_basic_36pt_bold.xml");
    if (!font_) font_ = device_->getGUIEnvironment()->getBuiltInFont();

    irr::scene::IMesh* wallsMesh = walls.mesh ? walls.mesh : Mesh("media/arena2.3ds");
    if (!wallsMesh) throw std::runtime_error("the bare engine has no arena mesh");
    arena_ = Place(wallsMesh, colors_.arena, vector3df(0, 0, 0), vector3df(0, 0, 0), vector3df(0.995f, 1.02f, 0.995f));
    BattlefieldEffects::ShadeSky(smgr_, colors_.clear, colors_.arena);
    plan_ = TankOutlines::PlanFor(colors_.tank1, colors_.tank2, colors_.clear);
    const TOutlinePlan& plan = plan_;
    // Each tank starts facing the other, as in the game.
    AddTank(tank2_, "media/tank.3ds", walls.tank2Start, walls.tank1Start, vector3df(0, 1.45f, -1.1f),
            vector3df(0, 0.35f, 0.67f), vector3df(1.25f, 5, 1.25f), colors_.tank2, plan.outline[1] ? &*plan.outline[1] : nullptr);
    AddTank(tank1_, "media/sleek_tank.3ds", walls.tank1Start, walls.tank2Start, vector3df(0, 1.3f, -1.05f),
            vector3df(0, 0.425f, 0.67f), vector3df(1, 5, 1), colors_.tank1, plan.outline[0] ? &*plan.outline[0] : nullptr);
    // Each tank slides along the arena and along the other tank.
    struct Pair {
        Tank* tank;
        irr::scene::ISceneNode* world;
    };
    for (const Pair& pair : {Pair{&tank2_, arena_}, Pair{&tank1_, arena_}, Pair{&tank1_, tank2_.node},
                             Pair{&tank2_, tank1_.node}}) {
        irr::scene::ISceneNodeAnimator* animator = smgr_->createCollisionResponseAnimator(
            pair.world->getTriangleSelector(), pair.tank->node, pair.tank->radius, vector3df(0, 0, 0),
            vector3df(0, 0, 0), 0.0005f);
        pair.tank->node->addAnimator(animator);
        animator->drop();
    }

    // The cameras the match offers; only the view's are drawn.
    smgr_->addCameraSceneNodeFPS(nullptr, 100.0f, 0.05f, -1, nullptr, 0, false, 0.0f, false, false);
    // The fixed cameras frame the arena for the screen, as the game's do.
    const irr::core::dimension2d<irr::u32> size = driver_->getScreenSize();
    const int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
    arena_->updateAbsolutePosition();
    const irr::core::aabbox3df bounds = arena_->getTransformedBoundingBox();
    const float aspect = static_cast<float>(w) / h;
    ortho_ = FixedCamera(vector3df(90, 0, 0), bounds, aspect);
    CameraFraming::FrameOrthographic(ortho_, bounds, aspect);
    overhead55_ = FixedCamera(vector3df(55, 0, 0), bounds, aspect);
    overhead_ = FixedCamera(vector3df(90, 0, 0), bounds, aspect);
    splitViewports_ = {irr::core::recti(0, 0, w, h / 2), irr::core::recti(0, h / 2, w, h)};
    SetView(view);
}

void BareArena::SetView(View view)
{
    if (view == view_) return;
    // The split screen's cameras are flatter, narrower and a little lower and nearer.
    const irr::core::dimension2d<irr::u32> size = driver_->getScreenSize();
    const float w = static_cast<float>(size.Width), h = static_cast<float>(size.Height);
    const bool split = view == kSplit, wasSplit = view_ == kSplit;
    if (split != wasSplit)
        for (Tank* tank : {&tank1_, &tank2_}) {
            tank->camera->setAspectRatio(split ? w / (h / 2) : w / h);
            tank->camera->setFOV(split ? kSplitFov : kFullFov);
            tank->camera->setPosition(tank->camera->getPosition() + (split ? -kSplitShift : kSplitShift));
        }
    view_ = view;
}

BareArena::~BareArena()
{
    if (device_) device_->drop();
}

irr::scene::IMesh* BareArena::Mesh(const char* file)
{
    irr::scene::IAnimatedMesh* mesh = smgr_->getMesh(file);
    if (!mesh) throw std::runtime_error(std::string("the bare engine cannot load ") + file);
    return mesh->getMesh(0);
}

irr::scene::IMeshSceneNode* BareArena::Place(irr::scene::IMesh* mesh, irr::video::SColor color, vector3df position,
                                             vector3df rotation, vector3df outline)
{
    irr::scene::IMeshManipulator* manipulator = smgr_->getMeshManipulator();
    irr::scene::SMesh* copy = manipulator->createMeshCopy(mesh);
    manipulator->setVertexColors(copy, color);
    manipulator->setVertexColorAlpha(copy, 0);
    irr::scene::IMeshSceneNode* node = smgr_->addMeshSceneNode(copy);
    copy->drop();
    node->setMaterialFlag(irr::video::EMF_LIGHTING, false);
    node->setPosition(position);
    node->setRotation(rotation);
    irr::scene::ITriangleSelector* selector = smgr_->createTriangleSelector(node->getMesh(), node);
    node->setTriangleSelector(selector);
    selector->drop();

    irr::scene::SMesh* rim = manipulator->createMeshCopy(node->getMesh());
    manipulator->flipSurfaces(rim);
    irr::scene::IMeshSceneNode* rimNode = smgr_->addMeshSceneNode(rim, node);
    rim->drop();
    rimNode->setScale(outline);
    rimNode->setVisible(false);
    return node;
}

void BareArena::AddTank(Tank& tank, const char* file, vector3df position, vector3df facing, vector3df camera,
                        vector3df muzzle, vector3df radius, irr::video::SColor color,
                        const irr::video::SColor* outline)
{
    // The heading about Y from +Z toward +X.
    const float yaw = std::atan2(facing.X - position.X, facing.Z - position.Z) * irr::core::RADTODEG;
    tank.node = Place(Mesh(file), color, position, vector3df(0, yaw, 0), vector3df(1.01f, 1.01f, 1.01f));
    auto* rim = static_cast<irr::scene::IMeshSceneNode*>(*tank.node->getChildren().begin());
    tank.rim = rim;
    tank.outlined = outline != nullptr;
    if (outline) {
        // The outline the colors call for, as the game shows it.
        smgr_->getMeshManipulator()->setVertexColors(rim->getMesh(), *outline);
        const float scale = TankOutlines::kShownScale;
        rim->setScale(vector3df(scale, scale, scale));
        rim->setVisible(EffectsShown());
    }
    tank.camera = smgr_->addCameraSceneNode(tank.node, camera, vector3df(0, 0, 100), -1, false);
    tank.muzzle = smgr_->addEmptySceneNode(tank.node);
    tank.muzzle->setPosition(muzzle);
    tank.radius = radius;
    tank.speed = 0.01f;
    tank.startMs = nowMs_;
    tank.lastFar = position;
}

irr::scene::ICameraSceneNode* BareArena::FixedCamera(vector3df rotation, const irr::core::aabbox3df& bounds,
                                                     float aspect)
{
    irr::scene::ICameraSceneNode* camera =
        smgr_->addCameraSceneNode(nullptr, vector3df(0, 0, 0), vector3df(0, 0, 100), -1, false);
    camera->setRotation(rotation);
    CameraFraming::FramePerspective(camera, bounds, aspect);
    camera->updateAbsolutePosition();
    AimAlongRotation(camera);
    return camera;
}

void BareArena::AimAlongRotation(irr::scene::ICameraSceneNode* camera)
{
    irr::core::matrix4 rotation;
    rotation.setRotationDegrees(camera->getRotation());
    vector3df up(0, 1, 0);
    rotation.transformVect(up);
    camera->setUpVector(up);
    vector3df target(0, 0, 1000);
    camera->getAbsoluteTransformation().transformVect(target);
    camera->setTarget(target);
}

void BareArena::MoveTank(Tank& tank, const Tank& other)
{
    irr::scene::IMeshSceneNode* node = tank.node;
    vector3df position = node->getPosition();
    if (position.Y != 0.0f) node->setPosition(vector3df(position.X, 0.0f, position.Z));
    // Back to the last place far enough from the other tank.
    if (node->getAbsolutePosition().getDistanceFrom(other.node->getAbsolutePosition()) > kMinDistance)
        tank.lastFar = node->getPosition();
    else
        node->setPosition(tank.lastFar);

    // The game's ramp: the speed is a function of the time since the start.
    const int sinceStart = static_cast<int>(nowMs_ - tank.startMs);
    if (tank.speed < kMaxSpeed) tank.speed += kAcceleration * SpeedRamp::Step(tank.rampMs, sinceStart);
    tank.rampMs = sinceStart;
    if (tank.speed > kMaxSpeed) tank.speed = kMaxSpeed;
    vector3df step(0, 0, tank.speed * kSpeedFactor);
    node->getRelativeTransformation().transformVect(step);
    node->setPosition(step);
    vector3df rotation = node->getRotation();
    rotation.Y += tank.turn * kSpeedFactor;
    node->setRotation(rotation);
    node->updateAbsolutePosition();
    tank.camera->updateAbsolutePosition();
    AimAlongRotation(tank.camera);
}

void BareArena::Fire()
{
    tank2_.muzzle->updateAbsolutePosition();
    shell_.node = Place(Mesh("media/tank_shell.3ds"), colors_.tank2, tank2_.muzzle->getAbsolutePosition(),
                        tank2_.muzzle->getAbsoluteTransformation().getRotationDegrees(),
                        vector3df(1.02f, 1.02f, 1.02f));
    BattlefieldEffects::DecorateShot(smgr_, colors_.tank2, shell_.node, tank2_.muzzle);
    shell_.node->updateAbsolutePosition();
    shell_.lastPosition = shell_.node->getAbsolutePosition();
    shell_.startMs = nowMs_;
}

bool BareArena::ShellHits(irr::scene::ISceneNode* target, const vector3df& velocity)
{
    target->updateAbsolutePosition();
    const irr::core::aabbox3df& box = shell_.node->getBoundingBox();
    irr::core::triangle3df triangle;
    vector3df hit;
    bool falling = false;
    irr::scene::ISceneNode* hitNode = nullptr;
    smgr_->getSceneCollisionManager()->getCollisionResultPosition(
        target->getTriangleSelector(), shell_.lastPosition, box.MaxEdge - box.getCenter(), velocity, triangle, hit,
        falling, hitNode, 0.0f, vector3df(0, 0, 0));
    return hitNode != nullptr;
}

void BareArena::DropShell()
{
    smgr_->addToDeletionQueue(shell_.node);
    shell_.node = nullptr;
}

void BareArena::MoveShell()
{
    if (!shell_.node) return;
    if (nowMs_ - shell_.startMs >= kShellLifeMs) {
        DropShell();
        return;
    }
    vector3df step(0, 0, kShellSpeed * kSpeedFactor);
    shell_.node->getRelativeTransformation().transformVect(step);
    shell_.node->setPosition(step);
    shell_.node->updateAbsolutePosition();
    const vector3df velocity = shell_.node->getAbsolutePosition() - shell_.lastPosition;
    // The arena first, then the tank it was not fired from.
    if (ShellHits(arena_, velocity)) {
        DropShell();
    } else if (ShellHits(tank1_.node, velocity)) {
        if (EffectShown(TEffect::Burst)) Explosion::Start(smgr_, shell_.node->getAbsolutePosition(), colors_.tank1);
        ++hits;
        DropShell();
    } else
        shell_.lastPosition = shell_.node->getAbsolutePosition();
}

void BareArena::Draw()
{
    driver_->beginScene(true, true, colors_.clear);
    std::vector<std::pair<irr::scene::ICameraSceneNode*, irr::core::recti>> cameras;
    const irr::core::dimension2d<irr::u32> size = driver_->getScreenSize();
    const irr::core::recti screen(0, 0, size.Width, size.Height);
    switch (view_) {
    case kSplit: cameras = {{tank1_.camera, splitViewports_[0]}, {tank2_.camera, splitViewports_[1]}}; break;
    case kOverhead: cameras = {{overhead_, screen}}; break;
    case kOrtho: cameras = {{ortho_, screen}}; break;
    case kTank1: cameras = {{tank1_.camera, screen}}; break;
    case kTank2: cameras = {{tank2_.camera, screen}}; break;
    default: cameras = {{overhead55_, screen}}; break;
    }
    // The scores as the game lays them out, with their outlines.
    static const std::wstring kZero = L"0";
    const TScoreText scores[2] = {{&kZero, colors_.tank2, plan_.outline[1]}, {&kZero, colors_.tank1, plan_.outline[0]}};
    for (const auto& [camera, viewport] : cameras) {
        smgr_->setActiveCamera(camera);
        driver_->setViewPort(viewport);
        smgr_->drawAll();
        ScoreDisplay::Draw(driver_, font_, view_ == kOrtho, scores,
                           [&](const std::wstring& text, irr::video::SColor color, const irr::core::recti& at) {
                               font_->draw(text.c_str(), at, color);
                           });
        device_->getGUIEnvironment()->drawAll();
    }
    driver_->endScene();
}

void BareArena::Frame()
{
    nowMs_ += kFrameMs;
    const int64_t start = NowNs();
    clock_.Set(nowMs_);
    clock_.Install();
    // Player 1's tank turns left, player 2's right, both at full throttle; tank 2 fires
    // whenever it has no shell in flight, on the frames the game's fire key goes down.
    tank2_.turn = -kTurnRate;
    tank1_.turn = kTurnRate;
    if (!shell_.node && frameNumber_ % 2 == 0) Fire();
    MoveShell();
    MoveTank(tank1_, tank2_);
    MoveTank(tank2_, tank1_);
    // An outline is an effect: it goes with the others.
    for (Tank* tank : {&tank1_, &tank2_}) tank->rim->setVisible(tank->outlined && EffectsShown());
    const int64_t simulated = NowNs();
    device_->run();
    const int64_t drawStart = NowNs();
    Draw();
    const int64_t end = NowNs();
    simNs += simulated - start;
    renderNs += end - drawStart;
    ++frames;
    ++frameNumber_;
    if (shell_.node) ++shellFrames;
}

}  // namespace bench
