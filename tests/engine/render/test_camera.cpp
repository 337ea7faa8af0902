#include <gtest/gtest.h>

#include <cmath>

#include "engine/render/Camera.h"
#include "engine/render/Frustum.h"

using namespace KorvaneEngine;

namespace {

// Row vector times a row-vector-layout matrix, divided by w.
Vector3 Project(const Matrix4& m, const Vector3& p)
{
    float out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = p.x * m.m[c] + p.y * m.m[4 + c] + p.z * m.m[8 + c] + m.m[12 + c];
    return Vector3(out[0] / out[3], out[1] / out[3], out[2] / out[3]);
}

Vector3 ToClip(const Camera& cam, const Vector3& world)
{
    return Project(cam.view * cam.projection, world);
}

Camera::DisplayShape FullScreen(float aspect)
{
    Camera::DisplayShape s;
    s.fullscreen = true;
    s.desktopAspect = aspect;
    s.wideDesktop = aspect > 1.34f;
    s.narrowDesktop = aspect < 1.3266667f;
    return s;
}

struct Ortho800 : Camera {
    Ortho800() : Camera(true)
    {
        orthographicWidth = 800;
        orthographicHeight = 600;
    }
};

} // namespace

TEST(Camera, NewPerspectiveCamera)
{
    Camera c(false);
    EXPECT_EQ(c.nearPlane, 1.0f);
    EXPECT_EQ(c.farPlane, 1000.0f);
    c.UpdateFor(Camera::DisplayShape());
    const float top = std::tan(1.5707964f * 1.3333334f * 0.25f);
    EXPECT_FLOAT_EQ(c.base.top, top);
    EXPECT_NEAR(c.base.top, 0.57735f, 1e-5f);
    EXPECT_FLOAT_EQ(c.base.right, top * 1.3333334f);
    EXPECT_FLOAT_EQ(c.base.left, -top * 1.3333334f);
    // The near plane's corner maps to the clip corner, the far plane to z 1.
    Vector3 corner = ToClip(c, Vector3(c.base.right, c.base.top, -1));
    EXPECT_NEAR(corner.x, 1, 1e-5f);
    EXPECT_NEAR(corner.y, 1, 1e-5f);
    EXPECT_NEAR(corner.z, -1, 1e-5f);
    EXPECT_NEAR(ToClip(c, Vector3(0, 0, -1000)).z, 1, 1e-4f);
    // Looking down -z: the z axis points back.
    EXPECT_EQ(c.zAxis, Vector3(0, 0, 1));
}

TEST(Camera, OrthographicMapsItsSizeToTheClipSquare)
{
    Ortho800 c;
    c.UpdateFor(Camera::DisplayShape());
    Vector3 lo = ToClip(c, Vector3(0, 0, -10)), hi = ToClip(c, Vector3(800, 600, -10));
    EXPECT_NEAR(lo.x, -1, 1e-6f);
    EXPECT_NEAR(lo.y, -1, 1e-6f);
    EXPECT_NEAR(hi.x, 1, 1e-6f);
    EXPECT_NEAR(hi.y, 1, 1e-6f);
    // On a 4:3 desktop full screen changes nothing.
    c.UpdateFor(FullScreen(4.0f / 3.0f));
    EXPECT_EQ(c.adjusted.left, 0.0f);
    EXPECT_EQ(c.adjusted.right, 800.0f);
}

TEST(Camera, DesktopShapeCorrection)
{
    Ortho800 c;
    c.UpdateFor(FullScreen(16.0f / 9.0f));
    EXPECT_NEAR(c.adjusted.left, -133.33f, 0.01f);
    EXPECT_NEAR(c.adjusted.right, 933.33f, 0.01f);
    EXPECT_EQ(c.adjusted.top, 600.0f);
    // The base rectangle, projection and frustum keep 0..800.
    EXPECT_EQ(c.base.left, 0.0f);
    EXPECT_EQ(c.base.right, 800.0f);
    EXPECT_NEAR(ToClip(c, Vector3(800, 600, -10)).x, 1, 1e-6f);
    EXPECT_FALSE(c.GetFrustum().IsVisible(BoundingBox(Vector3(-120, 10, -20), Vector3(-110, 20, -10))));

    // Narrow 5:4 desktop: taller.
    c.UpdateFor(FullScreen(1.25f));
    EXPECT_NEAR(c.adjusted.top, 618.75f, 0.01f);
    EXPECT_NEAR(c.adjusted.bottom, -18.75f, 0.01f);
    EXPECT_EQ(c.adjusted.left, 0.0f);
    // Windowed: no correction.
    Camera::DisplayShape windowed = FullScreen(1.25f);
    windowed.fullscreen = false;
    c.UpdateFor(windowed);
    EXPECT_EQ(c.adjusted.top, 600.0f);

    Camera p(false);
    p.UpdateFor(FullScreen(16.0f / 9.0f));
    EXPECT_NEAR(p.adjusted.right, p.base.right * (16.0f / 9.0f) / 1.3333334f, 1e-5f);
    EXPECT_EQ(p.adjusted.top, p.base.top);
    p.UpdateFor(FullScreen(1.25f));
    EXPECT_NEAR(p.adjusted.top, p.base.top * 1.3333334f / 1.25f, 1e-5f);
}

TEST(Camera, UnorderedDepthRange)
{
    // The GUI's camera: near 500, far -500.
    Ortho800 c;
    c.nearPlane = 500;
    c.farPlane = -500;
    c.UpdateFor(Camera::DisplayShape());
    EXPECT_NEAR(ToClip(c, Vector3(0, 0, -500)).z, -1, 1e-6f);
    EXPECT_NEAR(ToClip(c, Vector3(0, 0, 500)).z, 1, 1e-6f);
    // The depth-biased projection moves the far plane out by one.
    EXPECT_NE(c.zBiasedProjection.m[10], c.projection.m[10]);
    EXPECT_EQ(c.zBiasedProjection.m[0], c.projection.m[0]);
}

TEST(Camera, ViewFollowsPositionAndOrientation)
{
    Camera c(false);
    c.position = Vector3(1, 2, 3);
    c.UpdateFor(Camera::DisplayShape());
    EXPECT_FLOAT_EQ(c.view.m[12], -1);
    EXPECT_FLOAT_EQ(c.view.m[13], -2);
    EXPECT_FLOAT_EQ(c.view.m[14], -3);
    // Turned a quarter round y (to the left): a point on -x is straight ahead.
    const float h = std::sqrt(0.5f);
    c.position = Vector3();
    c.orientation = Quaternion(0, h, 0, h);
    c.UpdateFor(Camera::DisplayShape());
    Vector3 ahead = Project(c.view * c.projection, Vector3(-10, 0, 0));
    EXPECT_NEAR(ahead.x, 0, 1e-5f);
    EXPECT_NEAR(ahead.y, 0, 1e-5f);
    EXPECT_NEAR(c.zAxis.x, 1, 1e-5f);
    EXPECT_NEAR(std::sqrt(c.zAxis.GetSquaredLength()), 1, 1e-6f);
    EXPECT_TRUE(c.GetFrustum().IsVisible(BoundingBox(Vector3(-11, -1, -1), Vector3(-9, 1, 1))));
    EXPECT_FALSE(c.GetFrustum().IsVisible(BoundingBox(Vector3(9, -1, -1), Vector3(11, 1, 1))));
}
