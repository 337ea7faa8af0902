#pragma once
#include <cstdint>

#include "engine/foundation/Matrix.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Frustum;

// View (position and orientation) and projection (perspective or
// orthographic) of one camera. The view and projection matrices are kept in
// the device's row-vector layout (translation in elements 12, 13, 14). The
// back-end class hands them to the device.
class Camera {
public:
    struct Rectangle {
        float top = 1.0f, bottom = -1.0f, left = -1.0f, right = 1.0f;
    };
    // What full-screen cameras correct their picture's shape for.
    struct DisplayShape {
        bool fullscreen = false;
        bool wideDesktop = false;
        bool narrowDesktop = false;
        float desktopAspect = 4.0f / 3.0f;
    };

    virtual ~Camera();
    explicit Camera(bool orthographic);
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Rebuilds the rectangles, matrices, axes and frustum for the window's
    // display shape. The aspect (window width / height) is not used: the
    // picture keeps the 4:3 base shape.
    virtual void Update(float aspect);
    virtual void Apply();
    virtual void ApplyZBiased();

    // Update for a given display shape.
    void UpdateFor(const DisplayShape& shape);
    // The window's shape (not full-screen when there is no window).
    static DisplayShape GetDisplayShape();

    Frustum& GetFrustum() const { return *frustum; }

    uint32_t orthographic;
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;
    float fieldOfView = 1.5707964f;
    float orthographicWidth = 1.0f;
    float orthographicHeight = 1.0f;
    Quaternion orientation;
    Vector3 position;
    Matrix4 projection;
    Matrix4 zBiasedProjection;
    Matrix4 view;
    // When cameraRelative is set, models compose their transform with these
    // two matrices (second x (local x first)); the camera never changes them.
    Matrix4 relativeFirst;
    Matrix4 relativeSecond;
    bool cameraRelative = false;
    // The 4:3 base rectangle, and the one the device shows (corrected for the
    // desktop's shape in full screen).
    Rectangle base;
    Rectangle adjusted;
    Vector3 rightAxis, upAxis, zAxis;

protected:
    Frustum* frustum;
};

} // namespace KorvaneEngine
