// The options and the relax offer over the shipped descriptions, fonts and
// texts on a real device, clicked through xdotool: the volume steps from the
// default volumes, cancel, the display choice applied only by OK, and the
// relax answer in the player's real file.
#include "gui/ToolkitTestSupport.h"

#include "GameTestSupport.h"

#include <cmath>
#include <functional>

#include "engine/foundation/Config.h"
#include "framework/ProfileBase.h"
#include "framework/SoundController.h"
#include "gui/GUIButton.h"
#include "gui/GUIFontTool.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIScroll.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GUIOptionsWindow.h"
#include "puzzle/app/GUIRelaxWindow.h"
#include "puzzle/app/GameData.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "support/HostShell.h"
#include "tools/content/Modules.h"
#include "tools/content/Windows.h"

using namespace KorvaneEngine;

namespace {

// A screen that notes the frames whose input had the left button go down:
// its update comes after the frame's input, before the frame's end forgets
// the presses.
template <class Screen>
class Watched : public Screen {
public:
    using Screen::Screen;
    void Update() override
    {
        Screen::Update();
        presses += Controls::Instance()->IsPressed("MOUSE1");
    }
    int presses = 0;
};

class Screens : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit.Start(TestSupport::ExecutableName(), true);
        shell = std::make_unique<TestSupport::HostShell>(kit.root);
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        Content::Options options;
        Content::AddTexts(kit.set, options);
        Content::AddFonts(kit.set, options);
        Content::AddFontTable(kit.set, options);
        Content::AddWindows(kit.set, options);
        Content::AddRelaxWindow(kit.set, options);
        ASSERT_NO_FATAL_FAILURE(kit.Open(false));
        kit.registry.reset(new Puzzle::GameData("en"));
        kit.registry->LoadResourceFile(Content::Windows::kResourceList, true);
        // The menus' art beyond the start-up loading window's is in the additional list.
        kit.registry->LoadResourceFile(Content::Windows::kAdditionalResourceList, true);
        kit.tools.reset(new GUITools::GUIToolManager("en"));
        kit.tools->GetFontTool()->LoadAdditionalFonts();
        Config* config = kit.scene.config.get();
        config->Register("g_update_video_mode", kConfigCommand, false, false, nullptr, "", false);
        config->SetCommandDone("g_update_video_mode", true);
        config->SetCommandDone("v_window_change_mode", true);
        config->videoMode = "1024x768x32";
        config->fullscreen = false;
        userData = TestSupport::MakeTempDir("options_relax_players");
        sound.reset(new GameFramework::SoundController(0.285f, 0.315f));
        players.reset(new Puzzle::ProfileManager(sound.get(), userData));
        menus.reset(new Puzzle::GUIMenuWindowManager(static_cast<Puzzle::GameData*>(kit.registry.get())));
    }
    void TearDown() override
    {
        GameTest::ReportWaits();
        if (shell && shell->Available())
            shell->Run("xdotool mouseup 1", [] { GUITest::Pump(); });
        menus.reset();
        screen.reset();
        players.reset();
        sound.reset();
        kit.Stop();
        if (!userData.empty())
            TestSupport::RemoveTree(userData);
    }

    template <class Screen>
    Screen* Make(Watched<Screen>* w)
    {
        screen.reset(w);
        kit.windows = {w};
        presses = &w->presses;
        return w;
    }
    GameFramework::GUIFrameworkWindow* Framework() const
    {
        return dynamic_cast<GameFramework::GUIFrameworkWindow*>(screen.get());
    }
    // One frame; the answer of this frame is kept, as the game reads it.
    void Step()
    {
        kit.Step();
        menus->Update();
        if (Framework()->GetEventCode())
            answers.push_back(Framework()->GetEventCode());
    }
    bool StepsUntil(const std::function<bool()>& done, unsigned milliseconds = 20000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > milliseconds)
                return false;
            Step();
        }
        return true;
    }
    // Shown, and every control faded in and open for clicks.
    void Open(int32_t mode)
    {
        Framework()->Show(mode);
        for (int i = 0; i < 90; ++i)
            Step();
        answers.clear();
    }
    // A real click in the middle of a widget, taken by the window before the
    // test goes on.
    ::testing::AssertionResult Click(GUIWindow* widget)
    {
        return GameTest::HostClickOn(*shell, widget, [&] { Step(); }, [&] { return *presses; });
    }
    GUIWindow* Widget(const std::string& suffix)
    {
        return screen->GetControl(screen->GetName() + suffix)->GetWidget();
    }

    ToolkitTest::Toolkit kit;
    std::unique_ptr<TestSupport::HostShell> shell;
    std::string userData;
    std::unique_ptr<GameFramework::SoundController> sound;
    std::unique_ptr<Puzzle::ProfileManager> players;
    std::unique_ptr<Puzzle::GUIMenuWindowManager> menus;
    std::unique_ptr<GUITools::GUIWindowBase> screen;
    std::vector<int32_t> answers;
    // The screen's count of frames that had the left button go down.
    int* presses = nullptr;
};

