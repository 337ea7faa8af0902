// The animated menu background: an evening sky that breathes slowly, a band
// of half-transparent clouds drifting to and fro, warm motes of light rising
// from the hills, and a dark vignette that comes in with the additional
// resources. data\ui\background, described by background.xml.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/content/Canvas.h"
#include "tools/content/ContentRandom.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/UiArt.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ParticleFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace {

using ContentTools::XmlElement;

const char kFolder[] = "data\\ui\\background\\";
const char kBasicList[] = "data\\ui\\background\\resources_basic.xml";
const char kAdditionalList[] = "data\\ui\\background\\resources_additional.xml";
const float kPi = 3.14159265f;

std::vector<uint8_t> Jpeg(const std::vector<uint8_t>& pixels, int width, int height, uint32_t channels)
{
    ContentTools::JpegOptions o;
    o.quality = 92;
    o.fullColour = true;
    std::vector<uint8_t> bytes = ContentTools::WriteJpeg(pixels.data(), uint32_t(width), uint32_t(height), channels, o);
    if (bytes.empty())
        throw std::runtime_error("a background picture could not be written as JPEG");
    return bytes;
}

// A grey picture from coverage values in 0..1, rows top first.
std::vector<uint8_t> Grey(const std::vector<float>& alpha)
{
    std::vector<uint8_t> out(alpha.size());
    for (size_t i = 0; i < alpha.size(); ++i)
        out[i] = uint8_t(std::lround(Clamp01(alpha[i]) * 255.0f));
    return out;
}

// A rectangle in GUI units, one morph frame per entry when there are
// several; UVs cover the whole picture (v = 1 at the top).
struct Rect {
    float x0, y0, x1, y1;
};

ContentTools::ModelFile QuadModel(const std::vector<Rect>& frames, float speed)
{
    ContentTools::ModelFile m;
    m.flags = (frames.size() > 1 ? ContentTools::ModelFile::kMorph : ContentTools::ModelFile::kStatic) |
              ContentTools::ModelFile::kTriangleList;
    m.frameCount = uint32_t(frames.size());
    m.speed = speed;
    for (const Rect& r : frames) {
        const float corner[4][4] = {{r.x1, r.y0, 1, 0}, {r.x1, r.y1, 1, 1}, {r.x0, r.y0, 0, 0}, {r.x0, r.y1, 0, 1}};
        std::vector<ContentTools::ModelVertex> quad;
        for (const auto& k : corner) {
            ContentTools::ModelVertex v;
            v.position = {k[0], k[1], 0};
            v.normal = {0, 0, 1};
            v.u = k[2];
            v.v = k[3];
            quad.push_back(v);
        }
        m.vertices.insert(m.vertices.end(), quad.begin(), quad.end());
        m.boxes.push_back(ContentTools::BoundsOf(quad));
    }
    m.indices = {0, 1, 2, 2, 1, 3};
    return m;
}

// A blended shader file over a picture and its opacity picture (or the
// picture alone when opaque).
ContentTools::ShaderFile Shader(const std::string& diffuse, const std::string& opacity)
{
    ContentTools::ShaderFile s;
    s.flags = 1;
    s.sourceBlend = 4;
    s.destinationBlend = 5;
    ContentTools::ShaderFileStage stage;
    stage.flags = 1;
    stage.diffuse = diffuse;
    stage.opacity = opacity;
    stage.addressU = stage.addressV = 0;
    s.stages.push_back(stage);
    return s;
}

// A resource line inside the background's group.
void Register(ContentSet& set, const std::string& list, XmlElement&& entry)
{
    XmlElement group(kBackgroundGroup);
    group.Add(std::move(entry));
    set.AddResource(list, ContentTools::WriteXmlLine(group));
}

// ------------------------------------------------------------------ pictures

// Evening sky over two ranges of hills, the sun low on the right.
Canvas Sky(int w, int h)
{
    Canvas c(w, h);
    const Rgb top = Rgb::Bytes(kSkyTop[0], kSkyTop[1], kSkyTop[2]);
    const Rgb glow = Rgb::Bytes(238, 150, 104), horizon = Rgb::Bytes(250, 198, 132);
    for (int y = 0; y < h; ++y) {
        const float t = y / float(h - 1);
        const Rgb sky = t < 0.45f ? Mix(top, glow, SmoothStep(0.0f, 0.45f, t)) : Mix(glow, horizon, (t - 0.45f) / 0.55f);
        for (int x = 0; x < w; ++x)
            c.At(x, y) = sky;
    }
    // The sun and its halo. The square picture is stretched to 4:3 on
    // screen, so x distances count four thirds.
    const float sx = w * 0.72f, sy = h * 0.58f;
    const Rgb halo = Rgb::Bytes(255, 226, 170);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float dx = (x - sx) / 0.75f / h, dy = (y - sy) / h;
            const float g = 0.6f * std::exp(-(dx * dx + dy * dy) / (0.22f * 0.22f));
            c.At(x, y) = Mix(c.At(x, y), halo, g);
        }
    c.FillEllipse(sx, sy, h * 0.045f * 0.75f, h * 0.045f, 0, Rgb::Bytes(255, 244, 214));
    // Hills: far ones hazy, near ones dark.
    ContentRandom random(7411);
    const Rgb ranges[2] = {Rgb::Bytes(132, 92, 128), Rgb::Bytes(54, 38, 70)};
    for (int k = 0; k < 2; ++k) {
        std::vector<Point> ridge;
        ridge.push_back(Point{0, float(h)});
        const float base = h * (0.70f + 0.10f * k), swing = h * (0.06f + 0.02f * k);
        const float phase = random.Range(0, 2 * kPi);
        for (int x = 0; x <= w; x += 4) {
            const float u = x / float(w);
            const float y = base - swing * (std::sin(u * (5.0f + 2 * k) + phase) * 0.6f + std::sin(u * 13.0f + phase * 2) * 0.25f +
                                            std::sin(u * 31.0f + phase * 3) * 0.1f);
            ridge.push_back(Point{float(x), y});
        }
        ridge.push_back(Point{float(w), float(h)});
        c.FillPolygon(ridge, ranges[k]);
    }
    return c;
}

