#include "tools/content/Canvas.h"

#include <algorithm>
#include <cmath>

namespace Content {

float SmoothStep(float edge0, float edge1, float x)
{
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Canvas::Canvas(int width, int height, const Rgb& fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill)
{
}

const Rgb& Canvas::Sample(float x, float y) const
{
    int ix = std::min(width_ - 1, std::max(0, int(std::floor(x))));
    int iy = std::min(height_ - 1, std::max(0, int(std::floor(y))));
    return At(ix, iy);
}

void Canvas::Blend(int x, int y, const Rgb& colour, float alpha)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0)
        return;
    Rgb& p = At(x, y);
    p = alpha >= 1 ? colour : Mix(p, colour, alpha);
}

void Canvas::FillCircle(float cx, float cy, float radius, const Rgb& colour, float alpha)
{
    FillEllipse(cx, cy, radius, radius, 0, colour, alpha);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, float angle, const Rgb& colour, float alpha)
{
    if (rx <= 0 || ry <= 0)
        return;
    const float reach = std::max(rx, ry) + 1;
    const int x0 = std::max(0, int(std::floor(cx - reach))), x1 = std::min(width_ - 1, int(std::ceil(cx + reach)));
    const int y0 = std::max(0, int(std::floor(cy - reach))), y1 = std::min(height_ - 1, int(std::ceil(cy + reach)));
    const float c = std::cos(angle), s = std::sin(angle);
    const float scale = std::min(rx, ry);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
            // Distance to the rim in pixels, roughly: soft over one pixel.
            const float d = (std::sqrt(u * u + v * v) - 1) * scale;
            const float cover = Clamp01(0.5f - d);
            if (cover > 0)
                Blend(x, y, colour, alpha * cover);
        }
}

void Canvas::FillPolygon(const std::vector<Point>& points, const Rgb& colour, float alpha)
{
    if (points.size() < 3)
        return;
    float minY = points[0].y, maxY = points[0].y;
    for (const Point& p : points) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int y0 = std::max(0, int(std::floor(minY))), y1 = std::min(height_ - 1, int(std::ceil(maxY)));
    const int kSub = 4;
    std::vector<float> cover(width_ + 1);
    std::vector<float> crossings;
    for (int y = y0; y <= y1; ++y) {
        std::fill(cover.begin(), cover.end(), 0.0f);
        bool any = false;
        for (int k = 0; k < kSub; ++k) {
            const float sy = y + (k + 0.5f) / kSub;
            crossings.clear();
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const Point &a = points[j], &b = points[i];
                if ((a.y <= sy) != (b.y <= sy))
                    crossings.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const float xa = std::max(0.0f, crossings[i]), xb = std::min(float(width_), crossings[i + 1]);
                if (xb <= xa)
                    continue;
                any = true;
                const int ia = int(xa), ib = std::min(width_ - 1, int(xb));
                for (int x = ia; x <= ib; ++x) {
                    const float l = std::max(xa, float(x)), r = std::min(xb, float(x + 1));
                    if (r > l)
                        cover[x] += (r - l) / kSub;
                }
            }
        }
        if (any)
            for (int x = 0; x < width_; ++x)
                if (cover[x] > 0)
                    Blend(x, y, colour, alpha * std::min(1.0f, cover[x]));
    }
}

Canvas Canvas::Scaled(int width, int height) const
{
    Canvas out(width, height);
    const float sx = float(width_) / width, sy = float(height_) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float fx0 = x * sx, fx1 = (x + 1) * sx, fy0 = y * sy, fy1 = (y + 1) * sy;
            Rgb sum;
            float total = 0;
            for (int v = int(fy0); v < std::min(height_, int(std::ceil(fy1))); ++v) {
                const float wy = std::min(fy1, float(v + 1)) - std::max(fy0, float(v));
                for (int u = int(fx0); u < std::min(width_, int(std::ceil(fx1))); ++u) {
                    const float w = wy * (std::min(fx1, float(u + 1)) - std::max(fx0, float(u)));
                    sum = sum + At(u, v) * w;
                    total += w;
                }
            }
            out.At(x, y) = total > 0 ? sum * (1.0f / total) : Rgb();
        }
    return out;
}

Canvas Canvas::Cropped(int x, int y, int width, int height) const
{
    Canvas out(width, height);
    for (int v = 0; v < height; ++v)
        for (int u = 0; u < width; ++u)
            out.At(u, v) = Sample(float(x + u), float(y + v));
    return out;
}

std::vector<uint8_t> Canvas::ToBytes() const
{
    std::vector<uint8_t> bytes(pixels_.size() * 3);
    // Rounded by adding a half: the values are never negative here.
    for (size_t i = 0; i < pixels_.size(); ++i) {
        bytes[3 * i] = uint8_t(Clamp01(pixels_[i].r) * 255 + 0.5f);
        bytes[3 * i + 1] = uint8_t(Clamp01(pixels_[i].g) * 255 + 0.5f);
        bytes[3 * i + 2] = uint8_t(Clamp01(pixels_[i].b) * 255 + 0.5f);
    }
    return bytes;
}

Rgb Canvas::Average() const
{
    Rgb sum;
    for (const Rgb& p : pixels_)
        sum = sum + p;
    return sum * (1.0f / float(std::max<size_t>(1, pixels_.size())));
}

} // namespace Content
