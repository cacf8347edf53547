#include "BareArena.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "Stopwatch.h"
#include "framework/CameraFraming.h"
#include "game/ai/Aim.h"
#include "game/ai/NavGrid.h"
#include "game/ai/TargetChoice.h"
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
                     bool computers)
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
        tank.fires = slot != 1;
        const std::optional<irr::video::SColor>& outline = tankPlan.outline[PlannedIndex(slot)];
        AddTank(tank, walls.starts[static_cast<size_t>(slot)], outline ? &*outline : nullptr);
    }
    for (int slot : {1, 0, 2, 3})
        if (slot < tanks) moveOrder_.push_back(&OfSlot(slot));
    // Each tank slides along the arena and along every other tank: the duel's four in the
    // game's order, else each tank's walls and then the others, slot by slot.
    if (tanks == 2) {
        OfSlot(0).slidesAlong = {arena_, OfSlot(1).node};
        OfSlot(1).slidesAlong = {arena_, OfSlot(0).node};
        const std::pair<Tank*, irr::scene::ISceneNode*> order[] = {
            {&OfSlot(0), arena_}, {&OfSlot(1), arena_}, {&OfSlot(1), OfSlot(0).node}, {&OfSlot(0), OfSlot(1).node}};
        for (const auto& [tank, world] : order) AddCollision(*tank, world);
    } else {
        for (Tank& tank : tanks_) {
            tank.slidesAlong = {arena_};
            for (Tank& other : tanks_)
                if (&other != &tank) tank.slidesAlong.push_back(other.node);
            AddCollisions(tank);
        }
    }
    respawns_ = walls.respawns;

    // The computers' brains, on the grid and with the line of fire the game's computers use.
    if (computers) {
        irr::scene::ITriangleSelector* selector = arena_->getTriangleSelector();
        irr::scene::ISceneCollisionManager* collisions = smgr_->getSceneCollisionManager();
        std::shared_ptr<const TNavGrid> grid = ai::GridForTank(selector, OfSlot(0).radius);
        targetShot_ = ai::GridShot(grid);
        for (Tank& tank : tanks_) {
            // Standing until its brain drives it, as the game's tanks start.
            tank.speed = 0.0f;
            tank.starting = false;
            tank.muzzle->updateAbsolutePosition();
            tank.brain = std::make_unique<ai::TTankBrain>(
                ai::TDifficulty::Normal(), grid,
                ai::RayLineOfFire(collisions, selector, tank.muzzle->getAbsolutePosition().Y, grid),
                static_cast<unsigned>(tank.slot + 1));
        }
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

void BareArena::AllowShots(int slot, int n)
{
    if (slot < 0 || slot >= static_cast<int>(tanks_.size())) return;
    shotsCapped_ = true;
    shotsAllowed_[slot] += n > 0 ? n : 0;
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
    tank.moveMs = nowMs_;
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

void BareArena::AddCollision(Tank& tank, irr::scene::ISceneNode* world)
{
    irr::scene::ISceneNodeAnimator* animator = smgr_->createCollisionResponseAnimator(
        world->getTriangleSelector(), tank.node, tank.radius, vector3df(0, 0, 0), vector3df(0, 0, 0), 0.0005f);
    tank.node->addAnimator(animator);
    animator->drop();
}

void BareArena::AddCollisions(Tank& tank)
{
    for (irr::scene::ISceneNode* world : tank.slidesAlong) AddCollision(tank, world);
}

// Back in the arena after its death spin, as the game's hit tanks come back: at a respawn
// point away from every other tank, its collision animators made afresh from there (an
// animator would otherwise sweep it from where it died).
void BareArena::Respawn(Tank& tank)
{
    constexpr float kMinRespawnDistance = 2.0f;
    std::vector<vector3df> free;
    for (const vector3df& point : respawns_) {
        bool apart = true;
        for (const Tank& other : tanks_)
            if (&other != &tank && other.node->getAbsolutePosition().getDistanceFrom(point) < kMinRespawnDistance)
                apart = false;
        if (apart) free.push_back(point);
    }
    if (free.empty()) return;
    const vector3df point = free[respawnDice_() % free.size()];
    tank.node->removeAnimators();
    tank.node->setPosition(point);
    tank.node->updateAbsolutePosition();
    tank.lastFar = point;
    AddCollisions(tank);
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

    // The game's ramp: the speed is a function of the time since the start or the stop.
    const int sinceMove = static_cast<int>(nowMs_ - tank.moveMs);
    const float ramp = SpeedRamp::Step(tank.rampMs, sinceMove);
    tank.rampMs = sinceMove;
    if (tank.starting && tank.speed < kMaxSpeed)
        tank.speed += kAcceleration * ramp;
    else if (tank.stopping && tank.speed > 0.0f)
        tank.speed -= kAcceleration * ramp;
    if (tank.speed >= kMaxSpeed) {
        tank.speed = kMaxSpeed;
        tank.starting = false;
    } else if (tank.speed < 0.0f) {
        tank.speed = 0.0f;
        tank.stopping = false;
    }
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

// What the game's computer player senses, read straight off the scene: its tank, the
// enemy it fights (chosen as the game's computers choose among three), the nearest pass of
// a shell coming at it. Every other tank is an enemy, as in a free-for-all.
ai::TSenses BareArena::Sense(Tank& tank)
{
    ai::TSenses s;
    s.nowMs = nowMs_;
    s.position = tank.node->getAbsolutePosition();
    s.yaw = tank.node->getRotation().Y;
    s.moving = tank.speed > 0.0f;
    s.turnStep = kTurnRate * kSpeedFactor;
    // The game holds every tank while one of them dies.
    s.disabled = AnySpinning();
    s.ownShellFlying = tank.shell.node != nullptr;
    const vector3df forward = ai::Heading(s.yaw);
    tank.muzzle->updateAbsolutePosition();
    s.muzzleForward = (tank.muzzle->getAbsolutePosition() - s.position).dotProduct(forward);
    s.shellSpeed = kShellSpeed * 60.0f / 1000.0f;
    s.shellLifeMs = static_cast<float>(kShellLifeMs);

    std::vector<ai::TContact> enemies;
    std::vector<int> slots;
    int current = -1;
    for (const Tank& other : tanks_) {
        if (&other == &tank) continue;
        if (other.slot == tank.target) current = static_cast<int>(enemies.size());
        enemies.push_back({other.node->getAbsolutePosition(), other.node->getRotation().Y, true});
        slots.push_back(other.slot);
    }
    const int chosen = enemies.size() == 1 ? 0 : ai::ChooseTarget(s.position, enemies, current, targetShot_);
    if (chosen >= 0) {
        tank.target = slots[static_cast<size_t>(chosen)];
        const Tank& enemy = OfSlot(tank.target);
        s.targetSeen = true;
        s.targetId = tank.target;
        s.targetPosition = enemy.node->getAbsolutePosition();
        const vector3df extent = enemy.node->getTransformedBoundingBox().getExtent();
        s.targetRadius = std::min(extent.X, extent.Z) / 2.0f;
    }

    std::optional<float> closest;
    for (const Tank& other : tanks_) {
        if (&other == &tank || !other.shell.node) continue;
        const vector3df at = other.shell.node->getAbsolutePosition();
        const vector3df heading = ai::Heading(other.shell.node->getRotation().Y);
        const auto pass = ai::ClosestPass(at, heading, s.position);
        const float miss = pass ? pass->distance : 1e9f;
        if (closest && miss >= *closest) continue;
        closest = miss;
        s.enemyShellFlying = true;
        s.enemyShellPosition = at;
        s.enemyShellVelocity = heading * s.shellSpeed;
    }
    return s;
}

// Carries out the brain's command as the game's controller drives a tank: a stopped tank
// starts when told to drive, a moving one stops when not, and while a tank dies every
// tank stands.
bool BareArena::Think(Tank& tank)
{
    const ai::TTankCommand command = tank.brain->Think(Sense(tank));
    const bool disabled = AnySpinning();
    tank.turn = disabled ? 0.0f : static_cast<float>(command.turn) * kTurnRate;
    if (command.drive && !disabled) {
        if (tank.speed <= 0.0f) {
            tank.starting = true;
            tank.speed = 0.01f;
            tank.moveMs = nowMs_;
            tank.rampMs = 0;
        }
    } else if (!tank.stopping && tank.speed > 0.0f) {
        tank.stopping = true;
        tank.moveMs = nowMs_;
        tank.rampMs = 0;
    }
    return command.fire && !disabled;
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
    if (shotsCapped_) --shotsAllowed_[tank.slot];
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

void BareArena::Burst(Tank& victim, const vector3df& where)
{
    if (EffectShown(TEffect::Burst)) Explosion::Start(smgr_, where, victim.color);
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
        DropShell(shell);
        return;
    }
    vector3df step(0, 0, kShellSpeed * kSpeedFactor);
    shell.node->getRelativeTransformation().transformVect(step);
    shell.node->setPosition(step);
    shell.node->updateAbsolutePosition();
    const vector3df velocity = shell.node->getAbsolutePosition() - shell.lastPosition;
    // The arena first, then every tank it was not fired from, "tank1" first as the game tests them.
    if (ShellHits(shell, arena_, velocity)) {
        DropShell(shell);
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
    // Computers think in the game's order of its tanks, and fire when they decide to.
    // Without them every tank turns at full throttle (AddTank gave each its way), and a tank
    // that fires does so whenever it has no shell in flight, on the frames the game's fire
    // keys go down.
    bool fire[4] = {false, false, false, false};  // by slot
    for (Tank* tank : moveOrder_)
        if (tank->brain && frameNumber_ == tank->spinsUntilFrame) Respawn(*tank);
    for (Tank* tank : moveOrder_) fire[tank->slot] = tank->brain ? Think(*tank) : tank->fires && frameNumber_ % 2 == 0;
    for (Tank& tank : tanks_) {
        const bool allowed = !shotsCapped_ || shotsAllowed_[tank.slot] > 0;
        if (fire[tank.slot] && allowed && !tank.shell.node && !Spinning(tank)) Fire(tank);
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
