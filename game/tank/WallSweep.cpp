#include "game/tank/WallSweep.h"

#include <algorithm>
#include <cmath>
#include <vector>

using irr::core::triangle3df;
using irr::core::vector3df;

namespace {

// The first time the ball touches something, and which way the touched surface faces it.
struct Touch {
    float t;
    vector3df normal;
};

// Smallest root of a t^2 + b t + c = 0 within [0, 1].
std::optional<float> FirstRoot(float a, float b, float c)
{
    if (std::fabs(a) < 1e-12f) return std::nullopt;
    const float discriminant = b * b - 4.0f * a * c;
    if (discriminant < 0.0f) return std::nullopt;
    const float root = std::sqrt(discriminant);
    float t1 = (-b - root) / (2.0f * a);
    float t2 = (-b + root) / (2.0f * a);
    if (t1 > t2) std::swap(t1, t2);
    if (t1 >= 0.0f && t1 <= 1.0f) return t1;
    if (t2 >= 0.0f && t2 <= 1.0f && t1 < 0.0f && c > 0.0f) return t2;
    return std::nullopt;
}

// Keeps the earlier of two touches, counting only one that moves the ball into the surface.
void Keep(std::optional<Touch>& best, float t, const vector3df& normal, const vector3df& motion)
{
    if (motion.dotProduct(normal) >= 0.0f) return;  // leaving, as after a bounce off it
    if (!best || t < best->t) best = Touch{t, normal};
}

// The ball against one corner point of a wall.
void TouchPoint(std::optional<Touch>& best, const vector3df& point, const vector3df& from, const vector3df& motion,
                float radius)
{
    const vector3df d = from - point;
    const std::optional<float> t =
        FirstRoot(motion.getLengthSQ(), 2.0f * motion.dotProduct(d), d.getLengthSQ() - radius * radius);
    if (t) Keep(best, *t, (from + motion * *t - point).normalize(), motion);
}

// The ball against one edge of a wall.
void TouchEdge(std::optional<Touch>& best, const vector3df& p0, const vector3df& p1, const vector3df& from,
               const vector3df& motion, float radius)
{
    const vector3df edge = p1 - p0;
    const vector3df d = p0 - from;
    const float edge2 = edge.getLengthSQ();
    if (edge2 <= 0.0f) return;
    const float edgeMotion = edge.dotProduct(motion);
    const float edgeD = edge.dotProduct(d);
    const float a = edge2 * -motion.getLengthSQ() + edgeMotion * edgeMotion;
    const float b = edge2 * (2.0f * motion.dotProduct(d)) - 2.0f * edgeMotion * edgeD;
    const float c = edge2 * (radius * radius - d.getLengthSQ()) + edgeD * edgeD;
    const std::optional<float> t = FirstRoot(a, b, c);
    if (!t) return;
    const float along = (edgeMotion * *t - edgeD) / edge2;
    if (along < 0.0f || along > 1.0f) return;
    const vector3df centre = from + motion * *t;
    Keep(best, *t, (centre - (p0 + edge * along)).normalize(), motion);
}

std::optional<Touch> TouchTriangle(const triangle3df& triangle, const vector3df& from, const vector3df& motion,
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
    std::optional<Touch> best;
    const float approach = -motion.dotProduct(n);
    if (approach > 1e-9f) {
        // The face: the ball's nearest point reaches the plane inside the triangle.
        const float t = std::max(0.0f, (distance - radius) / approach);
        if (t <= 1.0f) {
            const vector3df touch = from + motion * t - n * std::min(distance, radius);
            if (triangle.isPointInside(touch)) return Touch{t, n};
        }
    }
    // Edges and corners, where the face is missed by less than the radius.
    const vector3df corners[] = {triangle.pointA, triangle.pointB, triangle.pointC};
    for (int i = 0; i < 3; ++i) {
        TouchEdge(best, corners[i], corners[(i + 1) % 3], from, motion, radius);
        TouchPoint(best, corners[i], from, motion, radius);
    }
    return best;
}

// A triangle in the plane through `point` facing `normal`: what an edge or a corner
// turns the ball by.
triangle3df PlaneTriangle(const vector3df& point, const vector3df& normal)
{
    vector3df side = normal.crossProduct(vector3df(0, 1, 0));
    if (side.getLengthSQ() < 1e-6f) side = normal.crossProduct(vector3df(1, 0, 0));
    side.normalize();
    const vector3df up = side.crossProduct(normal);
    return triangle3df(point, point + up, point + side);
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
    vector3df firstNormal;
    bool onFace = false;
    for (irr::s32 i = 0; i < count; ++i) {
        const triangle3df& triangle = triangles[static_cast<size_t>(i)];
        const std::optional<Touch> touch = TouchTriangle(triangle, from, motion, radius);
        if (!touch || (first && touch->t >= first->fraction)) continue;
        first = TWallHit{touch->t, triangle};
        firstNormal = touch->normal;
        vector3df n = triangle.getNormal();
        onFace = std::fabs(n.normalize().dotProduct(touch->normal)) > 0.9999f;
    }
    // An edge or a corner turns the ball about the line from the touch to the ball's centre.
    if (first && !onFace) first->triangle = PlaneTriangle(from + motion * first->fraction, firstNormal);
    return first;
}
