#include "engine/render/Camera.h"

#include <cmath>

#include "engine/foundation/Window.h"
#include "engine/render/Frustum.h"

namespace KorvaneEngine {

namespace {
const float kFourThirds = 1.3333334f;

Matrix4 Identity()
{
    Matrix4 m;
    Matrix4::SetIdentity(m);
    return m;
}

void SetDepthTerms(Matrix4& m, bool orthographic, float n, float f)
{
    if (orthographic) {
        m.m[10] = -2.0f / (f - n);
        m.m[14] = -(f + n) / (f - n);
    } else {
        m.m[10] = -(f + n) / (f - n);
        m.m[14] = -(f * 2.0f * n) / (f - n);
    }
}
} // namespace

Camera::~Camera()
{
    delete frustum;
}

Camera::Camera(bool orthographic_)
    : orthographic(orthographic_ ? 1 : 0), projection(Identity()), view(Identity()), relativeFirst(Identity()),
      relativeSecond(Identity()), frustum(new Frustum)
{
}

void Camera::Apply() {}

void Camera::ApplyZBiased() {}

Camera::DisplayShape Camera::GetDisplayShape()
{
    DisplayShape shape;
    if (Window* window = Window::Instance()) {
        shape.fullscreen = window->IsFullscreen();
        shape.wideDesktop = window->IsDesktopWide();
        shape.narrowDesktop = window->IsDesktopNarrow();
        shape.desktopAspect = window->GetDesktopAspect();
    }
    return shape;
}

void Camera::Update(float)
{
    UpdateFor(GetDisplayShape());
}

void Camera::UpdateFor(const DisplayShape& shape)
{
    const bool ortho = orthographic != 0;
    if (ortho) {
        base.top = orthographicHeight;
        base.bottom = 0.0f;
        base.left = 0.0f;
        base.right = orthographicWidth;
    } else {
        float angle = fieldOfView * kFourThirds;
        base.top = nearPlane * std::tan(angle * 0.25f);
        base.bottom = -base.top;
        base.left = base.bottom * kFourThirds;
        base.right = base.top * kFourThirds;
    }

    adjusted = base;
    if (shape.fullscreen) {
        const float a = shape.desktopAspect;
        if (shape.wideDesktop) {
            if (ortho) {
                float k = (a / kFourThirds - 1.0f) * orthographicWidth / 2.0f;
                adjusted.left -= k;
                adjusted.right += k;
            } else {
                adjusted.left *= a / kFourThirds;
                adjusted.right *= a / kFourThirds;
            }
        } else if (shape.narrowDesktop) {
            if (ortho) {
                float k = (1.0f - a / kFourThirds) * orthographicHeight / 2.0f;
                adjusted.top += k;
                adjusted.bottom -= k;
            } else {
                adjusted.top *= kFourThirds / a;
                adjusted.bottom *= kFourThirds / a;
            }
        }
    }

    const float t = base.top, b = base.bottom, l = base.left, r = base.right;
    const float n = nearPlane, f = farPlane;
    projection = Matrix4();
    if (ortho) {
        projection.m[0] = 2.0f / (r - l);
        projection.m[5] = 2.0f / (t - b);
        projection.m[12] = -(r + l) / (r - l);
        projection.m[13] = -(t + b) / (t - b);
        projection.m[15] = 1.0f;
    } else {
        projection.m[0] = 2.0f * n / (r - l);
        projection.m[5] = 2.0f * n / (t - b);
        projection.m[8] = (r + l) / (r - l);
        projection.m[9] = (t + b) / (t - b);
        projection.m[11] = -1.0f;
    }
    SetDepthTerms(projection, ortho, n, f);
    zBiasedProjection = projection;
    SetDepthTerms(zBiasedProjection, ortho, n, f + 1.0f);

    Matrix4 rotation;
    orientation.ToMatrix(rotation);
    rotation.Transpose();
    rotation.Translate(-position);
    rotation.Transpose();
    view = rotation;

    rightAxis = Vector3(view.m[0], view.m[4], view.m[8]);
    upAxis = Vector3(view.m[1], view.m[5], view.m[9]);
    zAxis = Vector3(view.m[2], view.m[6], view.m[10]);
    zAxis.SetLength(1.0f);

    frustum->Update(projection, view);
}

} // namespace KorvaneEngine
