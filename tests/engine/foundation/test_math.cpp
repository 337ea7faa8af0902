#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Matrix.h"
#include "engine/foundation/Random.h"

using namespace KorvaneEngine;

namespace {

const float kPi = 3.14159265358979f;

void ExpectVec(const Vector3& v, float x, float y, float z, float tol = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void ExpectMatrix(const Matrix4& m, const float (&e)[16], float tol = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], e[i], tol) << "element " << i;
}

Matrix4 Identity()
{
    Matrix4 m;
    Matrix4::SetIdentity(m);
    return m;
}

} // namespace

TEST(Matrix, ConstructionHelpersPlaceTheirElements)
{
    Matrix4 m(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
    Matrix4::SetIdentity(m);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Matrix4::SetTranslation(m, Vector3(1, 2, 3));
    ExpectMatrix(m, {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1});
    ExpectVec(m.TransformPoint(Vector3(10, 20, 30)), 11, 22, 33);
    ExpectMatrix(Matrix4::Scale(Vector3(2, 3, 4)), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});

    Matrix4::SetRotationZ(m, kPi / 2);
    ExpectVec(m.TransformPoint(Vector3(1, 0, 0)), 0, 1, 0);
    ExpectVec(m.TransformPoint(Vector3(0, 1, 0)), -1, 0, 0);

    // The axis is normalised first, so (0, 0, 2) is the plain z rotation.
    Matrix4 a;
    Matrix4::SetRotationAxis(a, Vector3(0, 0, 2), 0.7f);
    Matrix4::SetRotationZ(m, 0.7f);
    EXPECT_TRUE(a == m);
    // About x by 90 degrees: y goes to z, z to -y.
    Matrix4::SetRotationAxis(a, Vector3(3, 0, 0), kPi / 2);
    ExpectVec(a.TransformPoint(Vector3(0, 1, 0)), 0, 0, 1);
    ExpectVec(a.TransformPoint(Vector3(0, 0, 1)), 0, -1, 0);
    // A 120-degree turn about (1,1,1) cycles the axes x -> y -> z.
    Matrix4::SetRotationAxis(a, Vector3(1, 1, 1), 2 * kPi / 3);
    ExpectVec(a.TransformPoint(Vector3(1, 0, 0)), 0, 1, 0);
    ExpectVec(a.TransformPoint(Vector3(0, 1, 0)), 0, 0, 1);
}

TEST(Matrix, ProductTranslateAndTranspose)
{
    Matrix4 a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    Matrix4 b(2, 0, 1, 0, 0, 1, 0, 3, 1, 0, 0, 1, 0, 2, 1, 0);
    // Worked by hand: row r of a times column c of b.
    ExpectMatrix(a * b, {5, 10, 5, 9, 17, 22, 13, 25, 29, 34, 21, 41, 41, 46, 29, 57});
    ExpectMatrix(b * a, {11, 14, 17, 20, 44, 48, 52, 56, 14, 16, 18, 20, 19, 22, 25, 28});

    Matrix4 t = a;
    t.Transpose();
    ExpectMatrix(t, {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16});

    // Translate multiplies on the right: the translation is applied first.
    Matrix4 s = Matrix4::Scale(Vector3(2, 2, 2));
    s.Translate(Vector3(1, 0, 0));
    ExpectVec(s.TransformPoint(Vector3(0, 0, 0)), 2, 0, 0);

    Vector4 v = a * Vector4(1, 0, 0, 1);
    EXPECT_FLOAT_EQ(v.x, 5);
    EXPECT_FLOAT_EQ(v.y, 13);
    EXPECT_FLOAT_EQ(v.z, 21);
    EXPECT_FLOAT_EQ(v.w, 29);
    // TransformPoint uses only the upper three rows and never divides by w.
    ExpectVec(a.TransformPoint(Vector3(1, 0, 0)), 5, 13, 21);
}

