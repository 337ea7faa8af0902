#include "engine/render/d3d7/Camera_D3D7.h"

#include <cstring>

#include "engine/render/d3d7/RenderSystem_D3D7.h"

namespace KorvaneEngine {

namespace {

void SetDeviceDepth(Matrix4& m, bool orthographic, float n, float f)
{
    if (orthographic) {
        m.m[10] = 1.0f / (n - f);
        m.m[14] = n / (n - f);
    } else {
        m.m[10] = f / (f - n);
        m.m[14] = f * n / (n - f);
    }
}

} // namespace

Camera_D3D7::~Camera_D3D7() {}

Camera_D3D7::Camera_D3D7(bool orthographic, IDirect3DDevice7** device) : Camera(orthographic), device_(device) {}

void Camera_D3D7::Update(float)
{
    UpdateFor(GetDisplayShape());
}

void Camera_D3D7::UpdateFor(const DisplayShape& shape)
{
    Camera::UpdateFor(shape);
    const float t = adjusted.top, b = adjusted.bottom, l = adjusted.left, r = adjusted.right;
    const float n = nearPlane, f = farPlane;
    const bool ortho = orthographic != 0;
    Matrix4 m;
    if (ortho) {
        m.m[0] = 2.0f / (r - l);
        m.m[5] = 2.0f / (t - b);
        m.m[12] = -(r + l) / (r - l);
        m.m[13] = -(t + b) / (t - b);
        m.m[15] = 1.0f;
    } else {
        m.m[0] = 2.0f * n / (r - l);
        m.m[5] = 2.0f * n / (t - b);
        m.m[8] = (r + l) / (l - r);
        m.m[9] = (t + b) / (b - t);
        m.m[11] = 1.0f;
    }
    deviceProjection = m;
    SetDeviceDepth(deviceProjection, ortho, n, f);
    deviceZBiasedProjection = m;
    SetDeviceDepth(deviceZBiasedProjection, ortho, n, f + 1.0f);
}

void Camera_D3D7::ApplyProjection(const Matrix4& matrix, const char* where)
{
    RenderSystem_D3D7* rs = static_cast<RenderSystem_D3D7*>(RenderSystem::Instance());
    IDirect3DDevice7* device = device_ ? *device_ : nullptr;
    if (!rs || !device)
        return;
    D3DMATRIX d;
    static_assert(sizeof d == sizeof matrix.m, "16 floats");
    std::memcpy(&d, matrix.m, sizeof d);
    rs->CheckResult(where, device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &d));
    rs->projectionMatrix = matrix;
    rs->SetViewMatrix(view);
}

void Camera_D3D7::Apply()
{
    ApplyProjection(deviceProjection, "Camera_D3D7::Apply");
}

void Camera_D3D7::ApplyZBiased()
{
    ApplyProjection(deviceZBiasedProjection, "Camera_D3D7::ApplyZBiased");
}

} // namespace KorvaneEngine
