// The menu windows' turn, the logos window, the game data's own loading step
// and the start-up loading window on a real device, over the shipped window
// descriptions, fonts and logos, with frames of a fixed frame time.
#include "gui/ToolkitTestSupport.h"

#include "engine/foundation/TimerManager.h"
#include "framework/SoundController.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIExitWindow.h"
#include "puzzle/app/GUIGameLoadingWindow.h"
#include "puzzle/app/GUILogosWindow.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GUIProfileNameConflictWindow.h"
#include "puzzle/app/GameData.h"
#include "tools/content/Screens.h"
#include "tools/content/Windows.h"

using namespace KorvaneEngine;

namespace {

class MenuWindows : public ::testing::Test {
protected:
    void SetUp() override { kit.Start(TestSupport::ExecutableName(), false); }
    void TearDown() override
    {
        // The game's order: the manager before the windows, the data last.
        manager.reset();
        exitWindow.reset();
        conflictWindow.reset();
        loadingWindow.reset();
        data.reset();
        kit.Stop();
    }

    // The shipped texts, fonts, windows and logos, less the files named.
    void Open(const std::vector<std::string>& without = {})
    {
        Content::Options options;
        Content::AddTexts(kit.set, options);
        Content::AddFonts(kit.set, options);
        Content::AddFontTable(kit.set, options);
        Content::AddWindows(kit.set, options);
        Content::AddLogos(kit.set, options);
        for (const std::string& p : without)
            kit.set.Remove(p);
        ASSERT_NO_FATAL_FAILURE(kit.Open());
        kit.Load("en", {});
        kit.tools->GetFontTool()->LoadAdditionalFonts();
        data.reset(new Puzzle::GameData("en"));
        data->LoadResourceFile(Content::Windows::kResourceList, true);
        data->LoadResourceFile(Content::Windows::kAdditionalResourceList, true);
    }
    void MakeWindows()
    {
        manager.reset(new Puzzle::GUIMenuWindowManager(data.get()));
        exitWindow.reset(new Puzzle::GUIExitWindow(nullptr, data.get(), kit.tools.get(), manager.get(), nullptr));
        conflictWindow.reset(
            new Puzzle::GUIProfileNameConflictWindow(nullptr, data.get(), kit.tools.get(), manager.get(), nullptr));
    }
    // A frame as the game runs it: the screens, then the manager's pass.
    void Frame(float dt = ToolkitTest::kFrameTime)
    {
        GUITest::Pump();
        kit.scene.timers->AdvanceFrame(dt);
        kit.scene.gui->Update();
        for (GameFramework::GUIFrameworkWindow* w : screens)
            w->Update();
        if (manager)
            manager->Update();
        kit.scene.gui->Render();
        kit.scene.Frame();
    }
    // Frames of the fixed frame time until the condition holds, at most
    // limit (20 s of the game's clock); how many ran.
    int FramesUntil(const std::function<bool()>& condition, int limit = 400)
    {
        int n = 0;
        while (!condition() && n < limit) {
            Frame();
            ++n;
        }
        return n;
    }
    // The same, true when the condition holds.
    bool Until(const std::function<bool()>& condition)
    {
        FramesUntil(condition);
        return condition();
    }
    static bool OnScreen(Puzzle::GUIMenuWindow* w)
    {
        return w->IsVisible() && w->GetPanelControl()->GetWidget()->IsVisible();
    }
    static bool Gone(Puzzle::GUIMenuWindow* w) { return !w->GetRootWidget()->IsVisible(); }

    ToolkitTest::Toolkit kit;
    std::unique_ptr<Puzzle::GameData> data;
    std::unique_ptr<Puzzle::GUIMenuWindowManager> manager;
    std::unique_ptr<Puzzle::GUIExitWindow> exitWindow;
    std::unique_ptr<Puzzle::GUIProfileNameConflictWindow> conflictWindow;
    std::unique_ptr<Puzzle::GUIGameLoadingWindow> loadingWindow;
    std::vector<GameFramework::GUIFrameworkWindow*> screens;
};

} // namespace

