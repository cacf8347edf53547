#include "BareArena.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "Stopwatch.h"
#include "framework/CameraFraming.h"
#include "game/effects/BattlefieldEffects.h"
#include "game/effects/Explosion.h"
#include "game/effects/GlowSprite.h"
#include "game/effects/SpinBlur.h"
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
constexpr float kDeathSpin = 100.0f;  // degrees a target frame, for 750 ms: the game's death animator's
constexpr uint32_t kDeathSpinMs = 750;
constexpr float kSplitFov = 0.7853982f, kFullFov = 1.2566371f;  // the game's, pi/4 and pi/2.5
constexpr float kQuarterFov = 1.0471976f;  // pi/3
// The tanks' cameras in the split screen: down and back, in halves and in quarters.
const irr::core::vector3df kSplitShift(0, 0.22f, 0.45f), kQuarterShift(0, 0.11f, 0.225f);

// What each slot's tank is made of: slots 0 and 2 drive the boxy tank, 1 and 3 the sleek one.
struct TankBuild {
    const char* file;
    irr::core::vector3df camera, muzzle, radius;
};
const TankBuild kBoxy{"media/tank.3ds", {0, 1.45f, -1.1f}, {0, 0.35f, 0.67f}, {1.25f, 5, 1.25f}};
const TankBuild kSleek{"media/sleek_tank.3ds", {0, 1.3f, -1.05f}, {0, 0.425f, 0.67f}, {1, 5, 1}};

// A slot's place in a plan of outlines made in key order ("tank1", "tank2", "tank3", "tank4").
int PlannedIndex(int slot)
{
    return slot < 2 ? 1 - slot : slot;
}

}  // namespace

irr::video::SColor BareColors::OfSlot(int slot) const
{
    const irr::video::SColor bySlot[4] = {tank2, tank1, tank3, tank4};
    return bySlot[slot >= 0 && slot < 4 ? slot : 0];
}

const char* BareArena::ViewName(View view)
{
    static const char* const kNames[kViews] = {"overhead55_cam", "overhead_cam", "ortho_cam", "split", "tank1", "tank2"};
    return kNames[view];
}