TEST(Matrix, InverseAndSingularMatrix)
{
    Matrix4 t;
    Matrix4::SetTranslation(t, Vector3(1, 2, 3));
    t.Invert();
    ExpectMatrix(t, {1, 0, 0, -1, 0, 1, 0, -2, 0, 0, 1, -3, 0, 0, 0, 1});

    // A general regular matrix, its inverse worked out with exact fractions.
    Matrix4 a(2, 0, 0, 1, 1, 3, 0, 0, 0, 1, 4, 0, 1, 0, 0, 2);
    Matrix4 inv = a;
    inv.Invert();
    ExpectMatrix(inv, {2.0f / 3, 0, 0, -1.0f / 3, -2.0f / 9, 1.0f / 3, 0, 1.0f / 9, 1.0f / 18, -1.0f / 12, 0.25f,
                       -1.0f / 36, -1.0f / 3, 0, 0, 2.0f / 3});
    EXPECT_TRUE(a * inv == Identity());
    EXPECT_TRUE(inv * a == Identity());

    // Camera-style perspective in row-vector layout round-trips too.
    Matrix4 p;
    p[0] = 1.5f, p[5] = 2.0f, p[10] = -1.002f, p[11] = -1.0f, p[14] = -2.002f;
    Matrix4 pi = p;
    pi.Invert();
    EXPECT_TRUE(p * pi == Identity());

    Matrix4 zero;
    zero.Invert();
    for (int i = 0; i < 16; ++i)
        EXPECT_FALSE(std::isfinite(zero[i])) << i;
}

TEST(Matrix, EqualityAcceptsExactlyTheTolerance)
{
    Matrix4 a = Identity(), b = Identity();
    b[7] = 0.0001f;
    EXPECT_TRUE(a == b);
    b[7] = 0.00011f;
    EXPECT_FALSE(a == b);
    b[7] = 0.0f;
    b[15] = 1.0002f;
    EXPECT_FALSE(a == b);
}

TEST(Matrix, TransformRayKeepsTheDirectionsScale)
{
    Matrix4 m = Matrix4::Scale(Vector3(2, 2, 2));
    m.Translate(Vector3(0, 0, 1)); // x' = 2x, z' = 2(z + 1)
    Ray r = m.TransformRay(Ray(Vector3(1, 1, 1), Vector3(0, 0, 3)));
    ExpectVec(r.origin, 2, 2, 4);
    ExpectVec(r.direction, 0, 0, 6);
}

TEST(Quaternion, ProductIsOperandOnTheLeft)
{
    Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0);
    // i * j is j (x) i = -k.
    Quaternion q = i * j;
    EXPECT_NEAR(q.x, 0, 1e-6f);
    EXPECT_NEAR(q.y, 0, 1e-6f);
    EXPECT_NEAR(q.z, -1, 1e-6f);
    EXPECT_NEAR(q.w, 0, 1e-6f);
    // (1,2,3,4) * (5,6,7,8) = (5,6,7,8) (x) (1,2,3,4), written out by hand.
    q = Quaternion(1, 2, 3, 4) * Quaternion(5, 6, 7, 8);
    EXPECT_NEAR(q.x, 32, 1e-4f);
    EXPECT_NEAR(q.y, 32, 1e-4f);
    EXPECT_NEAR(q.z, 56, 1e-4f);
    EXPECT_NEAR(q.w, -6, 1e-4f);
    EXPECT_FLOAT_EQ(Quaternion(1, 2, 3, 4).GetSquaredNorm(), 30.0f);
}

TEST(Quaternion, MatrixAndComposition)
{
    Matrix4 m;
    Quaternion(0, 0, 0, 2).ToMatrix(m);
    EXPECT_TRUE(m == Identity());

    float s = std::sin(kPi / 4), c = std::cos(kPi / 4);
    Quaternion z90(0, 0, s, c);
    z90.ToMatrix(m);
    Matrix4 rz;
    Matrix4::SetRotationZ(rz, kPi / 2);
    EXPECT_TRUE(m == rz);
    // Not normalised: three times the same rotation still gives it.
    Quaternion(0, 0, 3 * s, 3 * c).ToMatrix(m);
    EXPECT_TRUE(m == rz);

    // a * b rotates by a first, then by b.
    Quaternion x90(s, 0, 0, c);
    Matrix4 ma, mb, mab;
    x90.ToMatrix(ma);
    z90.ToMatrix(mb);
    (x90 * z90).ToMatrix(mab);
    EXPECT_TRUE(mab == mb * ma);
    ExpectVec(mab.TransformPoint(Vector3(0, 1, 0)), 0, 0, 1); // x90 takes y to z; z90 keeps z

    // A zero quaternion gives no rotation rather than NaNs.
    Quaternion(0, 0, 0, 0).ToMatrix(m);
    EXPECT_TRUE(m == Identity());
}

