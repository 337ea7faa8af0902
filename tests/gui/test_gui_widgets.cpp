// The widgets, fonts and sprites on a real device, driven by calls (the real
// input tests are in test_gui_input and test_gui_sound).
#include "GUITestSupport.h"

#include <cmath>

#include "engine/foundation/Error.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Model.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUICursor.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIScroll.h"
#include "gui/GUISlider.h"
#include "gui/Sprite2D.h"
#include "gui/SpriteManager.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Fonts.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"

using namespace KorvaneEngine;
using namespace GUITest;

namespace {

const float kPi = 3.14159265f;

class Widgets : public ::testing::Test {
protected:
    void SetUp() override { scene.StartGUI("gui_widgets", false); }
    void TearDown() override { scene.StopGUI(); }

    void SaveShot(const std::string& name)
    {
        const Image& shot = scene.Screenshot();
        PictureWriters::Picture p;
        p.width = shot.GetWidth();
        p.height = shot.GetHeight();
        p.channels = 3;
        p.data.resize(size_t(p.width) * p.height * 3);
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t x = 0; x < p.width; ++x)
                for (int c = 0; c < 3; ++c)
                    p.At(x, y)[c] = RenderTest::ScreenPixel(shot, x, y)[c];
        TestSupport::WriteFileBytes(scene.root + "\\" + name + ".bmp", PictureWriters::EncodeBmp(p));
    }

    GUIScene scene;
};

