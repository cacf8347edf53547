#include "game/WallSweep.h"

#include <algorithm>
#include <vector>

using irr::core::triangle3df;
using irr::core::vector3df;

namespace {

// When along the motion the ball touches one triangle, or nothing.
std::optional<float> TouchTime(const triangle3df& triangle, const vector3df& from, const vector3df& motion,
                               float radius)
{
    vector3df n = triangle.getNormal();
    const float length = n.getLength();
    if (length <= 0.0f) return std::nullopt;
    n /= length;
    // Walls are met from whichever side the ball is on.
    float distance = (from - triangle.pointA).dotProduct(n);
    if (distance < 0.0f) {
        n = -n;
        distance = -distance;
    }
    const float approach = -motion.dotProduct(n);
    if (approach > 1e-9f) {
        // The face: the ball's nearest point reaches the plane inside the triangle.
        const float t = std::max(0.0f, (distance - radius) / approach);
        if (t <= 1.0f) {
            const vector3df touch = from + motion * t - n * std::min(distance, radius);
            if (triangle.isPointInside(touch)) return t;
        }
    }
    // An edge or a corner: the centre's own path crosses the triangle; stop a radius before.
    vector3df crossing;
    if (!triangle.getIntersectionWithLimitedLine(irr::core::line3df(from, from + motion), crossing))
        return std::nullopt;
    const float travel = motion.getLength();
    return std::max(0.0f, (crossing - from).getLength() / travel - radius / travel);
}

}  // namespace

std::optional<TWallHit> FirstWallHit(irr::scene::ITriangleSelector* walls, const vector3df& from,
                                     const vector3df& motion, float radius)
{
    if (!walls || motion.getLengthSQ() == 0.0f) return std::nullopt;
    irr::core::aabbox3df box(from);
    box.addInternalPoint(from + motion);
    box.MinEdge -= vector3df(radius, radius, radius);
    box.MaxEdge += vector3df(radius, radius, radius);

    std::vector<triangle3df> triangles(static_cast<size_t>(walls->getTriangleCount()));
    irr::s32 count = 0;
    walls->getTriangles(triangles.data(), static_cast<irr::s32>(triangles.size()), count, box, nullptr);

    std::optional<TWallHit> first;
    for (irr::s32 i = 0; i < count; ++i) {
        const std::optional<float> t = TouchTime(triangles[static_cast<size_t>(i)], from, motion, radius);
        if (t && (!first || *t < first->fraction)) first = TWallHit{*t, triangles[static_cast<size_t>(i)]};
    }
    return first;
}
