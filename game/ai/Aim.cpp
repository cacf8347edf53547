#include "game/ai/Aim.h"

#include <algorithm>
#include <cmath>

using irr::core::vector3df;

namespace ai {

namespace {

vector3df Flat(const vector3df& v)
{
    return vector3df(v.X, 0.0f, v.Z);
}

}  // namespace

float YawTo(const vector3df& from, const vector3df& to)
{
    return std::atan2(to.X - from.X, to.Z - from.Z) * irr::core::RADTODEG;
}

vector3df Heading(float yawDegrees)
{
    const float r = yawDegrees * irr::core::DEGTORAD;
    return vector3df(std::sin(r), 0.0f, std::cos(r));
}

float AngleDifference(float fromDegrees, float toDegrees)
{
    float d = std::fmod(toDegrees - fromDegrees, 360.0f);
    if (d <= -180.0f) d += 360.0f;
    if (d > 180.0f) d -= 360.0f;
    return d;
}

std::optional<float> InterceptTime(const vector3df& muzzle, float shellSpeed, const vector3df& target,
                                   const vector3df& velocity)
{
    // |r + v t| = s t  =>  (v.v - s^2) t^2 + 2 (r.v) t + r.r = 0
    const vector3df r = Flat(target) - Flat(muzzle);
    const vector3df v = Flat(velocity);
    const float a = v.dotProduct(v) - shellSpeed * shellSpeed;
    const float b = 2.0f * r.dotProduct(v);
    const float c = r.dotProduct(r);
    if (std::fabs(a) < 1e-9f) {
        if (std::fabs(b) < 1e-9f) return std::nullopt;
        const float t = -c / b;
        return t >= 0.0f ? std::optional<float>(t) : std::nullopt;
    }
    const float discriminant = b * b - 4.0f * a * c;
    if (discriminant < 0.0f) return std::nullopt;
    const float root = std::sqrt(discriminant);
    const float t1 = (-b - root) / (2.0f * a), t2 = (-b + root) / (2.0f * a);
    const float low = std::min(t1, t2), high = std::max(t1, t2);
    if (low >= 0.0f) return low;
    if (high >= 0.0f) return high;
    return std::nullopt;
}

float PredictedMiss(const vector3df& muzzle, const vector3df& heading, float shellSpeed, float lifeMs,
                    const vector3df& target, const vector3df& velocity)
{
    // The target seen from the shell: r(t) = r0 + w t.
    const vector3df r0 = Flat(target) - Flat(muzzle);
    const vector3df w = Flat(velocity) - Flat(heading) * shellSpeed;
    const float ww = w.dotProduct(w);
    float t = ww > 0.0f ? -r0.dotProduct(w) / ww : 0.0f;
    t = std::clamp(t, 0.0f, lifeMs);
    return (r0 + w * t).getLength();
}

std::optional<TPass> ClosestPass(const vector3df& shell, const vector3df& velocity, const vector3df& point)
{
    const vector3df v = Flat(velocity);
    const float vv = v.dotProduct(v);
    if (vv <= 0.0f) return std::nullopt;
    const float t = (Flat(point) - Flat(shell)).dotProduct(v) / vv;
    if (t < 0.0f) return std::nullopt;
    const vector3df closest = Flat(shell) + v * t;
    return TPass{t, closest.getDistanceFrom(Flat(point)), closest};
}

}  // namespace ai