// Soft clouds in a band: white tops, lilac undersides; coverage as alpha.
void Clouds(int w, int h, Canvas& colour, std::vector<float>& alpha)
{
    colour = Canvas(w, h, Rgb::Bytes(250, 244, 246));
    alpha.assign(size_t(w) * h, 0.0f);
    ContentRandom random(2207);
    for (int cloud = 0; cloud < 7; ++cloud) {
        const float cx = (cloud + 0.5f) * w / 7.0f + random.Range(-20, 20);
        const float cy = random.Range(h * 0.35f, h * 0.65f);
        for (int puff = 0; puff < 9; ++puff) {
            const float px = cx + random.Range(-45, 45), py = cy + random.Range(-18, 12);
            const float r = random.Range(18, 34);
            for (int y = std::max(0, int(py - r)); y < std::min(h, int(py + r) + 1); ++y)
                for (int x = std::max(0, int(px - r)); x < std::min(w, int(px + r) + 1); ++x) {
                    const float d = std::sqrt((x - px) * (x - px) + (y - py) * (y - py)) / r;
                    float& a = alpha[size_t(y) * w + x];
                    a = std::max(a, 1.0f - SmoothStep(0.55f, 1.0f, d));
                }
        }
    }
    // Lilac undersides: the band darkens towards its bottom.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            colour.At(x, y) = Mix(Rgb::Bytes(252, 248, 250), Rgb::Bytes(196, 170, 204), SmoothStep(0.3f, 0.9f, y / float(h)));
}

// ------------------------------------------------------------------ layers

void AddSky(ContentSet& set)
{
    const int w = 512, h = 512;
    set.Add(std::string(kFolder) + "sky.jpg", Jpeg(Sky(w, h).ToBytes(), w, h, 3));
    set.Add(std::string(kFolder) + "sky.srf", ContentTools::WriteShaderFile(Shader("sky.jpg", "")));
    // Three frames that zoom in a little about the middle: the sky breathes.
    std::vector<Rect> frames;
    for (int k = 0; k < 3; ++k) {
        const float s = 1.0f + 0.02f * k;
        frames.push_back(Rect{400 - 400 * s, 300 - 300 * s, 400 + 400 * s, 300 + 300 * s});
    }
    set.Add(std::string(kFolder) + "sky.kml", ContentTools::WriteModelFile(QuadModel(frames, kSkySpeed)));
    Register(set, kBasicList, std::move(XmlElement("model").Set("name", "sky").Set("file_name", "sky.kml")));
}

void AddClouds(ContentSet& set)
{
    const int w = 512, h = 256;
    Canvas colour(1, 1);
    std::vector<float> alpha;
    Clouds(w, h, colour, alpha);
    set.Add(std::string(kFolder) + "clouds.jpg", Jpeg(colour.ToBytes(), w, h, 3));
    set.Add(std::string(kFolder) + "clouds_alpha.jpg", Jpeg(Grey(alpha), w, h, 1));
    // Wider than the screen, so the drift never shows an edge.
    set.Add(std::string(kFolder) + "clouds.kml",
            ContentTools::WriteModelFile(QuadModel({Rect{-60, 330, 860, 600}}, 0)));
    set.Add(std::string(kFolder) + "clouds.srf", ContentTools::WriteShaderFile(Shader("clouds.jpg", "clouds_alpha.jpg")));
    Register(set, kBasicList, std::move(XmlElement("model").Set("name", "clouds").Set("file_name", "clouds.kml")));
    // The same pictures as a shader of their own, which the layer names.
    Register(set, kBasicList,
             std::move(XmlElement("shader")
                           .Set("name", "clouds_shader")
                           .Set("diffuse_file_name", "clouds.jpg")
                           .Set("opacity_file_name", "clouds_alpha.jpg")));
    // The drift: two frames whose boxes start 40 units left and right of the
    // place; looping plays there and back.
    set.Add(std::string(kFolder) + "cloud_drift.kml",
            ContentTools::WriteModelFile(QuadModel({Rect{-40, 0, -39, 1}, Rect{40, 0, 41, 1}}, 0.05f)));
    // Never drawn, but a model loads the shader file of its own name: one
    // without stages.
    set.Add(std::string(kFolder) + "cloud_drift.srf", ContentTools::WriteShaderFile(ContentTools::ShaderFile()));
    Register(set, kBasicList,
             std::move(XmlElement("model").Set("name", "cloud_drift").Set("file_name", "cloud_drift.kml")));
}