TEST_F(Screens, VolumesMoveAStepAtOnceCancelGivesThemBackAndOnlyOKAppliesTheDisplay)
{
    Config* config = kit.scene.config.get();
    GameFramework::ProfileBase* player = players->AddProfile(L"Tester");
    ASSERT_NE(player, nullptr);
    players->SetCurrentProfile(player, true);
    auto* options = new Watched<Puzzle::GUIOptionsWindow>(sound.get(), players.get(),
                                                          static_cast<Puzzle::GameData*>(kit.registry.get()),
                                                          kit.tools.get(), menus.get(), nullptr);
    Make(options);
    EXPECT_TRUE(kit.Errors().empty()) << kit.Errors().front();
    ASSERT_TRUE(options->GetSoundSlider() && options->GetMusicSlider() && options->GetFullscreenCheckBox());
    ASSERT_EQ(options->GetVideoModes().size(), 3u);

    // From the default volumes: 0.285 is 285, one step up 0.315, exactly.
    sound->SetMusicVolume(0.285f);
    sound->SetSoundVolume(0.315f);
    Open(0);
    EXPECT_EQ(options->GetMusicSlider()->value, 285u);
    EXPECT_EQ(options->GetSoundSlider()->value, 315u);
    ASSERT_TRUE(Click(options->GetMusicSlider()->GetIncreaseButton()));
    EXPECT_TRUE(StepsUntil([&] { return sound->GetMusicVolume() > 0.3f; }));
    EXPECT_NEAR(sound->GetMusicVolume(), 0.315f, 1e-5f);
    ASSERT_TRUE(Click(options->GetSoundSlider()->GetDecreaseButton()));
    EXPECT_TRUE(StepsUntil([&] { return sound->GetSoundVolume() < 0.3f; }));
    EXPECT_NEAR(sound->GetSoundVolume(), 0.285f, 1e-5f);
    EXPECT_TRUE(answers.empty()) << "the volumes answer nothing";

    // The display choice waits for OK: the mode text and the box change, the
    // configuration does not. The last mode cannot be passed.
    ASSERT_TRUE(Click(Widget("/window/increase_video_mode")));
    EXPECT_EQ(options->GetSelectedIndex(), 2u);
    ASSERT_TRUE(Click(Widget("/window/decrease_video_mode")));
    EXPECT_TRUE(StepsUntil([&] {
        return options->GetTextControl("window_options/window/video_mode/text")->GetText() == L"800x600";
    }));
    ASSERT_TRUE(Click(options->GetFullscreenCheckBox()));
    EXPECT_EQ(options->GetFullscreenCheckBox()->checked, 1);
    EXPECT_EQ(config->videoMode, "1024x768x32");
    EXPECT_FALSE(config->fullscreen);

    // Cancel: both volumes as they were at Show, the display untouched.
    ASSERT_TRUE(Click(Widget("/window/button_0")));
    EXPECT_TRUE(StepsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<int32_t>{3});
    EXPECT_FLOAT_EQ(sound->GetMusicVolume(), 0.285f);
    EXPECT_FLOAT_EQ(sound->GetSoundVolume(), 0.315f);
    EXPECT_TRUE(config->IsCommandDone("g_update_video_mode"));
    options->Hide();
    EXPECT_TRUE(StepsUntil([&] { return !Widget("/window")->IsVisible() && menus->IsTurnFree(); }));

    // Again: a louder effect, 800x600 in full screen, OK. The display is
    // asked to reset and the volumes go into the player's file.
    Open(0);
    EXPECT_FALSE(options->GetFullscreenCheckBox()->checked) << "shows the configuration again";
    ASSERT_TRUE(Click(options->GetSoundSlider()->GetIncreaseButton()));
    EXPECT_TRUE(StepsUntil([&] { return sound->GetSoundVolume() > 0.33f; }));
    ASSERT_TRUE(Click(Widget("/window/decrease_video_mode")));
    ASSERT_TRUE(Click(options->GetFullscreenCheckBox()));
    ASSERT_TRUE(Click(Widget("/window/button_2")));
    EXPECT_TRUE(StepsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<int32_t>{3});
    EXPECT_EQ(config->videoMode, "800x600x32");
    EXPECT_TRUE(config->fullscreen);
    EXPECT_FALSE(config->IsCommandDone("g_update_video_mode"));
    {
        Puzzle::Profile stored(player->GetFileName(), userData);
        EXPECT_NEAR(stored.GetSoundVolume(), 0.345f, 1e-5f);
        EXPECT_NEAR(stored.GetMusicVolume(), 0.285f, 1e-5f);
    }

    // Defaults: full screen, the default size and volumes on the controls.
    // This device's default mode is the test display's (1280x1024), not in
    // the list, so the first mode stands for it.
    answers.clear();
    ASSERT_TRUE(Click(Widget("/window/button_1")));
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(config->GetDefaultValue("v_mode"), "1280x1024x32");
    EXPECT_EQ(options->GetSelectedIndex(), 0u);
    EXPECT_EQ(options->GetMusicSlider()->value, 285u);
    EXPECT_EQ(options->GetSoundSlider()->value, 315u);
    EXPECT_EQ(options->GetFullscreenCheckBox()->checked, 1);
    EXPECT_TRUE(kit.Errors().empty()) << kit.Errors().front();
}

