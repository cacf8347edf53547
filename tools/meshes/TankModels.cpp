// Tanks and their shell. Axes: x right, y up, z forward; every model rests on y = 0.
//
// Both tanks keep the box they always had (1.0 wide, 1.3 long, the gun's tip at z = 0.67
// on the muzzle point), but their hulls end well behind the tip: seen from the overhead
// cameras the gun stands out half a unit ahead of the hull, so a tank's heading reads at
// a glance, and the hulls taper to the front while their backs stay square.
#include "meshes/Models.h"

namespace meshes {

Solid BoxyTank()
{
    Solid s;
    // Tracks: flat slabs with sloped ends; they stop short of the hull's nose.
    const Polygon2 track = {{-0.56f, 0.0f}, {-0.08f, 0.0f}, {0.0f, 0.09f}, {-0.02f, 0.21f},
                            {-0.61f, 0.21f}, {-0.63f, 0.09f}};
    s.ExtrudeX(track, -0.50f, -0.30f);
    s.ExtrudeX(track, 0.30f, 0.50f);
    // Hull between the tracks, and the upper deck over them, its front corners cut off
    // so that from above the hull points the way the tank drives.
    s.Box({-0.31f, 0.05f, -0.56f}, {0.31f, 0.22f, 0.08f});
    s.PrismY({{-0.44f, -0.56f}, {0.44f, -0.56f}, {0.44f, -0.04f}, {0.24f, 0.14f}, {-0.24f, 0.14f},
              {-0.44f, -0.04f}},
             0.18f, 0.28f);
    // Rear engine deck with two exhaust boxes: a square, busy back.
    s.Box({-0.40f, 0.28f, -0.56f}, {0.40f, 0.33f, -0.42f});
    s.Box({-0.32f, 0.12f, -0.63f}, {-0.16f, 0.26f, -0.56f});
    s.Box({0.16f, 0.12f, -0.63f}, {0.32f, 0.26f, -0.56f});
    // Square turret with a mantlet, set back on the deck.
    s.Box({-0.25f, 0.28f, -0.40f}, {0.25f, 0.47f, 0.02f});
    s.Box({-0.12f, 0.28f, 0.02f}, {0.12f, 0.43f, 0.12f});
    // Commander's hatch off-centre on the turret roof.
    s.LatheY(0.10f, -0.24f, {{0.47f, 0.08f, 0.08f}, {0.54f, 0.07f, 0.07f}}, 8);
    // A stout gun tapering to the muzzle point: at its tip no thicker than it ever was,
    // so shots that used to graze past it still do.
    s.LatheZ(0.0f, 0.35f, {{0.12f, 0.060f, 0.060f}, {0.40f, 0.052f, 0.052f}, {0.67f, 0.040f, 0.040f}}, 8);
    return s;
}

Solid SleekTank()
{
    Solid s;
    // Low tracks with rounded ends, tucked under the hull.
    const Polygon2 track = {{-0.52f, 0.0f}, {-0.04f, 0.0f}, {0.06f, 0.05f}, {0.08f, 0.10f},
                            {0.02f, 0.15f}, {-0.56f, 0.15f}, {-0.60f, 0.10f}, {-0.58f, 0.05f}};
    s.ExtrudeX(track, -0.50f, -0.36f);
    s.ExtrudeX(track, 0.36f, 0.50f);
    // Wedge hull: a pointed nose half a unit behind the gun's tip, sides leaning in.
    const Polygon2 lower = {{-0.48f, -0.58f}, {0.48f, -0.58f}, {0.48f, -0.14f}, {0.10f, 0.16f},
                            {-0.10f, 0.16f}, {-0.48f, -0.14f}};
    const Polygon2 upper = {{-0.34f, -0.50f}, {0.34f, -0.50f}, {0.34f, -0.16f}, {0.07f, 0.06f},
                            {-0.07f, 0.06f}, {-0.34f, -0.16f}};
    auto footprint = [](const Polygon2& xz) {
        Polygon2 uv;
        for (const Point2& p : xz)
            uv.emplace_back(p.second, p.first);
        return uv;
    };
    s.Loft(Axis::Y, {{0.09f, footprint(lower)}, {0.31f, footprint(upper)}});
    // Domed turret, slightly longer than wide.
    s.LatheY(0.0f, -0.10f, {{0.30f, 0.23f, 0.27f}, {0.44f, 0.21f, 0.25f}, {0.52f, 0.13f, 0.16f}}, 10);
    // Long gun with a muzzle brake ending at the muzzle point.
    s.LatheZ(0.0f, 0.425f,
             {{0.0f, 0.045f, 0.045f}, {0.57f, 0.045f, 0.045f}, {0.57f, 0.058f, 0.058f},
              {0.67f, 0.058f, 0.058f}},
             8);
    return s;
}

Solid TankShell()
{
    Solid s;
    // Octagonal body with a pointed nose; extent 0.12 x 0.12 x 0.3.
    s.LatheZ(0.0f, 0.0f,
             {{-0.15f, 0.05f, 0.05f}, {-0.12f, 0.06f, 0.06f}, {0.04f, 0.06f, 0.06f},
              {0.11f, 0.035f, 0.035f}, {0.15f, 0.01f, 0.01f}},
             8);
    return s;
}

}  // namespace meshes
