// The window descriptions: the fader table, the control templates, the main
// menu, options and new-profile windows (data\ui\windows), and the art their
// controls name: quad models with their shaders and pictures under
// data\ui\models, registered as "ui/<name>" in data\ui\resources_basic.xml.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <stdexcept>

#include "engine/render/ModelFile.h"
#include "tools/content/ContentSet.h"
#include "tools/content/FontTable.h"
#include "tools/content/Modules.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace Windows {

namespace {

using ContentTools::XmlElement;

// ---------------------------------------------------------------- art

struct Rgb {
    float r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A picture and its opacity, rows from the top as the files store them.
struct Canvas {
    uint32_t width, height;
    std::vector<Rgb> colour;
    std::vector<float> alpha;
    Canvas(uint32_t w, uint32_t h) : width(w), height(h), colour(size_t(w) * h, Rgb{0, 0, 0}), alpha(size_t(w) * h, 0)
    {
    }
    void Put(uint32_t x, uint32_t y, const Rgb& c, float a)
    {
        colour[size_t(y) * width + x] = c;
        alpha[size_t(y) * width + x] = a;
    }
    std::vector<uint8_t> Bytes(bool opacity) const
    {
        std::vector<uint8_t> out;
        out.reserve(colour.size() * (opacity ? 1 : 3));
        auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255)); };
        for (size_t i = 0; i < colour.size(); ++i) {
            if (opacity) {
                out.push_back(byte(alpha[i]));
            } else {
                out.push_back(byte(colour[i].r));
                out.push_back(byte(colour[i].g));
                out.push_back(byte(colour[i].b));
            }
        }
        return out;
    }
};

// Distance from a point inside a rounded rectangle to its edge (negative
// outside), for soft-edged panels and buttons.
float InsideRounded(float x, float y, float x0, float y0, float x1, float y1, float radius)
{
    const float cx = std::min(std::max(x, x0 + radius), x1 - radius);
    const float cy = std::min(std::max(y, y0 + radius), y1 - radius);
    const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
    return radius - d;
}

// A rounded, shaded slab in one cell of a canvas: a vertical gradient, a
// lighter rim and a one-pixel soft edge.
void Slab(Canvas& c, uint32_t cx, uint32_t cy, uint32_t cw, uint32_t ch, const Rgb& top, const Rgb& bottom,
          const Rgb& rim, float radius, float rimWidth, float bodyAlpha)
{
    for (uint32_t y = 0; y < ch; ++y)
        for (uint32_t x = 0; x < cw; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float inside = InsideRounded(px, py, 1, 1, cw - 1.0f, ch - 1.0f, radius);
            const float edge = std::min(1.0f, std::max(0.0f, inside));
            Rgb col = Mix(top, bottom, py / ch);
            // A soft highlight across the upper third.
            if (py < ch / 3.0f)
                col = Mix(col, Rgb{1, 1, 1}, 0.18f * (1 - py / (ch / 3.0f)));
            float a = bodyAlpha;
            if (inside < rimWidth) {
                col = rim;
                a = 1;
            }
            c.Put(cx + x, cy + y, col, a * edge);
        }
}

// A filled triangle pointing left or right in a cell (step-button arrows).
void Arrow(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, bool right, const Rgb& ink)
{
    const float m = size * 0.3f;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float t = right ? (px - m) / (size - 2 * m) : (size - m - px) / (size - 2 * m);
            const float half = (1 - t) * (size / 2.0f - m);
            if (t >= 0 && t <= 1 && std::fabs(py - size / 2.0f) <= half)
                c.Put(cx + x, cy + y, ink, 1);
        }
}

// A check mark: two thick strokes.
void Check(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, const Rgb& ink)
{
    auto stroke = [&](float ax, float ay, float bx, float by) {
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                const float dx = bx - ax, dy = by - ay;
                float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
                t = std::min(1.0f, std::max(0.0f, t));
                const float ex = ax + t * dx - px, ey = ay + t * dy - py;
                if (ex * ex + ey * ey < size * size * 0.006f)
                    c.Put(cx + x, cy + y, ink, 1);
            }
    };
    stroke(size * 0.22f, size * 0.52f, size * 0.42f, size * 0.74f);
    stroke(size * 0.42f, size * 0.74f, size * 0.8f, size * 0.26f);
}

