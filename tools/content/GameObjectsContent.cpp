// The level's game objects: data\game_objects\resources.xml with the path's
// point markers and the obstacle over it, the carriage, the four bonuses,
// the board's level-complete model, and the particle systems of the path's
// start and finish, the tip and the level's end. Models are in GUI units
// (800 x 600, y up), each with its own shader file and pictures beside it.
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/render/ModelFile.h"
#include "tools/content/Canvas.h"
#include "tools/content/ContentSet.h"
#include "tools/content/GameObjects.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ParticleFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace {

using namespace GameObjects;
using ContentTools::ModelFile;
using ContentTools::ModelVertex;
using ContentTools::XmlElement;

const char kFolder[] = "data\\game_objects\\";
const float kPi = 3.14159265f;

// A picture with its opacity, drawn at once: the opacity canvas holds the
// coverage in its red channel.
struct Art {
    Canvas colour;
    Canvas alpha;
    Art(int w, int h) : colour(w, h), alpha(w, h) {}
    void Circle(float cx, float cy, float r, const Rgb& c, float a = 1)
    {
        colour.FillCircle(cx, cy, r, c, a);
        alpha.FillCircle(cx, cy, r, Rgb(1, 1, 1), a);
    }
    void Polygon(const std::vector<Point>& p, const Rgb& c, float a = 1)
    {
        colour.FillPolygon(p, c, a);
        alpha.FillPolygon(p, Rgb(1, 1, 1), a);
    }
    void Ellipse(float cx, float cy, float rx, float ry, float angle, const Rgb& c, float a = 1)
    {
        colour.FillEllipse(cx, cy, rx, ry, angle, c, a);
        alpha.FillEllipse(cx, cy, rx, ry, angle, Rgb(1, 1, 1), a);
    }
    // Colour only, inside what is already there.
    void Paint(const std::vector<Point>& p, const Rgb& c, float a = 1) { colour.FillPolygon(p, c, a); }
    void PaintCircle(float cx, float cy, float r, const Rgb& c, float a = 1) { colour.FillCircle(cx, cy, r, c, a); }
    // Both pictures area-averaged to another size.
    Art Fitted(int w, int h) const
    {
        Art out(w, h);
        out.colour = colour.Scaled(w, h);
        out.alpha = alpha.Scaled(w, h);
        return out;
    }
};

std::vector<Point> Rect(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

// A rounded rectangle as a polygon.
std::vector<Point> Rounded(float x0, float y0, float x1, float y1, float r)
{
    std::vector<Point> p;
    const float cx[4] = {x1 - r, x0 + r, x0 + r, x1 - r}, cy[4] = {y0 + r, y0 + r, y1 - r, y1 - r};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= 6; ++i) {
            const float a = (c - 1) * kPi / 2 + i * (kPi / 2) / 6;
            p.push_back({cx[c] + r * std::cos(a), cy[c] + r * std::sin(a)});
        }
    return p;
}

std::vector<uint8_t> Jpeg(const Canvas& c, bool grey)
{
    ContentTools::JpegOptions o;
    o.quality = 92;
    o.fullColour = true;
    std::vector<uint8_t> rgb = c.ToBytes();
    std::vector<uint8_t> bytes;
    if (grey) {
        std::vector<uint8_t> g(size_t(c.Width()) * c.Height());
        for (size_t i = 0; i < g.size(); ++i)
            g[i] = rgb[i * 3];
        bytes = ContentTools::WriteJpeg(g.data(), uint32_t(c.Width()), uint32_t(c.Height()), 1, o);
    } else {
        bytes = ContentTools::WriteJpeg(rgb.data(), uint32_t(c.Width()), uint32_t(c.Height()), 3, o);
    }
    if (bytes.empty())
        throw std::runtime_error("a game-object picture could not be written as JPEG");
    return bytes;
}

