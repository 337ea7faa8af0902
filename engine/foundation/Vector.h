#pragma once
#include <cmath>
#include <cstdint>

namespace KorvaneEngine {

// Engine-wide absolute tolerance for "unchanged" and "equal" floats.
constexpr float kTolerance = 0.0001f;

inline float Min(float a, float b) { return b <= a ? b : a; }
inline float Max(float a, float b) { return b < a ? a : b; }
// A float, not a bool: callers test the result against 0.0.
inline float IsEqual(float a, float b) { return std::fabs(a - b) < kTolerance ? 1.0f : 0.0f; }

template <class T, int N> struct Vector;

// Element-wise operations shared by the float vectors; D is the concrete type.
template <class D, int N> struct VectorOps {
    float& At(int i) { return (&static_cast<D*>(this)->x)[i]; }
    float At(int i) const { return (&static_cast<const D*>(this)->x)[i]; }
    float& operator[](int i) { return At(i); }
    float operator[](int i) const { return At(i); }

    D operator+(const D& o) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) + o.At(i); return r; }
    D operator-(const D& o) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) - o.At(i); return r; }
    D operator-() const { D r; for (int i = 0; i < N; ++i) r.At(i) = -At(i); return r; }
    D operator*(float s) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) * s; return r; }
    D operator*(const D& o) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) * o.At(i); return r; }
    D operator/(float s) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) / s; return r; }
    D operator/(const D& o) const { D r; for (int i = 0; i < N; ++i) r.At(i) = At(i) / o.At(i); return r; }
    D operator+=(const D& o) { for (int i = 0; i < N; ++i) At(i) += o.At(i); return Self(); }
    D operator-=(const D& o) { for (int i = 0; i < N; ++i) At(i) -= o.At(i); return Self(); }
    D operator*=(float s) { for (int i = 0; i < N; ++i) At(i) *= s; return Self(); }
    D operator/=(float s) { for (int i = 0; i < N; ++i) At(i) /= s; return Self(); }

    float GetSquaredLength() const { float s = 0; for (int i = 0; i < N; ++i) s += At(i) * At(i); return s; }
    static float Dot(const D& a, const D& b) { float s = 0; for (int i = 0; i < N; ++i) s += a.At(i) * b.At(i); return s; }

    // Scales to length L; a (near) zero vector is left unchanged.
    void SetLength(float length)
    {
        float k = std::sqrt(GetSquaredLength()) / length;
        if (std::fabs(k) >= kTolerance)
            *this /= k;
    }
    static D Lerp(const D& a, const D& b, float t) { return a * (1.0f - t) + b * t; }

private:
    D& Self() { return *static_cast<D*>(this); }
};

template <> struct Vector<float, 2> : VectorOps<Vector<float, 2>, 2> {
    float x = 0, y = 0;
    Vector() = default;
    explicit Vector(float v) : x(v), y(v) {}
    Vector(float x_, float y_) : x(x_), y(y_) {}
    explicit Vector(const Vector<float, 3>& v);
    using VectorOps::operator*;
    Vector operator*(int s) const { return *this * static_cast<float>(s); }
    float GetLength() const { return std::sqrt(GetSquaredLength()); }
    static Vector QuadraticBezier(const Vector& p0, const Vector& p1, const Vector& p2, float t)
    {
        return p0 * (1.0f - t) * (1.0f - t) + p1 * 2 * t * (1.0f - t) + p2 * t * t;
    }
};

template <> struct Vector<float, 3> : VectorOps<Vector<float, 3>, 3> {
    float x = 0, y = 0, z = 0;
    Vector() = default;
    explicit Vector(float v) : x(v), y(v), z(v) {}
    Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vector(const Vector<float, 2>& v) : x(v.x), y(v.y), z(0) {}
    explicit Vector(const Vector<float, 4>& v);
    Vector operator=(const Vector<float, 2>& v) { x = v.x; y = v.y; z = 0; return *this; }
    static Vector Cross(const Vector& a, const Vector& b)
    {
        return Vector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    }
    // Tolerant: true at the first element differing by 0.0001 or more.
    bool operator!=(const Vector& o) const
    {
        for (int i = 0; i < 3; ++i)
            if (IsEqual(At(i), o.At(i)) == 0.0f)
                return true;
        return false;
    }
    bool operator==(const Vector& o) const { return !(*this != o); }
    void CopyTo(float* out) const { out[0] = x; out[1] = y; out[2] = z; }
};

template <> struct Vector<float, 4> : VectorOps<Vector<float, 4>, 4> {
    union { float x; float r; };
    union { float y; float g; };
    union { float z; float b; };
    union { float w; float a; };
    Vector() : x(0), y(0), z(0), w(0) {}
    explicit Vector(float v) : x(v), y(v), z(v), w(v) {}
    Vector(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Vector(const Vector& o) : x(o.x), y(o.y), z(o.z), w(o.w) {}
    Vector& operator=(const Vector& o) { x = o.x; y = o.y; z = o.z; w = o.w; return *this; }
    Vector operator=(const Vector<float, 3>& v) { x = v.x; y = v.y; z = v.z; w = 0; return *this; }
};

template <> struct Vector<int32_t, 2> {
    int32_t x = 0, y = 0;
    Vector() = default;
    Vector(int32_t x_, int32_t y_) : x(x_), y(y_) {}
    int32_t& operator[](int i) { return (&x)[i]; }
    int32_t operator[](int i) const { return (&x)[i]; }
    bool operator==(const Vector& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Vector& o) const { return !(*this == o); }
};

inline Vector<float, 2>::Vector(const Vector<float, 3>& v) : x(v.x), y(v.y) {}
inline Vector<float, 3>::Vector(const Vector<float, 4>& v) : x(v.x), y(v.y), z(v.z) {}

using Vector2 = Vector<float, 2>;
using Vector3 = Vector<float, 3>;
using Vector4 = Vector<float, 4>;
using Vector2i = Vector<int32_t, 2>;
using Color = Vector4;

} // namespace KorvaneEngine
