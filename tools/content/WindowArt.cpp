// The windows' art: drawn here into pictures and written as quad models
// (one frame a state or animation step) with their own shader files, or as
// plain shaders, under data\ui\models, and registered as "ui/<name>".
#include "tools/content/WindowArt.h"

#include <algorithm>
#include <cmath>

#include "engine/render/ModelFile.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Screens.h"
#include "tools/content/Windows.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ParticleFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace Windows {

using ContentTools::XmlElement;

Canvas::Canvas(uint32_t w, uint32_t h) : width(w), height(h), colour(size_t(w) * h, Rgb{0, 0, 0}), alpha(size_t(w) * h, 0)
{
}

void Canvas::Put(uint32_t x, uint32_t y, const Rgb& c, float a)
{
    if (x >= width || y >= height)
        return;
    colour[size_t(y) * width + x] = c;
    alpha[size_t(y) * width + x] = a;
}

std::vector<uint8_t> Canvas::Bytes(bool opacity) const
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

namespace {

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Of(const Screens::Rgb8& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

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

// A flat, opaque face inside a rim: the panels whose colour tells the
// screens apart, and the bands of the item boxes.
void FlatPanel(Canvas& c, uint32_t cx, uint32_t cy, uint32_t cw, uint32_t ch, const Rgb& face, const Rgb& rim,
               float radius, float rimWidth)
{
    for (uint32_t y = 0; y < ch; ++y)
        for (uint32_t x = 0; x < cw; ++x) {
            const float inside = InsideRounded(x + 0.5f, y + 0.5f, 1, 1, cw - 1.0f, ch - 1.0f, radius);
            const float edge = std::min(1.0f, std::max(0.0f, inside));
            c.Put(cx + x, cy + y, inside < rimWidth ? rim : face, edge);
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

// A filled triangle pointing up or down in a cell (vertical step buttons;
// rows from the top).
void VerticalArrow(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, bool up, const Rgb& ink)
{
    const float m = size * 0.3f;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float t = up ? (py - m) / (size - 2 * m) : (size - m - py) / (size - 2 * m);
            const float half = t * (size / 2.0f - m);
            if (t >= 0 && t <= 1 && std::fabs(px - size / 2.0f) <= half)
                c.Put(cx + x, cy + y, ink, 1);
        }
}

// A thick stroke between two points of a cell.
void Stroke(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, float ax, float ay, float bx, float by, float width,
            const Rgb& ink)
{
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float dx = bx - ax, dy = by - ay;
            float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
            t = std::min(1.0f, std::max(0.0f, t));
            const float ex = ax + t * dx - px, ey = ay + t * dy - py;
            const float d = std::sqrt(ex * ex + ey * ey);
            if (d < width)
                c.Put(cx + x, cy + y, ink, std::min(1.0f, width - d));
        }
}

// A check mark: two thick strokes.
void Check(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, const Rgb& ink)
{
    const float w = size * 0.077f;
    Stroke(c, cx, cy, size, size * 0.22f, size * 0.52f, size * 0.42f, size * 0.74f, w, ink);
    Stroke(c, cx, cy, size, size * 0.42f, size * 0.74f, size * 0.8f, size * 0.26f, w, ink);
}

// A five-pointed star filling a cell (rows from the top: the point is up).
void Star(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, const Rgb& ink)
{
    const float pi = 3.14159265f, r0 = size * 0.48f, r1 = size * 0.2f;
    float px[10], py[10];
    for (int i = 0; i < 10; ++i) {
        const float a = -pi / 2 + i * pi / 5;
        const float r = i % 2 ? r1 : r0;
        px[i] = size / 2.0f + r * std::cos(a);
        py[i] = size / 2.0f + 0.04f * size + r * std::sin(a);
    }
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            // Even-odd test on the polygon, sampled 4 times for a soft edge.
            float cover = 0;
            for (int s = 0; s < 4; ++s) {
                const float sx = x + 0.25f + 0.5f * (s % 2), sy = y + 0.25f + 0.5f * (s / 2);
                bool in = false;
                for (int i = 0, j = 9; i < 10; j = i++)
                    if ((py[i] > sy) != (py[j] > sy) && sx < (px[j] - px[i]) * (sy - py[i]) / (py[j] - py[i]) + px[i])
                        in = !in;
                cover += in ? 0.25f : 0;
            }
            if (cover > 0)
                c.Put(cx + x, cy + y, ink, cover);
        }
}

// A padlock: a rounded body and a shackle arch above it.
void Padlock(Canvas& c, uint32_t cx, uint32_t cy, uint32_t size, const Rgb& body, const Rgb& shackle)
{
    const float s = static_cast<float>(size);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            // The arch: a ring's upper half.
            const float ax = px - s * 0.5f, ay = py - s * 0.45f;
            const float r = std::sqrt(ax * ax + ay * ay);
            if (ay <= 0 && r > s * 0.18f && r < s * 0.29f)
                c.Put(cx + x, cy + y, shackle, 1);
            if (ay > 0 && ay < s * 0.08f && std::fabs(std::fabs(ax) - s * 0.235f) < s * 0.055f)
                c.Put(cx + x, cy + y, shackle, 1);
            const float inside = InsideRounded(px, py, s * 0.16f, s * 0.44f, s * 0.84f, s * 0.94f, s * 0.08f);
            if (inside > 0) {
                const bool hole = std::fabs(ax) < s * 0.05f && py > s * 0.58f && py < s * 0.78f;
                c.Put(cx + x, cy + y, hole ? Mix(body, Rgb{0, 0, 0}, 0.6f) : body, std::min(1.0f, inside));
            }
        }
}

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

