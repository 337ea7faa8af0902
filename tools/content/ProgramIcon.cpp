#include "tools/content/ProgramIcon.h"

#include <algorithm>
#include <cmath>

namespace Content {

namespace {

// Inside the piece at (x, y) in 0..1 (y down): a rounded square body with a
// knob on its top and right sides and a socket cut into its left side.
bool InPiece(double x, double y)
{
    const double left = 0.16, right = 0.80, top = 0.24, bottom = 0.90, corner = 0.07;
    const double knob = 0.11;
    auto inCircle = [](double x, double y, double cx, double cy, double r) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
    bool body = x >= left && x <= right && y >= top && y <= bottom;
    if (body) {
        // Rounded corners.
        const double cx = std::clamp(x, left + corner, right - corner);
        const double cy = std::clamp(y, top + corner, bottom - corner);
        body = inCircle(x, y, cx, cy, corner);
    }
    const double midX = (left + right) / 2, midY = (top + bottom) / 2;
    if (inCircle(x, y, midX, top - knob * 0.55, knob) || inCircle(x, y, right + knob * 0.55, midY, knob))
        return true;
    if (inCircle(x, y, left + knob * 0.55, midY, knob * 0.9))
        return false;
    return body;
}

ContentTools::IconImage Draw(uint32_t size)
{
    ContentTools::IconImage image;
    image.size = size;
    image.rgba.resize(size_t(size) * size * 4);
    const int kSamples = 4; // per axis, for smooth edges
    for (uint32_t py = 0; py < size; ++py)
        for (uint32_t px = 0; px < size; ++px) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    inside += InPiece((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size);
            const double coverage = double(inside) / (kSamples * kSamples);
            const double x = (px + 0.5) / size, y = (py + 0.5) / size;
            // Amber at the top left to deep orange at the bottom right, lit
            // from the top left.
            const double t = std::clamp((x + y) / 2.0, 0.0, 1.0);
            const double light = 1.0 - 0.35 * std::clamp(std::hypot(x - 0.3, y - 0.3) / 0.8, 0.0, 1.0);
            uint8_t* p = &image.rgba[(size_t(py) * size + px) * 4];
            p[0] = static_cast<uint8_t>(std::lround(std::min(255.0, (250 - 20 * t) * light)));
            p[1] = static_cast<uint8_t>(std::lround(std::min(255.0, (190 - 90 * t) * light)));
            p[2] = static_cast<uint8_t>(std::lround(std::min(255.0, (60 - 30 * t) * light)));
            p[3] = static_cast<uint8_t>(std::lround(coverage * 255));
        }
    return image;
}

} // namespace

std::vector<ContentTools::IconImage> MakeProgramIconImages()
{
    return {Draw(48), Draw(32), Draw(16)};
}

std::vector<uint8_t> MakeProgramIcon() { return ContentTools::WriteIconFile(MakeProgramIconImages()); }

} // namespace Content
