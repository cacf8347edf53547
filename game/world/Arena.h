// The arena model object with its respawn points (the built-in arenas' eleven, or an
// arena grid's own).
#pragma once

#include <irrlicht.h>

#include <vector>

#include "framework/objects/NodeGameObject.h"

class TArena : public TNodeGameObject {
    VEXMOOR_CLASS(TArena, TNodeGameObject)

public:
    // Points 0 and 1 are the start positions of the two tanks.
    std::vector<irr::core::vector3df> respawn_points{
        {-17.0f, 0.0f, 0.0f},
        {16.5f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f},
        {10.0f, 0.0f, 5.0f},
        {10.0f, 0.0f, -5.0f},
        {-10.0f, 0.0f, 5.0f},
        {-10.0f, 0.0f, -5.0f},
        {17.96f, 0.0f, 10.33f},
        {17.96f, 0.0f, -10.33f},
        {-17.96f, 0.0f, 10.33f},
        {-17.96f, 0.0f, -10.33f},
    };

    // Recolors the arena mesh; its outline copy keeps its old colors.
    virtual int SetColor(irr::scene::ISceneManager* smgr, irr::video::SColor color);
};