// One frame of a quad model: the picture rectangle it shows, in texture
// coordinates with v = 0 at the picture's bottom row (the engine's pictures
// are stored bottom-up), and the part of the unit square it covers.
struct Frame {
    float u0, v0, u1, v1;
    float x0 = 0, y0 = 0, x1 = 1, y1 = 1;
};

// A unit-square model (the widget scales it to its size) with one frame per
// entry; several frames make a morph model.
ContentTools::ModelFile QuadModel(const std::vector<Frame>& frames, float speed)
{
    ContentTools::ModelFile m;
    m.flags = (frames.size() > 1 ? ContentTools::ModelFile::kMorph : ContentTools::ModelFile::kStatic) |
              ContentTools::ModelFile::kTriangleList | KorvaneEngine::ModelFlags::kTwoSided;
    m.frameCount = static_cast<uint32_t>(frames.size());
    m.speed = speed;
    // The corner order of the widgets' own quads: (1,0), (1,1), (0,0), (0,1).
    for (const Frame& f : frames) {
        const float corner[4][4] = {{f.x1, f.y0, f.u1, f.v0}, {f.x1, f.y1, f.u1, f.v1},
                                    {f.x0, f.y0, f.u0, f.v0}, {f.x0, f.y1, f.u0, f.v1}};
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

// Frames that take the rows of a picture from the top down.
std::vector<Frame> Rows(int count)
{
    std::vector<Frame> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(Frame{0, 1 - (i + 1) / float(count), 1, 1 - i / float(count)});
    return frames;
}

struct Art {
    std::string name;
    bool model;  // a model with its own shader file, else a shader resource
    Canvas picture;
    std::vector<Frame> frames;
    float speed = 0;  // registered as the model's animation speed when not 0
};

const Rgb kPanelTop{0.16f, 0.22f, 0.42f}, kPanelBottom{0.07f, 0.09f, 0.22f}, kGold{0.93f, 0.76f, 0.35f};

std::vector<Art> MakeArt()
{
    std::vector<Art> art;

    // The menu frame opens from a thin band to the full panel in 8 frames.
    {
        Art a{"menu_frame", true, Canvas(256, 256), {}, 16.0f};
        Slab(a.picture, 0, 0, 256, 256, kPanelTop, kPanelBottom, kGold, 18, 5, 0.92f);
        for (int i = 0; i < 8; ++i) {
            const float s = (i + 1) / 8.0f;
            a.frames.push_back(Frame{0, 0, 1, 1, 0, 0.5f - 0.5f * s, 1, 0.5f + 0.5f * s});
        }
        art.push_back(std::move(a));
    }
    // Buttons: one row a state (normal, pointer over, pressed, disabled).
    {
        Art a{"menu_button", true, Canvas(256, 256), Rows(4)};
        const Rgb states[4][2] = {{{0.20f, 0.55f, 0.62f}, {0.10f, 0.33f, 0.42f}},
                                  {{0.32f, 0.72f, 0.78f}, {0.16f, 0.46f, 0.56f}},
                                  {{0.08f, 0.30f, 0.38f}, {0.12f, 0.40f, 0.48f}},
                                  {{0.42f, 0.42f, 0.45f}, {0.28f, 0.28f, 0.30f}}};
        for (int i = 0; i < 4; ++i)
            Slab(a.picture, 0, i * 64, 256, 64, states[i][0], states[i][1], i == 3 ? Rgb{0.6f, 0.6f, 0.6f} : kGold,
                 20, 3, 1);
        art.push_back(std::move(a));
    }
    // Check boxes: cells of 64 in two rows of four, in state order (unchecked
    // normal, over, pressed, checked normal, over, pressed, then disabled
    // unchecked and checked).
    {
        Art a{"menu_check_box", true, Canvas(256, 128), {}};
        const Rgb face[3] = {{0.14f, 0.20f, 0.36f}, {0.22f, 0.32f, 0.52f}, {0.08f, 0.12f, 0.24f}};
        for (int i = 0; i < 8; ++i) {
            const uint32_t cx = (i % 4) * 64, cy = (i / 4) * 64;
            const bool disabled = i >= 6;
            const bool checked = disabled ? i == 7 : i >= 3;
            const Rgb f = disabled ? Rgb{0.3f, 0.3f, 0.32f} : face[i % 3];
            Slab(a.picture, cx, cy, 64, 64, Mix(f, Rgb{1, 1, 1}, 0.1f), f, disabled ? Rgb{0.55f, 0.55f, 0.55f} : kGold,
                 10, 4, 1);
            if (checked)
                Check(a.picture, cx, cy, 64, disabled ? Rgb{0.7f, 0.7f, 0.7f} : Rgb{0.55f, 0.95f, 0.45f});
            a.frames.push_back(Frame{(i % 4) / 4.0f, 1 - (i / 4 + 1) / 2.0f, (i % 4 + 1) / 4.0f, 1 - (i / 4) / 2.0f});
        }
        art.push_back(std::move(a));
    }
    // The scroll bar: a groove, a round thumb, two arrow buttons.
    {
        Art a{"menu_scroll_track", true, Canvas(256, 32), Rows(1)};
        Slab(a.picture, 0, 0, 256, 32, Rgb{0.05f, 0.06f, 0.14f}, Rgb{0.12f, 0.14f, 0.26f}, Rgb{0.45f, 0.40f, 0.30f},
             14, 2, 1);
        art.push_back(std::move(a));
    }
    {
        Art a{"menu_scroll_thumb", true, Canvas(64, 64), Rows(1)};
        Slab(a.picture, 0, 0, 64, 64, Rgb{1.0f, 0.88f, 0.55f}, Rgb{0.80f, 0.58f, 0.22f}, Rgb{0.98f, 0.95f, 0.85f}, 31,
             3, 1);
        art.push_back(std::move(a));
    }
    for (int dir = 0; dir < 2; ++dir) {
        Art a{dir ? "menu_scroll_increase" : "menu_scroll_decrease", true, Canvas(64, 256), Rows(4)};
        for (int i = 0; i < 4; ++i) {
            const Rgb f = i == 3 ? Rgb{0.35f, 0.35f, 0.38f} : Rgb{0.20f + 0.1f * (i == 1), 0.50f + 0.15f * (i == 1), 0.58f};
            Slab(a.picture, 0, i * 64, 64, 64, f, Mix(f, Rgb{0, 0, 0}, 0.35f), kGold, 12, 3, 1);
            Arrow(a.picture, 0, i * 64, 64, dir == 1, Rgb{0.98f, 0.96f, 0.90f});
        }
        art.push_back(std::move(a));
    }
    // The text field is a plain shader: the edit box draws it on its own quad.
    {
        Art a{"menu_edit_box", false, Canvas(256, 64), {}};
        Slab(a.picture, 0, 0, 256, 64, Rgb{0.03f, 0.04f, 0.10f}, Rgb{0.08f, 0.10f, 0.20f}, Rgb{0.60f, 0.62f, 0.75f}, 8,
             2, 0.95f);
        art.push_back(std::move(a));
    }
    return art;
}

void AddArt(ContentSet& set, const std::vector<Art>& art)
{
    ContentTools::JpegOptions jpeg;
    jpeg.quality = 92;
    jpeg.fullColour = true;
    for (const Art& a : art) {
        const std::string base = "data\\ui\\models\\" + a.name;
        const std::vector<uint8_t> rgb = a.picture.Bytes(false), grey = a.picture.Bytes(true);
        set.Add(base + ".jpg", ContentTools::WriteJpeg(rgb.data(), a.picture.width, a.picture.height, 3, jpeg));
        set.Add(base + "_opacity.jpg",
                ContentTools::WriteJpeg(grey.data(), a.picture.width, a.picture.height, 1, jpeg));
        XmlElement entry(a.model ? "model" : "shader");
        entry.Set("name", "ui/" + a.name);
        if (a.model) {
            // The model's own shader file, beside it: blended, clamped.
            ContentTools::ShaderFile shader;
            shader.flags = 1;
            shader.sourceBlend = 4;
            shader.destinationBlend = 5;
            ContentTools::ShaderFileStage stage;
            stage.flags = 1;
            stage.diffuse = a.name + ".jpg";
            stage.opacity = a.name + "_opacity.jpg";
            stage.addressU = stage.addressV = 0;
            shader.stages.push_back(stage);
            set.Add(base + ".srf", ContentTools::WriteShaderFile(shader));
            set.Add(base + ".kml", ContentTools::WriteModelFile(QuadModel(a.frames, a.speed)));
            entry.Set("file_name", "models\\" + a.name + ".kml");
            if (a.speed != 0)
                entry.Set("animation_speed", a.speed);
        } else {
            entry.Set("diffuse_file_name", "models\\" + a.name + ".jpg");
            entry.Set("opacity_file_name", "models\\" + a.name + "_opacity.jpg");
        }
        set.AddResource(kResourceList, ContentTools::WriteXmlLine(entry));
    }
}

// ---------------------------------------------------------------- descriptions

XmlElement Faders()
{
    XmlElement faders("faders");
    // Menu controls fade in a little after the frame starts opening.
    faders.Add("fader")
        .Set("name", "menu_fade")
        .Set("type", "timed")
        .Set("show_speed", 2.5f)
        .Set("hide_speed", 4.0f)
        .Set("min", 0.0f)
        .Set("max", 1.0f)
        .Set("fade_offset", 0.1f)
        .Set("show_offset", 0.15f)
        .Set("hide_offset", 0.0f);
    // A window's outermost container has nothing to draw, but hiding it
    // hides everything inside: it holds on until the slowest hide within
    // (the frame's backward frames) has played out.
    faders.Add("fader")
        .Set("name", "window_hold")
        .Set("type", "timed")
        .Set("show_speed", 100.0f)
        .Set("hide_speed", 1.5f)
        .Set("min", 1.0f)
        .Set("max", 1.0f);
    // The frame's alpha follows its opening animation.
    faders.Add("fader")
        .Set("name", "frame_fade")
        .Set("type", "model_animation")
        .Set("show_speed", 1.0f)
        .Set("hide_speed", 1.0f)
        .Set("min", 0.2f)
        .Set("max", 1.0f);
    return faders;
}

XmlElement TemplateButton()
{
    XmlElement b("button");
    b.Set("name", "template_button").Set("model", "menu_button").Set("size", 220.0f, 46.0f).Set("fader", "menu_fade");
    b.Add("text_label")
        .Set("name", "title")
        .Set("size", 220.0f, 46.0f)
        .Set("height", 2)
        .Set("font", "main_menu_0")
        .Set("font_size", 26.0f)
        .Set("auto_font_size", 1)
        .Set("alignment_h", "center")
        .Set("alignment_v", "center")
        .Set("fader", "menu_fade");
    return b;
}

XmlElement TemplateCheckBox()
{
    XmlElement c("check_box");
    c.Set("name", "template_check_box").Set("model", "menu_check_box").Set("size", 36.0f, 36.0f);
    c.Set("fader", "menu_fade");
    return c;
}

XmlElement TemplateScroll()
{
    XmlElement s("scroll");
    s.Set("name", "template_scroll")
        .Set("model", "menu_scroll_track")
        .Set("size", 260.0f, 28.0f)
        .Set("fader", "menu_fade")
        .Set("toddler_model", "menu_scroll_thumb")
        .Set("toddler_size", 28.0f, 28.0f)
        .Set("toddler_min_position", 28.0f, 0.0f)
        .Set("toddler_max_position", 204.0f, 0.0f)
        .Set("orientation", "horizontal")
        .Set("decrease_button_model", "menu_scroll_decrease")
        .Set("decrease_button_position", 0.0f, 0.0f)
        .Set("decrease_button_size", 28.0f, 28.0f)
        .Set("increase_button_model", "menu_scroll_increase")
        .Set("increase_button_position", 232.0f, 0.0f)
        .Set("increase_button_size", 28.0f, 28.0f)
        .Set("buttons_alignment", "upper");
    return s;
}

// The menu frame is reached through a second template: the panel, which
// gives the opening model and its fader to every framed window.
XmlElement TemplatePanel()
{
    XmlElement p("window");
    p.Set("name", "template_panel")
        .Set("model", "menu_frame")
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 7)
        .Set("fader", "frame_fade");
    return p;
}

XmlElement TemplateMenuFrame()
{
    XmlElement f("window");
    f.Set("name", "template_menu_frame").Set("template", "template_panel").Set("position", 220.0f, 90.0f);
    f.Set("size", 360.0f, 380.0f);
    return f;
}

XmlElement Label(const std::string& name, const std::string& text, float x, float y, float w, float h,
                 const std::string& font, float size, const std::string& alignH = "left")
{
    XmlElement t("text_label");
    t.Set("name", name)
        .Set("position", x, y)
        .Set("size", w, h)
        .Set("height", 2)
        .Set("font", font)
        .Set("font_size", size)
        .Set("text", text)
        .Set("alignment_h", alignH)
        .Set("alignment_v", "center")
        .Set("fader", "menu_fade");
    return t;
}

XmlElement Button(const std::string& name, const std::string& text, float x, float y)
{
    XmlElement b("button");
    b.Set("name", name).Set("template", "template_button").Set("position", x, y);
    b.Add("text_label").Set("name", "title").Set("text", text);
    return b;
}

// A window root: a full-screen container holding the printed title and the frame.
XmlElement WindowRoot(const std::string& name, const std::string& titleKey)
{
    XmlElement w("window");
    w.Set("name", name).Set("size", 800.0f, 600.0f).Set("fader", "window_hold");
    w.Add("text_label")
        .Set("name", "title")
        .Set("position", 100.0f, 490.0f)
        .Set("size", 600.0f, 70.0f)
        .Set("font", "main_menu_0")
        .Set("font_size", 44.0f)
        .Set("auto_font_size", 1)
        .Set("text", titleKey)
        .Set("alignment_h", "center")
        .Set("alignment_v", "center")
        .Set("printing_mode", 1)
        .Set("printing_speed", 40.0f)
        .Set("max_printing_time", 1.2f)
        .Set("fader", "menu_fade");
    return w;
}

XmlElement MainMenu()
{
    XmlElement w = WindowRoot("window_main_menu", "main_menu/title");
    XmlElement& frame = w.Add("window");
    frame.Set("name", "window").Set("template", "template_menu_frame").Set("position", 270.0f, 80.0f);
    frame.Set("size", 260.0f, 380.0f);
    const char* buttons[5][2] = {{"start", "main_menu/start"},
                                 {"options", "main_menu/options"},
                                 {"change_player", "main_menu/change_player"},
                                 {"credits", "main_menu/credits"},
                                 {"exit", "common/exit"}};
    for (int i = 0; i < 5; ++i)
        frame.Add(Button(buttons[i][0], buttons[i][1], 20, 300 - 66.0f * i));
    return w;
}

XmlElement OptionsWindow()
{
    XmlElement w = WindowRoot("window_options", "options/title");
    XmlElement& frame = w.Add("window");
    frame.Set("name", "window").Set("template", "template_menu_frame").Set("position", 150.0f, 70.0f);
    frame.Set("size", 500.0f, 400.0f);
    frame.Add(Label("sound_text", "options/sound", 30, 320, 170, 36, "common_0", 22));
    frame.Add("scroll").Set("name", "sound").Set("template", "template_scroll").Set("position", 210.0f, 324.0f);
    frame.Add(Label("music_text", "options/music", 30, 260, 170, 36, "common_0", 22));
    frame.Add("scroll").Set("name", "music").Set("template", "template_scroll").Set("position", 210.0f, 264.0f);
    frame.Add(Label("fullscreen_text", "options/fullscreen", 30, 200, 170, 36, "common_0", 22));
    frame.Add("check_box")
        .Set("name", "fullscreen")
        .Set("template", "template_check_box")
        .Set("position", 210.0f, 200.0f);
    frame.Add(Label("video_mode_title", "options/video_mode", 30, 140, 170, 36, "common_0", 22));
    frame.Add("button")
        .Set("name", "decrease_video_mode")
        .Set("model", "menu_scroll_decrease")
        .Set("position", 210.0f, 144.0f)
        .Set("size", 28.0f, 28.0f)
        .Set("fader", "menu_fade");
    XmlElement& mode = frame.Add("window");
    mode.Set("name", "video_mode").Set("position", 242.0f, 140.0f).Set("size", 186.0f, 36.0f);
    mode.Add(Label("text", "'800x600'", 0, 0, 186, 36, "common_0", 22, "center"));
    frame.Add("button")
        .Set("name", "increase_video_mode")
        .Set("model", "menu_scroll_increase")
        .Set("position", 432.0f, 144.0f)
        .Set("size", 28.0f, 28.0f)
        .Set("fader", "menu_fade");
    // Cancel, defaults, confirm from left to right.
    XmlElement cancel = Button("button_0", "common/cancel", 20, 30);
    XmlElement defaults = Button("button_1", "options/defaults", 180, 30);
    XmlElement ok = Button("button_2", "common/ok", 340, 30);
    for (XmlElement* b : {&cancel, &defaults, &ok}) {
        b->Set("size", 140.0f, 46.0f);
        b->Find("text_label")->Set("size", 140.0f, 46.0f);
        frame.Add(std::move(*b));
    }
    return w;
}

XmlElement NewProfileWindow()
{
    XmlElement w = WindowRoot("window_new_profile", "new_profile/title");
    XmlElement& frame = w.Add("window");
    frame.Set("name", "window").Set("template", "template_menu_frame").Set("position", 180.0f, 170.0f);
    frame.Set("size", 440.0f, 250.0f);
    frame.Add(Label("text", "new_profile/text", 30, 170, 380, 40, "common_0", 24, "center"));
    frame.Add("edit_box")
        .Set("name", "name")
        .Set("shader", "menu_edit_box")
        .Set("position", 40.0f, 110.0f)
        .Set("size", 360.0f, 44.0f)
        .Set("fader", "menu_fade")
        .Set("font", "common_1")
        .Set("font_color", 1.0f, 0.95f, 0.8f, 1.0f)
        .Set("text_offset", 12.0f, 12.0f)
        .Set("cursor_character", "_")
        .Set("max_character_count", 24)
        .Set("max_text_length", 330.0f)
        .Set("visible_text_width", 336.0f);
    frame.Add(Button("button_0", "common/cancel", 20, 30)).Set("size", 190.0f, 46.0f);
    frame.Add(Button("button_1", "common/ok", 230, 30)).Set("size", 190.0f, 46.0f);
    for (const char* b : {"button_0", "button_1"})
        for (size_t i = 0; i < frame.ChildCount(); ++i)
            if (*frame.Child(i).Get("name") == b)
                frame.Child(i).Find("text_label")->Set("size", 190.0f, 46.0f);
    return w;
}

struct Description {
    std::string file;
    XmlElement root;
};

std::vector<Description> Descriptions()
{
    std::vector<Description> d;
    d.push_back({"faders", Faders()});
    d.push_back({"template_button", TemplateButton()});
    d.push_back({"template_check_box", TemplateCheckBox()});
    d.push_back({"template_scroll", TemplateScroll()});
    d.push_back({"template_panel", TemplatePanel()});
    d.push_back({"template_menu_frame", TemplateMenuFrame()});
    d.push_back({"window_main_menu", MainMenu()});
    d.push_back({"window_options", OptionsWindow()});
    d.push_back({"window_new_profile", NewProfileWindow()});
    return d;
}

void Append(std::vector<std::string>& list, const std::string& value)
{
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// The shipped descriptions must hold together: every key in both languages,
// every template, fader and piece of art present.
void Check(const std::vector<Description>& descriptions, const std::vector<Art>& art)
{
    std::set<std::string> roots, faders, arts;
    for (const Description& d : descriptions) {
        if (const std::string* n = d.root.Get("name"))
            roots.insert(*n);
        if (d.root.Name() == "faders")
            for (size_t i = 0; i < d.root.ChildCount(); ++i)
                faders.insert(*d.root.Child(i).Get("name"));
    }
    for (const Art& a : art)
        arts.insert(a.name);
    for (const Description& d : descriptions) {
        References r;
        CollectReferences(d.root, r);
        const std::string where = " in " + d.file + ".xml";
        for (const std::string& key : r.textKeys)
            for (const char* code : Texts::kLanguages)
                if (!Texts::Find(key, code))
                    throw std::runtime_error("text \"" + key + "\" has no " + code + " text" + where);
        for (const std::string& t : r.templates)
            if (!roots.count(t))
                throw std::runtime_error("template \"" + t + "\" is not a description" + where);
        for (const std::string& f : r.faders)
            if (!faders.count(f))
                throw std::runtime_error("fader \"" + f + "\" is not in the fader table" + where);
        for (const std::string& f : r.fonts) {
            bool known = false;
            for (const FontTable::Entry& e : FontTable::kEntries)
                known |= f == e.name;
            if (!known)
                throw std::runtime_error("font \"" + f + "\" is not in the font table" + where);
        }
        for (const std::string& m : r.models)
            if (!arts.count(m))
                throw std::runtime_error("model \"" + m + "\" is not made" + where);
        for (const std::string& s : r.shaders)
            if (!arts.count(s))
                throw std::runtime_error("shader \"" + s + "\" is not made" + where);
    }
}

std::vector<std::string> ArtNames(bool models)
{
    std::vector<std::string> out;
    for (const Art& a : MakeArt())
        if (a.model == models)
            out.push_back(a.name);
    return out;
}

} // namespace

void SplitExpression(const std::string& expression, std::vector<std::string>& keys,
                     std::vector<std::string>& literals)
{
    size_t start = 0;
    for (;;) {
        const size_t plus = expression.find('+', start);
        std::string part = expression.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        const size_t open = part.rfind('['), close = part.rfind(']');
        if (open != std::string::npos && close != std::string::npos && open < close) {
            const std::string unit = part.substr(open, close - open + 1);
            for (size_t at; (at = part.find(unit)) != std::string::npos;)
                part.erase(at, unit.size());
        }
        if (part.size() >= 2 && IsQuote(part.front()) && IsQuote(part.back()))
            Append(literals, part.substr(1, part.size() - 2));
        else if (!part.empty())
            Append(keys, part);
        if (plus == std::string::npos)
            return;
        start = plus + 1;
    }
}

void CollectReferences(const XmlElement& e, References& out)
{
    if (const std::string* t = e.Get("text"))
        if (e.Name() == "text_label")
            SplitExpression(*t, out.textKeys, out.literals);
    if (const std::string* f = e.Get("font"))
        Append(out.fonts, *f);
    for (const char* a : {"model", "animator_model", "toddler_model", "increase_button_model", "decrease_button_model"})
        if (const std::string* m = e.Get(a))
            Append(out.models, *m);
    for (const char* a : {"shader", "toddler_shader", "increase_button_shader", "decrease_button_shader"})
        if (const std::string* s = e.Get(a))
            Append(out.shaders, *s);
    if (const std::string* t = e.Get("template"))
        Append(out.templates, *t);
    if (const std::string* f = e.Get("fader"))
        Append(out.faders, *f);
    for (size_t i = 0; i < e.ChildCount(); ++i)
        CollectReferences(e.Child(i), out);
}

std::vector<std::string> Literals()
{
    References r;
    for (const Description& d : Descriptions())
        CollectReferences(d.root, r);
    return r.literals;
}

std::vector<std::string> FontNames()
{
    References r;
    for (const Description& d : Descriptions())
        CollectReferences(d.root, r);
    return r.fonts;
}

const std::vector<std::string>& ModelNames()
{
    static const std::vector<std::string> names = ArtNames(true);
    return names;
}

const std::vector<std::string>& ShaderNames()
{
    static const std::vector<std::string> names = ArtNames(false);
    return names;
}

} // namespace Windows

void AddWindows(ContentSet& set, const Options&)
{
    const std::vector<Windows::Art> art = Windows::MakeArt();
    const std::vector<Windows::Description> descriptions = Windows::Descriptions();
    Windows::Check(descriptions, art);
    Windows::AddArt(set, art);
    for (const Windows::Description& d : descriptions)
        set.AddText(std::string(Windows::kFolder) + d.file + ".xml", ContentTools::WriteXml(d.root));
}

} // namespace Content
