// The publishers' logos (data\ui\textures\publishers): for each of the two a
// big picture the logos window shows full screen and a small one with its
// alpha picture that the menus show in a corner. The big pictures are
// 1024 x 1024 textures whose lower-left 800 x 600 corner is the logo; the
// rest is filled with a loud contrasting colour, so a picture that shows
// more than that corner is plain to see.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/content/ContentSet.h"
#include "tools/content/Modules.h"
#include "tools/content/Screens.h"
#include "tools/formats/JpegWriter.h"

namespace Content {

namespace {

struct Rgbf {
    float r, g, b;
};

Rgbf Of(const Screens::Rgb8& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

Rgbf Mix(const Rgbf& a, const Rgbf& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

// Coverage of an emblem at a point of the unit square (x right, y down):
// logo 0 a quill over a ring, logo 1 three facets of a gem.
float Emblem(int logo, float x, float y, float pixel)
{
    const float cx = x - 0.5f, cy = y - 0.5f;
    const float r = std::sqrt(cx * cx + cy * cy);
    if (logo == 0) {
        const float ring = Clamp01((0.03f - std::fabs(r - 0.42f)) / pixel);
        // The quill: a long leaf along the diagonal, its vane thinning to a tip.
        const float u = (cx + cy) * 0.7071f, v = (cx - cy) * 0.7071f;
        const float t = (u + 0.36f) / 0.72f;
        float quill = 0;
        if (t > 0 && t < 1) {
            const float half = 0.11f * std::sin(3.14159f * std::pow(t, 0.8f));
            quill = Clamp01((half - std::fabs(v + 0.02f * std::sin(9 * t))) / pixel);
        }
        const float shaft = Clamp01((0.008f - std::fabs(v)) / pixel) * (u > -0.42f && u < 0.34f);
        return std::max(ring, std::max(quill, shaft));
    }
    float cover = 0;
    for (int k = 0; k < 3; ++k) {
        const float a = 2.0944f * k - 1.5708f;
        const float px = 0.22f * std::cos(a), py = 0.22f * std::sin(a);
        const float d = std::sqrt((cx - px) * (cx - px) + (cy - py) * (cy - py));
        cover = std::max(cover, Clamp01((0.19f - d) / pixel));
    }
    return cover;
}

const Rgbf kInk[2] = {{0.08f, 0.36f, 0.40f}, {0.98f, 0.55f, 0.16f}};

std::vector<uint8_t> Bytes(const std::vector<Rgbf>& pixels)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 3);
    for (const Rgbf& p : pixels)
        for (float v : {p.r, p.g, p.b})
            out.push_back(static_cast<uint8_t>(std::lround(Clamp01(v) * 255)));
    return out;
}

void AddLogo(ContentSet& set, int n)
{
    const std::string base = "data\\ui\\textures\\publishers\\" + std::to_string(n) + "_logo_";
    ContentTools::JpegOptions jpeg;
    jpeg.quality = 90;
    jpeg.fullColour = true;

    // Big: rows from the top, so the shown corner is the last 600 rows.
    const int size = Screens::kBigLogoSize, top = size - 600;
    std::vector<Rgbf> big(size_t(size) * size, Of(Screens::kLogoContrast));
    const Rgbf back = Of(Screens::kLogoBackground[n]);
    for (int y = top; y < size; ++y)
        for (int x = 0; x < 800; ++x) {
            // The emblem in a 360-pixel square above the middle, on a soft
            // vignette of the background colour.
            const float ex = (x - 220) / 360.0f, ey = (y - top - 70) / 360.0f;
            const float dx = (x - 400) / 400.0f, dy = (y - top - 300) / 300.0f;
            Rgbf c = Mix(back, Rgbf{0, 0, 0}, 0.18f * Clamp01(dx * dx + dy * dy - 0.3f));
            if (ex >= 0 && ex < 1 && ey >= 0 && ey < 1)
                c = Mix(c, kInk[n], Emblem(n, ex, ey, 1 / 360.0f));
            // A band under the emblem, where a name would stand.
            if (y - top > 470 && y - top < 482 && x > 220 && x < 580)
                c = kInk[n];
            big[size_t(y) * size + x] = c;
        }
    // The corner's edge colours a few pixels into the rest, so the texture's
    // filtering at the corner's edge takes no contrast colour in.
    for (int y = top - 8; y < size; ++y)
        for (int x = 0; x < 808; ++x) {
            const int sx = std::min(x, 799), sy = std::max(y, top);
            big[size_t(y) * size + x] = big[size_t(sy) * size + sx];
        }
    set.Add(base + "big.jpg", ContentTools::WriteJpeg(Bytes(big).data(), size, size, 3, jpeg));

    // Small: the emblem on the left, a band to its right; clear around them.
    const int w = Screens::kSmallLogoWidth, h = Screens::kSmallLogoHeight;
    std::vector<Rgbf> small(size_t(w) * h, kInk[n]);
    std::vector<uint8_t> alpha(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float a = x < h ? Emblem(n, x / float(h), y / float(h), 1.0f / h) : 0;
            if (x > h + 4 && x < w - 6 && y > h / 2 - 4 && y < h / 2 + 4)
                a = 1;
            alpha[size_t(y) * w + x] = static_cast<uint8_t>(std::lround(a * 220));
        }
    set.Add(base + "small.jpg", ContentTools::WriteJpeg(Bytes(small).data(), w, h, 3, jpeg));
    set.Add(base + "small_alpha.jpg", ContentTools::WriteJpeg(alpha.data(), w, h, 1, jpeg));
}

} // namespace

void AddLogos(ContentSet& set, const Options&)
{
    for (int n = 0; n < 2; ++n)
        AddLogo(set, n);
}

} // namespace Content
