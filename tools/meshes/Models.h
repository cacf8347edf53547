// The game's models, each described in code from simple solids.
#pragma once

#include <string>
#include <vector>

#include "meshes/Solid.h"

namespace meshes {

// The boxy tank (tank2): muzzle at (0, 0.35, 0.67).
Solid BoxyTank();
// The sleek tank (tank1): muzzle at (0, 0.425, 0.67).
Solid SleekTank();
// The shell, pointing along +z; its bounding box doubles as its collision ellipsoid.
Solid TankShell();

// The ring of outer walls alone.
Solid ArenaBase();
// The ring with an open cross of diagonal walls and two pillars.
Solid Arena1();
// The match arena: shields before both start points, a fort round the centre, brackets
// in the quadrants and two pillars.
Solid Arena2();

struct ModelFile {
    std::string file;    // name inside the media folder
    std::string object;  // object name inside the file
    Solid (*build)();
};

// Every model the game loads, in a fixed order.
const std::vector<ModelFile>& AllModels();

}  // namespace meshes
