// Landscapes: a sky with sun and clouds, ranges of mountains fading into the
// haze, a lake mirroring them, and a meadow with firs in front.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/content/ContentRandom.h"
#include "tools/content/PictureArt.h"

namespace Content {

namespace {

struct Scene {
    Rgb skyTop, skyHorizon, sun, haze;
    Rgb ranges[4];  // far to near
    Rgb meadowFar, meadowNear, firs;
    float sunX, sunY, sunRadius;  // fractions of the picture
    float horizon;                // fraction of the height where the ranges stand
    float peaks;                  // 1 sharp crests, 0 rolling hills
    float snow;                   // how far down the far crests the snow reaches
    bool lake, stars;
};

Scene SceneOf(int variant)
{
    Scene s;
    switch (variant % 4) {
    case 0:  // morning at a lake
        s.skyTop = Rgb::Bytes(92, 142, 214);
        s.skyHorizon = Rgb::Bytes(250, 222, 190);
        s.sun = Rgb::Bytes(255, 244, 214);
        s.haze = Rgb::Bytes(226, 214, 214);
        s.ranges[0] = Rgb::Bytes(150, 160, 196);
        s.ranges[1] = Rgb::Bytes(108, 122, 166);
        s.ranges[2] = Rgb::Bytes(70, 98, 118);
        s.ranges[3] = Rgb::Bytes(52, 88, 70);
        s.meadowFar = Rgb::Bytes(120, 160, 70);
        s.meadowNear = Rgb::Bytes(70, 122, 44);
        s.firs = Rgb::Bytes(26, 60, 40);
        s.sunX = 0.24f, s.sunY = 0.30f, s.sunRadius = 0.045f;
        s.horizon = 0.58f, s.peaks = 0.9f, s.snow = 0.22f, s.lake = true, s.stars = false;
        break;
    case 1:  // alpine noon
        s.skyTop = Rgb::Bytes(38, 100, 200);
        s.skyHorizon = Rgb::Bytes(190, 222, 246);
        s.sun = Rgb::Bytes(255, 252, 236);
        s.haze = Rgb::Bytes(200, 220, 236);
        s.ranges[0] = Rgb::Bytes(132, 150, 186);
        s.ranges[1] = Rgb::Bytes(96, 112, 150);
        s.ranges[2] = Rgb::Bytes(74, 104, 96);
        s.ranges[3] = Rgb::Bytes(60, 110, 60);
        s.meadowFar = Rgb::Bytes(130, 178, 70);
        s.meadowNear = Rgb::Bytes(82, 140, 48);
        s.firs = Rgb::Bytes(22, 64, 36);
        s.sunX = 0.80f, s.sunY = 0.12f, s.sunRadius = 0.035f;
        s.horizon = 0.62f, s.peaks = 1.0f, s.snow = 0.35f, s.lake = false, s.stars = false;
        break;
    case 2:  // sunset over water
        s.skyTop = Rgb::Bytes(58, 40, 110);
        s.skyHorizon = Rgb::Bytes(255, 150, 70);
        s.sun = Rgb::Bytes(255, 214, 120);
        s.haze = Rgb::Bytes(236, 130, 96);
        s.ranges[0] = Rgb::Bytes(170, 90, 120);
        s.ranges[1] = Rgb::Bytes(120, 62, 104);
        s.ranges[2] = Rgb::Bytes(80, 40, 84);
        s.ranges[3] = Rgb::Bytes(44, 26, 52);
        s.meadowFar = Rgb::Bytes(70, 50, 50);
        s.meadowNear = Rgb::Bytes(40, 30, 36);
        s.firs = Rgb::Bytes(22, 14, 26);
        s.sunX = 0.62f, s.sunY = 0.50f, s.sunRadius = 0.075f;
        s.horizon = 0.60f, s.peaks = 0.7f, s.snow = 0.0f, s.lake = true, s.stars = false;
        break;
    default:  // hills at dusk under the moon
        s.skyTop = Rgb::Bytes(16, 28, 70);
        s.skyHorizon = Rgb::Bytes(236, 150, 140);
        s.sun = Rgb::Bytes(250, 246, 226);
        s.haze = Rgb::Bytes(170, 120, 140);
        s.ranges[0] = Rgb::Bytes(110, 96, 140);
        s.ranges[1] = Rgb::Bytes(70, 74, 116);
        s.ranges[2] = Rgb::Bytes(42, 62, 84);
        s.ranges[3] = Rgb::Bytes(28, 48, 54);
        s.meadowFar = Rgb::Bytes(44, 70, 60);
        s.meadowNear = Rgb::Bytes(26, 46, 40);
        s.firs = Rgb::Bytes(12, 24, 26);
        s.sunX = 0.78f, s.sunY = 0.18f, s.sunRadius = 0.04f;
        s.horizon = 0.64f, s.peaks = 0.25f, s.snow = 0.0f, s.lake = false, s.stars = true;
        break;
    }
    return s;
}

void DrawSky(Canvas& c, const Scene& s, uint32_t seed, ContentRandom& rnd)
{
    const int W = c.Width(), H = c.Height();
    const float horizonY = s.horizon * H;
    const float sx = s.sunX * W, sy = s.sunY * H, sr = s.sunRadius * H;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float t = Clamp01(y / horizonY);
            Rgb col = Mix(s.skyTop, s.skyHorizon, std::pow(t, 1.6f));
            const float d = std::hypot(x - sx, (y - sy) * 1.15f) / H;
            col = col + s.sun * (0.55f * std::exp(-d * 9.0f) + 0.25f * std::exp(-d * 2.5f)) * (s.stars ? 0.35f : 1.0f);
            // Clouds: long soft banks, lit from the sun's side.
            const float n = ContentRandom::Fractal(x / 150.0f, y / 38.0f, seed + 11, 5);
            const float amount = SmoothStep(0.52f, 0.74f, n) * (1.0f - 0.8f * t) * (s.stars ? 0.45f : 0.85f);
            if (amount > 0) {
                const float shade = ContentRandom::Fractal(x / 60.0f + 3, y / 18.0f, seed + 12, 3);
                Rgb lit = Mix(Rgb(1, 1, 1), s.skyHorizon, 0.35f);
                Rgb dark = Mix(s.skyTop, s.haze, 0.55f);
                col = Mix(col, Mix(dark, lit, SmoothStep(0.3f, 0.7f, shade)), amount);
            }
            c.At(x, y) = col;
        }
    if (s.stars) {
        for (int i = 0; i < 160; ++i) {
            const float x = rnd.Range(0, float(W)), y = rnd.Range(0, horizonY * 0.7f);
            c.FillCircle(x, y, rnd.Range(0.5f, 1.2f), Rgb(1, 1, 0.95f), rnd.Range(0.3f, 0.9f) * (1 - y / horizonY));
        }
    }
    c.FillCircle(sx, sy, sr * 1.25f, Mix(s.sun, Rgb(1, 1, 1), 0.2f), s.stars ? 0.2f : 0.35f);
    c.FillCircle(sx, sy, sr, s.sun, 1.0f);
    if (s.stars)  // the moon's shadowed part
        c.FillCircle(sx + sr * 0.45f, sy - sr * 0.2f, sr * 0.9f, Mix(s.skyTop, s.skyHorizon, 0.25f), 0.9f);
}

// One range of mountains: its crest per column, its faces lit from the
// sun's side and cut by gullies, snow on the highest crests and mist at its
// foot.
const int kCrestMargin = 6;

// The crest of a range per column (kCrestMargin columns more on each side).
std::vector<float> Crest(const Scene& s, int width, int layer, float baseY, float height, uint32_t seed)
{
    std::vector<float> crest(width + 2 * kCrestMargin);
    const float freq = (1.6f + layer * 0.9f) / width;
    for (int x = -kCrestMargin; x < width + kCrestMargin; ++x) {
        const float ridged = ContentRandom::Ridged(x * freq, layer * 3.7f, seed + 31 * layer, 5);
        const float rolling = ContentRandom::Fractal(x * freq * 0.8f, layer * 5.1f, seed + 37 * layer, 4);
        crest[x + kCrestMargin] = baseY - height * (s.peaks * ridged + (1 - s.peaks) * rolling);
    }
    return crest;
}

// Drawn down to bottomY, or only to just below the crest of the range in
// front (stop, when given), which covers the rest.
void DrawRange(Canvas& c, const Scene& s, int layer, const std::vector<float>& crest, float baseY, float height,
               float bottomY, const std::vector<float>* stop, uint32_t seed)
{
    const int W = c.Width();
    const int reach = kCrestMargin;
    const float mist = 0.55f - 0.12f * layer;
    const Rgb col = s.ranges[layer];
    const float sunSide = s.sunX < 0.5f ? -1.0f : 1.0f;
    const Rgb snowLit = Rgb(1, 0.99f, 0.97f), snowShade = Mix(Rgb(0.72f, 0.78f, 0.92f), s.skyTop, 0.2f);
    for (int x = 0; x < W; ++x) {
        const float top = crest[x + reach];
        // The face's slope over a few columns: which way it looks.
        const float slope = (crest[x + 2 * reach - 1] - crest[x]) / (2 * reach - 1) * sunSide;
        const float face = Clamp01(0.5f + slope * 0.9f);
        // Snow lies deeper on high crests.
        const float highness = Clamp01((baseY - top) / height);
        const float snowDepth = s.snow * height * SmoothStep(0.35f, 0.9f, highness);
        const int y0 = std::max(0, int(std::floor(top)));
        float last = bottomY;
        if (stop)
            last = std::min(last, (*stop)[x + reach] + 2);
        const int y1 = std::min(c.Height() - 1, int(std::ceil(last)));
        for (int y = y0; y <= y1; ++y) {
            const float cover = Clamp01(y + 1 - top);
            if (cover <= 0)
                continue;
            const float below = y - top;
            const float depth = below / std::max(1.0f, bottomY - top);
            // Gullies run down the faces, leaning with the slope.
            const float gully = ContentRandom::Ridged((x + below * 0.5f * sunSide) / 16.0f, below / 45.0f,
                                                      seed + 91 + layer, 3);
            const float light = Clamp01(face * 0.75f + (gully - 0.45f) * (0.1f + 0.6f * s.peaks));
            Rgb p = col * (0.7f + 0.6f * light) * (1.0f - 0.18f * SmoothStep(0.0f, 1.0f, depth));
            if (snowDepth > 0 && layer < 2) {
                const float n = ContentRandom::Fractal(x / 10.0f, y / 6.0f, seed + 77 + layer, 4);
                const float snow = SmoothStep(-0.15f, 0.1f, (snowDepth - below) / height + (n - 0.5f) * 0.25f + (gully - 0.5f) * 0.1f);
                p = Mix(p, Mix(snowShade, snowLit, light), snow);
            }
            p = Mix(p, s.haze, SmoothStep(0.15f, 1.0f, depth) * mist + 0.16f * (3 - layer) / 3.0f);
            c.Blend(x, y, p, cover);
        }
    }
}

// A fir: tiers of drooping triangles on a short trunk.
void DrawFir(Canvas& c, float x, float baseY, float height, const Rgb& colour, float lightSide)
{
    const float w = height * 0.36f;
    std::vector<Point> trunk = {{x - w * 0.08f, baseY}, {x + w * 0.08f, baseY}, {x + w * 0.06f, baseY - height * 0.2f},
                                {x - w * 0.06f, baseY - height * 0.2f}};
    c.FillPolygon(trunk, colour * 0.7f);
    const int tiers = 4;
    for (int t = 0; t < tiers; ++t) {
        const float f = float(t) / tiers;
        const float bottom = baseY - height * (0.12f + 0.22f * f);
        const float top = baseY - height * (0.45f + 0.18f * f + (t == tiers - 1 ? 0.37f : 0.0f));
        const float half = w * (1.0f - 0.22f * t);
        std::vector<Point> tier = {{x - half, bottom}, {x, bottom - half * 0.18f}, {x + half, bottom}, {x, top}};
        c.FillPolygon(tier, colour);
        std::vector<Point> lit = {{x, bottom - half * 0.18f}, {x + lightSide * half, bottom}, {x, top}};
        c.FillPolygon(lit, colour * 1.35f, 0.5f);
    }
}

} // namespace

