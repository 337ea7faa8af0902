// Mosaics: small stone tiles set in grout, each tile one colour of a motif
// (a rosette, waves, a star lattice, concentric diamonds) inside a border.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/content/ContentRandom.h"
#include "tools/content/PictureArt.h"

namespace Content {

namespace {

const float kPi = 3.14159265f;

struct Palette {
    Rgb colours[5];
    Rgb grout;
};

Palette PaletteOf(int variant)
{
    switch (variant % 4) {
    case 0:
        return {{Rgb::Bytes(238, 226, 200), Rgb::Bytes(196, 92, 54), Rgb::Bytes(222, 170, 70), Rgb::Bytes(38, 70, 120),
                 Rgb::Bytes(60, 140, 140)},
                Rgb::Bytes(206, 198, 180)};
    case 1:
        return {{Rgb::Bytes(236, 240, 244), Rgb::Bytes(40, 90, 160), Rgb::Bytes(90, 160, 210), Rgb::Bytes(20, 50, 100),
                 Rgb::Bytes(232, 200, 120)},
                Rgb::Bytes(190, 196, 200)};
    case 2:
        return {{Rgb::Bytes(242, 232, 206), Rgb::Bytes(28, 30, 40), Rgb::Bytes(214, 170, 60), Rgb::Bytes(170, 40, 44),
                 Rgb::Bytes(40, 110, 90)},
                Rgb::Bytes(120, 110, 96)};
    default:
        return {{Rgb::Bytes(246, 236, 226), Rgb::Bytes(88, 140, 80), Rgb::Bytes(220, 120, 150), Rgb::Bytes(150, 110, 190),
                 Rgb::Bytes(236, 200, 80)},
                Rgb::Bytes(210, 204, 196)};
    }
}

// Which palette colour the motif has at a point (pixels).
int Motif(int variant, float x, float y, float W, float H, uint32_t seed)
{
    // A frame of a dark line, a band of alternating blocks and a thin line.
    const float edge = std::min(std::min(x, W - x), std::min(y, H - y));
    if (edge < 30) {
        if (edge < 9 || (edge > 24 && edge < 30))
            return 3;
        const float along = (x < 30 || x > W - 30) ? y : x;
        return std::fmod(along + 1000, 40.0f) < 20 ? 2 : 0;
    }
    const float cx = W * 0.5f, cy = H * 0.5f;
    const float dx = x - cx, dy = y - cy;
    const float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
    switch (variant % 4) {
    case 0: {  // a rosette of sixteen petals inside a ring, quarter rosettes in the corners
        if (r < 26)
            return 2;
        if (r < 36)
            return 1;
        const float petal = std::pow(std::fabs(std::cos(a * 8)), 0.8f);
        if (r < 40 + 55 * petal)
            return 4;
        if (r < 44 + 78 * petal)
            return 1;
        if (r > 134 && r < 150)
            return 3;
        if (std::fabs(r - 166) < 8 && std::fmod(a / kPi * 16 + 64, 2.0f) < 1)
            return 2;
        for (float ux : {30.0f, W - 30}) {
            for (float uy : {30.0f, H - 30}) {
                const float d = std::hypot(x - ux, y - uy);
                if (d < 40)
                    return 2;
                if (d < 80)
                    return 3;
            }
        }
        return 0;
    }
    case 1: {  // waves rolling in under a sun
        const float sun = std::hypot(x - W * 0.76f, y - H * 0.24f);
        if (sun < 44)
            return 4;
        const float sea = H * 0.42f;
        if (y < sea + 10 * std::sin(x / 60.0f)) {
            if (sun < 60)
                return 0;
            return 2;  // sky
        }
        const float wave = y - sea + 14 * std::sin(x / 46 + y / 70) + 6 * std::sin(x / 19 + 1.3f);
        const float band = wave / 44.0f;
        const float frac = band - std::floor(band);
        if (frac < 0.16f)
            return 0;  // foam on the crest
        return (int(band) % 2) ? 1 : 3;
    }
    case 2: {  // eight-pointed stars on a lattice
        const float s = 130;
        const float gx = (dx + s * 0.5f) / s, gy = (dy + s * 0.5f) / s;
        const float u = (gx - std::floor(gx) - 0.5f) * s, v = (gy - std::floor(gy) - 0.5f) * s;
        const float square = std::max(std::fabs(u), std::fabs(v));
        const float diamond = (std::fabs(u) + std::fabs(v)) / 1.4142f;
        const float star = std::max(square, diamond);
        if (star < 26)
            return 3;
        if (star < 42)
            return 2;
        if (star < 50)
            return 1;
        // Between the stars, small crosses.
        const float cu = std::fabs(std::fabs(u) - s * 0.5f), cv = std::fabs(std::fabs(v) - s * 0.5f);
        if (std::min(cu, cv) < 8 && std::max(cu, cv) < 22)
            return 4;
        return 0;
    }
    default: {  // concentric diamonds round a flower
        const float petal = std::fabs(std::cos(a * 3));
        if (r < 18)
            return 4;
        if (r < 36 + 40 * petal)
            return 2;
        const float d = std::fabs(dx) / (W * 0.5f) + std::fabs(dy) / (H * 0.5f);
        const float wobble = 0.03f * (ContentRandom::Noise(x / 60, y / 60, seed) - 0.5f);
        const int band = int((d + wobble) * 8);
        const int colours[4] = {1, 0, 3, 0};
        return colours[band % 4];
    }
    }
}

} // namespace

Canvas DrawMosaic(int width, int height, int variant, uint32_t seed)
{
    const Palette pal = PaletteOf(variant);
    const float W = float(width), H = float(height);
    const float cell = 10.0f;
    const int cols = int(std::ceil(W / cell)) + 2, rows = int(std::ceil(H / cell)) + 2;
    ContentRandom rnd(seed);

    // One tile a cell, its centre jittered; its colour from the motif there.
    struct Tile {
        float x, y;
        Rgb colour;
    };
    std::vector<Tile> tiles(size_t(cols) * rows);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            Tile& t = tiles[size_t(j) * cols + i];
            t.x = (i - 1 + 0.5f + rnd.Range(-0.33f, 0.33f)) * cell;
            t.y = (j - 1 + 0.5f + rnd.Range(-0.33f, 0.33f)) * cell;
            const Rgb base = pal.colours[Motif(variant, t.x, t.y, W, H, seed)];
            const float shade = rnd.Range(0.88f, 1.08f);
            const Rgb tint(rnd.Range(-0.03f, 0.03f), rnd.Range(-0.03f, 0.03f), rnd.Range(-0.03f, 0.03f));
            t.colour = base * shade + tint;
        }

