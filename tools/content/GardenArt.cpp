// Gardens: a mown lawn seen from a terrace, flower beds full of blossoms,
// clipped bushes, trees against the sky; one along a gravel walk, one round
// a lily pond.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/content/ContentRandom.h"
#include "tools/content/PictureArt.h"

namespace Content {

namespace {

struct Flower {
    float x, y, size;
    Rgb colour;
};

const Rgb kBlossoms[] = {Rgb::Bytes(230, 60, 80),  Rgb::Bytes(250, 200, 60),  Rgb::Bytes(245, 245, 240),
                         Rgb::Bytes(170, 90, 200), Rgb::Bytes(250, 130, 170), Rgb::Bytes(255, 140, 40)};

void DrawFlower(Canvas& c, const Flower& f, float turn)
{
    for (int k = 0; k < 5; ++k) {
        const float a = turn + k * 1.2566f;
        c.FillEllipse(f.x + std::cos(a) * f.size * 0.75f, f.y + std::sin(a) * f.size * 0.55f, f.size * 0.62f,
                      f.size * 0.45f, a, f.colour * (0.9f + 0.1f * std::sin(a)), 0.95f);
    }
    c.FillCircle(f.x, f.y, f.size * 0.34f, Rgb::Bytes(250, 210, 60));
}

// A round clipped bush, lit from the upper left.
void DrawBush(Canvas& c, float x, float y, float r, const Rgb& green, uint32_t seed)
{
    c.FillEllipse(x + r * 0.15f, y + r * 0.85f, r * 1.0f, r * 0.28f, 0, Rgb(0.05f, 0.12f, 0.04f), 0.45f);
    const int x0 = int(x - r - 1), x1 = int(x + r + 1), y0 = int(y - r - 1), y1 = int(y + r + 1);
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const float dx = (px + 0.5f - x) / r, dy = (py + 0.5f - y) / r;
            const float rough = 0.08f * (ContentRandom::Noise(px / 2.5f, py / 2.5f, seed) - 0.5f);
            const float d = std::sqrt(dx * dx + dy * dy) + rough;
            const float cover = Clamp01((1 - d) * r + 0.5f);
            if (cover <= 0)
                continue;
            const float light = Clamp01(0.65f - 0.45f * (dx + dy) * 0.7f - 0.25f * d * d);
            const float leaves = 0.8f + 0.35f * ContentRandom::Noise(px / 1.8f, py / 1.8f, seed + 1);
            c.Blend(px, py, green * ((0.55f + 0.8f * light) * leaves), cover);
        }
}

void DrawTree(Canvas& c, float x, float baseY, float height, const Rgb& green, ContentRandom& rnd, uint32_t seed)
{
    const float w = height * 0.05f;
    std::vector<Point> trunk = {{x - w, baseY}, {x + w, baseY}, {x + w * 0.6f, baseY - height * 0.55f},
                                {x - w * 0.6f, baseY - height * 0.55f}};
    c.FillPolygon(trunk, Rgb::Bytes(92, 66, 44));
    for (int i = 0; i < 14; ++i) {
        const float a = rnd.Range(0, 6.283f), d = rnd.Range(0, 0.3f) * height;
        DrawBush(c, x + std::cos(a) * d, baseY - height * 0.68f + std::sin(a) * d * 0.7f, height * rnd.Range(0.16f, 0.24f),
                 green * rnd.Range(0.85f, 1.1f), seed + uint32_t(i));
    }
}

} // namespace

