// Loading the arena state: its sounds and meshes, the colored models with their outlines
// and triangle selectors, the two tanks, the arena object and the collision animators.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "framework/GameResource.h"
#include "framework/objects/NodeGameObject.h"
#include "framework/objects/SteppedCollisionResponse.h"
#include "game/arenas/ArenaCatalog.h"
#include "game/world/Arena.h"
#include "game/match/ArenaScreen.h"
#include "game/tank/Tank.h"
#include "game/tank/PositionCameraAnimator.h"
#include "game/tank/TankDieAnimator.h"
#include "game/tank/TankMinimumDistanceAnimator.h"
#include "game/TankColors.h"
#include "game/Vexmoor.h"
#include "game/effects/BattlefieldEffects.h"

namespace {

struct SoundFile {
    const char* key;
    const char* file;
    int flags;
};

// The engine loops; the shot and the death play once.
const SoundFile kSounds[] = {
    {"engine_sound", "media/slow_engine1.ogg", 3},
    {"shot_sound", "media/fire1.ogg", 2},
    {"die_sound", "media/die_2.ogg", 2},
};

const char* const kMeshes[][2] = {
    {"boxy_tank_model", "media/tank.3ds"},
    {"sleek_tank_model", "media/sleek_tank.3ds"},
    {"tank_shell_model", "media/tank_shell.3ds"},
    {"arena_base_model", "media/arena_base.3ds"},
    {"arena1_model", "media/arena1.3ds"},
    {"arena2_model", "media/arena2.3ds"},
};

constexpr float kSliding = 0.0005f;
const irr::core::vector3df kBoxyRadius(1.25f, 5.0f, 1.25f);
const irr::core::vector3df kSleekRadius(1.0f, 5.0f, 1.0f);

// Removes every collision-response animator of a node; other animators stay.
void RemoveCollisionAnimators(irr::scene::ISceneNode* node)
{
    std::vector<irr::scene::ISceneNodeAnimator*> doomed;
    for (irr::scene::ISceneNodeAnimator* animator : node->getAnimators())
        if (animator->getType() == irr::scene::ESNAT_COLLISION_RESPONSE) doomed.push_back(animator);
    for (irr::scene::ISceneNodeAnimator* animator : doomed) node->removeAnimator(animator);
}

void AddCollisionAnimator(irr::scene::ISceneManager* smgr, irr::scene::ISceneNode* node,
                          irr::scene::ITriangleSelector* world, const irr::core::vector3df& radius)
{
    if (!world) return;
    irr::scene::ISceneNodeAnimatorCollisionResponse* engine = smgr->createCollisionResponseAnimator(
        world, node, radius, irr::core::vector3df(0, 0, 0), irr::core::vector3df(0, 0, 0), kSliding);
    // Run by the match's update (TVexmoorArenaScreen::OnPostUpdate), not by the draw.
    auto* animator = new TSteppedCollisionResponse(engine);
    engine->drop();
    node->addAnimator(animator);
    // A new animator takes the node's place at its first run as the start of its sweep. Run
    // it once now, so that the step the node takes in the coming frame is swept from here
    // and stopped at a wall like any other (time 0 would only restart it).
    animator->Step(node, 1);
    animator->drop();
}

}  // namespace

struct TVexmoorArenaScreen::TankModel {
    const char* meshKey;
    irr::core::vector3df camera;
    irr::core::vector3df muzzle;
    irr::core::vector3df radius;
};

namespace {

// Where each slot's tank starts, whichever model it drives: player 1 ("tank2") on respawn
// point 1, player 2 ("tank1") on point 2, facing each other; players 3 and 4 on points 3
// and 4, facing the arena's middle.
struct StartPose {
    irr::core::vector3df position;
    irr::core::vector3df rotation;
};

// The heading about Y from +Z toward +X that looks from `from` to `to`.
float YawToward(const irr::core::vector3df& from, const irr::core::vector3df& to)
{
    return std::atan2(to.X - from.X, to.Z - from.Z) * irr::core::RADTODEG;
}

// An arena grid with fewer respawn points than tanks: the floor cell a tank fits on,
// reachable from point 1, farthest from the places already taken.
std::optional<irr::core::vector3df> FarFreeCell(const TArenaGrid& grid, const std::vector<irr::core::vector3df>& taken)
{
    const std::optional<TCellPos> first = grid.Respawn(1);
    if (!first) return std::nullopt;
    const std::vector<int> steps = grid.StepsFrom(*first);
    std::optional<irr::core::vector3df> best;
    float bestDistance = 0.0f;
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column) {
            const TCellPos cell{column, row};
            if (steps[static_cast<size_t>(grid.Index(cell))] < 0 || !grid.TankFits(cell)) continue;
            const irr::core::vector3df at = grid.CellCenter(cell);
            float nearest = 1e9f;
            for (const irr::core::vector3df& other : taken) nearest = std::min(nearest, at.getDistanceFrom(other));
            if (!best || nearest > bestDistance) best = at, bestDistance = nearest;
        }
    return best;
}