TEST_F(Screens, RelaxAcceptSwitchesThePlayerAndDeclineLeavesTheFileAsItWas)
{
    GameFramework::ProfileBase* player = players->AddProfile(L"Tester");
    ASSERT_NE(player, nullptr);
    players->SetCurrentProfile(player, true);
    player->Save();
    const std::string file = player->GetFilePath();
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(file);
    ASSERT_FALSE(bytes.empty());
    auto* relax = new Watched<Puzzle::GUIRelaxWindow>(players.get(), sound.get(),
                                                      static_cast<Puzzle::GameData*>(kit.registry.get()),
                                                      kit.tools.get(), menus.get(), nullptr);
    Make(relax);
    EXPECT_TRUE(kit.Errors().empty()) << kit.Errors().front();

    Open(25);
    // Shown over the game over window, it has only the still title frame.
    EXPECT_FALSE(Widget("/title_mount_animated")->IsVisible());
    EXPECT_TRUE(Widget("/title_mount_static")->IsVisible());
    EXPECT_NE(relax->GetTextControl("window_relax/window/text")->GetText().find(L"relax mode"), std::wstring::npos);
    ASSERT_TRUE(Click(Widget("/window/button_0")));
    EXPECT_TRUE(StepsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<int32_t>{Puzzle::GUIRelaxWindow::kAnswered});
    EXPECT_EQ(TestSupport::ReadFileBytes(file), bytes);
    EXPECT_EQ(player->GetPlayValue(), 0u);

    answers.clear();
    ASSERT_TRUE(Click(Widget("/window/button_1")));
    EXPECT_TRUE(StepsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<int32_t>{Puzzle::GUIRelaxWindow::kAnswered});
    EXPECT_EQ(Puzzle::Profile(player->GetFileName(), userData).GetPlayValue(), 1u);

    // Without a current player the answer still comes and no file is made.
    players->SetCurrentProfile(nullptr, false);
    answers.clear();
    ASSERT_TRUE(Click(Widget("/window/button_1")));
    EXPECT_TRUE(StepsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<int32_t>{Puzzle::GUIRelaxWindow::kAnswered});
    EXPECT_TRUE(kit.Errors().empty()) << kit.Errors().front();
}

} // namespace

