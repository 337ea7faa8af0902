// The game's cursors: the drawn arrow of the GUI (data\ui\cursors, its hot
// spot in the picture's top-left corner), the three system cursors of the
// program's resources, and the trail and click sparkles that follow the
// pointer in the menus (in the "ui" group of the additional UI resources).
#include "tools/content/CursorArt.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "tools/content/Canvas.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/UiArt.h"
#include "tools/formats/IconFileWriter.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/ParticleFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

const uint16_t kCursorResourceIds[3] = {1000, 107, 106};

namespace {

const char kFolder[] = "data\\ui\\cursors\\";
const char kUiList[] = "data\\ui\\resources_additional.xml";

// The arrow in a 32-unit square, tip at the origin (y down). The outline
// starts a unit outside the corner, so the corner pixel is fully covered.
std::vector<Point> Arrow(float scale, float grow)
{
    const float p[7][2] = {{0, 0}, {0, 25}, {6.5f, 19.5f}, {11, 29}, {15, 27.3f}, {10.5f, 18}, {18, 18}};
    // Grown away from a point inside the arrow, for the outline.
    const float cx = 6.5f, cy = 15.5f;
    std::vector<Point> out;
    for (const auto& q : p) {
        const float dx = q[0] - cx, dy = q[1] - cy, d = std::sqrt(dx * dx + dy * dy);
        out.push_back(Point{(q[0] + dx / d * grow) * scale, (q[1] + dy / d * grow) * scale});
    }
    return out;
}

// RGB and coverage of a cursor shape on a square of side pixels.
struct Picture {
    Canvas colour;
    Canvas alpha;
    explicit Picture(int side) : colour(side, side, Rgb::Bytes(kCursorOutline[0], kCursorOutline[1], kCursorOutline[2])),
                                 alpha(side, side) {}
};

void DrawArrow(Picture& p, float scale)
{
    p.alpha.FillPolygon(Arrow(scale, 1.6f), Rgb(1, 1, 1));
    p.colour.FillPolygon(Arrow(scale, -0.4f), Rgb::Bytes(kCursorFill[0], kCursorFill[1], kCursorFill[2]));
}

// A plus in the lower right: the pick cursor.
void DrawPick(Picture& p)
{
    const Rgb fill = Rgb::Bytes(250, 208, 96);
    auto bar = [&](float x0, float y0, float x1, float y1, Canvas& c, const Rgb& colour) {
        c.FillPolygon({Point{x0, y0}, Point{x1, y0}, Point{x1, y1}, Point{x0, y1}}, colour);
    };
    bar(17, 22, 30, 27, p.alpha, Rgb(1, 1, 1));
    bar(21, 18, 26, 31, p.alpha, Rgb(1, 1, 1));
    bar(18, 23, 29, 26, p.colour, fill);
    bar(22, 19, 25, 30, p.colour, fill);
}

// Four arrow heads round the middle: the move cursor (hot spot in the middle).
void DrawMove(Picture& p)
{
    const float c = 16;
    for (int k = 0; k < 4; ++k) {
        const float a = k * 3.14159265f / 2;
        auto at = [&](float along, float across) {
            return Point{c + std::cos(a) * along - std::sin(a) * across, c + std::sin(a) * along + std::cos(a) * across};
        };
        p.alpha.FillPolygon({at(15.5f, 0), at(8, 6.5f), at(8, 2.5f), at(-1, 2.5f), at(-1, -2.5f), at(8, -2.5f),
                             at(8, -6.5f)},
                            Rgb(1, 1, 1));
        p.colour.FillPolygon({at(13.8f, 0), at(9, 4.6f), at(9, 1.2f), at(0, 1.2f), at(0, -1.2f), at(9, -1.2f),
                              at(9, -4.6f)},
                             Rgb::Bytes(kCursorFill[0], kCursorFill[1], kCursorFill[2]));
    }
}

ContentTools::IconImage ToImage(const Picture& p)
{
    ContentTools::IconImage image;
    image.size = uint32_t(p.colour.Width());
    const std::vector<uint8_t> rgb = p.colour.ToBytes(), a = p.alpha.ToBytes();
    for (size_t i = 0; i < rgb.size() / 3; ++i)
        image.rgba.insert(image.rgba.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], a[i * 3]});
    return image;
}

std::vector<uint8_t> Jpeg(const std::vector<uint8_t>& pixels, int side, uint32_t channels)
{
    ContentTools::JpegOptions o;
    o.quality = 95;
    o.fullColour = true;
    std::vector<uint8_t> bytes = ContentTools::WriteJpeg(pixels.data(), uint32_t(side), uint32_t(side), channels, o);
    if (bytes.empty())
        throw std::runtime_error("a cursor picture could not be written as JPEG");
    return bytes;
}

ContentTools::ShaderFile SparkShader()
{
    ContentTools::ShaderFile s;
    s.flags = 1;
    s.sourceBlend = 4;
    s.destinationBlend = 5;
    ContentTools::ShaderFileStage stage;
    stage.flags = 1;
    stage.diffuse = "spark.jpg";
    stage.opacity = "spark_alpha.jpg";
    stage.addressU = stage.addressV = 0;
    s.stages.push_back(stage);
    return s;
}