TEST_F(MenuWindows, OneMenuWindowAtATimeAndAHiddenRequestNeverAppears)
{
    ASSERT_NO_FATAL_FAILURE(Open({"data\\ui\\textures\\publishers\\1_logo_small_alpha.jpg"}));
    MakeWindows();
    screens = {exitWindow.get(), conflictWindow.get()};
    ASSERT_NE(data->GetSmallLogo(0), nullptr);
    EXPECT_EQ(data->GetSmallLogo(1), nullptr) << "a small logo without its alpha picture is left out";
    // The logo slots: the first shows its logo, the second is disabled.
    EXPECT_TRUE(exitWindow->IsControlEnabled("window_exit/logo_additional_0"));
    EXPECT_FALSE(exitWindow->IsControlEnabled("window_exit/logo_additional_1"));
    EXPECT_FALSE(exitWindow->GetGUIWindow("window_exit/logo_additional_1")->IsVisible());

    // A hide of a window that is not shown only notes it.
    conflictWindow->Hide();
    EXPECT_FALSE(conflictWindow->IsShown());
    EXPECT_FALSE(conflictWindow->IsSoundPending());

    exitWindow->Show(6);
    EXPECT_FALSE(exitWindow->IsVisible()) << "waits for its turn";
    Frame();
    EXPECT_TRUE(exitWindow->IsVisible());
    EXPECT_EQ(manager->GetTurnHolder(), exitWindow.get());
    // The appear cue goes with the panel's appearance.
    EXPECT_EQ(exitWindow->IsSoundPending(), !exitWindow->GetPanelControl()->GetWidget()->IsVisible());
    ASSERT_TRUE(Until([&] { return !exitWindow->IsSoundPending(); }));
    ASSERT_TRUE(exitWindow->GetPanelControl()->GetWidget()->IsVisible());

    // The next window waits until the first has played its hide out.
    exitWindow->Hide();
    conflictWindow->Show(11);
    Frame();
    EXPECT_FALSE(conflictWindow->IsVisible());
    EXPECT_TRUE(exitWindow->IsSoundPending()) << "the disappear cue waits for the panel to vanish";
    const int frames = FramesUntil([&] { return conflictWindow->IsVisible(); });
    ASSERT_TRUE(conflictWindow->IsVisible());
    EXPECT_GT(frames, 2);
    EXPECT_TRUE(Gone(exitWindow.get()));
    EXPECT_FALSE(exitWindow->IsSoundPending());
    EXPECT_EQ(manager->GetTurnHolder(), conflictWindow.get());

    // Asked to show and hidden again before its turn: it never appears.
    exitWindow->Show(6);
    exitWindow->Hide();
    conflictWindow->Hide();
    ASSERT_TRUE(Until([&] { return manager->IsTurnFree(); }));
    for (int i = 0; i < 20; ++i)
        Frame();
    EXPECT_TRUE(Gone(exitWindow.get()));
    EXPECT_FALSE(exitWindow->IsShowPending());
    EXPECT_TRUE(manager->IsTurnFree());

    // Taken with no holder (the play screen hiding): every menu waits.
    manager->TakeTurn(nullptr);
    exitWindow->Show(6);
    for (int i = 0; i < 10; ++i)
        Frame();
    EXPECT_FALSE(exitWindow->IsVisible());
    manager->ReleaseTurn();
    Frame();
    EXPECT_TRUE(exitWindow->IsVisible());
}

TEST_F(MenuWindows, TheGameDataMakesItsContainersInItsOwnStepOnlyAndOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    Puzzle::GameData stepped("en");
    stepped.LoadResourceFile(Content::Windows::kAdditionalResourceList, false);
    uint32_t guard = 0;
    while (stepped.step < 101 && guard++ < 100000) {
        EXPECT_EQ(stepped.GetContainerRoot(), nullptr) << "at step " << stepped.step;
        stepped.LoadNextStep();
    }
    EXPECT_EQ(stepped.step, 101u);
    EXPECT_EQ(stepped.GetContainerRoot(), nullptr);
    stepped.LoadNextStep();
    EXPECT_EQ(stepped.step, 102u) << "complete at its one step over the keeper's 101";
    GUIWindow* root = stepped.GetContainerRoot();
    ASSERT_NE(root, nullptr);
    ASSERT_NE(stepped.GetContainerChild(), nullptr);
    EXPECT_EQ(stepped.GetContainerChild()->GetParent(), root);
    EXPECT_EQ(stepped.GetContainerChild()->GetHeightLevel(), 100);
    EXPECT_FALSE(stepped.LoadStep(5)) << "a step of the keeper's own";
    EXPECT_TRUE(stepped.LoadStep(-1));
    EXPECT_EQ(stepped.GetContainerRoot(), root) << "made once";

    Puzzle::GameData all("en");
    all.LoadAll();
    EXPECT_NE(all.GetContainerRoot(), nullptr);
}

TEST_F(MenuWindows, TheStartUpLoadingWindowLoadsOnlyOnScreenAndReportsInTheFinishingFrame)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    MakeWindows();
    loadingWindow.reset(new Puzzle::GUIGameLoadingWindow(nullptr, data.get(), kit.tools.get(), manager.get(), nullptr));
    screens = {exitWindow.get(), loadingWindow.get()};
    Puzzle::GameData keeper("en");
    keeper.LoadResourceFile(Content::Windows::kAdditionalResourceList, false);

    // While another window holds the turn nothing loads.
    exitWindow->Show(6);
    ASSERT_TRUE(Until([&] { return OnScreen(exitWindow.get()); }));
    loadingWindow->ShowWithData(2, &keeper);
    exitWindow->Hide();
    Frame();
    EXPECT_EQ(keeper.step, 0u);
    ASSERT_TRUE(Until([&] { return loadingWindow->IsVisible(); }));
    EXPECT_EQ(keeper.step, 0u) << "not before its title has printed";
    int reported = 0;
    uint32_t stepAtReport = 0;
    for (int i = 0; i < 2000 && !reported; ++i) {
        Frame();
        if (loadingWindow->GetEventCode() == 1) {
            reported = 1;
            stepAtReport = keeper.step;
        } else {
            EXPECT_LT(keeper.step, keeper.extraSteps + 101);
        }
    }
    ASSERT_EQ(reported, 1);
    EXPECT_EQ(stepAtReport, keeper.extraSteps + 101);
    EXPECT_TRUE(loadingWindow->IsFinished());
    // Shown again, it clears its flags and takes at least one more step.
    loadingWindow->Hide();
    EXPECT_EQ(loadingWindow->GetKeeper(), nullptr);
    ASSERT_TRUE(Until([&] { return Gone(loadingWindow.get()); }));
    loadingWindow->ShowWithData(2, &keeper);
    EXPECT_FALSE(loadingWindow->IsFinished());
    ASSERT_TRUE(Until([&] { return loadingWindow->GetEventCode() == 1; }));
    EXPECT_TRUE(loadingWindow->HasStepped());
}

