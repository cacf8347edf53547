// The walls of the loaded arena seen from above, read from the arena node's own mesh:
// how far a point on the ground is from the nearest wall, and whether it is inside one.
#pragma once

#include <irrlicht.h>

#include <algorithm>
#include <cmath>
#include <vector>

class WallMap {
public:
    explicit WallMap(irr::scene::IMeshSceneNode* arenaNode)
    {
        arenaNode->updateAbsolutePosition();
        const irr::core::matrix4& toWorld = arenaNode->getAbsoluteTransformation();
        irr::scene::IMesh* mesh = arenaNode->getMesh();
        for (irr::u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
            irr::scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
            const irr::u16* indices = buffer->getIndices();
            for (irr::u32 i = 0; i + 2 < buffer->getIndexCount(); i += 3) {
                irr::core::vector3df p[3];
                for (int k = 0; k < 3; ++k) {
                    p[k] = buffer->getPosition(indices[i + k]);
                    toWorld.transformVect(p[k]);
                }
                irr::core::triangle3df t(p[0], p[1], p[2]);
                // The walls are solid blocks: their tops, flattened, are their footprints.
                if (t.getNormal().normalize().Y > 0.5f) tops_.emplace_back(Flat(p[0]), Flat(p[1]), Flat(p[2]));
            }
        }
        box_ = arenaNode->getTransformedBoundingBox();
    }

    // Ground distance from (x, z) to the nearest wall; 0 inside a wall.
    float Clearance(float x, float z) const
    {
        const irr::core::vector3df p(x, 0, z);
        float best = 1e9f;
        for (const irr::core::triangle3df& t : tops_) {
            if (t.isPointInsideFast(p)) return 0.0f;
            best = std::min(best, p.getDistanceFrom(t.closestPointOnTriangle(p)));
        }
        return best;
    }
    float Clearance(const irr::core::vector3df& p) const { return Clearance(p.X, p.Z); }

    // Within the outer faces of the arena's outer wall.
    bool Inside(const irr::core::vector3df& p) const
    {
        return p.X > box_.MinEdge.X && p.X < box_.MaxEdge.X && p.Z > box_.MinEdge.Z && p.Z < box_.MaxEdge.Z;
    }

    // The first point along a ground ray from `from` at which the clearance drops below
    // `radius`, searched in small steps up to `range`.
    irr::core::vector3df FirstStop(irr::core::vector3df from, irr::core::vector3df heading, float radius,
                                   float range) const
    {
        heading.Y = 0;
        heading.normalize();
        const float step = 0.01f;
        irr::core::vector3df p = from;
        for (float d = 0; d < range; d += step) {
            const irr::core::vector3df next = from + heading * (d + step);
            if (Clearance(next) < radius) return p;
            p = next;
        }
        return p;
    }

    const irr::core::aabbox3df& Box() const { return box_; }

private:
    static irr::core::vector3df Flat(const irr::core::vector3df& p) { return irr::core::vector3df(p.X, 0, p.Z); }

    std::vector<irr::core::triangle3df> tops_;
    irr::core::aabbox3df box_;
};
