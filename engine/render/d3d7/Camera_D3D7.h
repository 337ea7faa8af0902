#pragma once
#include <windows.h>

#include <d3d.h>

#include "engine/render/Camera.h"

namespace KorvaneEngine {

// Hands the camera's matrices to the Direct3D 7 device: the projection in the
// device's left-handed off-centre form (orthographic: right-handed) over the
// rectangle corrected for the desktop, the view through the render system's
// cache.
class Camera_D3D7 : public Camera {
public:
    ~Camera_D3D7() override;
    // device: the render system's device pointer, read at each use so that a
    // reset device is picked up.
    Camera_D3D7(bool orthographic, IDirect3DDevice7** device);

    void Update(float aspect) override;
    void Apply() override;
    void ApplyZBiased() override;

    // Update for a given display shape.
    void UpdateFor(const DisplayShape& shape);

    Matrix4 deviceProjection;
    Matrix4 deviceZBiasedProjection;

private:
    void ApplyProjection(const Matrix4& matrix, const char* where);

    IDirect3DDevice7** device_;
};

} // namespace KorvaneEngine