// Eight cells of a 4 x 2 sheet, in state order (check boxes).
std::vector<Frame> Cells8()
{
    std::vector<Frame> frames;
    for (int i = 0; i < 8; ++i)
        frames.push_back(Frame{(i % 4) / 4.0f, 1 - (i / 4 + 1) / 2.0f, (i % 4 + 1) / 4.0f, 1 - (i / 4) / 2.0f});
    return frames;
}

// A frame that opens from a thin band to the whole quad in eight steps, as
// the menu panels and title frames do; vertical or horizontal.
std::vector<Frame> Opening(bool vertical)
{
    std::vector<Frame> frames;
    for (int i = 0; i < 8; ++i) {
        const float s = (i + 1) / 8.0f;
        if (vertical)
            frames.push_back(Frame{0, 0, 1, 1, 0, 0.5f - 0.5f * s, 1, 0.5f + 0.5f * s});
        else
            frames.push_back(Frame{0, 0, 1, 1, 0.5f - 0.5f * s, 0, 0.5f + 0.5f * s, 1});
    }
    return frames;
}

const Rgb kPanelTop{0.16f, 0.22f, 0.42f}, kPanelBottom{0.07f, 0.09f, 0.22f}, kGold{0.93f, 0.76f, 0.35f};
const Rgb kIvory{0.98f, 0.96f, 0.90f};

// A four-state button sheet with an icon drawn on each state.
template <class Icon> Art IconButton(const std::string& name, const Rgb& face, Icon icon)
{
    Art a{name, true, Canvas(64, 256), Rows(4)};
    for (int i = 0; i < 4; ++i) {
        const Rgb f = i == 3 ? Rgb{0.35f, 0.35f, 0.38f} : i == 1 ? Mix(face, Rgb{1, 1, 1}, 0.25f)
                                                     : i == 2 ? Mix(face, Rgb{0, 0, 0}, 0.3f) : face;
        Slab(a.picture, 0, i * 64, 64, 64, f, Mix(f, Rgb{0, 0, 0}, 0.35f), kGold, 14, 3, 1);
        icon(a.picture, static_cast<uint32_t>(i * 64));
    }
    return a;
}

} // namespace