// The pictures and a blended, clamped shader file named after base.
void AddShader(ContentSet& set, const std::string& base, const Art& art, bool additive)
{
    set.Add(std::string(kFolder) + base + ".jpg", Jpeg(art.colour, false));
    set.Add(std::string(kFolder) + base + "_opacity.jpg", Jpeg(art.alpha, true));
    ContentTools::ShaderFile shader;
    shader.flags = 1;
    shader.sourceBlend = 4;                    // source alpha
    shader.destinationBlend = additive ? 1 : 5;  // one, or inverse source alpha
    ContentTools::ShaderFileStage stage;
    stage.flags = 1;
    stage.diffuse = base + ".jpg";
    stage.opacity = base + "_opacity.jpg";
    stage.addressU = stage.addressV = 0;
    shader.stages.push_back(stage);
    set.Add(std::string(kFolder) + base + ".srf", ContentTools::WriteShaderFile(shader));
}

ModelVertex Vertex(float x, float y, float u, float v)
{
    ModelVertex m;
    m.position = {x, y, 0};
    m.normal = {0, 0, 1};
    m.u = u;
    m.v = v;
    return m;
}

// A quad over (x0, y0) .. (x1, y1) showing the whole picture, v up.
ModelFile Quad(float x0, float y0, float x1, float y1)
{
    ModelFile m;
    m.flags = ModelFile::kStatic | ModelFile::kTriangleList | KorvaneEngine::ModelFlags::kTwoSided;
    m.vertices = {Vertex(x1, y0, 1, 0), Vertex(x1, y1, 1, 1), Vertex(x0, y0, 0, 0), Vertex(x0, y1, 0, 1)};
    m.indices = {0, 1, 2, 2, 1, 3};
    m.boxes.push_back(ContentTools::BoundsOf(m.vertices));
    return m;
}

void AddModel(ContentSet& set, const std::string& name, const std::string& file, const ModelFile& model,
              bool colours)
{
    set.Add(std::string(kFolder) + file + ".kml", ContentTools::WriteModelFile(model));
    XmlElement e("model");
    e.Set("name", name);
    e.Set("file_name", file + ".kml");
    // Widgets colour these (fades, blinks): they need colour vertices.
    if (colours)
        e.Set("color_verticies", 1);
    set.AddResource(kResourceList, ContentTools::WriteXmlLine(e));
}

// ---------------------------------------------------------------- pictures

// The carriage from above, facing right: a wooden cart with a gold rim,
// four wheels and a lamp at its front. Drawn in 128 x 96 design units at
// twice that and squeezed into a square texture (textures want powers of
// two); the quad stretches it back to the cart's shape.
Art CarriageArt()
{
    const float k = 2;
    auto at = [k](std::vector<Point> p) {
        for (Point& q : p)
            q = {q.x * k, q.y * k};
        return p;
    };
    Art a(int(128 * k), int(96 * k));
    const Rgb wheel = Rgb::Bytes(40, 34, 30), wood = Rgb::Bytes(150, 92, 48), dark = Rgb::Bytes(96, 56, 30);
    const Rgb gold = Rgb::Bytes(236, 190, 84);
    for (float x : {30.0f, 96.0f})
        for (float y : {12.0f, 84.0f})
            a.Ellipse(x * k, y * k, 15 * k, 9 * k, 0, wheel);
    a.Polygon(at(Rounded(8, 16, 116, 80, 12)), gold);
    a.Paint(at(Rounded(13, 21, 111, 75, 9)), wood);
    for (int i = 0; i < 5; ++i)
        a.Paint(at(Rect(20.0f + i * 19, 24, 24.0f + i * 19, 72)), dark);
    a.Polygon(at({{116, 34}, {127, 48}, {116, 62}}), gold);
    a.PaintCircle(106 * k, 48 * k, 6 * k, Rgb::Bytes(255, 244, 180));
    return a.Fitted(128, 128);
}

