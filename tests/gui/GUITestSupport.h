#pragma once
// Shared by the GUI tests: a real device in a window of the test display's
// own mode (the only one a windowed device takes), an 800 x 600 GUI screen
// over it, the scene managers, optionally the real input
// controls, and the GUI manager in the engine's order; fixture fonts and
// widget pictures written through the format writers.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio_input/InputTestSupport.h"
#include "engine/audio_input/di7/Controls_DI7.h"
#include "engine/render/SceneTestSupport.h"
#include "engine/render/PictureWriters.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"
#include "tools/formats/FontFileWriter.h"

namespace GUITest {

using namespace KorvaneEngine;

const float kWidth = 800, kHeight = 600;

// A picture of one colour, as a BMP.
inline std::vector<uint8_t> SolidBmp(uint8_t r, uint8_t g, uint8_t b, uint32_t side = 8)
{
    PictureWriters::Picture p;
    p.width = p.height = side;
    p.channels = 3;
    p.data.resize(size_t(side) * side * 3);
    for (size_t i = 0; i < p.data.size(); i += 3) {
        p.data[i] = r;
        p.data[i + 1] = g;
        p.data[i + 2] = b;
    }
    return PictureWriters::EncodeBmp(p);
}

// A block font: every printable ASCII glyph is the whole (white) picture, so
// the ink of a text is exactly the union of its quads. Ratios differ a little
// by character so widths are not all alike.
inline ContentTools::FontFile BlockFont()
{
    ContentTools::FontFile f;
    for (uint16_t c = 33; c < 127; ++c) {
        ContentTools::FontGlyphRecord g;
        g.code = c;
        g.w = g.h = 1;
        g.ratio = c == 'i' ? 0.25f : (c == 'W' ? 0.75f : 0.5f);
        f.glyphs.push_back(g);
    }
    return f;
}

// Counts the input it takes, so a test can wait for what a host line sent.
inline void Pump()
{
    HostInput::Pump();
}

struct GUIScene : SceneTest::Scene {
    std::unique_ptr<Controls_DI7> controls;
    std::unique_ptr<GUIManager> gui;
    ShaderDescriptor white, fontShader;

    void StartGUI(const std::string& name, bool withControls)
    {
        StartScene(name);
        if (withControls)
            controls.reset(new Controls_DI7(true));
        gui.reset(new GUIManager);
        gui->SetScreenSize(kWidth, kHeight);
        PutFile("white.bmp", SolidBmp(255, 255, 255));
        white = ShaderDescriptor(false, Path("white.bmp"), "", false);
        fontShader = white;
    }

    void StopGUI()
    {
        gui.reset();
        controls.reset();
        StopScene();
    }

    ~GUIScene() { StopGUI(); }

    // The block font under id (its file written first).
    GUIFont* LoadBlockFont(int32_t id, float size)
    {
        PutFile("block.kefnt", ContentTools::WriteFontFile(BlockFont()));
        GUIFont* f = gui->GetFontManager()->LoadFont(id, &fontShader, Path("block.kefnt"));
        f->size = size;
        return f;
    }

    // Above 0: the frame time of every frame instead of the clock's.
    float injectedFrameTime = 0.0f;

    // The engine's input step for the GUI.
    void InputStep()
    {
        Pump();
        if (injectedFrameTime > 0.0f)
            timers->AdvanceFrame(injectedFrameTime);
        else
            timers->Update();
        window->Update();
        if (controls)
            controls->Update();
        gui->Update();
    }

    // The engine's frame step, then the end-of-frame input reset.
    void DrawStep()
    {
        gui->Render();
        Frame();
        if (controls)
            controls->ResetState();
    }

    void GUIFrame()
    {
        InputStep();
        DrawStep();
    }

    // Window pixels (x from the left, y from the top) of a GUI point, and back.
    float PixelX(float x) const { return x * float(window->GetWidth()) / kWidth; }
    float PixelY(float y) const { return (kHeight - y) * float(window->GetHeight()) / kHeight; }
    float GUIX(float px) const { return px * kWidth / float(window->GetWidth()); }
    float GUIY(float py) const { return kHeight - py * kHeight / float(window->GetHeight()); }
    ::testing::AssertionResult GUIPixelNear(float x, float y, int r, int g, int b, int tolerance = 40)
    {
        return RenderTest::PixelNear(Screenshot(), uint32_t(PixelX(x)), uint32_t(PixelY(y)), r, g, b, tolerance);
    }
};

// Bounding box of the pixels near a colour, in window pixels (y from the top).
struct InkBox {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    bool Empty() const { return right < left; }
    float Width() const { return float(right - left + 1); }
    float Height() const { return float(bottom - top + 1); }
};

inline InkBox FindInk(const Image& shot, int r, int g, int b, int tolerance = 40)
{
    InkBox box;
    for (uint32_t y = 0; y < shot.GetHeight(); ++y)
        for (uint32_t x = 0; x < shot.GetWidth(); ++x) {
            const uint8_t* p = RenderTest::ScreenPixel(shot, x, y);
            if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance) {
                box.left = std::min(box.left, int(x));
                box.right = std::max(box.right, int(x));
                box.top = std::min(box.top, int(y));
                box.bottom = std::max(box.bottom, int(y));
            }
        }
    return box;
}

} // namespace GUITest
