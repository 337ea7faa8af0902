#include "engine/foundation/Matrix.h"

#include <cmath>
#include <utility>

namespace KorvaneEngine {

void Matrix4::SetIdentity(Matrix4& out)
{
    for (float& e : out.m)
        e = 0.0f;
    out.m[0] = out.m[5] = out.m[10] = out.m[15] = 1.0f;
}

void Matrix4::SetScale(Matrix4& out, const Vector3& s)
{
    for (float& e : out.m)
        e = 0.0f;
    out.m[0] = s.x;
    out.m[5] = s.y;
    out.m[10] = s.z;
    out.m[15] = 1.0f;
}

Matrix4 Matrix4::Scale(const Vector3& s)
{
    Matrix4 r;
    SetScale(r, s);
    return r;
}

void Matrix4::SetTranslation(Matrix4& out, const Vector3& t)
{
    SetIdentity(out);
    out.m[3] = t.x;
    out.m[7] = t.y;
    out.m[11] = t.z;
}

void Matrix4::SetRotationZ(Matrix4& out, float angle)
{
    SetIdentity(out);
    float c = std::cos(angle), s = std::sin(angle);
    out.m[0] = c;
    out.m[1] = -s;
    out.m[4] = s;
    out.m[5] = c;
}

void Matrix4::SetRotationAxis(Matrix4& out, const Vector3& axis, float angle)
{
    Vector3 a = axis;
    a.SetLength(1.0f);
    const float x = a.x, y = a.y, z = a.z;
    const float co = std::cos(angle), si = std::sin(angle), k = 1.0f - co;
    SetIdentity(out);
    out.m[0] = k * x * x + co;
    out.m[1] = k * x * y - si * z;
    out.m[2] = k * x * z + si * y;
    out.m[4] = k * x * y + si * z;
    out.m[5] = k * y * y + co;
    out.m[6] = k * y * z - si * x;
    out.m[8] = k * x * z - si * y;
    out.m[9] = k * y * z + si * x;
    out.m[10] = k * z * z + co;
}

Matrix4 Matrix4::operator*(const Matrix4& rhs) const
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k)
                s += m[row * 4 + k] * rhs.m[k * 4 + col];
            r.m[row * 4 + col] = s;
        }
    return r;
}

Vector4 Matrix4::operator*(const Vector4& v) const
{
    Vector4 r;
    for (int row = 0; row < 4; ++row)
        r[row] = m[row * 4] * v.x + m[row * 4 + 1] * v.y + m[row * 4 + 2] * v.z + m[row * 4 + 3] * v.w;
    return r;
}

void Matrix4::Translate(const Vector3& t)
{
    Matrix4 tm;
    SetTranslation(tm, t);
    *this = *this * tm;
}

void Matrix4::Invert()
{
    float src[16], dst[16], p[12];
    for (int i = 0; i < 4; ++i) {
        src[i] = m[i * 4];
        src[i + 4] = m[i * 4 + 1];
        src[i + 8] = m[i * 4 + 2];
        src[i + 12] = m[i * 4 + 3];
    }
    // Pair products of the lower two rows give the first eight cofactors.
    p[0] = src[10] * src[15];
    p[1] = src[11] * src[14];
    p[2] = src[9] * src[15];
    p[3] = src[11] * src[13];
    p[4] = src[9] * src[14];
    p[5] = src[10] * src[13];
    p[6] = src[8] * src[15];
    p[7] = src[11] * src[12];
    p[8] = src[8] * src[14];
    p[9] = src[10] * src[12];
    p[10] = src[8] * src[13];
    p[11] = src[9] * src[12];
    dst[0] = p[0] * src[5] + p[3] * src[6] + p[4] * src[7];
    dst[0] -= p[1] * src[5] + p[2] * src[6] + p[5] * src[7];
    dst[1] = p[1] * src[4] + p[6] * src[6] + p[9] * src[7];
    dst[1] -= p[0] * src[4] + p[7] * src[6] + p[8] * src[7];
    dst[2] = p[2] * src[4] + p[7] * src[5] + p[10] * src[7];
    dst[2] -= p[3] * src[4] + p[6] * src[5] + p[11] * src[7];
    dst[3] = p[5] * src[4] + p[8] * src[5] + p[11] * src[6];
    dst[3] -= p[4] * src[4] + p[9] * src[5] + p[10] * src[6];
    dst[4] = p[1] * src[1] + p[2] * src[2] + p[5] * src[3];
    dst[4] -= p[0] * src[1] + p[3] * src[2] + p[4] * src[3];
    dst[5] = p[0] * src[0] + p[7] * src[2] + p[8] * src[3];
    dst[5] -= p[1] * src[0] + p[6] * src[2] + p[9] * src[3];
    dst[6] = p[3] * src[0] + p[6] * src[1] + p[11] * src[3];
    dst[6] -= p[2] * src[0] + p[7] * src[1] + p[10] * src[3];
    dst[7] = p[4] * src[0] + p[9] * src[1] + p[10] * src[2];
    dst[7] -= p[5] * src[0] + p[8] * src[1] + p[11] * src[2];
    // And those of the upper two rows the last eight.
    p[0] = src[2] * src[7];
    p[1] = src[3] * src[6];
    p[2] = src[1] * src[7];
    p[3] = src[3] * src[5];
    p[4] = src[1] * src[6];
    p[5] = src[2] * src[5];
    p[6] = src[0] * src[7];
    p[7] = src[3] * src[4];
    p[8] = src[0] * src[6];
    p[9] = src[2] * src[4];
    p[10] = src[0] * src[5];
    p[11] = src[1] * src[4];
    dst[8] = p[0] * src[13] + p[3] * src[14] + p[4] * src[15];
    dst[8] -= p[1] * src[13] + p[2] * src[14] + p[5] * src[15];
    dst[9] = p[1] * src[12] + p[6] * src[14] + p[9] * src[15];
    dst[9] -= p[0] * src[12] + p[7] * src[14] + p[8] * src[15];
    dst[10] = p[2] * src[12] + p[7] * src[13] + p[10] * src[15];
    dst[10] -= p[3] * src[12] + p[6] * src[13] + p[11] * src[15];
    dst[11] = p[5] * src[12] + p[8] * src[13] + p[11] * src[14];
    dst[11] -= p[4] * src[12] + p[9] * src[13] + p[10] * src[14];
    dst[12] = p[2] * src[10] + p[5] * src[11] + p[1] * src[9];
    dst[12] -= p[4] * src[11] + p[0] * src[9] + p[3] * src[10];
    dst[13] = p[8] * src[11] + p[0] * src[8] + p[7] * src[10];
    dst[13] -= p[6] * src[10] + p[9] * src[11] + p[1] * src[8];
    dst[14] = p[6] * src[9] + p[11] * src[11] + p[3] * src[8];
    dst[14] -= p[10] * src[11] + p[2] * src[8] + p[7] * src[9];
    dst[15] = p[10] * src[10] + p[4] * src[8] + p[9] * src[9];
    dst[15] -= p[8] * src[9] + p[11] * src[10] + p[5] * src[8];
    // Callers only invert regular view-projection products; a zero determinant
    // is not caught and yields non-finite elements.
    float det = src[0] * dst[0] + src[1] * dst[1] + src[2] * dst[2] + src[3] * dst[3];
    float inv = 1.0f / det;
    for (int i = 0; i < 16; ++i)
        m[i] = dst[i] * inv;
}

