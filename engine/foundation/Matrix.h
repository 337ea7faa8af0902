#pragma once
#include "engine/foundation/Ray.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// 4x4 float matrix, row-major (m[row * 4 + col]). The construction helpers use
// column vectors: p' = M * (x, y, z, 1), translation in elements 3, 7 and 11.
// The camera stores its matrices in the device's row-vector layout instead;
// product and inverse do not care which layout they are given.
class Matrix4 {
public:
    float m[16];

    Matrix4() : m{} {}
    Matrix4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8, float m9,
            float m10, float m11, float m12, float m13, float m14, float m15)
        : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15}
    {
    }

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float& At(int row, int col) { return m[row * 4 + col]; }
    float At(int row, int col) const { return m[row * 4 + col]; }

    static void SetIdentity(Matrix4& out);
    static void SetScale(Matrix4& out, const Vector3& s);
    static Matrix4 Scale(const Vector3& s);
    static void SetTranslation(Matrix4& out, const Vector3& t);
    static void SetRotationZ(Matrix4& out, float angle);
    static void SetRotationAxis(Matrix4& out, const Vector3& axis, float angle);

    Matrix4 operator*(const Matrix4& rhs) const;
    Vector4 operator*(const Vector4& v) const;
    // this = this * translation(t)
    void Translate(const Vector3& t);
    // Adjugate over determinant; a singular matrix gives non-finite elements.
    void Invert();
    void Transpose();
    void SwapElements(int row, int col);
    // Tolerant: elements may differ by up to 0.0001 (inclusive).
    bool operator==(const Matrix4& o) const;

    // Rows 0..2 times (x, y, z, 1); the bottom row is ignored (no division by w).
    Vector3 TransformPoint(const Vector3& p) const;
    void TransformPointTo(const Vector3& p, Vector3& out) const;
    // Origin and origin + direction are transformed; the direction keeps its scale.
    Ray TransformRay(const Ray& r) const;
};

// Rotation quaternion (x, y, z, w); not kept normalised.
class Quaternion {
public:
    float x, y, z, w;

    Quaternion() : x(0), y(0), z(0), w(1) {}
    Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Quaternion(const Quaternion& q) = default;
    Quaternion& operator=(const Quaternion& q) = default;

    // Hamilton product with the operand on the left: (*this) * q == q (x) this.
    Quaternion operator*(const Quaternion& q) const;
    float GetSquaredNorm() const { return x * x + y * y + z * z + w * w; }
    // Divides by the squared norm, so a non-unit quaternion still gives a pure rotation.
    void ToMatrix(Matrix4& out) const;
    // Linear blend along the shorter arc; not renormalised.
    static Quaternion Lerp(const Quaternion& a, const Quaternion& b, float t);
};

} // namespace KorvaneEngine
