#include "meshes/Solid.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace meshes {
namespace {

// Maps an outline point (u, v) at distance t along the axis into game axes. The frames
// (u, v, axis) are right-handed, so a counter-clockwise outline faces the +axis end.
Vec3 Place(Axis axis, Point2 uv, float t)
{
    switch (axis) {
    case Axis::X: return {t, uv.first, uv.second};
    case Axis::Y: return {uv.second, t, uv.first};
    case Axis::Z: return {uv.first, uv.second, t};
    }
    return {0, 0, 0};
}

float SignedArea(const Polygon2& p)
{
    float area = 0.0f;
    for (size_t i = 0; i < p.size(); ++i) {
        const Point2& a = p[i];
        const Point2& b = p[(i + 1) % p.size()];
        area += a.first * b.second - b.first * a.second;
    }
    return 0.5f * area;
}

}  // namespace

Polygon2 Ellipse(float cu, float cv, float ru, float rv, int sides)
{
    Polygon2 p;
    for (int i = 0; i < sides; ++i) {
        const double a = 2.0 * M_PI * i / sides;
        p.emplace_back(cu + ru * static_cast<float>(std::cos(a)), cv + rv * static_cast<float>(std::sin(a)));
    }
    return p;
}

void Solid::Loft(Axis axis, const std::vector<Station>& stations)
{
    if (stations.size() < 2 || stations.front().outline.size() < 3)
        throw std::invalid_argument("loft needs two stations of at least three corners");
    const size_t n = stations.front().outline.size();
    // All stations share the winding of the first; make it counter-clockwise.
    const bool reverse = SignedArea(stations.front().outline) < 0.0f;
    std::vector<std::vector<Vec3>> rings;
    for (const Station& s : stations) {
        if (s.outline.size() != n)
            throw std::invalid_argument("loft stations differ in corner count");
        std::vector<Vec3> ring;
        for (size_t i = 0; i < n; ++i)
            ring.push_back(Place(axis, s.outline[reverse ? n - 1 - i : i], s.t));
        rings.push_back(ring);
    }
    // Stations run toward +axis; a loft given the other way round is turned inside out.
    const bool backwards = stations.back().t < stations.front().t;
    auto add = [&](Vec3 a, Vec3 b, Vec3 c) {
        if (backwards)
            triangles_.push_back({a, c, b});
        else
            triangles_.push_back({a, b, c});
    };
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        for (size_t i = 0; i < n; ++i) {
            const size_t j = (i + 1) % n;
            add(rings[k][i], rings[k][j], rings[k + 1][j]);
            add(rings[k][i], rings[k + 1][j], rings[k + 1][i]);
        }
    }
    const std::vector<Vec3>& first = rings.front();
    const std::vector<Vec3>& last = rings.back();
    for (size_t i = 1; i + 1 < n; ++i) {
        add(first[0], first[i + 1], first[i]);
        add(last[0], last[i], last[i + 1]);
    }
}

void Solid::Box(Vec3 min, Vec3 max)
{
    PrismY({{min.x, min.z}, {max.x, min.z}, {max.x, max.z}, {min.x, max.z}}, min.y, max.y);
}

void Solid::PrismY(const Polygon2& footprintXZ, float y0, float y1)
{
    Polygon2 uv;
    for (const Point2& p : footprintXZ)
        uv.emplace_back(p.second, p.first);
    Loft(Axis::Y, {{y0, uv}, {y1, uv}});
}

void Solid::ExtrudeX(const Polygon2& profileZY, float x0, float x1)
{
    Polygon2 uv;
    for (const Point2& p : profileZY)
        uv.emplace_back(p.second, p.first);
    Loft(Axis::X, {{x0, uv}, {x1, uv}});
}

void Solid::LatheZ(float cx, float cy, const std::vector<Ring>& rings, int sides)
{
    std::vector<Station> stations;
    for (const Ring& r : rings)
        stations.push_back({r.t, Ellipse(cx, cy, r.rx, r.ry, sides)});
    Loft(Axis::Z, stations);
}

void Solid::LatheY(float cx, float cz, const std::vector<Ring>& rings, int sides)
{
    std::vector<Station> stations;
    for (const Ring& r : rings)
        stations.push_back({r.t, Ellipse(cz, cx, r.ry, r.rx, sides)});
    Loft(Axis::Y, stations);
}

void Solid::Bar(Point2 from, Point2 to, float thickness, float y0, float y1)
{
    const float dx = to.first - from.first;
    const float dz = to.second - from.second;
    const float length = std::sqrt(dx * dx + dz * dz);
    if (length <= 0.0f)
        throw std::invalid_argument("bar of zero length");
    const float nx = -dz / length * thickness * 0.5f;
    const float nz = dx / length * thickness * 0.5f;
    PrismY({{from.first + nx, from.second + nz},
            {to.first + nx, to.second + nz},
            {to.first - nx, to.second - nz},
            {from.first - nx, from.second - nz}},
           y0, y1);
}

}  // namespace meshes