std::vector<Art> MakeArt()
{
    std::vector<Art> art;

    // The menu frame opens from a thin band to the full panel in 8 frames.
    {
        Art a{"menu_frame", true, Canvas(256, 256), Opening(true), 16.0f};
        Slab(a.picture, 0, 0, 256, 256, kPanelTop, kPanelBottom, kGold, 18, 5, 0.92f);
        art.push_back(std::move(a));
    }
    // Every screen's own panel: the same opening, a flat face of the screen's
    // colour, opaque.
    for (const Screens::Panel& p : Screens::kPanels) {
        Art a{std::string("panel_") + (p.window + 7), true, Canvas(128, 128), Opening(true), 16.0f};
        FlatPanel(a.picture, 0, 0, 128, 128, Of(p.colour), kGold, 10, 3);
        a.basic = std::string(p.window) == "window_game_loading";
        art.push_back(std::move(a));
    }
    // The frame behind a screen's title: a ribbon that unrolls sideways
    // (animated) or stands (static).
    {
        const Rgb ribbon{0.42f, 0.10f, 0.12f};
        Art animated{"title_mount_animated", true, Canvas(256, 64), Opening(false), 20.0f};
        Slab(animated.picture, 0, 0, 256, 64, Mix(ribbon, Rgb{1, 1, 1}, 0.15f), ribbon, kGold, 24, 3, 1);
        Art fixed{"title_mount_static", true, Canvas(256, 64), Rows(1)};
        fixed.picture = animated.picture;
        art.push_back(std::move(animated));
        art.push_back(std::move(fixed));
    }
    // Buttons: one row a state (normal, pointer over, pressed, disabled).
    {
        Art a{"menu_button", true, Canvas(256, 256), Rows(4)};
        const Rgb states[4][2] = {{{0.20f, 0.55f, 0.62f}, {0.10f, 0.33f, 0.42f}},
                                  {Of(Screens::kButtonOver[0]), Of(Screens::kButtonOver[1])},
                                  {{0.08f, 0.30f, 0.38f}, {0.12f, 0.40f, 0.48f}},
                                  {{0.42f, 0.42f, 0.45f}, {0.28f, 0.28f, 0.30f}}};
        for (int i = 0; i < 4; ++i)
            Slab(a.picture, 0, i * 64, 256, 64, states[i][0], states[i][1], i == 3 ? Rgb{0.6f, 0.6f, 0.6f} : kGold,
                 20, 3, 1);
        art.push_back(std::move(a));
    }
    // Check boxes: cells of 64 in two rows of four, in state order (unchecked
    // normal, over, pressed, checked normal, over, pressed, then disabled
    // unchecked and checked). A checked box has the chosen colour's face.
    {
        Art a{"menu_check_box", true, Canvas(256, 128), Cells8()};
        const Rgb face[3] = {{0.14f, 0.20f, 0.36f}, {0.22f, 0.32f, 0.52f}, {0.08f, 0.12f, 0.24f}};
        for (int i = 0; i < 8; ++i) {
            const uint32_t cx = (i % 4) * 64, cy = (i / 4) * 64;
            const bool disabled = i >= 6;
            const bool checked = disabled ? i == 7 : i >= 3;
            Rgb f = disabled ? Rgb{0.3f, 0.3f, 0.32f} : face[i % 3];
            if (checked && !disabled)
                f = Of(Screens::kChecked);
            FlatPanel(a.picture, cx, cy, 64, 64, f, disabled ? Rgb{0.55f, 0.55f, 0.55f} : kGold, 10, 4);
            if (checked)
                Check(a.picture, cx, cy, 64, disabled ? Rgb{0.7f, 0.7f, 0.7f} : Rgb{0.12f, 0.30f, 0.08f});
        }
        art.push_back(std::move(a));
    }
    // The start-game items: a band round the preview, the chosen colour when
    // checked, dimmed while the item is locked (disabled).
    {
        Art a{"item_check_box", true, Canvas(256, 128), Cells8()};
        const float band = 64 * Screens::kItemBand;
        for (int i = 0; i < 8; ++i) {
            const uint32_t cx = (i % 4) * 64, cy = (i / 4) * 64;
            const bool disabled = i >= 6, checked = disabled ? i == 7 : i >= 3;
            Rgb b = checked ? Of(Screens::kChecked) : Of(Screens::kUnchecked);
            if (!disabled && i % 3 == 1)
                b = Mix(b, Rgb{1, 1, 1}, checked ? 0.0f : 0.3f);
            if (!disabled && i % 3 == 2)
                b = Mix(b, Rgb{0, 0, 0}, checked ? 0.0f : 0.3f);
            if (disabled)
                b = Mix(b, Rgb{0.2f, 0.2f, 0.2f}, 0.55f);
            FlatPanel(a.picture, cx, cy, 64, 64, Rgb{0.04f, 0.05f, 0.08f}, b, 6, band);
        }
        art.push_back(std::move(a));
    }
    // The padlock sways from side to side as it turns (its frames), at the
    // speed the start-game window gives it.
    {
        Art a{"start_game_lock", true, Canvas(64, 64), {}, 1.0f};
        Padlock(a.picture, 0, 0, 64, Of(Screens::kLock), Rgb{0.85f, 0.85f, 0.9f});
        const float sway[4] = {0.0f, 0.08f, 0.0f, -0.08f};
        for (float s : sway)
            a.frames.push_back(Frame{0, 0, 1, 1, s, 0, 1 + s, 1});
        art.push_back(std::move(a));
    }
    {
        Art a{"start_game_star", true, Canvas(64, 64), Rows(1)};
        Star(a.picture, 0, 0, 64, Of(Screens::kStar));
        art.push_back(std::move(a));
    }
    // What a preview shows until the window gives it its picture.
    {
        Art a{"preview_placeholder", false, Canvas(16, 16), {}};
        for (uint32_t y = 0; y < 16; ++y)
            for (uint32_t x = 0; x < 16; ++x)
                a.picture.Put(x, y, Rgb{0.3f, 0.3f, 0.3f}, 1);
        art.push_back(std::move(a));
    }
    // The place of a small publisher logo: clear until the logo is given.
    for (bool basic : {true, false}) {
        Art a{basic ? "logo_slot_basic" : "logo_slot", false, Canvas(8, 8), {}};
        a.basic = basic;
        art.push_back(std::move(a));
    }
    // A row of the player list: faint, lit under the pointer, pressed, and
    // marked gold while disabled (the current player's row).
    {
        Art a{"profile_row", true, Canvas(256, 128), Rows(4)};
        const Rgb rows[4] = {{0.10f, 0.22f, 0.12f}, {0.20f, 0.42f, 0.24f}, {0.06f, 0.14f, 0.08f}, {0.55f, 0.45f, 0.16f}};
        for (int i = 0; i < 4; ++i)
            FlatPanel(a.picture, 0, i * 32, 256, 32, rows[i], Mix(rows[i], Rgb{1, 1, 1}, 0.3f), 8, 2);
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
            Arrow(a.picture, 0, i * 64, 64, dir == 1, kIvory);
        }
        art.push_back(std::move(a));
    }
    for (int dir = 0; dir < 2; ++dir) {
        Art a{dir ? "menu_scroll_up" : "menu_scroll_down", true, Canvas(64, 256), Rows(4)};
        for (int i = 0; i < 4; ++i) {
            const Rgb f = i == 3 ? Rgb{0.35f, 0.35f, 0.38f} : Rgb{0.20f + 0.1f * (i == 1), 0.50f + 0.15f * (i == 1), 0.58f};
            Slab(a.picture, 0, i * 64, 64, 64, f, Mix(f, Rgb{0, 0, 0}, 0.35f), kGold, 12, 3, 1);
            VerticalArrow(a.picture, 0, i * 64, 64, dir == 1, kIvory);
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
    // The play screen: its top bar and its small buttons.
    {
        Art a{"hud_bar", true, Canvas(128, 32), Rows(1)};
        FlatPanel(a.picture, 0, 0, 128, 32, Of(Screens::kHudBar), kGold, 4, 2);
        art.push_back(std::move(a));
    }
    {
        Art a{"hud_stars", true, Canvas(64, 64), Rows(1)};
        Star(a.picture, 0, 0, 64, Of(Screens::kStar));
        art.push_back(std::move(a));
    }
    const Rgb hudFace{0.45f, 0.30f, 0.16f};
    art.push_back(IconButton("hud_button_menu", hudFace, [](Canvas& c, uint32_t y) {
        for (int k = 0; k < 3; ++k)
            Stroke(c, 0, y, 64, 18, 22 + k * 10.0f, 46, 22 + k * 10.0f, 3, kIvory);
    }));
    art.push_back(IconButton("hud_button_minimize", hudFace,
                             [](Canvas& c, uint32_t y) { Stroke(c, 0, y, 64, 18, 44, 46, 44, 3.5f, kIvory); }));
    art.push_back(IconButton("hud_button_close", Rgb{0.55f, 0.16f, 0.12f}, [](Canvas& c, uint32_t y) {
        Stroke(c, 0, y, 64, 20, 20, 44, 44, 3.5f, kIvory);
        Stroke(c, 0, y, 64, 44, 20, 20, 44, 3.5f, kIvory);
    }));
    {
        // Full screen: an outlined square, filled while on.
        Art a{"hud_check_box", true, Canvas(256, 128), Cells8()};
        for (int i = 0; i < 8; ++i) {
            const uint32_t cx = (i % 4) * 64, cy = (i / 4) * 64;
            const bool disabled = i >= 6, checked = disabled ? i == 7 : i >= 3;
            Rgb f = disabled ? Rgb{0.35f, 0.35f, 0.38f} : hudFace;
            if (!disabled && i % 3 == 1)
                f = Mix(f, Rgb{1, 1, 1}, 0.25f);
            Slab(a.picture, cx, cy, 64, 64, f, Mix(f, Rgb{0, 0, 0}, 0.35f), kGold, 14, 3, 1);
            for (int e = 0; e < 4; ++e) {
                const float p[4][4] = {{18, 20, 46, 20}, {46, 20, 46, 44}, {46, 44, 18, 44}, {18, 44, 18, 20}};
                Stroke(a.picture, cx, cy, 64, p[e][0], p[e][1], p[e][2], p[e][3], 2.5f, kIvory);
            }
            if (checked)
                for (uint32_t y = 24; y < 41; ++y)
                    for (uint32_t x = 22; x < 43; ++x)
                        a.picture.Put(cx + x, cy + y, kIvory, 1);
        }
        art.push_back(std::move(a));
    }
    // Where the path ends: a dark mouth and an arrow into it.
    {
        Art a{"eater_bottom", true, Canvas(64, 64), Rows(1)};
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                const float dx = x - 31.5f, dy = y - 31.5f, r = std::sqrt(dx * dx + dy * dy);
                if (r < 30)
                    a.picture.Put(x, y, Mix(Rgb{0.05f, 0.02f, 0.02f}, Rgb{0.5f, 0.12f, 0.08f}, r / 30),
                                  std::min(1.0f, 30 - r));
            }
        art.push_back(std::move(a));
    }
    {
        Art a{"eater_arrow", true, Canvas(64, 64), {}, 2.0f};
        Arrow(a.picture, 0, 0, 64, false, Rgb{0.95f, 0.35f, 0.2f});
        // Nudges towards the mouth (to its left) and back.
        for (float s : {0.0f, -0.12f})
            a.frames.push_back(Frame{0, 0, 1, 1, s, 0, 1 + s, 1});
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
        set.AddResource(a.basic ? kResourceList : kAdditionalResourceList, ContentTools::WriteXmlLine(entry));
    }
}