TEST_F(Widgets, TreeDepthVisibilityHitTestAndDestruction)
{
    GUIManager& gui = *scene.gui;
    // The test display is 5:4, narrower than 4:3: black bars above and below
    // the GUI screen, shown only in full screen.
    ASSERT_EQ(gui.GetBorders().size(), 2u);
    const float bar = (1 - 1.25f / (4.0f / 3)) * kHeight / 2;
    EXPECT_NEAR(gui.GetBorders()[0]->GetPosition().y, -bar - 1, 1e-3f);
    EXPECT_NEAR(gui.GetBorders()[1]->GetPosition().y, kHeight, 1e-3f);
    EXPECT_NEAR(gui.GetBorders()[1]->GetSize().y, bar + 1, 1e-3f);
    EXPECT_FLOAT_EQ(gui.GetBorders()[1]->GetSize().x, kWidth);
    gui.Update();
    EXPECT_FALSE(gui.GetBorders()[0]->IsVisible());
    EXPECT_FLOAT_EQ(gui.GetBorders()[0]->GetDepth(), -31.0f);
    const uint32_t borders = 2;
    GUIWindow* root = gui.CreateWindow(1, Vector2(100, 100), Vector2(200, 100), nullptr, &scene.white, nullptr);
    GUIWindow* child = gui.CreateWindow(1, Vector2(10, 10), Vector2(50, 50), nullptr, &scene.white, root);
    GUIButton* grandchild = gui.CreateButton(1, Vector2(5, 5), Vector2(10, 10), nullptr, &scene.white, child);
    EXPECT_FLOAT_EQ(root->GetDepth(), -15.0f);
    EXPECT_NEAR(child->GetDepth(), -15.01f, 1e-5f);
    EXPECT_NEAR(grandchild->GetDepth(), -15.02f, 1e-5f);
    EXPECT_FLOAT_EQ(child->GetModel()->viewDepth, child->GetDepth());
    // A layer bit moves a root; its subtree follows when heights are applied again.
    root->SetFlags(GUIWindow::kLayerFront);
    EXPECT_FLOAT_EQ(root->GetDepth(), -30.0f);
    EXPECT_NEAR(child->GetDepth(), -15.01f, 1e-5f);
    root->SetHeight(1);
    EXPECT_NEAR(grandchild->GetDepth(), -30.02f, 1e-5f);
    child->SetHeight(3);
    EXPECT_NEAR(grandchild->GetDepth(), -30.04f, 1e-5f);

    // Hiding the root hides every model below; showing it shows only those
    // whose own flag is set, with mouse over cleared.
    grandchild->ClearFlags(GUIWindow::kShown);
    grandchild->mouseOver = true;
    child->mouseOver = true;
    root->ClearFlags(GUIWindow::kShown);
    EXPECT_FALSE(child->IsVisible());
    EXPECT_FALSE(child->GetModel()->GetFlags() & ModelFlags::kVisible);
    root->SetFlags(GUIWindow::kShown);
    EXPECT_TRUE(child->IsVisible());
    EXPECT_FALSE(child->mouseOver);
    EXPECT_TRUE(child->GetModel()->GetFlags() & ModelFlags::kVisible);
    EXPECT_FALSE(grandchild->IsVisible());
    EXPECT_FALSE(grandchild->GetModel()->GetFlags() & ModelFlags::kVisible);
    grandchild->SetFlags(GUIWindow::kShown);

    // Strict edges, and the custom hit rectangle.
    EXPECT_FALSE(child->UpdateInput(Vector2(110, 135), false, false) && child->mouseOver);
    EXPECT_TRUE(child->UpdateInput(Vector2(110.5f, 135), false, false));
    EXPECT_TRUE(child->mouseOver);
    EXPECT_FALSE((child->UpdateInput(Vector2(160, 135), false, false), child->mouseOver));
    child->customHitArea = true;
    child->SetHitAreaOffset(Vector2(100, 0));
    child->SetHitAreaSize(Vector2(10, 10));
    child->UpdateInput(Vector2(215, 115), false, false);
    EXPECT_TRUE(child->mouseOver);
    child->UpdateInput(Vector2(130, 130), false, false);
    EXPECT_FALSE(child->mouseOver);
    child->customHitArea = false;

    // Render places the quad over the rectangle.
    scene.GUIFrame();
    const Matrix4& m = child->GetModel()->localMatrix;
    EXPECT_FLOAT_EQ(m.m[3], 110.0f);
    EXPECT_FLOAT_EQ(m.m[7], 110.0f);
    EXPECT_FLOAT_EQ(m.m[0], 50.0f);

    // Texts: the empty one is not queued; a hidden widget drops its queue.
    child->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"", 0, -1);
    EXPECT_EQ(child->GetTextCount(), 0u);
    child->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"x", 0, -1);
    child->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"y", 0, -1);
    EXPECT_EQ(child->GetTextCount(), 2u);
    child->ClearFlags(GUIWindow::kShown);
    EXPECT_FALSE(child->Render());
    EXPECT_EQ(child->GetTextCount(), 0u);
    child->SetFlags(GUIWindow::kShown);

    // Destroy: only from the widget's own registry; the exclusive list lets go.
    const uint32_t models = scene.models->GetModelCount();
    gui.AddExclusiveWindow(grandchild);
    gui.DestroyWindow(grandchild);  // a button is not a window
    EXPECT_EQ(gui.GetWidgetCount(), borders + 3);
    gui.DestroyButton(grandchild);
    EXPECT_TRUE(gui.GetExclusiveWindows().empty());
    EXPECT_EQ(gui.GetWidgetCount(), borders + 2);
    EXPECT_EQ(scene.models->GetModelCount(), models - 1);
    gui.DestroyButton(nullptr);
    // A destroyed parent leaves its children as roots at depth -15.
    gui.DestroyWindow(root);
    ASSERT_EQ(gui.GetWidgetCount(), borders + 1);
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_FLOAT_EQ(child->GetDepth(), -15.0f);
    EXPECT_TRUE(child->IsVisible());
    scene.GUIFrame();
}

TEST_F(Widgets, ExclusiveWidgetsTakeThePointerFromTheOthers)
{
    GUIManager& gui = *scene.gui;
    GUIButton* a = gui.CreateButton(1, Vector2(0, 0), Vector2(800, 600), nullptr, &scene.white, nullptr);
    GUIButton* b = gui.CreateButton(1, Vector2(0, 0), Vector2(800, 600), nullptr, &scene.white, nullptr);
    gui.GetDefaultCursor()->position = Vector2(400, 300);
    // Without input controls nothing is held, but the pointer still hovers.
    a->UpdateInput(Vector2(400, 300), false, false);
    gui.AddExclusiveWindow(b);
    gui.Update();
    EXPECT_FALSE(a->mouseOver);
    EXPECT_EQ(b->GetState(), GUIButton::kMouseOver);
    gui.RemoveExclusiveWindow(b);
    gui.Update();
    EXPECT_EQ(a->GetState(), GUIButton::kMouseOver);
}

