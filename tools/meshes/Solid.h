// Closed solids built from simple shapes, as triangles with outward-facing winding.
#pragma once

#include <utility>
#include <vector>

namespace meshes {

// A point in the game's axes: x right, y up, z forward.
struct Vec3 {
    float x, y, z;
};

// One face; (b - a) x (c - a) points out of the solid.
struct Triangle {
    Vec3 a, b, c;
};

using Point2 = std::pair<float, float>;
using Polygon2 = std::vector<Point2>;

enum class Axis { X, Y, Z };

// A cross-section of a loft: a convex polygon at distance t along the loft's axis.
struct Station {
    float t;
    Polygon2 outline;
};

// Collects the faces of one model. Every shape added is a closed solid.
class Solid {
public:
    // Sweeps along an axis through cross-sections that all have the same number of
    // corners, capping both ends. The outline's two coordinates are, per axis:
    // X: (y, z), Y: (z, x), Z: (x, y).
    void Loft(Axis axis, const std::vector<Station>& stations);

    // Axis-aligned box.
    void Box(Vec3 min, Vec3 max);

    // Upright prism over a convex footprint given as (x, z) corners.
    void PrismY(const Polygon2& footprintXZ, float y0, float y1);

    // Prism across x over a convex side profile given as (z, y) corners.
    void ExtrudeX(const Polygon2& profileZY, float x0, float x1);

    // Body of revolution along z around (cx, cy): each station is (z, radius x, radius y).
    struct Ring {
        float t, rx, ry;
    };
    void LatheZ(float cx, float cy, const std::vector<Ring>& rings, int sides);

    // Body of revolution along y around (cx, cz): each station is (y, radius x, radius z).
    void LatheY(float cx, float cz, const std::vector<Ring>& rings, int sides);

    // A horizontal bar of the given thickness from one (x, z) point to another.
    void Bar(Point2 from, Point2 to, float thickness, float y0, float y1);

    const std::vector<Triangle>& Triangles() const { return triangles_; }

private:
    std::vector<Triangle> triangles_;
};

// Regular polygon with `sides` corners, the first on the +u axis, counter-clockwise.
Polygon2 Ellipse(float cu, float cv, float ru, float rv, int sides);

}  // namespace meshes
