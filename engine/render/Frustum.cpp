#include "engine/render/Frustum.h"

namespace KorvaneEngine {

Frustum::~Frustum() {}

void Frustum::Update(const Matrix4& projection, const Matrix4& view)
{
    const Matrix4 c = view * projection;
    const float* m = c.m;
    // Clip-space column 3 minus or plus columns 0, 1 and 2.
    planes_[kRight].Set(m[3] - m[0], m[7] - m[4], m[11] - m[8], m[15] - m[12]);
    planes_[kLeft].Set(m[3] + m[0], m[7] + m[4], m[11] + m[8], m[15] + m[12]);
    planes_[kBottom].Set(m[3] + m[1], m[7] + m[5], m[11] + m[9], m[15] + m[13]);
    planes_[kTop].Set(m[3] - m[1], m[7] - m[5], m[11] - m[9], m[15] - m[13]);
    planes_[kFar].Set(m[3] - m[2], m[7] - m[6], m[11] - m[10], m[15] - m[14]);
    planes_[kNear].Set(m[3] + m[2], m[7] + m[6], m[11] + m[10], m[15] + m[14]);
}

bool Frustum::IsVisible(const BoundingBox& box) const
{
    float r = box.GetRadius();
    if (r < 0.001f)
        return false;
    for (const Plane& p : planes_)
        if (-r >= p.GetDistance(box.GetCenter()))
            return false;
    return true;
}

} // namespace KorvaneEngine