TEST_F(Widgets, FontFilesAreCheckedWholeBeforeAnythingIsCreated)
{
    GUIFontManager& fonts = *scene.gui->GetFontManager();
    const uint32_t models = scene.models->GetModelCount();
    auto refused = [&](const std::string& name, const ContentTools::FontFile& f, std::vector<uint8_t> bytes = {}) {
        scene.PutFile(name, bytes.empty() ? ContentTools::WriteFontFile(f) : bytes);
        try {
            fonts.LoadFont(7, &scene.fontShader, scene.Path(name));
        } catch (const FileError& e) {
            EXPECT_EQ(scene.models->GetModelCount(), models) << name;
            EXPECT_EQ(fonts.GetFont(7), nullptr);
            return std::string(e.GetMessage());
        }
        return std::string("loaded");
    };
    ContentTools::FontFile good = BlockFont();
    ContentTools::FontFile f = good;
    f.magic = "KEFNX";
    EXPECT_EQ(refused("magic.kefnt", f), "Incorrect \"" + scene.Path("magic.kefnt") + "\" file format");
    f = good;
    f.storedTotalSize = 99;
    EXPECT_EQ(refused("length.kefnt", f), "Incorrect \"" + scene.Path("length.kefnt") + "\" file format");
    f = good;
    f.version = 200;
    EXPECT_EQ(refused("version.kefnt", f),
        "Incorrect \"" + scene.Path("version.kefnt") + "\" format version, current is 201");
    f = good;
    f.storedCount = 0x0BA2E8BAu + 1;  // x 22 wraps round 32 bits to a small number
    EXPECT_EQ(refused("count.kefnt", f), "Incorrect \"" + scene.Path("count.kefnt") + "\" file format");
    f = good;
    f.storedCount = static_cast<uint32_t>(good.glyphs.size() - 1);
    EXPECT_EQ(refused("count2.kefnt", f), "Incorrect \"" + scene.Path("count2.kefnt") + "\" file format");
    f = good;
    f.glyphs[3].ratio = std::nanf("");
    EXPECT_EQ(refused("nan.kefnt", f), "Incorrect \"" + scene.Path("nan.kefnt") + "\" file format");
    EXPECT_EQ(refused("short.kefnt", f, {9, 0, 0, 0, 'K', 'E', 'F', 'N', 'T'}),
        "Incorrect \"" + scene.Path("short.kefnt") + "\" file format");
    EXPECT_THROW(fonts.LoadFont(7, &scene.fontShader, scene.Path("missing.kefnt")), FileError);

    // A good file: the first record of a code wins; the widest ratio is the
    // fixed advance.
    f = good;
    ContentTools::FontGlyphRecord again;
    again.code = 'A';
    again.ratio = 2.0f;
    f.glyphs.push_back(again);
    EXPECT_EQ(refused("good.kefnt", f), "loaded");
    GUIFont* font = fonts.GetFont(7);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(scene.models->GetModelCount(), models + 1);
    EXPECT_FLOAT_EQ(font->GetGlyph(L'A')->ratio, 0.5f);
    EXPECT_FLOAT_EQ(font->GetFixedAdvance(), 0.75f);
    EXPECT_FALSE(font->HasGlyph(L' '));
    EXPECT_EQ(font->GetModel()->name, "font_model");
    // The same id again returns the first font and loads nothing.
    EXPECT_EQ(fonts.LoadFont(7, &scene.fontShader, scene.Path("magic.kefnt")), font);
    EXPECT_EQ(scene.models->GetModelCount(), models + 1);
}

