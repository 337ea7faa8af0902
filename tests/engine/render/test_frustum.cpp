#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/foundation/Random.h"
#include "engine/render/Frustum.h"

using namespace KorvaneEngine;

namespace {

// The camera's right-handed orthographic projection (row-vector layout).
Matrix4 Ortho(float l, float r, float b, float t, float n, float f)
{
    Matrix4 m;
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -2 / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    m[15] = 1;
    return m;
}

// The camera's right-handed perspective projection (row-vector layout).
Matrix4 Perspective(float l, float r, float b, float t, float n, float f)
{
    Matrix4 m;
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -(f * 2 * n) / (f - n);
    return m;
}

Matrix4 Identity()
{
    Matrix4 m;
    Matrix4::SetIdentity(m);
    return m;
}

BoundingBox Sphere(const Vector3& c, const Vector3& half)
{
    return BoundingBox(c - half, c + half);
}

struct FakeModel {
    float depth = 0, offset = 0;
    float GetViewDepth() const { return depth; }
    float GetDepthOffset() const { return offset; }
};

} // namespace

TEST(Frustum, OrthographicVolume)
{
    Frustum f;
    f.Update(Ortho(0, 800, 0, 600, 1, 1000), Identity());
    const Vector3 unit(0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(400, 300, -500), unit)));
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(400, 300, 500), unit))); // behind the camera
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(400, 300, -1200), unit))); // beyond far
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(900, 300, -500), unit)));
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(400, -50, -500), unit)));
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(400, 650, -500), unit)));
    // Straddling an edge is visible.
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(800.3f, 300, -500), unit)));

    // Planes are normalised with their normals inside: the left plane is x = 0.
    const Plane& left = f.GetPlane(Frustum::kLeft);
    EXPECT_NEAR(left.GetNormal().x, 1, 1e-6f);
    EXPECT_NEAR(left.GetD(), 0, 1e-6f);
    EXPECT_NEAR(f.GetPlane(Frustum::kRight).GetDistance(Vector3(700, 0, 0)), 100, 1e-3f);
    EXPECT_NEAR(f.GetPlane(Frustum::kTop).GetDistance(Vector3(0, 500, 0)), 100, 1e-3f);
}

TEST(Frustum, TouchingCountsAsOutside)
{
    Frustum f;
    f.Update(Ortho(0, 800, 0, 600, 1, 1000), Identity());
    // Radius exactly 1 (half-extents (1, 0, 0)); the centre 1.0 outside the left plane.
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(-1, 300, -500), Vector3(1, 0, 0))));
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(-0.999f, 300, -500), Vector3(1, 0, 0))));
    // An (almost) empty box is never visible, even in the middle of the view.
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(400, 300, -500), Vector3(0.0009f, 0, 0))));
    EXPECT_FALSE(f.IsVisible(BoundingBox(Vector3(400, 300, -500), Vector3(400, 300, -500))));
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(400, 300, -500), Vector3(0.0011f, 0, 0))));
}

TEST(Frustum, PerspectiveWithAMovedCamera)
{
    // 90-degree horizontal and vertical view: the side planes are x = +-z.
    Frustum f;
    Matrix4 view; // camera at (0, 0, 10) looking down -z: view translates by -10 in z
    Matrix4::SetIdentity(view);
    view[14] = -10;
    f.Update(Perspective(-1, 1, -1, 1, 1, 100), view);
    const Vector3 small(0.1f, 0.1f, 0.1f);
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(0, 0, 0), small)));
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(8, 0, 0), small)));    // 10 ahead, 8 aside
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(12, 0, 0), small)));  // outside the right plane
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(0, -12, 0), small))); // below
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(0, 0, 9.5f), small))); // nearer than near
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(0, 0, 20), small)));   // behind
    EXPECT_FALSE(f.IsVisible(Sphere(Vector3(0, 0, -95), small)));  // beyond far (110 away)
    EXPECT_TRUE(f.IsVisible(Sphere(Vector3(0, 0, -85), small)));
}

TEST(DepthOrder, KeysTiesAndSelf)
{
    FakeModel m[2];
    m[0].depth = 5.0f;
    m[1].depth = 4.0f;
    m[1].offset = 1.0f; // same key 5.0
    FakeModel* lo = &m[0];
    FakeModel* hi = &m[1];
    EXPECT_TRUE(FrontToBack(lo, hi));
    EXPECT_FALSE(FrontToBack(hi, lo));
    EXPECT_TRUE(BackToFront(hi, lo));
    EXPECT_FALSE(BackToFront(lo, hi));
    EXPECT_FALSE(FrontToBack(lo, lo));
    EXPECT_FALSE(BackToFront(lo, lo));

    // Keys are compared exactly: the smallest difference decides by key.
    m[0].depth = 5.0f;
    m[1].depth = std::nextafter(5.0f, 0.0f);
    m[1].offset = 0;
    EXPECT_TRUE(FrontToBack(hi, lo));
    EXPECT_TRUE(BackToFront(lo, hi));
    m[1].depth = 5.00001f;
    EXPECT_TRUE(FrontToBack(lo, hi));
    EXPECT_FALSE(FrontToBack(hi, lo));
}

TEST(DepthOrder, IsAStrictWeakOrderForSorting)
{
    // Many nearly equal keys (including ties, +-0 and NaN) must still sort:
    // every adjacent pair in order and no pair in both orders.
    SetRandomSeed(7);
    std::vector<FakeModel> models(3000);
    for (FakeModel& fm : models) {
        int k = RandomInt(0, 9);
        fm.depth = 5.0f + k * 0.0000005f;
        if (k == 0)
            fm.depth = std::numeric_limits<float>::quiet_NaN();
        if (k == 1)
            fm.depth = -0.0f;
        if (k == 2)
            fm.depth = 0.0f;
        fm.offset = (RandomInt(0, 1) ? 0.0f : 0.000001f);
    }
    std::vector<FakeModel*> list;
    for (FakeModel& fm : models)
        list.push_back(&fm);
    for (int pass = 0; pass < 2; ++pass) {
        bool (*cmp)(FakeModel*, FakeModel*) = pass == 0 ? FrontToBack<FakeModel> : BackToFront<FakeModel>;
        std::vector<FakeModel*> v = list;
        std::sort(v.begin(), v.end(), cmp);
        ASSERT_EQ(v.size(), list.size());
        for (size_t i = 1; i < v.size(); ++i) {
            EXPECT_FALSE(cmp(v[i], v[i - 1])) << i;
            EXPECT_TRUE(cmp(v[i - 1], v[i])) << i; // distinct objects never tie completely
        }
        // Irreflexive and asymmetric on a sample of pairs.
        for (size_t i = 0; i < 200; ++i)
            for (size_t j = 0; j < 200; ++j)
                EXPECT_FALSE(cmp(list[i], list[j]) && cmp(list[j], list[i]));
    }
}
