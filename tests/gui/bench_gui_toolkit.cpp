// The toolkit's costs with the shipped content: generating what the windows
// need, building each shipped window, a frame of the shown main menu (its
// controls, the GUI passes and the draw), and the worst auto-size layout (a
// font size of 1000 shrinking until a long text fits). Prints milliseconds.
#include "ToolkitTestSupport.h"

#include <cstdio>

#include "gui/GUIFontManager.h"
#include "gui/GUIFontTool.h"
#include "gui/GUITextControl.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"

using namespace KorvaneEngine;
using namespace GUITools;

namespace {

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

TEST(ToolkitBenchmark, ShippedWindows)
{
    ToolkitTest::Toolkit kit;
    kit.Start("bench_gui_toolkit", false);
    double t = Now();
    Content::Options options;
    Content::AddTexts(kit.set, options);
    Content::AddFonts(kit.set, options);
    Content::AddFontTable(kit.set, options);
    Content::AddWindows(kit.set, options);
    Content::AddRelaxWindow(kit.set, options);
    std::printf("content (texts, fonts, font table, windows): %.1f ms\n", (Now() - t) * 1000);
    kit.Open(false);
    t = Now();
    kit.Load("cz", {Content::Windows::kResourceList, Content::Windows::kAdditionalResourceList});
    kit.tools->GetFontTool()->LoadAdditionalFonts();
    std::printf("registry, tools and both font files: %.1f ms\n", (Now() - t) * 1000);

    const int kBuilds = 20;
    for (const char* name : Content::Windows::kWindowNames) {
        t = Now();
        size_t controls = 0;
        for (int i = 0; i < kBuilds; ++i) {
            GUIWindowBase w(kit.registry.get(), kit.tools.get(), nullptr, name);
            controls = w.GetControls().size();
        }
        std::printf("%s (%u controls): %.2f ms to build\n", name, unsigned(controls), (Now() - t) * 1000 / kBuilds);
    }

    GUIWindowBase menu(kit.registry.get(), kit.tools.get(), nullptr, "window_main_menu");
    kit.windows = {&menu};
    menu.SetVisible(true);
    for (int i = 0; i < 60; ++i)
        kit.Step();
    // The time the processor spends on a frame's GUI work: the window's
    // controls, then the GUI manager's input and render passes (the device's
    // own drawing is left to the GUI widget benchmark).
    const int kFrames = 300;
    double controls = 0, passes = 0;
    for (int i = 0; i < kFrames; ++i) {
        GUITest::Pump();
        kit.scene.timers->AdvanceFrame(ToolkitTest::kFrameTime);
        const double t0 = Now();
        kit.scene.gui->Update();
        const double t1 = Now();
        menu.Update();
        const double t2 = Now();
        kit.scene.gui->Render();
        passes += (t1 - t0) + (Now() - t2);
        controls += t2 - t1;
        kit.scene.Frame();
    }
    EXPECT_TRUE(menu.IsVisible());
    EXPECT_GT(kit.scene.gui->GetFontManager()->GetTextLayers().size(), 0u) << "texts are drawn";
    std::printf("main menu shown, a frame: %.3f ms its controls, %.3f ms the GUI passes\n",
                controls * 1000 / kFrames, passes * 1000 / kFrames);

    // Auto sizing steps by 1 from the clamped 1000 down to a size that fits.
    GUITextControl* title = menu.GetTextControl("window_main_menu/title");
    title->SetFontSize(1e30f);
    title->SetAutoFontSize(true);
    title->SetLiteralText(std::wstring(60, L'W'));
    t = Now();
    title->Layout();
    std::printf("auto size from %.0f to %.0f over 60 characters: %.1f ms\n", GUITextControl::kMaxFontSize,
                title->GetCurrentFontSize(), (Now() - t) * 1000);
    kit.windows.clear();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
