// Child nodes by index: a tank model's children are, in order, its outline, its camera
// and its muzzle.
#pragma once

#include <irrlicht.h>

inline irr::scene::ISceneNode* ChildAt(irr::scene::ISceneNode* node, irr::u32 index)
{
    if (!node || index >= node->getChildren().size()) return nullptr;
    auto it = node->getChildren().begin();
    for (irr::u32 i = 0; i < index; ++i) ++it;
    return *it;
}