void AddParticles(ContentSet& set)
{
    // Small stars shed along the flight: they drift, shrink and fade within
    // about half a second. Sizes and speeds in GUI units.
    ContentTools::ParticleFile p;
    p.maxParticles = 120;
    p.duration = 1.0f;
    p.gravityEnabled = 0;
    p.floorEnabled = 0;
    p.stopOnRest = 0;
    for (int k = 0; k < 6; ++k) {
        p.emissionRate[k] = 90;
        p.lifeCentre[k] = 0.5f;
        p.lifeSpread[k] = 0.15f;
        p.directionCentre[k][0] = p.directionCentre[k][1] = p.directionCentre[k][2] = 0;
        p.directionSpread[k][0] = p.directionSpread[k][1] = 1;
        p.directionSpread[k][2] = 0;
        const float fade = 1.0f - k / 5.0f;
        p.colour[k][0] = 1.0f;
        p.colour[k][1] = 0.93f;
        p.colour[k][2] = 0.35f + 0.5f * (1 - fade);
        p.colour[k][3] = fade;
        p.size[k] = 16.0f - 2.0f * k;
        p.speedCentre[k] = 40.0f;
        p.speedSpread[k] = 20.0f;
    }
    const std::string base = "data\\ui\\particles\\start_game_stars";
    set.Add(base + ".psf", ContentTools::WriteParticleFile(p));
    Canvas sprite(32, 32);
    Star(sprite, 0, 0, 32, Rgb{1, 1, 1});
    ContentTools::JpegOptions jpeg;
    jpeg.quality = 92;
    jpeg.fullColour = true;
    const std::vector<uint8_t> rgb = sprite.Bytes(false), grey = sprite.Bytes(true);
    set.Add(base + ".jpg", ContentTools::WriteJpeg(rgb.data(), 32, 32, 3, jpeg));
    set.Add(base + "_opacity.jpg", ContentTools::WriteJpeg(grey.data(), 32, 32, 1, jpeg));
    ContentTools::ShaderFile shader;
    shader.flags = 1;
    shader.sourceBlend = 4;
    shader.destinationBlend = 1;  // added to what lies below: the stars glow
    ContentTools::ShaderFileStage stage;
    stage.flags = 1;
    stage.diffuse = "start_game_stars.jpg";
    stage.opacity = "start_game_stars_opacity.jpg";
    stage.addressU = stage.addressV = 0;
    shader.stages.push_back(stage);
    set.Add(base + ".srf", ContentTools::WriteShaderFile(shader));
    XmlElement entry("particles");
    entry.Set("name", "ui/start_game_stars").Set("file_name", "particles\\start_game_stars.psf");
    set.AddResource(kAdditionalResourceList, ContentTools::WriteXmlLine(entry));
}

} // namespace Windows
} // namespace Content
