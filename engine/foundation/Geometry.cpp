#include "engine/foundation/Geometry.h"

#include <cmath>

namespace KorvaneEngine {

Plane::~Plane() {}

void Plane::Set(float a, float b, float c, float d)
{
    normal_ = Vector3(a, b, c);
    d_ = d;
    Normalize();
}

void Plane::SetFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3)
{
    normal_ = Vector3::Cross(p2 - p1, p3 - p1);
    d_ = Vector3::Dot(-normal_, p1);
    Normalize();
}

void Plane::Normalize()
{
    float len = std::sqrt(normal_.GetSquaredLength());
    if (std::fabs(len) >= kTolerance) {
        normal_ /= len;
        d_ /= len;
    }
}

bool Plane::IntersectRay(const Ray& ray, float& t) const
{
    float den = Vector3::Dot(normal_, ray.direction);
    if (std::fabs(den) < kTolerance)
        return false;
    t = -(Vector3::Dot(normal_, ray.origin) + d_) / den;
    return t > 0.0f;
}

void BoundingBox::Set(const Vector3& min, const Vector3& max)
{
    localMin_ = min;
    localMax_ = max;
    Update(false);
}

void BoundingBox::SetTransform(const Matrix4& m)
{
    transform_ = m;
    Update(true);
}

void BoundingBox::Update(bool transformed)
{
    if (transformed) {
        // Boxes are expected to lie within -100000..100000 on every axis.
        worldMin_ = Vector3(100000.0f);
        worldMax_ = Vector3(-100000.0f);
        for (int i = 0; i < 8; ++i) {
            Vector3 corner((i & 1) ? localMax_.x : localMin_.x, (i & 2) ? localMax_.y : localMin_.y,
                           (i & 4) ? localMax_.z : localMin_.z);
            Vector3 w = transform_.TransformPoint(corner);
            for (int k = 0; k < 3; ++k) {
                worldMin_[k] = Min(worldMin_[k], w[k]);
                worldMax_[k] = Max(worldMax_[k], w[k]);
            }
        }
    } else {
        Matrix4::SetIdentity(transform_);
        Matrix4::SetIdentity(secondTransform_);
        worldMin_ = localMin_;
        worldMax_ = localMax_;
    }
    half_ = (worldMax_ - worldMin_) * 0.5f;
    center_ = worldMin_ + half_;
    radius_ = std::sqrt(half_.GetSquaredLength());
}

BoundingBox BoundingBox::Lerp(const BoundingBox& a, const BoundingBox& b, float t)
{
    Vector3 c = Vector3::Lerp(a.center_, b.center_, t);
    Vector3 h = Vector3::Lerp(a.half_, b.half_, t);
    return BoundingBox(c - h, c + h);
}

bool BoundingBox::Intersects(const BoundingBox& other) const
{
    Vector3 d = other.center_ - center_;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(d[i]) > half_[i] + other.half_[i])
            return false;
    return true;
}

bool BoundingBox::IntersectSegment(const Ray& ray) const
{
    Vector3 mid = ray.origin + ray.direction * 0.5f;
    Vector3 u = ray.direction;
    u.SetLength(1.0f);
    float hl = 0.5f * std::sqrt(ray.direction.GetSquaredLength());
    Vector3 T = center_ - mid;
    const Vector3& h = half_;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(T[i]) > h[i] + hl * std::fabs(u[i]))
            return false;
    if (std::fabs(u.z * T.y - u.y * T.z) > h.y * std::fabs(u.z) + h.z * std::fabs(u.y))
        return false;
    if (std::fabs(u.x * T.z - u.z * T.x) > h.x * std::fabs(u.z) + h.z * std::fabs(u.x))
        return false;
    if (std::fabs(u.y * T.x - u.x * T.y) > h.x * std::fabs(u.y) + h.y * std::fabs(u.x))
        return false;
    return true;
}

bool IsPointInTriangle(const Plane& plane, const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& p)
{
    const Vector3& n = plane.GetNormal();
    float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    float m = Max(Max(ax, ay), az);
    int iu, iv;
    if (std::fabs(m - ax) < kTolerance) {
        iu = 1;
        iv = 2;
    } else if (std::fabs(m - ay) < kTolerance) {
        iu = 0;
        iv = 2;
    } else {
        iu = 0;
        iv = 1;
    }
    float pu = p[iu] - a[iu], pv = p[iv] - a[iv];
    float bu = b[iu] - a[iu], bv = b[iv] - a[iv];
    float cu = c[iu] - a[iu], cv = c[iv] - a[iv];
    float alpha, beta;
    if (std::fabs(bu) >= kTolerance) {
        beta = (pv * bu - pu * bv) / (cv * bu - cu * bv);
        if (beta < 0.0f || beta > 1.0f)
            return false;
        alpha = (pu - beta * cu) / bu;
        if (alpha < 0.0f)
            return false;
    } else {
        beta = pu / cu;
        if (beta < 0.0f || beta > 1.0f)
            return false;
        alpha = (pv - beta * cv) / bv;
        if (alpha < 0.0f)
            return false;
    }
    // A degenerate triangle divides by zero above; the NaN or infinity it
    // leaves fails this test, so such a triangle is never hit.
    return alpha + beta <= 1.0f;
}

} // namespace KorvaneEngine