TEST_F(Widgets, TextLayersMeasuresAndTheBatchLimit)
{
    GUIFontManager& fonts = *scene.gui->GetFontManager();
    GUIFont* font = scene.LoadBlockFont(0, 20);
    Vector2 size;
    EXPECT_FLOAT_EQ(font->GetTextSize(size, L"", 0, -1).x, 0.0f);
    // Blanks and line feeds advance by the space ratio and count in the width.
    font->GetTextSize(size, L"ab c\nd", 0, -1);
    EXPECT_NEAR(size.x, 20 * 0.5f * 4 + 20 * 2, 1e-3f);
    EXPECT_NEAR(size.y, 20, 1e-3f);
    font->lineFactor = 1.5f;
    font->GetTextSize(size, L"Wi", 0, 10);
    EXPECT_NEAR(size.x, 10, 1e-3f);
    EXPECT_NEAR(size.y, 30, 1e-3f);
    font->lineFactor = 1.0f;
    font->GetTextSize(size, L"abcd", kPi / 2, -1);
    EXPECT_NEAR(size.x, 20, 1e-3f);
    EXPECT_NEAR(size.y, 40, 1e-3f);

    // Two widgets at one depth share a layer; another depth gets another,
    // and a layer without text goes after one frame.
    GUIManager& gui = *scene.gui;
    GUIWindow* a = gui.CreateWindow(1, Vector2(0, 0), Vector2(100, 100), nullptr, nullptr, nullptr);
    GUIWindow* b = gui.CreateWindow(1, Vector2(0, 200), Vector2(100, 100), nullptr, nullptr, nullptr);
    a->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"one", 0, -1);
    b->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"two", 0, -1);
    scene.GUIFrame();
    ASSERT_EQ(fonts.GetTextLayers().size(), 1u);
    EXPECT_NEAR(fonts.GetTextLayers()[0]->GetDepth(), -15.005f, 1e-5f);
    EXPECT_EQ(fonts.GetTextLayers()[0]->GetModel()->GetIndexBuffer()->indexCount, 6u * 6);
    b->SetFlags(GUIWindow::kLayerTop);
    a->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"one", 0, -1);
    b->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"two", 0, -1);
    scene.GUIFrame();
    EXPECT_EQ(fonts.GetTextLayers().size(), 2u);
    b->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"two", 0, -1);
    scene.GUIFrame();
    ASSERT_EQ(fonts.GetTextLayers().size(), 1u);
    EXPECT_NEAR(fonts.GetTextLayers()[0]->GetDepth(), -10.005f, 1e-5f);

    // 1100 visible characters in one frame: 1024 quads.
    a->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), std::wstring(1100, L'x'), 0, -1);
    scene.GUIFrame();
    ASSERT_EQ(fonts.GetTextLayers().size(), 1u);
    EXPECT_EQ(fonts.GetTextLayers()[0]->GetModel()->GetIndexBuffer()->indexCount, 1024u * 6);

    // A record with its own size and an unknown font is skipped safely; one
    // with a known font prints at its size and leaves the font's size alone.
    a->PrintText(0, 42, Vector2(0, 0), Color(1, 1, 1, 1), L"lost", 0, 12);
    a->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"small", 0, 12);
    scene.GUIFrame();
    EXPECT_FLOAT_EQ(font->size, 20.0f);

    // Deleting a font deletes its layers with it.
    a->PrintText(0, 0, Vector2(0, 0), Color(1, 1, 1, 1), L"x", 0, -1);
    gui.Render();
    EXPECT_FALSE(fonts.GetTextLayers().empty());
    const uint32_t models = scene.models->GetModelCount();
    fonts.DeleteFont(0);
    EXPECT_TRUE(fonts.GetTextLayers().empty());
    EXPECT_EQ(scene.models->GetModelCount(), models - 2);
    fonts.DeleteFont(0);
    scene.GUIFrame();
}

TEST_F(Widgets, CaseOptionsCopyGlyphsAcrossCases)
{
    ContentTools::FontFile f;
    ContentTools::FontGlyphRecord g;
    g.code = 'a';
    g.ratio = 0.3f;
    f.glyphs.push_back(g);
    g.code = 'B';
    g.ratio = 0.6f;
    f.glyphs.push_back(g);
    scene.PutFile("case.kefnt", ContentTools::WriteFontFile(f));
    GUIFont* lower = scene.gui->GetFontManager()->LoadFont(1, &scene.fontShader, scene.Path("case.kefnt"));
    GUIFont* upper = scene.gui->GetFontManager()->LoadFont(2, &scene.fontShader, scene.Path("case.kefnt"));
    lower->UseLowerCaseGlyphs();
    ASSERT_TRUE(lower->HasGlyph(L'A'));
    EXPECT_FLOAT_EQ(lower->GetGlyph(L'A')->ratio, 0.3f);
    EXPECT_FALSE(lower->HasGlyph(L'b'));
    upper->UseUpperCaseGlyphs();
    ASSERT_TRUE(upper->HasGlyph(L'b'));
    EXPECT_FLOAT_EQ(upper->GetGlyph(L'b')->ratio, 0.6f);
    EXPECT_FALSE(upper->HasGlyph(L'A'));
}

