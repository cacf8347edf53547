#include "game/world/Arena.h"

int TArena::SetColor(irr::scene::ISceneManager* smgr, irr::video::SColor color)
{
    if (!_node || _node->getType() != irr::scene::ESNT_MESH) return 0;
    irr::scene::IMesh* mesh = static_cast<irr::scene::IMeshSceneNode*>(_node)->getMesh();
    smgr->getMeshManipulator()->setVertexColors(mesh, color);
    smgr->getMeshManipulator()->setVertexColorAlpha(mesh, 0);
    return 0;
}