// Round tokens: a rim in the bonus's colour and its sign in white.
Art BonusArt(int type)
{
    Art a(128, 128);
    const Rgb rims[4] = {Rgb::Bytes(214, 50, 60), Rgb::Bytes(60, 120, 220), Rgb::Bytes(70, 170, 90),
                         Rgb::Bytes(240, 180, 40)};
    const Rgb rim = rims[type];
    a.Circle(64, 64, 62, Mix(rim, Rgb(0, 0, 0), 0.35f));
    a.PaintCircle(64, 64, 56, rim);
    a.PaintCircle(56, 52, 40, Mix(rim, Rgb(1, 1, 1), 0.25f), 0.6f);
    const Rgb ink(1, 1, 1);
    switch (type) {
    case 0: {  // magnet: a horseshoe with silver tips
        std::vector<Point> shoe;
        for (int i = 0; i <= 16; ++i) {
            const float t = kPi + kPi * i / 16;
            shoe.push_back({64 + 28 * std::cos(t), 70 - 28 * std::sin(t)});
        }
        for (int i = 16; i >= 0; --i) {
            const float t = kPi + kPi * i / 16;
            shoe.push_back({64 + 13 * std::cos(t), 70 - 13 * std::sin(t)});
        }
        a.Paint(shoe, ink);
        a.Paint(Rect(36, 36, 51, 70), ink);
        a.Paint(Rect(77, 36, 92, 70), ink);
        a.Paint(Rect(36, 30, 51, 42), Rgb::Bytes(190, 200, 210));
        a.Paint(Rect(77, 30, 92, 42), Rgb::Bytes(190, 200, 210));
        break;
    }
    case 1:  // pause: two bars
        a.Paint(Rect(42, 34, 58, 94), ink);
        a.Paint(Rect(70, 34, 86, 94), ink);
        break;
    case 2: {  // roll back: an arrow round to the left
        std::vector<Point> arc;
        for (int i = 0; i <= 20; ++i) {
            const float t = -0.3f + 4.4f * i / 20;
            arc.push_back({64 + 30 * std::cos(t), 64 - 30 * std::sin(t)});
        }
        for (int i = 20; i >= 0; --i) {
            const float t = -0.3f + 4.4f * i / 20;
            arc.push_back({64 + 18 * std::cos(t), 64 - 18 * std::sin(t)});
        }
        a.Paint(arc, ink);
        const float t = -0.3f;
        const Point tip{64 + 24 * std::cos(t) - 4, 64 - 24 * std::sin(t) + 20};
        a.Paint({{tip.x - 18, tip.y - 22}, {tip.x + 20, tip.y - 22}, {tip.x, tip.y + 2}}, ink);
        break;
    }
    default: {  // tip: a star
        std::vector<Point> star;
        for (int i = 0; i < 10; ++i) {
            const float r = (i % 2) ? 16 : 38, t = -kPi / 2 + i * kPi / 5;
            star.push_back({64 + r * std::cos(t), 66 + r * std::sin(t)});
        }
        a.Paint(star, ink);
        break;
    }
    }
    return a;
}

// A soft round spot for particles (drawn additively).
Art SparkArt(const Rgb& core)
{
    Art a(64, 64);
    for (int i = 0; i < 12; ++i) {
        const float r = 31.0f - i * 2.5f;
        a.Circle(32, 32, r, Mix(core, Rgb(1, 1, 1), i / 12.0f), 0.25f);
    }
    return a;
}

// Plain light grey: the markers and the obstacle are never drawn by the
// game (the play screen draws the path), but a model needs a shader.
Art PlainArt()
{
    Art a(8, 8);
    a.Polygon(Rect(-1, -1, 9, 9), Rgb(0.8f, 0.8f, 0.8f));
    return a;
}

// ---------------------------------------------------------------- models