TEST_F(Widgets, AlignedAndRotatedTextInkMatchesItsMeasuredBox)
{
    GUIManager& gui = *scene.gui;
    GUIFont* font = scene.LoadBlockFont(0, 24);
    GUIWindow* box = gui.CreateWindow(1, Vector2(150, 100), Vector2(500, 400), nullptr, nullptr, nullptr);
    const std::wstring text = L"Wide iW text";
    struct Case {
        int32_t flags;
        float angle;
        const char* what;
    };
    const Case cases[] = {{TextAlign::kLeft | TextAlign::kTop, 0, "left top"},
        {TextAlign::kCentreH | TextAlign::kCentreV, 0, "centre"},
        {TextAlign::kRight | TextAlign::kBottom, 0, "right bottom"},
        {TextAlign::kCentreH | TextAlign::kCentreV, kPi / 2, "centre, a quarter turn"},
        {TextAlign::kCentreH | TextAlign::kCentreV, kPi, "centre, a half turn"},
        {TextAlign::kRight | TextAlign::kTop, kPi, "right top, a half turn"},
        {0, 0, "as given"}};
    int n = 0;
    for (const Case& c : cases) {
        box->PrintText(c.flags, 0, Vector2(30, 40), Color(1, 1, 1, 1), text, c.angle, -1);
        scene.GUIFrame();
        SaveShot("gui_text_" + std::to_string(n++));
        const InkBox ink = FindInk(scene.Screenshot(), 255, 255, 255);
        ASSERT_FALSE(ink.Empty()) << c.what;
        Vector2 measured, pen;
        font->GetTextSize(measured, text, c.angle, -1);
        scene.gui->GetFontManager()->GetTextPosition(pen, c.flags, 0, *box, Vector2(30, 40), c.angle, text);
        // Back in GUI units; 2 pixels of slack.
        const float left = scene.GUIX(float(ink.left)), right = scene.GUIX(float(ink.right + 1));
        const float bottom = scene.GUIY(float(ink.bottom + 1)), top = scene.GUIY(float(ink.top));
        EXPECT_NEAR(right - left, measured.x, 2) << c.what;
        EXPECT_NEAR(top - bottom, measured.y, 2) << c.what;
        if (c.flags & TextAlign::kLeft) {
            EXPECT_NEAR(left, 150, 2) << c.what;
        }
        if (c.flags & TextAlign::kRight) {
            EXPECT_NEAR(right, 650, 2) << c.what;
        }
        if (c.flags & TextAlign::kTop) {
            EXPECT_NEAR(top, 500, 2) << c.what;
        }
        if (c.flags & TextAlign::kBottom) {
            EXPECT_NEAR(bottom, 100, 2) << c.what;
        }
        if (c.flags & TextAlign::kCentreH) {
            EXPECT_NEAR((left + right) / 2, 400, 2) << c.what;
        }
        if (c.flags & TextAlign::kCentreV) {
            EXPECT_NEAR((top + bottom) / 2, 300, 2) << c.what;
        }
        if (c.flags == 0) {
            EXPECT_NEAR(left, 180, 2);
            EXPECT_NEAR(bottom, 140, 2);
        }
        // The pen is a corner of the ink box whichever way the text turns.
        EXPECT_TRUE(std::fabs(pen.x - left) <= 2 || std::fabs(pen.x - right) <= 2) << c.what;
        EXPECT_TRUE(std::fabs(pen.y - bottom) <= 2 || std::fabs(pen.y - top) <= 2) << c.what;
    }
}