void Matrix4::SwapElements(int row, int col)
{
    std::swap(m[row * 4 + col], m[col * 4 + row]);
}

void Matrix4::Transpose()
{
    SwapElements(0, 1);
    SwapElements(0, 2);
    SwapElements(0, 3);
    SwapElements(1, 2);
    SwapElements(1, 3);
    SwapElements(2, 3);
}

bool Matrix4::operator==(const Matrix4& o) const
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs(m[i] - o.m[i]) > kTolerance)
            return false;
    return true;
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const
{
    return Vector3(m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                   m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]);
}

void Matrix4::TransformPointTo(const Vector3& p, Vector3& out) const
{
    out = TransformPoint(p);
}

Ray Matrix4::TransformRay(const Ray& r) const
{
    Vector3 origin = TransformPoint(r.origin);
    Vector3 end = TransformPoint(r.origin + r.direction * 1.0f);
    return Ray(origin, end - origin);
}

Quaternion Quaternion::operator*(const Quaternion& b) const
{
    const Quaternion& a = *this;
    float A = (b.w + b.x) * (a.w + a.x);
    float B = (b.z - b.y) * (a.y - a.z);
    float C = (b.y + b.z) * (a.x - a.w);
    float D = (b.x + b.z) * (a.x + a.y);
    float E = (b.x - b.z) * (a.x - a.y);
    float F = (b.w + b.y) * (a.w - a.z);
    float G = (b.w - b.y) * (a.w + a.z);
    float H = (b.x - b.w) * (a.y + a.z);
    return Quaternion(A - 0.5f * (D + E + F + G), -H + 0.5f * (D - E + F - G), -C + 0.5f * (D - E - F + G),
                      B + 0.5f * (-D - E + F + G));
}

void Quaternion::ToMatrix(Matrix4& out) const
{
    // A zero quaternion (a broken key frame) names no rotation; without this it
    // would fill the matrix with NaNs through the division below.
    float n = GetSquaredNorm();
    if (!(n > 0.0f)) {
        Matrix4::SetIdentity(out);
        return;
    }
    float s = 2.0f / n;
    float xs = x * s, ys = y * s, zs = z * s;
    float xx = x * xs, xy = x * ys, xz = x * zs;
    float yy = y * ys, yz = y * zs, zz = z * zs;
    float wx = w * xs, wy = w * ys, wz = w * zs;
    Matrix4::SetIdentity(out);
    out.m[0] = 1.0f - (yy + zz);
    out.m[1] = xy - wz;
    out.m[2] = xz + wy;
    out.m[4] = xy + wz;
    out.m[5] = 1.0f - (xx + zz);
    out.m[6] = yz - wx;
    out.m[8] = xz - wy;
    out.m[9] = yz + wx;
    out.m[10] = 1.0f - (xx + yy);
}

Quaternion Quaternion::Lerp(const Quaternion& a, const Quaternion& b, float t)
{
    Quaternion c = b;
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (d < 0.0f) {
        c.x = -c.x;
        c.y = -c.y;
        c.z = -c.z;
        c.w = -c.w;
    }
    float u = 1.0f - t;
    return Quaternion(c.x * t + a.x * u, c.y * t + a.y * u, c.z * t + a.z * u, c.w * t + a.w * u);
}

} // namespace KorvaneEngine
