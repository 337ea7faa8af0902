#pragma once
#include <cmath>
#include <functional>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Matrix.h"

namespace KorvaneEngine {

// The view volume of one camera: six planes with their normals pointing inside.
class Frustum {
public:
    enum PlaneIndex { kRight, kLeft, kBottom, kTop, kFar, kNear, kPlaneCount };

    virtual ~Frustum();
    Frustum() {}

    // Both matrices in the camera's row-vector layout.
    void Update(const Matrix4& projection, const Matrix4& view);
    // Bounding-sphere test; an empty box (radius below 0.001) is never visible
    // and a sphere that only touches a plane from outside is culled.
    bool IsVisible(const BoundingBox& box) const;
    const Plane& GetPlane(int i) const { return planes_[i]; }

private:
    Plane planes_[kPlaneCount];
};

// Depth order of the draw pass. The key is compared exactly and ties are
// broken by address, so this is a strict weak order that a standard sort can
// rely on: a tolerance on the key would make "equal" intransitive (and let a
// chain of nearly equal keys contradict the address rule), which sort
// implementations answer with out-of-range reads. A NaN key sorts after every
// number for the same reason.
inline bool DepthKeyBefore(float ka, const void* a, float kb, const void* b)
{
    bool nanA = std::isnan(ka), nanB = std::isnan(kb);
    if (nanA != nanB)
        return nanB;
    if (!nanA && ka != kb)
        return ka < kb;
    return std::less<const void*>()(a, b);
}

// Key of a model: its view depth plus its depth offset. M is the model class,
// which provides GetViewDepth() and GetDepthOffset().
template <class M> float GetDepthKey(const M* model)
{
    return model->GetViewDepth() + model->GetDepthOffset();
}

// Ascending key: nearer models first.
template <class M> bool FrontToBack(M* a, M* b)
{
    return DepthKeyBefore(GetDepthKey(a), a, GetDepthKey(b), b);
}

// Descending key: farther models first.
template <class M> bool BackToFront(M* a, M* b)
{
    return DepthKeyBefore(GetDepthKey(b), b, GetDepthKey(a), a);
}

} // namespace KorvaneEngine