Canvas DrawGarden(int width, int height, int variant, uint32_t seed)
{
    ContentRandom rnd(seed);
    const float W = float(width), H = float(height);
    const float horizon = H * 0.34f;
    const bool pond = variant % 2 == 1;
    Canvas c(width, height);

    // Sky with a few soft clouds.
    const Rgb skyTop = pond ? Rgb::Bytes(110, 160, 220) : Rgb::Bytes(70, 130, 210);
    const Rgb skyLow = Rgb::Bytes(215, 232, 245);
    for (int y = 0; y < int(horizon) + 2; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb p = Mix(skyTop, skyLow, std::pow(Clamp01(y / horizon), 1.4f));
            const float n = ContentRandom::Fractal(x / 110.0f, y / 30.0f, seed + 9, 5);
            c.At(x, y) = Mix(p, Rgb(1, 1, 1), SmoothStep(0.55f, 0.75f, n) * 0.8f);
        }

    // Woods on the far side, then the lawn with its mowing stripes running to
    // the eye.
    for (int x = 0; x < width; ++x) {
        const float top = horizon - H * (0.05f + 0.09f * ContentRandom::Fractal(x / 40.0f, 0.5f, seed + 20, 4));
        for (int y = std::max(0, int(top)); y <= int(horizon) + 1; ++y) {
            const float leaves = ContentRandom::Fractal(x / 4.0f, y / 4.0f, seed + 21, 3);
            c.Blend(x, y, Mix(Rgb::Bytes(50, 90, 70), Rgb::Bytes(120, 160, 150), 0.35f) * (0.8f + 0.4f * leaves),
                    Clamp01(y + 1 - top));
        }
    }
    const float eyeX = W * (pond ? 0.5f : 0.46f);
    for (int y = int(horizon); y < height; ++y) {
        const float depth = (y - horizon) / (H - horizon);
        for (int x = 0; x < width; ++x) {
            const float across = (x - eyeX) / std::max(4.0f, y - horizon + 6);
            const bool stripe = int(std::floor(across * 3.2f + 100)) % 2 == 0;
            Rgb p = Mix(Rgb::Bytes(120, 168, 70), Rgb::Bytes(64, 128, 40), depth);
            p = p * (stripe ? 1.07f : 0.93f);
            p = p * (0.92f + 0.14f * ContentRandom::Fractal(x / 2.0f, y / 6.0f, seed + 30, 3));
            c.At(x, y) = p;
        }
    }

    std::vector<Flower> flowers;
    auto scatter = [&](int count, float minY, float maxY, auto inside) {
        for (int i = 0; i < count; ++i) {
            const float x = rnd.Range(0, W), y = rnd.Range(minY, maxY);
            if (!inside(x, y))
                continue;
            const float depth = (y - horizon) / (H - horizon);
            flowers.push_back({x, y, 1.0f + 6.0f * depth * depth + depth * 1.5f, kBlossoms[rnd.Below(6)]});
        }
    };
    auto soil = [&](auto inside, float minY, float maxY) {
        for (int y = std::max(0, int(minY)); y < std::min(height, int(maxY) + 1); ++y)
            for (int x = 0; x < width; ++x)
                if (inside(x + 0.5f, y + 0.5f))
                    c.At(x, y) = Rgb::Bytes(92, 64, 44) * (0.8f + 0.35f * ContentRandom::Noise(x / 2.0f, y / 2.0f, seed + 40));
    };

    if (!pond) {
        // A gravel walk curving away, with a bed along each side.
        auto centre = [&](float y) { return eyeX + (H - y) * 0.0f + 40 * std::sin((H - y) / 90.0f) * (y - horizon) / (H - horizon); };
        auto half = [&](float y) { return 6 + 120 * (y - horizon) / (H - horizon); };
        auto onWalk = [&](float x, float y) { return y > horizon && std::fabs(x - centre(y)) < half(y); };
        auto inBed = [&](float x, float y) {
            if (y <= horizon + 6)
                return false;
            const float d = std::fabs(x - centre(y)) - half(y);
            return d > half(y) * 0.12f && d < half(y) * 0.12f + 10 + 130 * (y - horizon) / (H - horizon);
        };
        for (int y = int(horizon); y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (onWalk(x + 0.5f, y + 0.5f)) {
                    const float edge = half(y) - std::fabs(x + 0.5f - centre(y));
                    Rgb p = Rgb::Bytes(214, 196, 160) * (0.86f + 0.22f * ContentRandom::Noise(x / 1.3f, y / 1.3f, seed + 50));
                    c.At(x, y) = Mix(c.At(x, y), p, Clamp01(edge));
                }
        soil(inBed, horizon, H);
        scatter(2600, horizon + 4, H + 6, inBed);
        std::sort(flowers.begin(), flowers.end(), [](const Flower& a, const Flower& b) { return a.y < b.y; });
        for (const Flower& f : flowers)
            DrawFlower(c, f, rnd.Range(0, 6.283f));
        // Clipped bushes in pairs along the walk, smaller with distance.
        for (int i = 0; i < 5; ++i) {
            const float y = horizon + (H - horizon) * (0.12f + 0.19f * i) * (0.12f + 0.19f * i) * 1.3f + 8;
            if (y > H)
                break;
            const float r = 4 + 34 * (y - horizon) / (H - horizon);
            for (float side : {-1.0f, 1.0f})
                DrawBush(c, centre(y) + side * (half(y) * 2.4f + r + 20), y - r * 0.8f, r, Rgb::Bytes(54, 110, 48),
                         seed + 60 + uint32_t(i));
        }
        DrawTree(c, W * 0.88f, horizon + 40, H * 0.55f, Rgb::Bytes(60, 120, 50), rnd, seed + 70);
        DrawTree(c, W * 0.08f, horizon + 30, H * 0.45f, Rgb::Bytes(70, 128, 56), rnd, seed + 80);
    } else {
        // A round pond with lilies, a ring of flowers round it.
        const float px = W * 0.5f, py = H * 0.68f, rx = W * 0.30f, ry = H * 0.17f;
        auto inPond = [&](float x, float y) {
            const float u = (x - px) / rx, v = (y - py) / ry;
            return u * u + v * v < 1;
        };
        auto inRing = [&](float x, float y) {
            const float u = (x - px) / (rx * 1.28f), v = (y - py) / (ry * 1.45f);
            const float d = u * u + v * v;
            return d < 1 && !inPond(x, y) && (x - px) / rx * (x - px) / rx + (y - py) / ry * (y - py) / ry > 1.12f;
        };
        soil(inRing, py - ry * 1.5f, py + ry * 1.5f);
        for (int y = int(py - ry) - 1; y <= int(py + ry) + 1; ++y)
            for (int x = int(px - rx) - 1; x <= int(px + rx) + 1; ++x) {
                const float u = (x + 0.5f - px) / rx, v = (y + 0.5f - py) / ry;
                const float d = std::sqrt(u * u + v * v);
                const float cover = Clamp01((1 - d) * ry + 0.5f);
                if (cover <= 0 || x < 0 || y < 0 || x >= width || y >= height)
                    continue;
                // The water shows the sky, darker towards the near bank.
                Rgb w = Mix(skyLow, Rgb::Bytes(40, 90, 120), Clamp01(0.35f + 0.5f * (v + 1) * 0.5f));
                w = w * (0.9f + 0.15f * ContentRandom::Noise(x / 12.0f, y / 2.0f, seed + 90));
                const Rgb stone = Rgb::Bytes(200, 194, 180);
                c.Blend(x, y, d > 0.95f ? stone : w, cover);
            }
        for (int i = 0; i < 16; ++i) {
            const float a = rnd.Range(0, 6.283f), d = std::sqrt(rnd.Unit()) * 0.8f;
            const float lx = px + std::cos(a) * rx * d, ly = py + std::sin(a) * ry * d;
            const float size = 7 + 7 * (ly - (py - ry)) / (2 * ry);
            c.FillEllipse(lx, ly, size, size * 0.5f, 0, Rgb::Bytes(60, 130, 60));
            c.FillEllipse(lx + size * 0.3f, ly - size * 0.1f, size * 0.35f, size * 0.22f, 0.5f,
                          Mix(skyLow, Rgb::Bytes(40, 90, 120), 0.5f));
            if (rnd.Chance(0.5f))
                DrawFlower(c, {lx - size * 0.2f, ly - size * 0.2f, size * 0.45f, Rgb::Bytes(250, 170, 200)}, a);
        }
        scatter(3200, horizon, H, inRing);
        // Beds along the foot of the picture and along the woods.
        auto inFront = [&](float x, float y) { return y > H - 46 + 10 * std::sin(x / 50.0f); };
        soil(inFront, H - 60, H);
        scatter(900, H - 60, H + 6, inFront);
        std::sort(flowers.begin(), flowers.end(), [](const Flower& a, const Flower& b) { return a.y < b.y; });
        for (const Flower& f : flowers)
            DrawFlower(c, f, rnd.Range(0, 6.283f));
        for (int i = 0; i < 6; ++i) {
            const float x = W * (0.06f + 0.176f * i), y = horizon + 12;
            DrawBush(c, x, y, 11, Rgb::Bytes(60, 112, 54), seed + 100 + uint32_t(i));
        }
        DrawTree(c, W * 0.14f, H * 0.62f, H * 0.5f, Rgb::Bytes(64, 118, 52), rnd, seed + 110);
        DrawTree(c, W * 0.9f, H * 0.58f, H * 0.48f, Rgb::Bytes(80, 130, 50), rnd, seed + 120);
    }
    return c;
}

} // namespace Content