TEST_F(MenuWindows, LogosShowOneAfterTheOtherAndAMissingOneIsLeftOut)
{
    const std::string big0 = "data\\ui\\textures\\publishers\\0_logo_big.jpg";
    auto run = [&](Puzzle::GUILogosWindow& logos, float dt) {
        int frames = 0;
        while (logos.GetEventCode() != 1 && frames < 400) {
            Frame(dt);
            ++frames;
        }
        return frames;
    };
    ASSERT_NO_FATAL_FAILURE(Open());
    {
        Puzzle::GUILogosWindow logos;
        ASSERT_NE(logos.GetLogo(0), nullptr);
        ASSERT_NE(logos.GetLogo(1), nullptr);
        EXPECT_LT(logos.GetLogo(0)->GetDepth(), logos.GetLogo(1)->GetDepth()) << "the first lies over the second";
        logos.Show(1);
        screens = {&logos};
        // The first vanishes at 2.5 s; the second stands 1.5 s more, then fades.
        // On screen (left of the emblems, inside the vignette's clear middle,
        // the logos' own background colours): the first at 1 s, both halfway
        // at 2 s, then the second alone.
        const Content::Screens::Rgb8* back = Content::Screens::kLogoBackground;
        auto shown = [&](float t) {
            auto mix = [&](uint8_t a, uint8_t b) { return int(a + t * (b - a) + 0.5f); };
            return kit.scene.GUIPixelNear(190, 300, mix(back[0].r, back[1].r), mix(back[0].g, back[1].g),
                                          mix(back[0].b, back[1].b), 10);
        };
        for (int i = 0; i < 10; ++i)
            Frame(0.1f);
        EXPECT_TRUE(shown(0)) << "the first logo";
        for (int i = 10; i < 20; ++i)
            Frame(0.1f);
        EXPECT_NEAR(logos.GetLogo(0)->GetAlpha(), 0.5f, 0.01f);
        EXPECT_TRUE(shown(0.5f)) << "halfway through the first logo's fade";
        for (int i = 20; i < 25; ++i)
            Frame(0.1f);
        EXPECT_TRUE(shown(1)) << "the second logo";
        EXPECT_FALSE(logos.GetLogo(0)->IsVisible());
        EXPECT_TRUE(logos.GetLogo(1)->IsVisible());
        for (int i = 0; i < 15; ++i)
            Frame(0.1f);
        EXPECT_NEAR(logos.GetLogo(1)->GetAlpha(), 1.0f, 0.01f);
        // The engine keeps its frame times short; a frame that took longer
        // than the whole logo ends it at once.
        KorvaneEngine::TimerManager::Instance()->frameTime = 3.0f;
        logos.Update();
        EXPECT_FALSE(logos.GetLogo(1)->IsVisible()) << "a long frame ends the logo at once";
        Frame(0.1f);
        EXPECT_EQ(logos.GetEventCode(), 1);
        logos.Hide();
        EXPECT_EQ(logos.GetLogo(0), nullptr) << "its texture goes with the hide";
        screens.clear();
    }
    // Only logo 1: it is the first and only one.
    kit.set.Remove(big0);
    ASSERT_NO_FATAL_FAILURE(kit.Open());
    {
        Puzzle::GUILogosWindow logos;
        ASSERT_NE(logos.GetLogo(0), nullptr);
        EXPECT_EQ(logos.GetLogo(1), nullptr);
        logos.Show(1);
        screens = {&logos};
        EXPECT_NEAR(run(logos, 0.1f), 26, 2) << "1.5 s standing and 1 s fading, at 0.1 s a frame";
        screens.clear();
    }
    // None: done in the first frame.
    kit.set.Remove("data\\ui\\textures\\publishers\\1_logo_big.jpg");
    ASSERT_NO_FATAL_FAILURE(kit.Open());
    Puzzle::GUILogosWindow none;
    EXPECT_EQ(none.GetLogo(0), nullptr);
    none.Show(1);
    none.Update();
    EXPECT_EQ(none.GetEventCode(), 1);
}