void AddMotes(ContentSet& set)
{
    // A soft round dot.
    const int side = 32;
    std::vector<float> alpha(size_t(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float dx = (x + 0.5f) / side * 2 - 1, dy = (y + 0.5f) / side * 2 - 1;
            alpha[size_t(y) * side + x] = 1.0f - SmoothStep(0.0f, 1.0f, std::sqrt(dx * dx + dy * dy));
        }
    set.Add(std::string(kFolder) + "mote.jpg", Jpeg(Canvas(side, side, Rgb(1, 1, 1)).ToBytes(), side, side, 3));
    set.Add(std::string(kFolder) + "mote_alpha.jpg", Jpeg(Grey(alpha), side, side, 1));

    // Rising from the hills across the whole width, in GUI units: 100 units
    // a second for a speed of 1, so 0.25 is 25 units a second.
    ContentTools::ParticleFile p;
    p.maxParticles = 160;
    p.duration = 4;
    p.gravityEnabled = 0;
    p.floorEnabled = 0;
    p.interpolateEmission = 1;
    const float alphas[6] = {0, 0.85f, 0.9f, 0.9f, 0.7f, 0};
    for (int k = 0; k < 6; ++k) {
        p.emissionRate[k] = 10;
        p.lifeCentre[k] = 10;
        p.lifeSpread[k] = 3;
        p.directionCentre[k][0] = 0.15f * std::sin(k * 1.3f);
        p.directionCentre[k][1] = 1;
        p.directionCentre[k][2] = 0;
        p.directionSpread[k][0] = 0.35f;
        p.directionSpread[k][1] = 0.1f;
        p.directionSpread[k][2] = 0;
        p.colour[k][0] = 1;
        p.colour[k][1] = 0.88f;
        p.colour[k][2] = 0.55f;
        p.colour[k][3] = alphas[k];
        p.size[k] = 2.5f + 1.5f * std::sin(k * kPi / 5);
        p.speedCentre[k] = 0.25f;
        p.speedSpread[k] = 0.1f;
    }
    p.emitterShape = 1;
    p.boundsMin[0] = 0;
    p.boundsMin[1] = 40;
    p.boundsMin[2] = 0;
    p.boundsMax[0] = 800;
    p.boundsMax[1] = 220;
    p.boundsMax[2] = 0;
    set.Add(std::string(kFolder) + "motes.kepsf", ContentTools::WriteParticleFile(p));
    set.Add(std::string(kFolder) + "motes.srf", ContentTools::WriteShaderFile(Shader("mote.jpg", "mote_alpha.jpg")));
    Register(set, kBasicList, std::move(XmlElement("particles").Set("name", "motes").Set("file_name", "motes.kepsf")));
}

void AddVignette(ContentSet& set)
{
    const int w = 256, h = 256;
    std::vector<float> alpha(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float dx = (x + 0.5f) / w * 2 - 1, dy = (y + 0.5f) / h * 2 - 1;
            alpha[size_t(y) * w + x] = 0.6f * SmoothStep(0.55f, 1.45f, std::sqrt(dx * dx + dy * dy));
        }
    set.Add(std::string(kFolder) + "vignette.jpg", Jpeg(Canvas(w, h, Rgb::Bytes(14, 10, 26)).ToBytes(), w, h, 3));
    set.Add(std::string(kFolder) + "vignette_alpha.jpg", Jpeg(Grey(alpha), w, h, 1));
    set.Add(std::string(kFolder) + "vignette.kml", ContentTools::WriteModelFile(QuadModel({Rect{0, 0, 800, 600}}, 0)));
    set.Add(std::string(kFolder) + "vignette.srf",
            ContentTools::WriteShaderFile(Shader("vignette.jpg", "vignette_alpha.jpg")));
    Register(set, kAdditionalList,
             std::move(XmlElement("model").Set("name", "vignette").Set("file_name", "vignette.kml")));
}

} // namespace

void AddBackground(ContentSet& set, const Options&)
{
    AddSky(set);
    AddClouds(set);
    AddMotes(set);
    AddVignette(set);

    XmlElement root("background");
    root.Set("resources_prefix", kBackgroundGroup);
    root.Add("model").Set("name", "sky").Set("random_start_frame", 0);
    root.Add("model")
        .Set("name", "clouds")
        .Set("shader", "clouds_shader")
        .Set("animator_model", "cloud_drift")
        .Set("color", 1.0f, 1.0f, 1.0f, kCloudAlpha);
    root.Add("particles").Set("name", "motes");
    root.Add("model").Set("name", "vignette").Set("additional", 1);
    set.AddText(std::string(kFolder) + "background.xml", ContentTools::WriteXml(root));
}

} // namespace Content