StartPose StartOf(int slot, const TArena* arena, const TArenaGrid* grid)
{
    const TArena fallback;
    const auto& points = arena && arena->respawn_points.size() >= 2 ? arena->respawn_points : fallback.respawn_points;
    if (slot < 2) {
        const irr::core::vector3df& own = points[slot == 1 ? 1 : 0];
        return {own, {0, YawToward(own, points[slot == 1 ? 0 : 1]), 0}};
    }
    irr::core::vector3df own = points[static_cast<size_t>(slot) % points.size()];
    if (static_cast<size_t>(slot) < points.size()) {
        own = points[static_cast<size_t>(slot)];
    } else if (grid) {
        std::vector<irr::core::vector3df> taken(points.begin(), points.end());
        for (int before = 2; before < slot; ++before) taken.push_back(StartOf(before, arena, grid).position);
        if (std::optional<irr::core::vector3df> free = FarFreeCell(*grid, taken)) own = *free;
    }
    irr::core::vector3df middle;
    for (const irr::core::vector3df& p : points) middle += p;
    middle /= static_cast<float>(points.size());
    // A tank on the middle itself looks north.
    const float yaw = own.getDistanceFrom(middle) < 1.0f ? 0.0f : YawToward(own, middle);
    return {own, {0, yaw, 0}};
}

}  // namespace

int TVexmoorArenaScreen::LoadSounds()
{
    for (const SoundFile& sound : kSounds) {
        // A sound that cannot be loaded is named on stderr by the sound service; the tanks
        // then run without it.
        if (auto resource = TSoundResource::Create(sound.file, sound.flags, 0))
            AddGameResource(sound.key, resource);
        else
            RemoveGameResource(sound.key);
    }
    return 0;
}

int TVexmoorArenaScreen::LoadModels()
{
    for (const auto& mesh : kMeshes) {
        auto resource = TMeshResource::Create(smgr, mesh[1]);
        if (resource)
            AddGameResource(mesh[0], resource);
        else
            RemoveGameResource(mesh[0]);  // the mesh resource names the file and the reason
    }
    return 0;
}

int TVexmoorArenaScreen::ChooseArena()
{
    DropArenaGrid();
    TVexmoor* game = GetGame();
    if (match.arena == TArenaChoice::RandomMaze) {
        // Seeds stay positive so that the settings file can name every one.
        const uint32_t seed = match.mazeSeed > 0 ? static_cast<uint32_t>(match.mazeSeed)
                                                 : static_cast<uint32_t>(TGame::RandomInt(1, 2147483646));
        irr::core::dimension2du screen(800, 600);
        if (game && game->driver) screen = game->driver->getScreenSize();
        const TMazePlan plan =
            TMazeGenerator::ForWindow(seed, static_cast<int>(screen.Width), static_cast<int>(screen.Height));
        if (std::optional<TArenaGrid> grid = TMazeGenerator::Generate(plan)) {
            UseArenaGrid(std::move(*grid), plan);
            return 0;
        }
    } else if (match.arena == TArenaChoice::Custom) {
        const TArenaGrid* grid = game ? TArenaCatalog::Find(game->CustomArenas(), match.customArena) : nullptr;
        if (grid) {
            UseArenaGrid(*grid, std::nullopt);
            return 0;
        }
        std::cerr << "arena: no arena file is named \"" << match.customArena << "\"; playing FORTS" << std::endl;
    }
    arena_model = ArenaModelFor(match.arena);
    return 0;
}

std::vector<std::string> TVexmoorArenaScreen::MatchMeshKeys()
{
    return {"boxy_tank_model", "sleek_tank_model", "tank_shell_model", arena_model};
}

int TVexmoorArenaScreen::RequireMeshes(const std::vector<std::string>& keys)
{
    for (const std::string& key : keys) {
        auto resource = GetGameResourceAs<TMeshResource>(key);
        if (!resource || !resource->GetResource()) throw std::runtime_error("Unable to load " + key);
    }
    return 0;
}