TEST(Quaternion, LerpTakesTheShorterArc)
{
    Quaternion q = Quaternion::Lerp(Quaternion(0, 0, 0, 1), Quaternion(0, 0, 0, -1), 0.5f);
    EXPECT_FLOAT_EQ(q.x, 0);
    EXPECT_FLOAT_EQ(q.w, 1);
    q = Quaternion::Lerp(Quaternion(0, 0, 0, 1), Quaternion(0, 0, 1, 0), 0.25f); // d = 0: b kept
    EXPECT_FLOAT_EQ(q.z, 0.25f);
    EXPECT_FLOAT_EQ(q.w, 0.75f);
    q = Quaternion::Lerp(Quaternion(1, 0, 0, 0), Quaternion(-1, 0, 0, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(q.x, 1);
    EXPECT_FLOAT_EQ(q.w, -0.5f);
}

TEST(Random, FirstOutputsForFixedSeeds)
{
    SetRandomSeed(0);
    const uint32_t seed0[] = {15496, 24200, 278, 13427, 3312, 24216};
    for (uint32_t v : seed0)
        EXPECT_EQ(Random(), v);
    SetRandomSeed(12345);
    const uint32_t seed12345[] = {1362, 7028, 14933, 11266, 5013, 23604};
    for (uint32_t v : seed12345)
        EXPECT_EQ(Random(), v);
    SetRandomSeed(0xFFFFFFFFu); // state wraps to 0
    EXPECT_EQ(Random(), 15470u);
    EXPECT_EQ(Random(), 18256u);
}

TEST(Random, ShapedValuesConsumeOneStepEach)
{
    SetRandomSeed(0);
    EXPECT_EQ(RandomBelow(1000), 15496u % 1000);
    EXPECT_EQ(RandomInt(-5, 5), -5 + static_cast<int>(24200 % 11));
    EXPECT_FLOAT_EQ(RandomUnit(), 278 / 32767.0f);
    EXPECT_FLOAT_EQ(RandomFloat(10, 20), 13427 / 32767.0f * 10 + 10);
    EXPECT_FLOAT_EQ(RandomSignedUnit(), 2 * (3312 / 32767.0f) - 1);
    EXPECT_FLOAT_EQ(RandomFloatAround(100, 10), (2 * (24216 / 32767.0f) - 1) * 10 + 100);

    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(RandomInt(3, 3), 3);
        EXPECT_EQ(RandomFloatAround(10, 0), 10.0f);
    }
    std::set<int> seen;
    for (int i = 0; i < 500; ++i) {
        int v = RandomInt(-2, 2);
        EXPECT_GE(v, -2);
        EXPECT_LE(v, 2);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 5u);
    for (int i = 0; i < 200; ++i) {
        float u = RandomUnit();
        EXPECT_GE(u, 0.0f);
        EXPECT_LE(u, 1.0f);
    }
}

TEST(Random, SpanThatWrapsToZero)
{
    // The full int range has a span of 2^32, which wraps to 0 in 32 bits.
    SetRandomSeed(0);
    EXPECT_EQ(RandomInt(INT_MIN, INT_MAX), INT_MIN + 15496);
    EXPECT_EQ(RandomBelow(0), 24200u);
    EXPECT_EQ(RandomInt(INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(RandomInt(INT_MIN, INT_MIN), INT_MIN);
}

TEST(Plane, FromPointsAndDistance)
{
    Plane p(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0));
    ExpectVec(p.GetNormal(), 0, 0, 1);
    EXPECT_FLOAT_EQ(p.GetD(), 0);
    EXPECT_FLOAT_EQ(p.GetDistance(Vector3(5, 5, -3)), -3);

    p.SetFromPoints(Vector3(0, 0, 2), Vector3(0, 1, 2), Vector3(1, 0, 2)); // clockwise from +z
    ExpectVec(p.GetNormal(), 0, 0, -1);
    EXPECT_FLOAT_EQ(p.GetDistance(Vector3(0, 0, 0)), 2);

    Plane line(Vector3(0, 0, 0), Vector3(1, 1, 1), Vector3(2, 2, 2));
    ExpectVec(line.GetNormal(), 0, 0, 0);
    EXPECT_FLOAT_EQ(line.GetD(), 0);
    EXPECT_FLOAT_EQ(line.GetDistance(Vector3(7, -3, 9)), 0);

    p.Set(0, 0, 4, 8); // normalised: z = -2
    ExpectVec(p.GetNormal(), 0, 0, 1);
    EXPECT_FLOAT_EQ(p.GetD(), 2);
}

TEST(Plane, RayIntersection)
{
    Plane p;
    p.Set(0, 0, 1, 0);
    float t = 123;
    EXPECT_TRUE(p.IntersectRay(Ray(Vector3(0, 0, 5), Vector3(0, 0, -2)), t));
    EXPECT_FLOAT_EQ(t, 2.5f);
    EXPECT_FALSE(p.IntersectRay(Ray(Vector3(0, 0, 5), Vector3(0, 0, 2)), t));
    EXPECT_FLOAT_EQ(t, -2.5f);
    t = 123;
    EXPECT_FALSE(p.IntersectRay(Ray(Vector3(0, 0, 5), Vector3(1, 0, 0)), t));
    EXPECT_EQ(t, 123);
    EXPECT_FALSE(p.IntersectRay(Ray(Vector3(3, 4, 0), Vector3(0, 0, -1)), t));
    EXPECT_EQ(t, 0);
}

TEST(BoundingBox, ExtentsAndTransform)
{
    BoundingBox b(Vector3(-1, -1, -1), Vector3(1, 1, 1));
    ExpectVec(b.GetCenter(), 0, 0, 0);
    ExpectVec(b.GetHalfExtents(), 1, 1, 1);
    EXPECT_NEAR(b.GetRadius(), std::sqrt(3.0f), 1e-6f);
    EXPECT_TRUE(b.GetTransform() == Identity());
    EXPECT_TRUE(b.GetSecondTransform() == Identity());

    Matrix4 r;
    Matrix4::SetRotationZ(r, kPi / 4);
    b.SetTransform(r);
    const float s2 = std::sqrt(2.0f);
    ExpectVec(b.GetHalfExtents(), s2, s2, 1);
    ExpectVec(b.GetWorldMin(), -s2, -s2, -1);
    EXPECT_NEAR(b.GetRadius(), std::sqrt(5.0f), 1e-5f);
    ExpectVec(b.GetLocalMax(), 1, 1, 1);

    Matrix4 t;
    Matrix4::SetTranslation(t, Vector3(10, 0, 0));
    b.SetTransform(t);
    ExpectVec(b.GetCenter(), 10, 0, 0);
    ExpectVec(b.GetWorldMax(), 11, 1, 1);
    BoundingBox c;
    c.Copy(b);
    ExpectVec(c.GetWorldMax(), 11, 1, 1);
    EXPECT_TRUE(c.GetTransform() == t);

    BoundingBox other(Vector3(0, 0, 0), Vector3(4, 2, 2));
    BoundingBox l = BoundingBox::Lerp(b, other, 0);
    ExpectVec(l.GetWorldMin(), 9, -1, -1);
    ExpectVec(l.GetWorldMax(), 11, 1, 1);
    EXPECT_TRUE(l.GetTransform() == Identity());
    l = BoundingBox::Lerp(b, other, 0.5f); // centre (6, 0.5, 0.5), half (1.5, 1, 1)
    ExpectVec(l.GetWorldMin(), 4.5f, -0.5f, -0.5f);
    ExpectVec(l.GetWorldMax(), 7.5f, 1.5f, 1.5f);
}

TEST(BoundingBox, BoxOverlap)
{
    BoundingBox a(Vector3(-1, -1, -1), Vector3(1, 1, 1));
    BoundingBox b(Vector3(1, -1, -1), Vector3(3, 1, 1)); // centres 2 apart: touching
    EXPECT_TRUE(a.Intersects(b));
    EXPECT_TRUE(b.Intersects(a));
    BoundingBox c(Vector3(1.0001f, -1, -1), Vector3(3.0001f, 1, 1));
    EXPECT_FALSE(a.Intersects(c));
    BoundingBox d(Vector3(-0.5f, 5, -0.5f), Vector3(0.5f, 6, 0.5f)); // apart on y only
    EXPECT_FALSE(a.Intersects(d));
    BoundingBox inner(Vector3(-0.1f, -0.1f, -0.1f), Vector3(0.1f, 0.1f, 0.1f));
    EXPECT_TRUE(a.Intersects(inner));
}

TEST(BoundingBox, SegmentHitsAndMisses)
{
    BoundingBox b(Vector3(-1, -1, -1), Vector3(1, 1, 1));
    // Through the box, and from inside.
    EXPECT_TRUE(b.IntersectSegment(Ray(Vector3(-5, 0, 0), Vector3(10, 0, 0))));
    EXPECT_TRUE(b.IntersectSegment(Ray(Vector3(0, 0, 0), Vector3(0.1f, 0, 0))));
    // Ending exactly on a face, and stopping short of it.
    EXPECT_TRUE(b.IntersectSegment(Ray(Vector3(-5, 0, 0), Vector3(4, 0, 0))));
    EXPECT_FALSE(b.IntersectSegment(Ray(Vector3(-5, 0, 0), Vector3(3.9f, 0, 0))));
    // Pointing away.
    EXPECT_FALSE(b.IntersectSegment(Ray(Vector3(-5, 0, 0), Vector3(-10, 0, 0))));
    // Diagonal through a corner region: passes the face tests, a cross axis rejects it.
    EXPECT_FALSE(b.IntersectSegment(Ray(Vector3(0, 2.5f, 0), Vector3(2.5f, -2.5f, 0))));
    EXPECT_TRUE(b.IntersectSegment(Ray(Vector3(0, 1.9f, 0), Vector3(1.9f, -1.9f, 0))));
    // A world box off the origin.
    Matrix4 t;
    Matrix4::SetTranslation(t, Vector3(0, 0, -20));
    b.SetTransform(t);
    EXPECT_TRUE(b.IntersectSegment(Ray(Vector3(0.5f, 0.5f, 0), Vector3(0, 0, -100))));
    EXPECT_FALSE(b.IntersectSegment(Ray(Vector3(0.5f, 0.5f, 0), Vector3(0, 0, -10))));
    EXPECT_FALSE(b.IntersectSegment(Ray(Vector3(1.5f, 0.5f, 0), Vector3(0, 0, -100))));
}

TEST(Triangle, PointInside)
{
    Vector3 a(0, 0, 0), b(4, 0, 0), c(0, 4, 0);
    Plane p(a, b, c);
    EXPECT_TRUE(IsPointInTriangle(p, a, b, c, a));
    EXPECT_TRUE(IsPointInTriangle(p, a, b, c, b));
    EXPECT_TRUE(IsPointInTriangle(p, a, b, c, c));
    EXPECT_TRUE(IsPointInTriangle(p, a, b, c, Vector3(2, 2, 0))); // midpoint of the hypotenuse
    EXPECT_TRUE(IsPointInTriangle(p, a, b, c, Vector3(1, 1, 0)));
    EXPECT_FALSE(IsPointInTriangle(p, a, b, c, Vector3(2.1f, 2.1f, 0)));
    EXPECT_FALSE(IsPointInTriangle(p, a, b, c, Vector3(-0.1f, 1, 0)));
    EXPECT_FALSE(IsPointInTriangle(p, a, b, c, Vector3(1, -0.1f, 0)));

    // Dominant x: the triangle lies in the plane x = 3, projected onto (y, z).
    Vector3 d(3, 0, 0), e(3, 0, 2), f(3, 2, 0);
    Plane px(d, e, f);
    EXPECT_TRUE(IsPointInTriangle(px, d, e, f, Vector3(3, 0.5f, 0.5f)));
    EXPECT_FALSE(IsPointInTriangle(px, d, e, f, Vector3(3, 1.5f, 1.5f)));
    // Dominant y, with b - a vertical in the projection (the second formula).
    Vector3 g(0, 1, 0), h(0, 1, 2), k(2, 1, 0);
    Plane py(g, h, k);
    EXPECT_TRUE(IsPointInTriangle(py, g, h, k, Vector3(0.5f, 1, 0.5f)));
    EXPECT_TRUE(IsPointInTriangle(py, g, h, k, Vector3(1, 1, 1)));
    EXPECT_FALSE(IsPointInTriangle(py, g, h, k, Vector3(1.2f, 1, 1)));
    EXPECT_FALSE(IsPointInTriangle(py, g, h, k, Vector3(-0.2f, 1, 1)));

    // A degenerate triangle is never hit.
    Plane flat(a, a, a);
    EXPECT_FALSE(IsPointInTriangle(flat, a, a, a, Vector3(1, 1, 0)));
    EXPECT_FALSE(IsPointInTriangle(p, a, b, Vector3(8, 0, 0), Vector3(1, 1, 0)));
}
