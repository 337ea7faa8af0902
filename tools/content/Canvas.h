#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Content {

// A colour with channels in 0..1 (values outside are kept until written).
struct Rgb {
    float r = 0, g = 0, b = 0;
    Rgb() {}
    Rgb(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
    static Rgb Bytes(int r, int g, int b) { return Rgb(r / 255.0f, g / 255.0f, b / 255.0f); }
    Rgb operator+(const Rgb& o) const { return Rgb(r + o.r, g + o.g, b + o.b); }
    Rgb operator-(const Rgb& o) const { return Rgb(r - o.r, g - o.g, b - o.b); }
    Rgb operator*(float s) const { return Rgb(r * s, g * s, b * s); }
    Rgb operator*(const Rgb& o) const { return Rgb(r * o.r, g * o.g, b * o.b); }
    float Luminance() const { return 0.299f * r + 0.587f * g + 0.114f * b; }
};

inline Rgb Mix(const Rgb& a, const Rgb& b, float t) { return a + (b - a) * t; }
inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
// 0 below edge0, 1 above edge1, smooth between.
float SmoothStep(float edge0, float edge1, float x);

struct Point {
    float x = 0, y = 0;
};

// A picture being drawn: float RGB, row 0 at the TOP (the order pictures are
// written in). Shapes have soft, anti-aliased edges; everything is clipped.
class Canvas {
public:
    Canvas(int width, int height, const Rgb& fill = Rgb());

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb& At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    const Rgb& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    // Nearest pixel of a point, clamped to the picture.
    const Rgb& Sample(float x, float y) const;

    void Blend(int x, int y, const Rgb& colour, float alpha);
    void FillCircle(float cx, float cy, float radius, const Rgb& colour, float alpha = 1.0f);
    // An ellipse turned by angle (radians).
    void FillEllipse(float cx, float cy, float rx, float ry, float angle, const Rgb& colour, float alpha = 1.0f);
    // Even-odd fill with four sub-rows a pixel and exact coverage along them.
    void FillPolygon(const std::vector<Point>& points, const Rgb& colour, float alpha = 1.0f);

    // Area-averaged to a smaller size.
    Canvas Scaled(int width, int height) const;
    Canvas Cropped(int x, int y, int width, int height) const;
    // 8-bit R, G, B, rows top first, rounded and clamped.
    std::vector<uint8_t> ToBytes() const;
    Rgb Average() const;

private:
    int width_, height_;
    std::vector<Rgb> pixels_;
};

} // namespace Content