irr::scene::IMeshSceneNode* TVexmoorArenaScreen::LoadModel(const std::string& meshKey, irr::video::SColor color,
                                                           irr::core::vector3df position,
                                                           irr::core::vector3df rotation,
                                                           std::optional<irr::core::vector3df> outlineScale,
                                                           irr::scene::ISceneNode* parent,
                                                           std::optional<irr::core::vector3df> meshRotation)
{
    auto resource = GetGameResourceAs<TMeshResource>(meshKey);
    irr::scene::IAnimatedMesh* animated = resource ? resource->GetResource() : nullptr;
    irr::scene::IMesh* frame = animated ? animated->getMesh(0, 255, -1, -1) : nullptr;
    if (!frame) throw std::runtime_error("Unable to load " + meshKey);

    // Every placed model owns its copy, so that its colors can change alone.
    irr::scene::IMeshManipulator* manipulator = smgr->getMeshManipulator();
    irr::scene::SMesh* copy = manipulator->createMeshCopy(frame);
    manipulator->setVertexColors(copy, color);
    manipulator->setVertexColorAlpha(copy, 0);
    if (meshRotation) {
        irr::core::matrix4 turn;
        turn.setRotationDegrees(*meshRotation);
        manipulator->transform(copy, turn);
    }

    irr::scene::IMeshSceneNode* node = smgr->addMeshSceneNode(copy, nullptr, -1);
    copy->drop();
    node->setMaterialFlag(irr::video::EMF_LIGHTING, false);
    node->setPosition(position);
    node->setRotation(rotation);
    if (parent) node->setParent(parent);

    irr::scene::ITriangleSelector* selector = smgr->createTriangleSelector(node->getMesh(), node);
    node->setTriangleSelector(selector);
    selector->drop();

    if (outlineScale) AddCelMesh(node, *outlineScale);
    return node;
}

irr::scene::IMeshSceneNode* TVexmoorArenaScreen::AddCelMesh(irr::scene::ISceneNode* node, irr::core::vector3df scale)
{
    if (!node || node->getType() != irr::scene::ESNT_MESH) throw std::runtime_error("Invalid node passed in");
    irr::scene::IMeshManipulator* manipulator = smgr->getMeshManipulator();
    irr::scene::SMesh* copy = manipulator->createMeshCopy(static_cast<irr::scene::IMeshSceneNode*>(node)->getMesh());
    if (!copy) return nullptr;
    manipulator->flipSurfaces(copy);
    irr::scene::IMeshSceneNode* outline = smgr->addMeshSceneNode(copy, node, -1);
    copy->drop();
    outline->setScale(scale);
    outline->setVisible(false);
    return outline;
}

int TVexmoorArenaScreen::LoadTank(const std::string& key, const std::string& colorKey, const TankModel& model)
{
    RemoveGameObject(key);
    auto tank = std::make_shared<TTank>();
    const irr::video::SColor color = SchemeColor(colorKey);
    const StartPose start = StartOf(SlotOfTank(key), GetGameObjectAs<TArena>("arena").get(),
                                    arenaGrid && arena_model == kGridModel ? &*arenaGrid : nullptr);
    irr::scene::IMeshSceneNode* node = LoadModel(model.meshKey, color, start.position, start.rotation,
                                                 irr::core::vector3df(1.01f, 1.01f, 1.01f), nullptr, std::nullopt);
    tank->color = color;
    tank->collision_radius = model.radius;

    irr::scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(
        nullptr, irr::core::vector3df(0, 0, 0), irr::core::vector3df(0, 0, 100), -1, false);
    tank->cam = camera;
    camera->setParent(node);
    camera->setPosition(model.camera);
    camera->setRotation(irr::core::vector3df(0, 0, 0));

    irr::scene::ISceneNode* muzzle = smgr->addEmptySceneNode(node, -1);
    muzzle->setPosition(model.muzzle);

    AddGameObject(key, tank);
    tank->SetNodeObject(node);
    tank->AttachMaintainYAnimator();
    tank->AddAnimator("cam_anim", std::make_shared<TPositionCameraAnimator>());
    return 0;
}

int TVexmoorArenaScreen::LoadBoxyTank(const std::string& key, const std::string& colorKey)
{
    static const TankModel boxy{"boxy_tank_model", {0, 1.45f, -1.1f}, {0, 0.35f, 0.67f}, kBoxyRadius};
    return LoadTank(key, colorKey, boxy);
}

int TVexmoorArenaScreen::LoadSleekTank(const std::string& key, const std::string& colorKey)
{
    static const TankModel sleek{"sleek_tank_model", {0, 1.3f, -1.05f}, {0, 0.425f, 0.67f}, kSleekRadius};
    return LoadTank(key, colorKey, sleek);
}