TEST_F(Widgets, ShippedFontsLoadAndTheirTextReads)
{
    Content::ContentSet set;
    Content::AddFonts(set, Content::Options());
    Content::AddFontTable(set, Content::Options());
    ASSERT_TRUE(set.Has("data\\ui\\fonts\\fonts_basic.xml"));
    ASSERT_TRUE(set.Has("data\\ui\\fonts\\dejavu_licence.txt"));
    GUIFontManager& fonts = *scene.gui->GetFontManager();
    std::vector<ShaderDescriptor> shaders(Content::Fonts::kFontCount * Content::Fonts::kLanguageCount);
    int id = 0;
    for (const char* code : Content::Fonts::kLanguages) {
        for (const Content::Fonts::Font& f : Content::Fonts::kFonts) {
            const std::string from = std::string("data\\ui\\fonts\\") + code + "\\" + f.name;
            const std::string to = std::string("fonts_") + code + "_" + f.name;
            for (const char* ext : {".kefnt", "_diffuse.tga", "_opacity.tga"}) {
                ASSERT_NE(set.Find(from + ext), nullptr) << from + ext;
                scene.PutFile(to + ext, *set.Find(from + ext));
            }
            shaders[id] = ShaderDescriptor(false, scene.Path(to + "_diffuse.tga"), scene.Path(to + "_opacity.tga"), true);
            GUIFont* font = fonts.LoadFont(id, &shaders[id], scene.Path(to + ".kefnt"));
            ASSERT_NE(font, nullptr);
            font->size = f.size;
            // As the font table sets it from the file's "space" property.
            font->spaceRatio = font->GetGlyph(L' ')->ratio;
            for (const Content::Fonts::Range& r : Content::Fonts::kRanges)
                for (uint32_t c = r.first; c <= r.last; ++c)
                    ASSERT_TRUE(font->HasGlyph(wchar_t(c))) << f.name << " U+" << c;
            ++id;
        }
    }
    // Text in a shipped font: its ink lies within the measured box and fills
    // most of it.
    const int32_t common1 = 6;
    GUIWindow* box = scene.gui->CreateWindow(1, Vector2(100, 100), Vector2(600, 400), nullptr, nullptr, nullptr);
    const std::wstring text = L"Pelloria: \u010Dern\u00E1 \u0159eka, \u017Elut\u00FD k\u016F\u0148 \u00C9g";
    box->PrintText(TextAlign::kCentreH | TextAlign::kCentreV, common1, Vector2(0, 0), Color(1, 1, 1, 1), text, 0, -1);
    box->PrintText(TextAlign::kLeft | TextAlign::kTop, 2, Vector2(0, 0), Color(1, 1, 0.4f, 1),
        L"Main menu \u2013 New game\u2026", 0, -1);
    box->PrintText(TextAlign::kLeft | TextAlign::kBottom, 0, Vector2(0, 0), Color(0.6f, 0.8f, 1, 1),
        L"] console: \"quotes\" & \u20AC 100 \u2122", 0, -1);
    scene.GUIFrame();
    SaveShot("gui_shipped_fonts");
    // The middle line alone, for its ink.
    box->PrintText(TextAlign::kCentreH | TextAlign::kCentreV, common1, Vector2(0, 0), Color(1, 1, 1, 1), text, 0, -1);
    scene.GUIFrame();
    const InkBox ink = FindInk(scene.Screenshot(), 255, 255, 255, 120);
    ASSERT_FALSE(ink.Empty());
    Vector2 measured, pen;
    fonts.GetFont(common1)->GetTextSize(measured, text, 0, -1);
    fonts.GetTextPosition(pen, TextAlign::kCentreH | TextAlign::kCentreV, common1, *box, Vector2(0, 0), 0, text);
    const float left = scene.GUIX(float(ink.left)), right = scene.GUIX(float(ink.right + 1));
    const float bottom = scene.GUIY(float(ink.bottom + 1)), top = scene.GUIY(float(ink.top));
    EXPECT_GE(left, pen.x - 2);
    EXPECT_LE(right, pen.x + measured.x + 2);
    EXPECT_GE(bottom, pen.y - 2);
    EXPECT_LE(top, pen.y + measured.y + 2);
    EXPECT_GT(right - left, measured.x * 0.9f);
    EXPECT_GT(top - bottom, measured.y * 0.7f);
    EXPECT_NEAR((left + right) / 2, 400, 3);
}

TEST_F(Widgets, TextIsDrawnInFrontOfItsWidgetAndBehindAChild)
{
    GUIManager& gui = *scene.gui;
    scene.LoadBlockFont(0, 40);
    GUIWindow* panel = gui.CreateWindow(1 | GUIWindow::kColored, Vector2(100, 100), Vector2(600, 400), nullptr,
        &scene.white, nullptr);
    panel->SetColor(Color(1, 0, 0, 1));
    GUIWindow* child = gui.CreateWindow(1 | GUIWindow::kColored, Vector2(200, 90), Vector2(100, 100), nullptr,
        &scene.white, panel);
    child->SetColor(Color(0, 0, 1, 1));
    float rgba[4];
    child->GetColor(rgba);
    EXPECT_FLOAT_EQ(rgba[2], 1.0f);
    // A long run of blocks from x 150 to 550 at y 200..240 crosses the child.
    panel->PrintText(0, 0, Vector2(50, 100), Color(0, 1, 0, 1), std::wstring(20, L'x'), 0, -1);
    scene.GUIFrame();
    SaveShot("gui_text_depth");
    EXPECT_TRUE(scene.GUIPixelNear(160, 220, 0, 255, 0)) << "text over the panel";
    EXPECT_TRUE(scene.GUIPixelNear(350, 220, 0, 0, 255)) << "the child over the text";
    EXPECT_TRUE(scene.GUIPixelNear(530, 220, 0, 255, 0)) << "text beyond the child";
    EXPECT_TRUE(scene.GUIPixelNear(120, 150, 255, 0, 0)) << "the panel";
    EXPECT_TRUE(scene.GUIPixelNear(50, 50, 0, 0, 0)) << "outside";
    panel->SetAlpha(0.5f);
    EXPECT_NEAR(panel->GetAlpha(), 0.5f, 0.01f);
}

