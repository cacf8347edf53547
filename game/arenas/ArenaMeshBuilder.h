// The mesh of an arena grid: walls and low blocks as solids with merged faces, in world
// units, so that it is placed at the origin like a loaded arena model.
//
// Only faces that can be seen are made: the top of every merged box, and each side where
// a cell stands higher than its neighbour (the grid's edge counting as ground), merged
// along runs of equal sides; the undersides lie on the ground and are left out. Faces wind
// like the loaded 3DS arenas, front side out, with outward normals and white vertex colors
// (the arena recolors them in its scheme, as it does a loaded model).
#pragma once

#include <irrlicht.h>

#include <vector>

#include "game/arenas/ArenaGrid.h"

class TArenaMeshBuilder {
public:
    // Walls in the first buffers, low blocks after them; a kind takes a second buffer only
    // past the 16-bit index limit. The caller drops the mesh.
    static irr::scene::SMesh* Build(const TArenaGrid& grid);
    // The same mesh as the one frame of an animated mesh, the type the mesh cache and the
    // game's mesh resources hold. The caller drops it.
    static irr::scene::SAnimatedMesh* BuildAnimated(const TArenaGrid& grid);
    // Every triangle of a mesh, in the mesh's own space (the walkable grid's input).
    static std::vector<irr::core::triangle3df> Triangles(irr::scene::IMesh* mesh);
};
