#include "game/effects/TankOutlines.h"

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

}  // namespace

namespace TankOutlines {

TOutlinePlan Current(TArenaWorld& arena)
{
    return PlanFor(arena.SchemeColor("Tank1"), arena.SchemeColor("Tank2"), Floor(arena));
}

irr::video::SColor Floor(TArenaWorld& arena)
{
    TVexmoor* game = arena.GetGame();
    return game && game->clsColor ? *game->clsColor : irr::video::SColor(255, 0, 0, 0);
}

TOutlinePlan PlanFor(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor)
{
    // Asked for every drawn score: planned again only when a color has changed.
    static irr::video::SColor lastColors[3];
    static TOutlinePlan last;
    static bool planned = false;
    if (!planned || lastColors[0] != tank1 || lastColors[1] != tank2 || lastColors[2] != floor) {
        last = PlanOutlines(tank1, tank2, floor);
        lastColors[0] = tank1;
        lastColors[1] = tank2;
        lastColors[2] = floor;
        planned = true;
    }
    return last;
}

void Apply(TArenaWorld& arena)
{
    if (!arena.smgr) return;
    const TOutlinePlan plan = Current(arena);
    const char* const keys[2] = {"tank1", "tank2"};
    for (int i = 0; i < 2; ++i) {
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