TEST_F(Widgets, SlidersAndScrollBarsClampStepAndRepeat)
{
    GUIManager& gui = *scene.gui;
    // No model and no shader: the thumb still has the GUI camera.
    GUISlider* bare = gui.CreateSlider(1, Vector2(0, 0), Vector2(100, 10), nullptr, nullptr, 0, Vector2(0, 0),
        Vector2(0, 0), 1, nullptr);
    EXPECT_EQ(bare->valueCount, 2u);
    EXPECT_EQ(bare->GetToddler()->GetCamera(), gui.GetCamera());
    bare->SetValue(7);
    EXPECT_EQ(bare->value, 1u);
    scene.GUIFrame();

    // A press on the track grabs the thumb; a track of length 0 counts as 1.
    GUISlider* s = gui.CreateSlider(1, Vector2(100, 100), Vector2(400, 20), nullptr, &scene.white, 0,
        Vector2(0, 0), Vector2(380, 0), 5, nullptr);
    s->SetToddlerSize(Vector2(20, 20));
    s->CreateToddler(Vector2(20, 20), nullptr, &scene.white);
    EXPECT_EQ(s->GetToddler()->GetParent(), s);
    const float y = 110;
    auto drag = [&](float x) {
        s->UpdateInput(Vector2(x, y), true, !s->IsPressed());
        return s->value;
    };
    // Thumb centre at 37.5 % of the track gives 2 (1.5 rounds up), 37.4 % gives 1.
    EXPECT_EQ(drag(100 + 10 + 380 * 0.375f + 0.01f), 2u);
    EXPECT_EQ(drag(100 + 10 + 380 * 0.374f), 1u);
    EXPECT_EQ(drag(2000), 4u);
    EXPECT_EQ(drag(-50), 0u);
    s->inverted = true;
    EXPECT_EQ(drag(-50), 4u);
    s->inverted = false;
    s->UpdateInput(Vector2(300, y), false, false);
    EXPECT_FALSE(s->IsPressed());
    s->SetEnabled(false);
    EXPECT_FALSE(s->IsEnabled());
    EXPECT_FALSE(s->GetToddler()->IsEnabled());
    EXPECT_FALSE(s->UpdateInput(Vector2(300, y), true, true));
    EXPECT_EQ(s->value, 4u);
    s->SetEnabled(true);
    s->SetValueCount(3);
    EXPECT_EQ(s->valueCount, 3u);
    s->SetValue(2);
    scene.GUIFrame();
    // The thumb model stands at the value's place.
    EXPECT_FLOAT_EQ(s->GetToddler()->GetModel()->localMatrix.m[3], 100 + 380);

    // A step button held 0.5 s at 60 frames a second moves four steps.
    GUIScroll* sc = gui.CreateScroll(1, Vector2(100, 300), Vector2(20, 200), nullptr, &scene.white, 1,
        Vector2(0, 20), Vector2(0, 160), 100, nullptr);
    sc->CreateIncreaseButton(Vector2(0, 180), Vector2(20, 20), nullptr, &scene.white);
    sc->CreateDecreaseButton(Vector2(0, 0), Vector2(20, 20), nullptr, &scene.white);
    EXPECT_EQ(sc->GetIncreaseButton()->GetCamera(), gui.GetCamera());
    EXPECT_EQ(sc->GetToddler()->GetHeightLevel(), 2);
    sc->SetValue(50);
    const Vector2 up(110, 490), down(110, 310);
    for (int frame = 0; frame < 30; ++frame) {
        scene.timers->AdvanceFrame(1.0f / 60);
        sc->UpdateInput(up, true, frame == 0);
    }
    EXPECT_EQ(sc->value, 54u);
    sc->UpdateInput(up, false, false);
    sc->step = 40;
    sc->UpdateInput(down, true, true);
    EXPECT_EQ(sc->value, 14u);
    sc->UpdateInput(down, false, false);
    sc->UpdateInput(down, true, true);
    EXPECT_EQ(sc->value, 0u) << "no wrap below 0";
    sc->UpdateInput(down, false, false);
    sc->step = 0xFFFFFFF0u;
    sc->UpdateInput(up, true, true);
    EXPECT_EQ(sc->value, 99u) << "no wrap above the count";
    sc->UpdateInput(up, false, false);
    scene.GUIFrame();
    gui.DestroyScroll(sc);
    gui.DestroySlider(s);
    EXPECT_EQ(gui.GetWidgetCount(), gui.GetBorders().size() + 1);
}