// The picture in columns x rows tiles, scattered and turned in the first
// frame and in place in the last; the board draws it with the whole picture
// ("puzzle_theme": the picture in the corner of a 1024 x 512 texture).
ModelFile LevelCompleteModel()
{
    ModelFile m;
    m.flags = ModelFile::kMorph | ModelFile::kTriangleList | KorvaneEngine::ModelFlags::kTwoSided;
    m.frameCount = kCompleteFrames;
    m.speed = kCompleteSpeed;
    const float W = kBoardWidth, H = kBoardHeight;
    const float uMax = W / 1024.0f, vMax = H / 512.0f;
    const int tiles = kCompleteColumns * kCompleteRows;
    for (int f = 0; f < kCompleteFrames; ++f) {
        // Eased: tiles come in fast and settle.
        const float s = float(f) / float(kCompleteFrames - 1);
        const float settle = 1 - (1 - s) * (1 - s);
        std::vector<ModelVertex> frame;
        for (int t = 0; t < tiles; ++t) {
            const int c = t % kCompleteColumns, r = t / kCompleteColumns;
            const float x0 = W * c / kCompleteColumns, x1 = W * (c + 1) / kCompleteColumns;
            const float y0 = H * r / kCompleteRows, y1 = H * (r + 1) / kCompleteRows;
            const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
            // Each tile's own turn and drift, fixed by its place.
            const float spin = ((c * 7 + r * 3) % 5 - 2) * 0.35f * (1 - settle);
            const float drift = (1 - settle) * 60.0f;
            const float dx = ((c * 5 + r * 11) % 7 - 3) / 3.0f * drift, dy = ((c * 3 + r * 13) % 7 - 3) / 3.0f * drift;
            const float k = 0.55f + 0.45f * settle;
            const float corners[4][2] = {{x1, y0}, {x1, y1}, {x0, y0}, {x0, y1}};
            for (const auto& p : corners) {
                const float ox = (p[0] - cx) * k, oy = (p[1] - cy) * k;
                const float x = cx + dx + ox * std::cos(spin) - oy * std::sin(spin);
                const float y = cy + dy + ox * std::sin(spin) + oy * std::cos(spin);
                frame.push_back(Vertex(x, y, p[0] / W * uMax, p[1] / H * vMax));
            }
        }
        m.vertices.insert(m.vertices.end(), frame.begin(), frame.end());
        m.boxes.push_back(ContentTools::BoundsOf(frame));
    }
    for (int t = 0; t < tiles; ++t) {
        const uint32_t b = uint32_t(t) * 4;
        for (uint32_t i : {0u, 1u, 2u, 2u, 1u, 3u})
            m.indices.push_back(b + i);
    }
    return m;
}

// ---------------------------------------------------------------- particles

void SetKeys(float (&keys)[6], std::initializer_list<float> values)
{
    int i = 0;
    for (float v : values)
        keys[i++] = v;
}

ContentTools::ParticleFile Sparks(float rate, float life, float size, float speed, const Rgb& colour)
{
    ContentTools::ParticleFile p;
    p.maxParticles = 200;
    p.duration = 1.0f;
    p.gravityEnabled = 0;
    p.floorEnabled = 0;
    p.stopOnRest = 0;
    p.interpolateEmission = 1;
    for (int k = 0; k < 6; ++k) {
        p.emissionRate[k] = rate;
        p.lifeCentre[k] = life;
        p.lifeSpread[k] = life * 0.3f;
        p.directionCentre[k][0] = p.directionCentre[k][1] = p.directionCentre[k][2] = 0;
        p.directionSpread[k][0] = p.directionSpread[k][1] = 1;
        p.directionSpread[k][2] = 0;
        p.speedCentre[k] = speed * (1 - k / 6.0f);
        p.speedSpread[k] = speed * 0.4f;
        // Bright at birth, fading out.
        const float fade = 1 - k / 5.0f;
        p.colour[k][0] = colour.r;
        p.colour[k][1] = colour.g;
        p.colour[k][2] = colour.b;
        p.colour[k][3] = fade;
        p.size[k] = size * (1 - 0.5f * k / 5.0f);
    }
    return p;
}

void AddParticles(ContentSet& set, const std::string& name, const std::string& file,
                  const ContentTools::ParticleFile& p, const Rgb& colour)
{
    set.Add(std::string(kFolder) + file + ".psf", ContentTools::WriteParticleFile(p));
    AddShader(set, file, SparkArt(colour), true);
    XmlElement e("particles");
    e.Set("name", name);
    e.Set("file_name", file + ".psf");
    set.AddResource(kResourceList, ContentTools::WriteXmlLine(e));
}

} // namespace

