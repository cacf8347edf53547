#include "game/effects/BattlefieldEffects.h"

#include "game/Arena.h"
#include "game/ArenaScreen.h"
#include "game/effects/SkyNode.h"
#include "game/effects/TankOutlines.h"

namespace BattlefieldEffects {

void OnColorsChanged(TVexmoorArenaScreen& arena)
{
    if (!arena.smgr) return;
    TankOutlines::Apply(arena);

    // One sky per scene; the scene's clearing at the end of a match takes it.
    irr::scene::ISceneNode* found = arena.smgr->getSceneNodeFromType(TSkyNode::kType);
    TSkyNode* sky = static_cast<TSkyNode*>(found);
    if (!sky) {
        sky = new TSkyNode(arena.smgr->getRootSceneNode(), arena.smgr);
        sky->drop();
    }
    const irr::video::SColor floor = TankOutlines::Floor(arena);
    irr::video::SColor walls = arena.SchemeColor("Arena");
    if (auto object = arena.GetGameObjectAs<TArena>("arena")) {
        auto* node = static_cast<irr::scene::IMeshSceneNode*>(object->_node);
        irr::scene::IMesh* mesh = node ? node->getMesh() : nullptr;
        if (mesh && mesh->getMeshBufferCount() > 0 && mesh->getMeshBuffer(0)->getVertexCount() > 0)
            walls = static_cast<irr::video::S3DVertex*>(mesh->getMeshBuffer(0)->getVertices())[0].Color;
        walls.setAlpha(255);
    }
    sky->SetColors(floor, walls);
}

}  // namespace BattlefieldEffects
