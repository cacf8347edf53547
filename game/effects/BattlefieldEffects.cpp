#include "game/effects/BattlefieldEffects.h"

#include "game/world/Arena.h"
#include "game/world/ArenaWorld.h"
#include "game/tank/Tank.h"
#include "game/effects/Explosion.h"
#include "game/effects/GlowSprite.h"
#include "game/effects/ShellTrail.h"
#include "game/effects/SkyNode.h"
#include "game/effects/SpinBlur.h"
#include "game/effects/TankOutlines.h"

namespace BattlefieldEffects {

void OnColorsChanged(TArenaWorld& arena)
{
    if (!arena.smgr) return;
    TankOutlines::Apply(arena);
    const irr::video::SColor floor = TankOutlines::Floor(arena);
    irr::video::SColor walls = arena.SchemeColor("Arena");
    if (auto object = arena.GetGameObjectAs<TArena>("arena")) {
        auto* node = static_cast<irr::scene::IMeshSceneNode*>(object->_node);
        irr::scene::IMesh* mesh = node ? node->getMesh() : nullptr;
        if (mesh && mesh->getMeshBufferCount() > 0 && mesh->getMeshBuffer(0)->getVertexCount() > 0)
            walls = static_cast<irr::video::S3DVertex*>(mesh->getMeshBuffer(0)->getVertices())[0].Color;
        walls.setAlpha(255);
    }
    ShadeSky(arena.smgr, floor, walls);
}

void ShadeSky(irr::scene::ISceneManager* smgr, irr::video::SColor floor, irr::video::SColor walls)
{
    // One sky per scene; the scene's clearing at the end of a match takes it.
    TSkyNode* sky = static_cast<TSkyNode*>(smgr->getSceneNodeFromType(TSkyNode::kType));
    if (!sky) {
        sky = new TSkyNode(smgr->getRootSceneNode(), smgr);
        sky->drop();
    }
    sky->SetColors(floor, walls);
}

irr::video::SColor ShellCore(irr::video::SColor color)
{
    // Six tenths of the way from the tank's color to white.
    irr::video::SColor core = color.getInterpolated(irr::video::SColor(255, 255, 255, 255), 0.4f);
    core.setAlpha(255);
    return core;
}

void OnShot(TArenaWorld& arena, TTank& tank, irr::scene::ISceneNode* shell, irr::scene::ISceneNode* muzzle)
{
    if (arena.smgr) DecorateShot(arena.smgr, tank.color, shell, muzzle);
}

void DecorateShot(irr::scene::ISceneManager* smgr, irr::video::SColor color, irr::scene::ISceneNode* shell,
                  irr::scene::ISceneNode* muzzle)
{
    if (!shell || !EffectsShown()) return;
    color.setAlpha(255);
    // Drawn a little toward the camera, so that the shell's own mesh never covers its core.
    TGlowSprite::Look core{0.09f, kShellCorePixels, ShellCore(color), color};
    core.towardCamera = 0.2f;
    (new TGlowSprite(shell, smgr, core))->drop();
    (new TShellTrail(shell, smgr, color))->drop();
    if (muzzle) {
        TGlowSprite::Look flash{0.22f, 5.0f, irr::video::SColor(255, 255, 250, 215), color};
        flash.ringScale = 2.6f;
        flash.towardCamera = 0.1f;
        flash.maxPixels = 14.0f;
        flash.lifeMs = 110;
        (new TGlowSprite(muzzle, smgr, flash))->drop();
    }
}

void OnHit(TArenaWorld& arena, const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where)
{
    if (!arena.smgr || !victim || !victim->_node || !EffectsShown()) return;
    irr::video::SColor color = victim->color;
    color.setAlpha(255);
    if (EffectShown(TEffect::Burst)) Explosion::Start(arena.smgr, where, color);
    TSpinBlur::Follow(arena.smgr, victim);
}

}  // namespace BattlefieldEffects
