#include "game/picksphere.h"

#include <cmath>

namespace
{
struct Vec
{
    double x, y, z;
    explicit Vec(const Vector3& v) : x(v.x), y(v.y), z(v.z) {}
    Vec(double X, double Y, double Z) : x(X), y(Y), z(Z) {}
    Vec operator-(const Vec& o) const { return Vec(x - o.x, y - o.y, z - o.z); }
    double Dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
};

// Too near the origin to count: a ray starting on a sphere's surface does not
// hit that sphere there.
const double NearLimit = double(0.0001f) * 4.0;
} // namespace

float PickSphere::Intersect(const Ray& ray, bool limit, double maxdist) const
{
    const Vec o(ray.Origin), d(ray.Direction), c(Centre);
    const double r = Radius;

    const double b = 2.0 * (o - c).Dot(d);
    const double k = c.Dot(c) + o.Dot(o) - 2.0 * c.Dot(o) - r * r;
    const double disc = b * b - 4.0 * k;
    if (disc < 0.0)
        return -1.0f;

    const double s = std::sqrt(disc);
    double t1 = (-b + s) / 2.0;
    double t2 = (-b - s) / 2.0;
    if (t1 < 0.0)
        t1 = t2;
    if (t2 < 0.0)
        t2 = t1;
    const double t = t1 < t2 ? t1 : t2;

    if (t <= NearLimit)
        return -1.0f;
    if (limit && t > maxdist)
        return -1.0f;
    return float(t);
}