    Canvas c(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const int ci = int(px / cell) + 1, cj = int(py / cell) + 1;
            const Tile* best = nullptr;
            const Tile* second = nullptr;
            float d1 = 1e9f, d2 = 1e9f;
            for (int j = std::max(0, cj - 1); j <= std::min(rows - 1, cj + 1); ++j)
                for (int i = std::max(0, ci - 1); i <= std::min(cols - 1, ci + 1); ++i) {
                    const Tile& t = tiles[size_t(j) * cols + i];
                    const float d = (px - t.x) * (px - t.x) + (py - t.y) * (py - t.y);
                    if (d < d1) {
                        d2 = d1;
                        second = best;
                        d1 = d;
                        best = &t;
                    } else if (d < d2) {
                        d2 = d;
                        second = &t;
                    }
                }
            // Distance to the edge shared with the nearest neighbour.
            float edge = 99;
            if (second) {
                const float sx = second->x - best->x, sy = second->y - best->y;
                edge = (d2 - d1) / (2 * std::sqrt(sx * sx + sy * sy));
            }
            // Tiles are domed a little: lit from the top left, darker at the rim.
            const float lx = (px - best->x) / cell, ly = (py - best->y) / cell;
            const float light = 1.0f - 0.22f * (lx + ly) - 0.3f * (1 - SmoothStep(0.5f, 3.0f, edge));
            const float grain = 0.94f + 0.1f * ContentRandom::Noise(x / 2.5f, y / 2.5f, seed + 3);
            Rgb p = best->colour * (light * grain);
            const float grout = 1 - SmoothStep(0.5f, 1.4f, edge);
            const Rgb mortar = pal.grout * (0.85f + 0.15f * ContentRandom::Noise(x / 3.0f, y / 3.0f, seed + 4));
            c.At(x, y) = Mix(p, mortar, grout);
        }
    return c;
}

} // namespace Content
