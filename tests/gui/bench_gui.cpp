// 200 buttons with a 20-character label each (4,000 glyphs in a shipped font,
// over ten depths) in a 1024 x 768 window for 300 frames: the GUI's input and
// render passes and the whole frame with the draw and the buffer swap. Prints
// the milliseconds a frame. Runs itself inside a Wine virtual desktop, where
// the 1024 x 768 mode exists.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "gui/GUIButton.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIManager.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"

using namespace KorvaneEngine;

namespace {

const int kButtons = 200;
const int kLabel = 20;
const int kFrames = 300;
const int kDepths = 10;

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

int Run()
{
    MessageManager log("GUI benchmark", false, false, "", "");
    Config config("", "bench_gui", true, "1024x768x32", true, false);
    config.vsync = false;  // measure the work, not the display's refresh
    Window window("GUI benchmark", nullptr, 0, 1024, 768, false, true, Vector2i(0, 0));
    std::unique_ptr<RenderSystem_D3D7> render(new RenderSystem_D3D7(false, false));
    RenderSystem::Instance(render.get());

    // The shipped font, written beside the benchmark.
    const std::string root = GetExecutableDirectory();
    Content::ContentSet set;
    Content::AddFonts(set, Content::Options());
    const std::string font = "data\\ui\\fonts\\en\\common_1";
    for (const char* ext : {".kefnt", "_diffuse.tga", "_opacity.tga"}) {
        CreateDirectories(root + "\\" + font + ext);
        TestSupport::WriteFileBytes(root + "\\" + font + ext, *set.Find(font + ext));
    }

    FileManager files(root, false, "data", 16777216);
    FileManager::Instance(&files);
    TimerManager timers;
    TimerManager::Instance(&timers);
    CameraManager cameras;
    CameraManager::Instance(&cameras);
    LightManager lights;
    LightManager::Instance(&lights);
    ShaderManager shaders;
    ShaderManager::Instance(&shaders);
    ModelManager models;
    ModelManager::Instance(&models);
    double gui = 0, whole = 0;
    size_t glyphs = 0;
    {
        GUIManager manager;
        manager.SetScreenSize(800, 600);
        const ShaderDescriptor text(false, "ui\\fonts\\en\\common_1_diffuse.tga", "ui\\fonts\\en\\common_1_opacity.tga",
            true);
        GUIFont* f = manager.GetFontManager()->LoadFont(0, &text, "ui\\fonts\\en\\common_1.kefnt");
        f->size = 9;
        f->spaceRatio = f->GetGlyph(L' ')->ratio;
        const ShaderDescriptor plain;
        GUIWindow* panel = manager.CreateWindow(1, Vector2(0, 0), Vector2(800, 600), nullptr, nullptr, nullptr);
        std::vector<GUIButton*> buttons;
        for (int i = 0; i < kButtons; ++i) {
            const float x = float(i % 10) * 80, y = float(i / 10) * 30;
            GUIButton* b = manager.CreateButton(1 | GUIWindow::kColored, Vector2(x + 2, y + 2), Vector2(76, 26),
                nullptr, &plain, panel);
            b->SetHeight(1 + i % kDepths);
            b->SetColor(Color(0.2f + 0.004f * float(i), 0.3f, 0.5f, 1));
            buttons.push_back(b);
        }
        for (int frame = 0; frame < kFrames; ++frame) {
            const double t0 = Now();
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            timers.Update();
            window.Update();
            const double g0 = Now();
            manager.Update();
            for (int i = 0; i < kButtons; ++i) {
                wchar_t label[kLabel + 1];
                for (int k = 0; k < kLabel; ++k)
                    label[k] = wchar_t(L'A' + (i + k + frame) % 26);
                label[kLabel] = 0;
                buttons[i]->PrintText(TextAlign::kCentreH | TextAlign::kCentreV, 0, Vector2(0, 0),
                    Color(1, 1, 1, 1), label, 0, -1);
            }
            manager.Render();
            gui += Now() - g0;
            glyphs = 0;
            for (const auto& layer : manager.GetFontManager()->GetTextLayers())
                glyphs += layer->GetModel()->GetPrimitiveCount() / 2;
            render->Refresh();
            cameras.UpdateCameras();
            lights.Refresh();
            shaders.Update();
            models.Render();
            models.PresentFrame();
            whole += Now() - t0;
        }
    }
    std::printf("display: 1024x768 windowed; %d buttons, %u glyphs a frame on %d text layers\n", kButtons,
        unsigned(glyphs), kDepths);
    std::printf("GUI passes (input, texts, render): %.3f ms a frame\n", gui * 1000 / kFrames);
    std::printf("whole frame (with the draw and the swap): %.3f ms a frame\n", whole * 1000 / kFrames);
    return 0;
}

} // namespace

int main()
{
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_gui", 1280, 1024, "", 600000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Run();
    } catch (const Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}
