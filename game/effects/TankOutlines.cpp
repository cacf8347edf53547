#include "game/effects/TankOutlines.h"

#include <algorithm>

#include "framework/GameResource.h"

#include "game/world/ArenaWorld.h"
#include "game/world/SceneChildren.h"
#include "game/tank/Tank.h"
#include "game/effects/GlowSprite.h"
#include "game/Vexmoor.h"

namespace {

const irr::scene::ESCENE_NODE_ANIMATOR_TYPE kShowOutlineType =
    static_cast<irr::scene::ESCENE_NODE_ANIMATOR_TYPE>(MAKE_IRR_ID('o', 'u', 't', 'l'));

bool DrawnSolid(irr::scene::ISceneNode* tank)
{
    return tank->getMaterialCount() > 0 && tank->getMaterial(0).MaterialType == irr::video::EMT_SOLID;
}

// Keeps a tank's outline shown while the tank itself is drawn: an invisible tank (drawn
// through the alpha material) shows no outline either.
class TShowOutlineAnimator : public irr::scene::ISceneNodeAnimator {
public:
    void animateNode(irr::scene::ISceneNode* tank, irr::u32) override
    {
        if (irr::scene::ISceneNode* outline = ChildAt(tank, 0))
            outline->setVisible(wanted && DrawnSolid(tank) && EffectsShown());
    }
    irr::scene::ISceneNodeAnimator* createClone(irr::scene::ISceneNode*, irr::scene::ISceneManager*) override
    {
        auto* clone = new TShowOutlineAnimator();
        clone->wanted = wanted;
        return clone;
    }
    irr::scene::ESCENE_NODE_ANIMATOR_TYPE getType() const override { return kShowOutlineType; }

    bool wanted = false;
};

TShowOutlineAnimator* ShowOutlineAnimator(irr::scene::ISceneNode* tank)
{
    for (irr::scene::ISceneNodeAnimator* animator : tank->getAnimators())
        if (animator->getType() == kShowOutlineType) return static_cast<TShowOutlineAnimator*>(animator);
    auto* animator = new TShowOutlineAnimator();
    tank->addAnimator(animator);
    animator->drop();
    return animator;
}

// The color a tank wears: its key's scheme color ("tank3": "Tank3"), or, in a scheme
// without that key, what the tank was painted.
irr::video::SColor TankColor(TArenaWorld& arena, const std::string& key)
{
    std::string colorKey = key;
    colorKey[0] = 'T';
    TVexmoor* game = arena.GetGame();
    if (game && game->CurrentColorScheme && game->CurrentColorScheme->GetGameResourceAs<TColorResource>(colorKey))
        return arena.SchemeColor(colorKey);
    auto tank = arena.GetGameObjectAs<TTank>(key);
    return tank ? tank->color : arena.SchemeColor("Tank1");
}

}  // namespace

namespace TankOutlines {

std::vector<std::string> PlayingTanks(TArenaWorld& arena)
{
    std::vector<std::string> keys;
    for (int slot : arena.slots)
        if (!TArenaWorld::TankKeyOfSlot(slot).empty()) keys.push_back(TArenaWorld::TankKeyOfSlot(slot));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

TOutlinePlan Current(TArenaWorld& arena)
{
    const std::vector<std::string> keys = PlayingTanks(arena);
    if (keys == std::vector<std::string>{"tank1", "tank2"})
        return PlanFor(arena.SchemeColor("Tank1"), arena.SchemeColor("Tank2"), Floor(arena));
    std::vector<irr::video::SColor> colors;
    for (const std::string& key : keys) colors.push_back(TankColor(arena, key));
    return PlanFor(colors, Floor(arena));
}

irr::video::SColor Floor(TArenaWorld& arena)
{
    TVexmoor* game = arena.GetGame();
    return game && game->clsColor ? *game->clsColor : irr::video::SColor(255, 0, 0, 0);
}

TOutlinePlan PlanFor(const std::vector<irr::video::SColor>& tanks, irr::video::SColor floor)
{
    // Asked for every drawn score: planned again only when a color has changed.
    static std::vector<irr::video::SColor> lastTanks;
    static irr::video::SColor lastFloor;
    static TOutlinePlan last;
    static bool planned = false;
    if (!planned || lastTanks != tanks || lastFloor != floor) {
        last = PlanOutlines(tanks, floor);
        lastTanks = tanks;
        lastFloor = floor;
        planned = true;
    }
    return last;
}

TOutlinePlan PlanFor(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor)
{
    return PlanFor(std::vector<irr::video::SColor>{tank1, tank2}, floor);
}

void Apply(TArenaWorld& arena)
{
    if (!arena.smgr) return;
    const TOutlinePlan plan = Current(arena);
    const std::vector<std::string> keys = PlayingTanks(arena);
    for (size_t i = 0; i < keys.size() && i < static_cast<size_t>(TOutlinePlan::kMaxTanks); ++i) {
        auto tank = arena.GetGameObjectAs<TTank>(keys[i]);
        irr::scene::ISceneNode* outline = tank ? ChildAt(tank->_node, 0) : nullptr;
        if (!outline || outline->getType() != irr::scene::ESNT_MESH) continue;
        if (plan.outline[i]) {
            auto* mesh = static_cast<irr::scene::IMeshSceneNode*>(outline)->getMesh();
            arena.smgr->getMeshManipulator()->setVertexColors(mesh, *plan.outline[i]);
            outline->setScale(irr::core::vector3df(kShownScale, kShownScale, kShownScale));
            outline->setMaterialFlag(irr::video::EMF_LIGHTING, false);
        }
        TShowOutlineAnimator* show = ShowOutlineAnimator(tank->_node);
        show->wanted = plan.outline[i].has_value();
        show->animateNode(tank->_node, 0);
    }
}

}  // namespace TankOutlines