void AddEffect(ContentSet& set, const std::string& name, const ContentTools::ParticleFile& p)
{
    set.Add(std::string(kFolder) + name + ".kepsf", ContentTools::WriteParticleFile(p));
    set.Add(std::string(kFolder) + name + ".srf", ContentTools::WriteShaderFile(SparkShader()));
    ContentTools::XmlElement group("ui");
    group.Add("particles").Set("name", name).Set("file_name", "cursors\\" + name + ".kepsf");
    set.AddResource(kUiList, ContentTools::WriteXmlLine(group));
}

} // namespace

std::vector<std::pair<uint16_t, std::vector<uint8_t>>> MakeSystemCursors()
{
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> out;
    for (uint16_t id : kCursorResourceIds) {
        Picture p(32);
        ContentTools::CursorImage c;
        if (id == 106) {
            DrawMove(p);
            c.hotSpotX = c.hotSpotY = 16;
        } else {
            DrawArrow(p, 1.0f);
            if (id == 107)
                DrawPick(p);
        }
        c.image = ToImage(p);
        std::vector<uint8_t> bytes = ContentTools::WriteCursorFile({c});
        if (bytes.empty())
            throw std::runtime_error("a system cursor could not be written");
        out.emplace_back(id, bytes);
    }
    return out;
}

void AddCursors(ContentSet& set, const Options&)
{
    // The drawn arrow: 64 pixels for the GUI's 40-unit cursor quad, the
    // arrow a little under three quarters of it; outside it alpha 0.
    Picture arrow(kCursorPictureSide);
    DrawArrow(arrow, kCursorPictureSide * 0.72f / 32.0f);
    set.Add(std::string(kFolder) + "cursor.jpg", Jpeg(arrow.colour.ToBytes(), kCursorPictureSide, 3));
    std::vector<uint8_t> grey;
    const std::vector<uint8_t> coverage = arrow.alpha.ToBytes();
    for (size_t i = 0; i < coverage.size(); i += 3)
        grey.push_back(coverage[i]);
    set.Add(std::string(kFolder) + "cursor_alpha.jpg", Jpeg(grey, kCursorPictureSide, 1));

    // The sparks' picture: a soft white star.
    const int side = 32;
    Canvas spark(side, side, Rgb(1, 1, 1)), sparkAlpha(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float dx = (x + 0.5f) / side * 2 - 1, dy = (y + 0.5f) / side * 2 - 1;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float rays = std::max(0.0f, 1.0f - 6 * std::min(std::fabs(dx), std::fabs(dy)));
            const float a = std::max(1.0f - SmoothStep(0.0f, 0.6f, r), rays * (1.0f - SmoothStep(0.3f, 1.0f, r)));
            sparkAlpha.At(x, y) = Rgb(a, a, a);
        }
    set.Add(std::string(kFolder) + "spark.jpg", Jpeg(spark.ToBytes(), side, 3));
    std::vector<uint8_t> sparkGrey;
    const std::vector<uint8_t> sa = sparkAlpha.ToBytes();
    for (size_t i = 0; i < sa.size(); i += 3)
        sparkGrey.push_back(sa[i]);
    set.Add(std::string(kFolder) + "spark_alpha.jpg", Jpeg(sparkGrey, side, 1));

    // In GUI units (a speed of 1 is 100 units a second), no gravity or
    // floor: the screen is flat.
    ContentTools::ParticleFile train;
    train.maxParticles = 64;
    train.duration = 1;
    train.gravityEnabled = 0;
    train.floorEnabled = 0;
    train.interpolateEmission = 1;
    for (int k = 0; k < 6; ++k) {
        train.emissionRate[k] = 60;
        train.lifeCentre[k] = 0.6f;
        train.lifeSpread[k] = 0.15f;
        for (int i = 0; i < 3; ++i) {
            train.directionCentre[k][i] = 0;
            train.directionSpread[k][i] = i < 2 ? 1.0f : 0.0f;
        }
        const float t = k / 5.0f;
        train.colour[k][0] = 1;
        train.colour[k][1] = 0.92f - 0.25f * t;
        train.colour[k][2] = 0.6f - 0.4f * t;
        train.colour[k][3] = 0.95f * (1 - t);
        train.size[k] = 6.0f - 4.5f * t;
        train.speedCentre[k] = 0.12f;
        train.speedSpread[k] = 0.06f;
    }
    AddEffect(set, "cursor_train", train);

    // One burst at the first key, over in half a second.
    ContentTools::ParticleFile click;
    click.maxParticles = 48;
    click.duration = kClickBurstSeconds;
    click.gravityEnabled = 0;
    click.floorEnabled = 0;
    click.interpolateEmission = 0;
    const float speeds[6] = {1.4f, 1.0f, 0.7f, 0.45f, 0.25f, 0.1f};
    for (int k = 0; k < 6; ++k) {
        click.emissionRate[k] = k == 0 ? 32.0f : 0.0f;
        click.lifeCentre[k] = 0.45f;
        click.lifeSpread[k] = 0.05f;
        for (int i = 0; i < 3; ++i) {
            click.directionCentre[k][i] = 0;
            click.directionSpread[k][i] = i < 2 ? 1.0f : 0.0f;
        }
        const float t = k / 5.0f;
        click.colour[k][0] = 1;
        click.colour[k][1] = 0.97f - 0.2f * t;
        click.colour[k][2] = 0.8f - 0.5f * t;
        click.colour[k][3] = 1 - t;
        click.size[k] = 5.0f - 3.5f * t;
        click.speedCentre[k] = speeds[k];
        click.speedSpread[k] = 0.3f * speeds[k];
    }
    AddEffect(set, "cursor_click", click);
}

} // namespace Content