TEST_F(Widgets, EditBoxLimitsNeverHang)
{
    GUIManager& gui = *scene.gui;
    scene.LoadBlockFont(0, 20);
    // Narrower than the cursor glyph: used to scroll for ever.
    GUIEditBox* tiny = gui.CreateEditBox(1, Vector2(0, 0), Vector2(100, 30), nullptr, nullptr, 0,
        Color(1, 1, 1, 1), Vector2(0, 0), 50, 10000, 1, '_', nullptr);
    tiny->SetText(L"abcdefghij");
    EXPECT_LE(tiny->GetScrollOffset(), tiny->GetCursor());
    scene.GUIFrame();
    // A count of 0 keeps the cursor at 0.
    GUIEditBox* none = gui.CreateEditBox(1, Vector2(0, 100), Vector2(100, 30), nullptr, nullptr, 0,
        Color(1, 1, 1, 1), Vector2(0, 0), 0, 10000, 100, '_', nullptr);
    none->SetText(L"abc");
    EXPECT_EQ(none->GetCursor(), 0);
    EXPECT_EQ(none->GetText(), L"abc") << "SetText does not cut";
    EXPECT_FALSE(none->CanInsert(L'x'));
    scene.GUIFrame();
    // Scrolled so the cursor (at the last character of a full box) stays in view.
    GUIEditBox* e = gui.CreateEditBox(1, Vector2(0, 200), Vector2(100, 30), nullptr, nullptr, 0,
        Color(1, 1, 1, 1), Vector2(0, 0), 20, 10000, 100, '_', nullptr);
    e->SetText(L"abcdefghijklmnopqrst");
    EXPECT_EQ(e->GetCursor(), 19);
    EXPECT_EQ(e->GetScrollOffset(), 10);  // 9 letters and the cursor fill 100 of 100
    scene.GUIFrame();
    EXPECT_EQ(e->GetShownText(), L"klmnopqrst");
}

TEST_F(Widgets, SpritesShowTheirCurrentFrameAndAreFreedAtShutdown)
{
    GameTools::SpriteManager* sprites = new GameTools::SpriteManager;
    ASSERT_EQ(GameTools::SpriteManager::Instance(), sprites);
    std::vector<const ShaderDescriptor*> shaders(4, &scene.white);
    GameTools::Sprite2D* a = new GameTools::Sprite2D(Vector2(10, 10), Vector2(20, 20), shaders, 10, true, nullptr);
    new GameTools::Sprite2D(Vector2(50, 10), Vector2(20, 20), shaders, 10, false, nullptr);
    GameTools::Sprite2D* empty = new GameTools::Sprite2D(Vector2(0, 0), Vector2(1, 1), {}, 10, false, nullptr);
    EXPECT_EQ(sprites->sprites.GetCount(), 3u);
    EXPECT_EQ(empty->GetAnimation(), nullptr);
    const uint32_t borders = static_cast<uint32_t>(scene.gui->GetBorders().size());
    EXPECT_EQ(scene.gui->GetWidgetCount(), borders + 2 * 5 + 1);
    scene.timers->frameTime = 0.25f;  // 2.5 frames on
    sprites->Update();
    int shown = 0;
    for (size_t i = 0; i < a->GetFrames().size(); ++i)
        if (a->GetFrames()[i]->IsVisible()) {
            EXPECT_EQ(i, 2u);
            ++shown;
        }
    EXPECT_EQ(shown, 1);
    scene.GUIFrame();
    delete empty;
    EXPECT_EQ(sprites->sprites.GetCount(), 2u);
    // The manager frees the rest: every widget goes back to the GUI manager.
    delete sprites;
    EXPECT_EQ(GameTools::SpriteManager::Instance(), nullptr);
    EXPECT_EQ(scene.gui->GetWidgetCount(), borders);
    // Sprites that outlive the GUI manager do not reach for it.
    sprites = new GameTools::SpriteManager;
    new GameTools::Sprite2D(Vector2(10, 10), Vector2(20, 20), shaders, 10, true, nullptr);
    scene.gui.reset();
    delete sprites;
}

} // namespace