BareArena::BareArena(int driverType, View view, const Colors& colors, const BareWalls& walls, int tanks,
                     bool everyTankFires)
    : view_(kOverhead55), colors_(colors)
{
    if (tanks < 2 || tanks > 4) throw std::runtime_error("the bare engine plays 2 to 4 tanks, not " + std::to_string(tanks));
    if (walls.starts.size() < static_cast<size_t>(tanks))
        throw std::runtime_error("the bare engine has " + std::to_string(walls.starts.size()) + " start points for " +
                                 std::to_string(tanks) + " tanks");
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
    // The tanks' outlines: the duel's plan, or one made for every tank playing, as the game's.
    TOutlinePlan tankPlan = plan_;
    if (tanks > 2) {
        std::vector<irr::video::SColor> keyOrder{colors_.tank1, colors_.tank2, colors_.tank3, colors_.tank4};
        keyOrder.resize(static_cast<size_t>(tanks));
        tankPlan = TankOutlines::PlanFor(keyOrder, colors_.clear);
    }
    tanks_.resize(static_cast<size_t>(tanks));  // never again: the scene holds pointers into it
    for (int slot = 0; slot < tanks; ++slot) {
        Tank& tank = OfSlot(slot);
        tank.slot = slot;
        tank.color = colors_.OfSlot(slot);
        tank.fires = slot != 1 || everyTankFires;
        const std::optional<irr::video::SColor>& outline = tankPlan.outline[PlannedIndex(slot)];
        AddTank(tank, walls.starts[static_cast<size_t>(slot)], outline ? &*outline : nullptr);
    }
    for (int slot : {1, 0, 2, 3})
        if (slot < tanks) moveOrder_.push_back(&OfSlot(slot));
    // Each tank slides along the arena and along every other tank: the duel's four in the
    // game's order, else each tank's walls and then the others, slot by slot.
    struct Pair {
        Tank* tank;
        irr::scene::ISceneNode* world;
    };
    std::vector<Pair> pairs;
    if (tanks == 2) {
        pairs = {{&OfSlot(0), arena_}, {&OfSlot(1), arena_}, {&OfSlot(1), OfSlot(0).node}, {&OfSlot(0), OfSlot(1).node}};
    } else {
        for (Tank& tank : tanks_) {
            pairs.push_back({&tank, arena_});
            for (Tank& other : tanks_)
                if (&other != &tank) pairs.push_back({&tank, other.node});
        }
    }
    for (const Pair& pair : pairs) {
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
    if (Quarters()) {
        // Quarters in reading order, as the game's split screen of three or four.
        for (int part = 0; part < 4; ++part) {
            const int column = part % 2, row = part / 2;
            splitViewports_.emplace_back(column * (w / 2), row * h / 2, (column + 1) * (w / 2), (row + 1) * h / 2);
        }
    } else {
        splitViewports_ = {irr::core::recti(0, 0, w, h / 2), irr::core::recti(0, h / 2, w, h)};
    }
    SetView(view);
}

void BareArena::SetView(View view)
{
    if (view == view_) return;
    const bool split = view == kSplit, wasSplit = view_ == kSplit;
    if (split != wasSplit) SplitFraming(split);
    view_ = view;
}

void BareArena::SplitFraming(bool split)
{
    // The split screen's cameras are narrower and a little lower and nearer; the halves'
    // are flatter too, the quarters' keep the screen's shape.
    const irr::core::dimension2d<irr::u32> size = driver_->getScreenSize();
    const float w = static_cast<float>(size.Width), h = static_cast<float>(size.Height);
    const float partAspect = Quarters() ? (w / 2) / (h / 2) : w / (h / 2);
    const float partFov = Quarters() ? kQuarterFov : kSplitFov;
    const vector3df shift = Quarters() ? kQuarterShift : kSplitShift;
    for (Tank& tank : tanks_) {
        tank.camera->setAspectRatio(split ? partAspect : w / h);
        tank.camera->setFOV(split ? partFov : kFullFov);
        tank.camera->setPosition(tank.camera->getPosition() + (split ? -shift : shift));
    }
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

void BareArena::AddTank(Tank& tank, const BareStart& start, const irr::video::SColor* outline)
{
    const TankBuild& build = tank.slot % 2 == 0 ? kBoxy : kSleek;
    tank.node = Place(Mesh(build.file), tank.color, start.position, vector3df(0, start.yaw, 0),
                      vector3df(1.01f, 1.01f, 1.01f));
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
    tank.camera = smgr_->addCameraSceneNode(tank.node, build.camera, vector3df(0, 0, 100), -1, false);
    tank.muzzle = smgr_->addEmptySceneNode(tank.node);
    tank.muzzle->setPosition(build.muzzle);
    tank.radius = build.radius;
    tank.speed = 0.01f;
    tank.startMs = nowMs_;
    tank.lastFar = start.position;
    // Players 1 and 3 hold their left key, players 2 and 4 their right one.
    tank.turn = tank.slot % 2 == 0 ? -kTurnRate : kTurnRate;

    // The score's outline as the game's scores wear it, off the sky and over it.
    const std::optional<irr::video::SColor> planned =
        tank.slot < 2 ? plan_.outline[PlannedIndex(tank.slot)] : std::optional<irr::video::SColor>();
    tank.scoreOutline = ScoreDisplay::OutlineFor(tank.color, planned, colors_.clear, colors_.arena, false);
    tank.scoreOutlineOverSky = ScoreDisplay::OutlineFor(tank.color, planned, colors_.clear, colors_.arena, true);
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

void BareArena::MoveTank(Tank& tank)
{
    irr::scene::IMeshSceneNode* node = tank.node;
    vector3df position = node->getPosition();
    if (position.Y != 0.0f) node->setPosition(vector3df(position.X, 0.0f, position.Z));
    // Back to the last place far enough from every other tank.
    float nearest = 1e9f;
    for (const Tank& other : tanks_)
        if (&other != &tank)
            nearest = std::min(nearest, node->getAbsolutePosition().getDistanceFrom(other.node->getAbsolutePosition()));
    if (nearest > kMinDistance)
        tank.lastFar = node->getPosition();
    else
        node->setPosition(tank.lastFar);

    // The game's ramp: the speed is a function of the time since the start.
    const int sinceStart = static_cast<int>(nowMs_ - tank.startMs);
    if (tank.speed < kMaxSpeed) tank.speed += kAcceleration * SpeedRamp::Step(tank.rampMs, sinceStart);
    tank.rampMs = sinceStart;
    if (tank.speed > kMaxSpeed) tank.speed = kMaxSpeed;
    // A spinning tank turns in place, as the game's dying tanks neither drive nor steer.
    const bool spinning = Spinning(tank);
    vector3df step(0, 0, spinning ? 0.0f : tank.speed * kSpeedFactor);
    node->getRelativeTransformation().transformVect(step);
    node->setPosition(step);
    vector3df rotation = node->getRotation();
    rotation.Y += (spinning ? kDeathSpin : tank.turn) * kSpeedFactor;
    node->setRotation(rotation);
    node->updateAbsolutePosition();
    tank.camera->updateAbsolutePosition();
    AimAlongRotation(tank.camera);
}

void BareArena::Fire(Tank& tank)
{
    Shell& shell = tank.shell;
    tank.muzzle->updateAbsolutePosition();
    shell.node = Place(Mesh("media/tank_shell.3ds"), tank.color, tank.muzzle->getAbsolutePosition(),
                       tank.muzzle->getAbsoluteTransformation().getRotationDegrees(), vector3df(1.02f, 1.02f, 1.02f));
    BattlefieldEffects::DecorateShot(smgr_, tank.color, shell.node, tank.muzzle);
    shell.node->updateAbsolutePosition();
    shell.lastPosition = shell.node->getAbsolutePosition();
    shell.startMs = nowMs_;
    ++shots[tank.slot];
    tank.lastShotFrame = frameNumber_;
}

bool BareArena::ShellHits(const Shell& shell, irr::scene::ISceneNode* target, const vector3df& velocity)
{
    target->updateAbsolutePosition();
    const irr::core::aabbox3df& box = shell.node->getBoundingBox();
    irr::core::triangle3df triangle;
    vector3df hit;
    bool falling = false;
    irr::scene::ISceneNode* hitNode = nullptr;
    smgr_->getSceneCollisionManager()->getCollisionResultPosition(
        target->getTriangleSelector(), shell.lastPosition, box.MaxEdge - box.getCenter(), velocity, triangle, hit,
        falling, hitNode, 0.0f, vector3df(0, 0, 0));
    return hitNode != nullptr;
}

void BareArena::DropShell(Shell& shell)
{
    smgr_->addToDeletionQueue(shell.node);
    shell.node = nullptr;
}

void BareArena::EndShell(Tank& shooter)
{
    Shell& shell = shooter.shell;
    const bool picked = burstEvery_ > 0 && ++missedShells_ % burstEvery_ == 0;
    if (picked || burstsOwed_ > 0) {
        // As if the shell had struck the next tank.
        Burst(tanks_[static_cast<size_t>(shooter.slot + 1) % tanks_.size()], shell.node->getAbsolutePosition());
    }
    DropShell(shell);
}

void BareArena::Burst(Tank& victim, const vector3df& where)
{
    if (EffectShown(TEffect::Burst)) Explosion::Start(smgr_, where, victim.color);
    ++bursts;
    if (burstsOwed_ > 0) --burstsOwed_;
    if (Spinning(victim)) return;
    // The victim spins as the game's hit tanks do, for as long, its blur behind it.
    victim.spinsUntilFrame = frameNumber_ + kDeathSpinMs / kFrameMs;
    TSpinBlur::TSpin spin;
    spin.sweptDegrees = [this, &victim] { return Spinning(victim) ? kDeathSpin * kSpeedFactor : 0.0f; };
    spin.over = [this, &victim] { return !Spinning(victim); };
    (new TSpinBlur(smgr_, victim.node, victim.color, std::move(spin)))->drop();
}

void BareArena::MoveShell(Tank& shooter)
{
    Shell& shell = shooter.shell;
    if (!shell.node) return;
    if (nowMs_ - shell.startMs >= kShellLifeMs) {
        EndShell(shooter);
        return;
    }
    vector3df step(0, 0, kShellSpeed * kSpeedFactor);
    shell.node->getRelativeTransformation().transformVect(step);
    shell.node->setPosition(step);
    shell.node->updateAbsolutePosition();
    const vector3df velocity = shell.node->getAbsolutePosition() - shell.lastPosition;
    // The arena first, then every tank it was not fired from, "tank1" first as the game tests them.
    if (ShellHits(shell, arena_, velocity)) {
        EndShell(shooter);
        return;
    }
    for (Tank* target : moveOrder_) {
        if (target == &shooter || !ShellHits(shell, target->node, velocity)) continue;
        Burst(*target, shell.node->getAbsolutePosition());
        ++hits;
        DropShell(shell);
        return;
    }
    shell.lastPosition = shell.node->getAbsolutePosition();
}

void BareArena::Draw()
{
    driver_->beginScene(true, true, colors_.clear);
    std::vector<std::pair<irr::scene::ICameraSceneNode*, irr::core::recti>> cameras;
    const irr::core::dimension2d<irr::u32> size = driver_->getScreenSize();
    const irr::core::recti screen(0, 0, size.Width, size.Height);
    switch (view_) {
    case kSplit:
        if (Quarters()) {
            // A quarter a tank in slot order; with three, the fourth looks from overhead.
            for (size_t part = 0; part < tanks_.size(); ++part)
                cameras.emplace_back(tanks_[part].camera, splitViewports_[part]);
            if (tanks_.size() == 3) cameras.emplace_back(overhead_, splitViewports_[3]);
        } else {
            cameras = {{OfSlot(1).camera, splitViewports_[0]}, {OfSlot(0).camera, splitViewports_[1]}};
        }
        break;
    case kOverhead: cameras = {{overhead_, screen}}; break;
    case kOrtho: cameras = {{ortho_, screen}}; break;
    case kTank1: cameras = {{OfSlot(1).camera, screen}}; break;
    case kTank2: cameras = {{OfSlot(0).camera, screen}}; break;
    default: cameras = {{overhead55_, screen}}; break;
    }
    // The scores as the game lays them out, with their outlines: the duel's two, else one
    // a player (a FREE FOR ALL) in slot order.
    static const std::wstring kZero = L"0";
    const bool sky = view_ == kSplit || view_ == kTank1 || view_ == kTank2;
    const auto scoreOf = [&](const Tank& tank) {
        return TScoreText{&kZero, tank.color, sky ? tank.scoreOutlineOverSky : tank.scoreOutline};
    };
    const TScoreText duel[2] = {scoreOf(OfSlot(0)), scoreOf(OfSlot(1))};
    std::vector<TScoreText> scores;
    if (Quarters())
        for (const Tank& tank : tanks_) scores.push_back(scoreOf(tank));
    const auto draw = [&](const std::wstring& text, irr::video::SColor color, const irr::core::recti& at) {
        font_->draw(text.c_str(), at, color);
    };
    for (const auto& [camera, viewport] : cameras) {
        smgr_->setActiveCamera(camera);
        driver_->setViewPort(viewport);
        smgr_->drawAll();
        if (Quarters())
            ScoreDisplay::Draw(driver_, font_, view_ == kOrtho, scores, draw);
        else
            ScoreDisplay::Draw(driver_, font_, view_ == kOrtho, duel, draw);
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
    // Every tank turns at full throttle (AddTank gave each its way); a tank that fires does
    // so whenever it has no shell in flight, on the frames the game's fire keys go down.
    for (Tank& tank : tanks_) {
        if (tank.fires && !tank.shell.node && !Spinning(tank) && frameNumber_ % 2 == 0 &&
            frameNumber_ - tank.lastShotFrame >= fireEvery_)
            Fire(tank);
        MoveShell(tank);
    }
    for (Tank* tank : moveOrder_) MoveTank(*tank);
    // An outline is an effect: it goes with the others.
    for (Tank* tank : moveOrder_) tank->rim->setVisible(tank->outlined && EffectsShown());
    const int64_t simulated = NowNs();
    device_->run();
    const int64_t drawStart = NowNs();
    Draw();
    const int64_t end = NowNs();
    simNs += simulated - start;
    renderNs += end - drawStart;
    ++frames;
    ++frameNumber_;
    if (OfSlot(0).shell.node) ++shellFrames;
}

}  // namespace bench