int TVexmoorArenaScreen::LoadTanks()
{
    // Each playing slot's tank, in its own color: slot 0 (player 1) drives "tank2", slot 1
    // (player 2) "tank1", slots 2 and 3 "tank3" and "tank4".
    for (int slot : slots) {
        const std::string& key = TankKeyOfSlot(slot);
        const std::string& color = TankColors::SchemeKeyOfSlot(*this, slot);
        if (tankModels[static_cast<size_t>(slot)] == TTankModel::Boxy)
            LoadBoxyTank(key, color);
        else
            LoadSleekTank(key, color);
    }
    RebuildCollisionAnimators();
    BattlefieldEffects::OnColorsChanged(*this);
    return 0;
}

int TVexmoorArenaScreen::LoadArena(const std::string& modelKey)
{
    RemoveGameObject("arena");
    irr::scene::IMeshSceneNode* node =
        LoadModel(modelKey, SchemeColor("Arena"), irr::core::vector3df(0, 0, 0), irr::core::vector3df(0, 0, 0),
                  irr::core::vector3df(0.995f, 1.02f, 0.995f), nullptr, std::nullopt);
    auto arena = std::make_shared<TArena>();
    if (arenaGrid && modelKey == kGridModel) arena->respawn_points = arenaGrid->RespawnPositions();
    AddGameObject("arena", arena);
    arena->SetNodeObject(node);
    return 0;
}

int TVexmoorArenaScreen::LoadArenaBase()
{
    return LoadArena("arena_base_model");
}

int TVexmoorArenaScreen::LoadArena1()
{
    return LoadArena("arena1_model");
}

int TVexmoorArenaScreen::LoadArena2()
{
    return LoadArena("arena2_model");
}

int TVexmoorArenaScreen::RebuildCollisionAnimators()
{
    std::vector<std::shared_ptr<TTank>> tanks;
    for (int slot : slots) {
        auto tank = GetGameObjectAs<TTank>(TankKeyOfSlot(slot));
        if (!tank || !tank->_node) return 0;
        tanks.push_back(tank);
    }
    if (tanks.size() < 2) return 0;
    auto arena = GetGameObjectAs<TNodeGameObject>("arena");
    irr::scene::ITriangleSelector* world = arena && arena->_node ? arena->_node->getTriangleSelector() : nullptr;

    // Each tank against the walls, then against every other tank. The duel keeps its order:
    // "tank2"'s walls, then "tank1"'s, then each against the other.
    for (auto& tank : tanks) RemoveCollisionAnimators(tank->_node);
    if (tanks.size() == 2) {
        AddCollisionAnimator(smgr, tanks[0]->_node, world, tanks[0]->collision_radius);
        AddCollisionAnimator(smgr, tanks[1]->_node, world, tanks[1]->collision_radius);
        AddCollisionAnimator(smgr, tanks[1]->_node, tanks[0]->_node->getTriangleSelector(), tanks[1]->collision_radius);
        AddCollisionAnimator(smgr, tanks[0]->_node, tanks[1]->_node->getTriangleSelector(), tanks[0]->collision_radius);
    } else {
        for (auto& tank : tanks) {
            AddCollisionAnimator(smgr, tank->_node, world, tank->collision_radius);
            for (auto& other : tanks)
                if (other != tank)
                    AddCollisionAnimator(smgr, tank->_node, other->_node->getTriangleSelector(), tank->collision_radius);
        }
    }

    for (auto& tank : tanks) {
        if (tank->GetAnimator("min_dist_anim")) continue;
        std::vector<std::string> others;
        for (auto& other : tanks)
            if (other != tank) others.push_back(other->obj_key);
        tank->AddAnimator("min_dist_anim", TankMinimumDistanceAnimator::Create(others));
    }
    return 0;
}

int TVexmoorArenaScreen::ResetArena()
{
    std::string view;
    if (GetCurrentGameView()) {
        view = currentGameView;
        SetGameView("");
    }
    LoadArena(arena_model);
    LoadTanks();
    InitGameViews();
    if (!view.empty()) SetGameView(view);
    return 0;
}

int TVexmoorArenaScreen::FlagReset()
{
    resetOnLoop = 1;
    return 0;
}

int TVexmoorArenaScreen::SetTanksDisabled(int disabled)
{
    if (disabled == GetFlag("tanks_disabled")) return 0;
    for (auto& object : GetGameObjects("TTank"))
        if (auto tank = std::dynamic_pointer_cast<TTank>(object)) tank->SetDisabled(disabled);
    SetFlag("tanks_disabled", disabled);
    return 0;
}

int TVexmoorArenaScreen::SetTanksVolume(int volume)
{
    for (auto& object : GetGameObjects("TTank"))
        if (auto tank = std::dynamic_pointer_cast<TTank>(object)) tank->SetVolume(volume);
    return 0;
}
