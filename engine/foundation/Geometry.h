#pragma once
#include "engine/foundation/Matrix.h"
#include "engine/foundation/Ray.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// dot(normal, p) + d = 0 on the plane; distances are positive on the side the
// normal points to. The normal has unit length unless it is degenerate.
class Plane {
public:
    virtual ~Plane();
    Plane() {}
    Plane(const Plane& o) = default;
    Plane& operator=(const Plane& o) = default;
    Plane(const Vector3& p1, const Vector3& p2, const Vector3& p3) { SetFromPoints(p1, p2, p3); }

    void Set(float a, float b, float c, float d);
    // Counter-clockwise seen from the side the normal points to.
    void SetFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3);
    void Normalize();
    const Vector3& GetNormal() const { return normal_; }
    float GetD() const { return d_; }
    float GetDistance(const Vector3& p) const { return Vector3::Dot(normal_, p) + d_; }
    // True for a hit strictly in front of the origin; t is in lengths of the
    // ray's direction and is written unless the ray runs parallel.
    bool IntersectRay(const Ray& ray, float& t) const;

private:
    Vector3 normal_;
    float d_ = 0.0f;
};

// A box in its owner's model space and the world-axis box around its
// transformed corners, with the bounding sphere the frustum tests.
class BoundingBox {
public:
    BoundingBox() { Set(Vector3(), Vector3()); }
    BoundingBox(const Vector3& min, const Vector3& max) { Set(min, max); }
    BoundingBox(const BoundingBox& o) = default;
    BoundingBox& operator=(const BoundingBox& o) = default;
    void Copy(const BoundingBox& o) { *this = o; }

    void Set(const Vector3& min, const Vector3& max);
    void SetTransform(const Matrix4& m);
    void Update(bool transformed);

    static BoundingBox Lerp(const BoundingBox& a, const BoundingBox& b, float t);
    // Touching boxes intersect.
    bool Intersects(const BoundingBox& other) const;
    // The segment from ray.origin to ray.origin + ray.direction; touching hits.
    bool IntersectSegment(const Ray& ray) const;

    const Vector3& GetLocalMin() const { return localMin_; }
    const Vector3& GetLocalMax() const { return localMax_; }
    const Matrix4& GetTransform() const { return transform_; }
    const Matrix4& GetSecondTransform() const { return secondTransform_; }
    Matrix4& GetSecondTransform() { return secondTransform_; }
    const Vector3& GetWorldMin() const { return worldMin_; }
    const Vector3& GetWorldMax() const { return worldMax_; }
    const Vector3& GetCenter() const { return center_; }
    const Vector3& GetHalfExtents() const { return half_; }
    float GetRadius() const { return radius_; }

private:
    Vector3 localMin_, localMax_;
    Matrix4 transform_;
    Matrix4 secondTransform_;
    Vector3 worldMin_, worldMax_;
    Vector3 center_;
    Vector3 half_;
    float radius_ = 0.0f;
};

// For a point already known to lie in the triangle's plane; edges and corners
// count as inside. Projects onto the plane's two minor axes (no square roots).
bool IsPointInTriangle(const Plane& plane, const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& p);

} // namespace KorvaneEngine