void AddGameObjects(ContentSet& set, const Options&)
{
    set.ResourceList(kResourceList);

    // Path markers and the obstacle: geometry the path reads, never drawn.
    AddShader(set, "plain", PlainArt(), false);
    for (int i = 0; i < kPathPointCount; ++i) {
        const float h = kPathMarkerSize / 2;
        const std::string digits = std::string(1, char('0' + i / 100)) + char('0' + i / 10 % 10) + char('0' + i % 10);
        const std::string file = "path_" + digits;
        set.Add(std::string(kFolder) + file + ".srf", *set.Find(std::string(kFolder) + "plain.srf"));
        AddModel(set, "depository/path/" + digits, file,
                 Quad(kPath[i].x - h, kPath[i].y - h, kPath[i].x + h, kPath[i].y + h), false);
    }
    set.Add(std::string(kFolder) + "obstacle.srf", *set.Find(std::string(kFolder) + "plain.srf"));
    AddModel(set, "depository/obstacle", "obstacle", Quad(kObstacleLeft, kObstacleBottom, kObstacleRight, kObstacleTop),
             false);

    AddShader(set, "carriage", CarriageArt(), false);
    AddModel(set, "carriage/model", "carriage",
             Quad(-kCarriageWidth / 2, -kCarriageHeight / 2, kCarriageWidth / 2, kCarriageHeight / 2), true);

    const char* const bonusNames[4] = {"magnet", "pause", "rollback", "tip"};
    for (int t = 0; t < 4; ++t) {
        const std::string file = std::string("bonus_") + bonusNames[t];
        AddShader(set, file, BonusArt(t), false);
        AddModel(set, std::string("bonuses/") + bonusNames[t], file,
                 Quad(-kBonusSize / 2, -kBonusSize / 2, kBonusSize / 2, kBonusSize / 2), true);
    }

    // The board swaps in the picture's own shader; this one only loads.
    set.Add(std::string(kFolder) + "level_complete.srf", *set.Find(std::string(kFolder) + "plain.srf"));
    AddModel(set, "board/level_complete", "level_complete", LevelCompleteModel(), true);
    // The plain shader file was only the pattern of those copies.
    set.Remove(std::string(kFolder) + "plain.srf");

    AddParticles(set, "depository/path_start", "path_start", Sparks(90, 0.45f, 9, 0.35f, Rgb::Bytes(255, 214, 110)),
                 Rgb::Bytes(255, 214, 110));
    AddParticles(set, "depository/path_finish", "path_finish", Sparks(70, 0.6f, 11, 0.45f, Rgb::Bytes(255, 110, 70)),
                 Rgb::Bytes(255, 110, 70));
    {
        // The tip's outline: the game sets its points; short, small sparkles.
        ContentTools::ParticleFile tip = Sparks(120, 0.5f, 7, 0.08f, Rgb::Bytes(255, 255, 220));
        tip.emitterShape = 2;
        AddParticles(set, "board/tip", "tip", tip, Rgb::Bytes(255, 255, 220));
    }
    {
        // One burst over the whole board as the picture comes together.
        ContentTools::ParticleFile done = Sparks(0, 1.1f, 16, 0.6f, Rgb::Bytes(255, 236, 160));
        done.maxParticles = 400;
        done.duration = 0.6f;
        SetKeys(done.emissionRate, {600, 400, 200, 60, 0, 0});
        done.emitterShape = 1;
        done.boundsMin[0] = kBoardLeft;
        done.boundsMin[1] = kBoardBottom;
        done.boundsMin[2] = 0;
        done.boundsMax[0] = kBoardLeft + kBoardWidth;
        done.boundsMax[1] = kBoardBottom + kBoardHeight;
        done.boundsMax[2] = 0;
        AddParticles(set, "board/level_complete", "level_complete_burst", done, Rgb::Bytes(255, 236, 160));
    }
}

} // namespace Content