Canvas DrawLandscape(int width, int height, int variant, uint32_t seed)
{
    const Scene s = SceneOf(variant);
    ContentRandom rnd(seed);
    Canvas c(width, height);
    DrawSky(c, s, seed, rnd);

    const float H = float(height), W = float(width);
    const float horizonY = s.horizon * H;
    const float waterY = horizonY + H * 0.04f;
    const float rangeBottom = s.lake ? waterY : H;
    const float heights[4] = {0.36f, 0.28f, 0.20f, 0.12f};
    const float bases[4] = {0.0f, 0.03f, 0.07f, 0.11f};
    // The near range stands in the water's place when there is a lake.
    const int layers = s.lake ? 3 : 4;
    std::vector<std::vector<float>> crests;
    float rangeHeights[4];
    for (int layer = 0; layer < layers; ++layer) {
        rangeHeights[layer] = heights[layer] * H * (0.8f + 0.4f * rnd.Unit());
        crests.push_back(Crest(s, width, layer, horizonY + bases[layer] * H, rangeHeights[layer], seed + 100));
    }
    for (int layer = 0; layer < layers; ++layer)
        DrawRange(c, s, layer, crests[layer], horizonY + bases[layer] * H, rangeHeights[layer], rangeBottom,
                  layer + 1 < layers ? &crests[layer + 1] : nullptr, seed + 100);

    if (s.lake) {
        // The water mirrors what stands above it, rippled and darkened.
        const Rgb tint = Mix(s.skyTop, s.ranges[2], 0.4f);
        for (int y = int(waterY); y < height; ++y) {
            const float depth = (y - waterY) / (H - waterY);
            for (int x = 0; x < width; ++x) {
                const float ripple = 2.5f * std::sin(y * 0.9f + 3.0f * ContentRandom::Noise(x / 30.0f, y / 4.0f, seed + 5));
                const float mirrorY = 2 * waterY - y - 1 + ripple * depth * 2;
                Rgb p = c.Sample(x + ripple, std::max(0.0f, mirrorY));
                p = Mix(p, tint, 0.25f + 0.3f * depth) * (0.92f - 0.1f * depth);
                // Glitter on the path of the sun.
                const float sunPath = std::exp(-std::fabs(x - s.sunX * W) / (W * 0.05f + depth * W * 0.12f));
                const float glint = SmoothStep(0.62f, 0.8f, ContentRandom::Noise(x / 6.0f, y / 1.5f, seed + 6));
                p = p + s.sun * (sunPath * glint * 0.55f);
                c.At(x, y) = p;
            }
        }
    }

    if (s.lake) {
        // The far shore: a dark strip of woods along the water.
        for (int x = 0; x < width; ++x) {
            const float top = waterY - 1 - 5 * ContentRandom::Fractal(x / 7.0f, 0.3f, seed + 7, 3);
            for (int y = std::max(0, int(top)); y <= int(waterY) + 1; ++y)
                c.Blend(x, y, Mix(s.firs, s.haze, 0.35f) * (0.9f + 0.2f * ContentRandom::Noise(x / 2.0f, y / 2.0f, seed + 8)),
                        Clamp01(y + 1 - top));
        }
    }

    // The meadow in front: a rolling hill, lighter far, darker near, with
    // firs on it and flowers in its grass.
    const float groundBase = s.lake ? 0.80f : 0.74f;
    std::vector<float> ground(width);
    for (int x = 0; x < width; ++x)
        ground[x] = H * groundBase - H * 0.10f * ContentRandom::Fractal(x / 220.0f, 1.5f, seed + 200, 3) +
                    (s.lake ? H * 0.06f * std::pow(std::fabs(x / W - 0.5f) * 2, 2.0f) * -1 : 0);
    for (int x = 0; x < width; ++x)
        for (int y = std::max(0, int(ground[x])); y < height; ++y) {
            const float cover = Clamp01(y + 1 - ground[x]);
            const float t = Clamp01((y - ground[x]) / (H - ground[x] + 1));
            Rgb p = Mix(s.meadowFar, s.meadowNear, std::sqrt(t));
            const float grass = ContentRandom::Fractal(x / 3.0f, y / 9.0f, seed + 300, 3);
            const float patch = ContentRandom::Fractal(x / 80.0f, y / 30.0f, seed + 301, 3);
            p = p * (0.85f + 0.25f * grass) * (0.9f + 0.2f * patch);
            c.Blend(x, y, p, cover);
        }

    // Firs: a far row small and hazy on the hill, a few tall ones in front.
    const float lightSide = s.sunX < 0.5f ? -1.0f : 1.0f;
    std::vector<float> xs;
    for (int i = 0; i < 26; ++i)
        xs.push_back(rnd.Range(0, W));
    std::sort(xs.begin(), xs.end());
    for (float x : xs) {
        const int ix = std::min(width - 1, std::max(0, int(x)));
        const float h = H * rnd.Range(0.07f, 0.12f);
        DrawFir(c, x, ground[ix] + rnd.Range(2, 10), h, Mix(s.firs, s.haze, 0.12f), lightSide);
    }
    if (!s.stars && variant % 4 != 2) {
        const Rgb petals[4] = {Rgb(1, 0.95f, 0.4f), Rgb(1, 1, 1), Rgb(0.95f, 0.35f, 0.35f), Rgb(0.7f, 0.55f, 0.95f)};
        for (int i = 0; i < 420; ++i) {
            const float x = rnd.Range(0, W);
            const int ix = std::min(width - 1, std::max(0, int(x)));
            const float y = rnd.Range(ground[ix] + 8, H);
            const float size = 0.6f + 2.2f * (y - ground[ix]) / (H - ground[ix]);
            c.FillCircle(x, y, size, petals[rnd.Below(4)], 0.9f);
        }
    }
    for (int i = 0; i < 5; ++i) {
        float x = rnd.Chance(0.5f) ? rnd.Range(0, W * 0.28f) : rnd.Range(W * 0.72f, W);
        const float h = H * rnd.Range(0.22f, 0.34f);
        DrawFir(c, x, H * rnd.Range(0.93f, 1.02f), h, s.firs, lightSide);
    }
    return c;
}

} // namespace Content
