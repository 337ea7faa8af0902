// The options and the relax offer in the real game object, inside a virtual
// desktop, clicked through xdotool: a volume step heard on the menu track's
// DirectSound buffer, cancel, the display mode applied by OK as a device
// reset and kept for the next start, and the relax answer in the player's
// file after a lost level.
#include "GameTestSupport.h"

#include <cmath>
#include <functional>

#include <dsound.h>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/ds7/SoundBuffer_DS7.h"
#include "engine/audio_input/ds7/Sound_DS7.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "framework/GUIGameOverWindowBase.h"
#include "framework/GUIMainMenuWindowBase.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "framework/GUIWelcomeWindowBase.h"
#include "framework/GameLogicBase.h"
#include "framework/MusicTrack.h"
#include "framework/SoundController.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIScroll.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindow.h"
#include "puzzle/app/GUIOptionsWindow.h"
#include "puzzle/app/GUIRelaxWindow.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/app/SoundTable.h"
#include "support/HostShell.h"

using namespace GameTest;
using GameFramework::GUIFrameworkWindow;

namespace {

class OptionsGame : public Puzzle::Game {
public:
    explicit OptionsGame(const std::string& folder) : Puzzle::Game(kCompany, Title(), 100, KeyPath(), folder, "demo")
    {
    }
    using GameBase::gameLogic;
    using GameBase::gameOverWindow;
    using GameBase::mainMenuWindow;
    using GameBase::optionsWindow;
    using GameBase::profileManager;
    using GameBase::startGameLogicWindow;
    using GameBase::welcomeWindow;
    // The windows' step comes after the frame's input, before the frame's
    // end forgets its presses.
    void UpdateWindows() override
    {
        Puzzle::Game::UpdateWindows();
        presses += KorvaneEngine::Controls::Instance()->IsPressed("MOUSE1");
    }
    // Frames whose input had the left button go down.
    int presses = 0;
};

class InDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (TestSupport::InVirtualDesktop())
            folder = MakeProgramFolder("options_game", false, WithoutLogos);
    }
    void SetUp() override
    {
        SKIP_OUTSIDE_DESKTOP();
        shell = std::make_unique<TestSupport::HostShell>(folder);
        ASSERT_TRUE(shell->Available());
        ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\n"));
    }
    void TearDown() override
    {
        ReportWaits();
        if (shell && shell->Available())
            shell->Run("xdotool mouseup 1", [] {});
        game.reset();
        TestSupport::ClearUserData(kCompany, Title());
    }

    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        FocusGameWindow();
        game->Update();
        ++frames;
        if (watch)
            watch();
        Sleep(5);
    }
    // A screen change takes 1.1 s at most with every core of the machine busy.
    bool Until(const std::function<bool()>& condition, double seconds = 30)
    {
        return FramesUntil([&] { Frame(); }, condition, seconds);
    }
    // A real click in the middle of a widget, taken by the game before the
    // test goes on.
    ::testing::AssertionResult Click(KorvaneEngine::GUIWindow* widget)
    {
        return HostClickOn(*shell, widget, [&] { Frame(); }, [&] { return game->presses; });
    }
    KorvaneEngine::GUIWindow* Widget(Puzzle::GUIMenuWindow* w, const std::string& suffix)
    {
        return w->GetControl(w->GetName() + suffix)->GetWidget();
    }
    Puzzle::GUIOptionsWindow* Options() { return dynamic_cast<Puzzle::GUIOptionsWindow*>(game->optionsWindow); }
    Puzzle::ProfileManager* Players() { return static_cast<Puzzle::ProfileManager*>(game->profileManager); }
    std::unique_ptr<Puzzle::ProfileManager> Reread()
    {
        return std::make_unique<Puzzle::ProfileManager>(nullptr, UserData() + "\\demo");
    }

    // The menu track's volume at the device: its buffer's attenuation in
    // hundredths of a decibel, as a linear factor (the device keeps whole
    // hundredths, so 0.0005 off the set volume at most).
    double MenuTrackVolume()
    {
        for (GameFramework::MusicTrack* t : game->GetSoundController()->GetMusicTracks())
            if (t->GetTrackId() == Puzzle::kMusicMenu) {
                auto* sound = dynamic_cast<KorvaneEngine::Sound_DS7*>(t->GetSound());
                IDirectSoundBuffer* buffer =
                    sound && sound->GetBufferDS7() ? sound->GetBufferDS7()->GetDeviceBuffer() : nullptr;
                LONG attenuation = 0;
                if (!buffer || FAILED(buffer->GetVolume(&attenuation)))
                    return -1;
                return std::exp(attenuation / 1000.0);
            }
        return -1;
    }
    bool MenuTrackAt(double volume)
    {
        return Until([&] { return std::fabs(MenuTrackVolume() - volume) < 0.0005; }, 15);
    }

    void StartGame() { game.reset(new OptionsGame(folder)); }
    void ToMainMenu(const std::wstring& name)
    {
        StartGame();
        // The start-up to its first screen: 5 to 9 s with every core of the
        // machine busy four times over.
        ASSERT_TRUE(Until([&] { return OnScreen(game->welcomeWindow); }, 60)) << "welcome";
        game->welcomeWindow->CreateProfile(name);
        Answer(game->welcomeWindow, 3);
        ASSERT_TRUE(Until([&] { return OnScreen(game->mainMenuWindow); })) << "main menu";
    }
    void OpenOptions()
    {
        Answer(game->mainMenuWindow, 11);
        ASSERT_TRUE(Until([&] { return OnScreen(game->optionsWindow); })) << "options";
    }
    // Into a level and out of it lost: the game-over notice.
    void Lose()
    {
        Answer(game->mainMenuWindow, 24);
        ASSERT_TRUE(Until([&] { return OnScreen(game->startGameLogicWindow); })) << "start game";
        Answer(game->startGameLogicWindow, 24);
        ASSERT_TRUE(Until([&] { return game->gameLogic != nullptr; })) << "a level";
        game->gameLogic->SetState(GameFramework::GameLogicBase::kLost);
        ASSERT_TRUE(Until([&] { return OnScreen(game->gameOverWindow); })) << "game over";
    }

    static inline std::string folder;
    std::unique_ptr<TestSupport::HostShell> shell;
    std::unique_ptr<OptionsGame> game;
    std::function<void()> watch;
    int frames = 0;
};

} // namespace

TEST(Desktop, OptionsGameTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_options_game", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, AVolumeStepIsHeardAtOnceCancelUndoesItAndOKResetsTheDisplayForThisAndTheNextRun)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Vera"));
    Puzzle::GUIOptionsWindow* options = Options();
    ASSERT_NE(options, nullptr);
    // The menu track at the default music volume, faded in.
    ASSERT_TRUE(MenuTrackAt(0.285)) << MenuTrackVolume();

    // One step up from the default is 0.315 at the device, and cancel gives
    // 0.285 back, to the buffer as to the slider.
    ASSERT_NO_FATAL_FAILURE(OpenOptions());
    EXPECT_EQ(options->GetMusicSlider()->value, 285u);
    ASSERT_TRUE(Click(options->GetMusicSlider()->GetIncreaseButton()));
    EXPECT_TRUE(MenuTrackAt(0.315)) << MenuTrackVolume();
    ASSERT_TRUE(Click(Widget(options, "/window/button_0")));
    ASSERT_TRUE(Until([&] { return OnScreen(game->mainMenuWindow); })) << "back from cancel";
    EXPECT_TRUE(MenuTrackAt(0.285)) << MenuTrackVolume();
    EXPECT_FLOAT_EQ(game->GetSoundController()->GetMusicVolume(), 0.285f);

    // Again: one step up kept, 800x600 in full screen, OK. The device is
    // reset within three frames of the OK's frame, the window filling the
    // desktop of that size.
    ASSERT_NO_FATAL_FAILURE(OpenOptions());
    EXPECT_EQ(options->GetMusicSlider()->value, 285u);
    ASSERT_TRUE(Click(options->GetMusicSlider()->GetIncreaseButton()));
    EXPECT_TRUE(MenuTrackAt(0.315)) << MenuTrackVolume();
    ASSERT_EQ(options->GetSelectedIndex(), 2u) << "the game's own 1024x768";
    ASSERT_TRUE(Click(Widget(options, "/window/decrease_video_mode")));
    ASSERT_TRUE(Click(options->GetFullscreenCheckBox()));
    ASSERT_EQ(options->GetFullscreenCheckBox()->checked, 1);
    KorvaneEngine::Config* config = KorvaneEngine::Config::Instance();
    KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
    EXPECT_FALSE(window->IsFullscreen());
    int chosenAt = -1, resetAt = -1;
    watch = [&] {
        if (chosenAt < 0 && config->videoMode == "800x600x32")
            chosenAt = frames;
        if (resetAt < 0 && window->IsFullscreen() && window->GetWidth() == 800 && window->GetHeight() == 600)
            resetAt = frames;
    };
    ASSERT_TRUE(Click(Widget(options, "/window/button_2")));
    EXPECT_TRUE(Until([&] { return resetAt >= 0; }, 20));
    watch = nullptr;
    ASSERT_GE(chosenAt, 0);
    ASSERT_GE(resetAt, 0);
    EXPECT_LE(resetAt - chosenAt, 3) << "frames from OK to the reset";
    ASSERT_TRUE(Until([&] { return OnScreen(game->mainMenuWindow); })) << "back from OK";
    KorvaneEngine::Image shot;
    KorvaneEngine::RenderSystem::Instance()->TakeScreenshot(shot);
    EXPECT_EQ(shot.GetWidth(), 800u);
    EXPECT_EQ(shot.GetHeight(), 600u);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    RECT rect = {};
    GetWindowRect(window->GetHandle(), &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 600);
    EXPECT_TRUE(MenuTrackAt(0.315)) << "the volume survives the reset: " << MenuTrackVolume();

    // After the run: the mode in the settings, the volumes in the player's
    // file, and the next run starts in that mode.
    const std::string playerFile = Players()->GetCurrentProfile()->GetFileName();
    game.reset();
    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("v_mode 800x600x32\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("v_fullscreen 1\r\n"), std::string::npos) << ini;
    {
        Puzzle::Profile stored(playerFile, UserData() + "\\demo");
        EXPECT_NEAR(stored.GetMusicVolume(), 0.315f, 1e-5f);
        EXPECT_NEAR(stored.GetSoundVolume(), 0.315f, 1e-5f);
    }
    StartGame();
    window = KorvaneEngine::Window::Instance();
    EXPECT_TRUE(window->IsFullscreen());
    EXPECT_EQ(window->GetWidth(), 800u);
    EXPECT_EQ(window->GetHeight(), 600u);
    ASSERT_TRUE(Until([&] { return OnScreen(game->mainMenuWindow); }, 60)) << "main menu in the new mode";
    EXPECT_TRUE(MenuTrackAt(0.315)) << "the player's music volume: " << MenuTrackVolume();
}

// A lost level offers relax mode once (the player's offer flag), whatever the
// answer. Declining leaves the player's file as it was; accepting writes play
// value 1. Either way game over is shown again with mode 26, which is done at
// once: the flow goes on as after its own button.
TEST_F(InDesktop, GameOverOffersRelaxOnceDeclineKeepsTheFileAcceptSwitchesThePlayer)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Dora"));
    Puzzle::GUIRelaxWindow* relax = game->GetRelaxWindow();
    ASSERT_NE(relax, nullptr);
    Puzzle::GUIMenuWindow* over = Menu(game->gameOverWindow);
    ASSERT_NE(over, nullptr);
    auto onAfterGameOver = [&] {
        return !relax->IsVisible() && game->gameOverWindow->GetMode() == 26 &&
               (OnScreen(game->startGameLogicWindow) || OnScreen(game->mainMenuWindow));
    };
    ASSERT_NO_FATAL_FAILURE(Lose());
    ASSERT_TRUE(Click(Widget(over, "/window/button_0")));
    ASSERT_TRUE(Until([&] { return OnScreen(relax); })) << "the offer";
    EXPECT_EQ(relax->GetMode(), 25);
    EXPECT_FALSE(over->IsVisible());
    const std::string file = Players()->GetCurrentProfile()->GetFilePath();
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(file);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(Click(Widget(relax, "/window/button_0")));
    ASSERT_TRUE(Until(onAfterGameOver)) << "on from game over, mode " << game->gameOverWindow->GetMode();
    EXPECT_EQ(TestSupport::ReadFileBytes(file), bytes) << "declined: the file unchanged";
    EXPECT_EQ(Players()->GetCurrentProfile()->GetPlayValue(), 0u);

    // The next loss asks no more: game over's button goes straight on.
    if (OnScreen(game->mainMenuWindow))
        Answer(game->mainMenuWindow, 24);
    ASSERT_TRUE(Until([&] { return OnScreen(game->startGameLogicWindow); })) << "start game";
    game->gameOverWindow->SetMode(0);
    Answer(game->startGameLogicWindow, 24);
    ASSERT_TRUE(Until([&] { return game->gameLogic != nullptr; })) << "a level";
    game->gameLogic->SetState(GameFramework::GameLogicBase::kLost);
    ASSERT_TRUE(Until([&] { return OnScreen(game->gameOverWindow); })) << "game over";
    ASSERT_TRUE(Click(Widget(over, "/window/button_0")));
    ASSERT_TRUE(Until([&] { return OnScreen(game->startGameLogicWindow) || OnScreen(game->mainMenuWindow); }));
    EXPECT_FALSE(relax->IsVisible()) << "offered once";
    EXPECT_NE(game->gameOverWindow->GetMode(), 26);

    // A new run, a new player: accepted.
    game.reset();
    TestSupport::ClearUserData(kCompany, Title());
    ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Ada"));
    relax = game->GetRelaxWindow();
    over = Menu(game->gameOverWindow);
    ASSERT_NO_FATAL_FAILURE(Lose());
    ASSERT_TRUE(Click(Widget(over, "/window/button_0")));
    ASSERT_TRUE(Until([&] { return OnScreen(relax); })) << "the offer";
    ASSERT_TRUE(Click(Widget(relax, "/window/button_1")));
    ASSERT_TRUE(Until(onAfterGameOver)) << "on from game over, mode " << game->gameOverWindow->GetMode();
    EXPECT_EQ(Players()->GetCurrentProfile()->GetPlayValue(), 1u);
    const std::string accepted = Players()->GetCurrentProfile()->GetFilePath();
    {
        std::unique_ptr<Puzzle::ProfileManager> stored = Reread();
        ASSERT_FALSE(stored->GetProfiles().empty()) << accepted;
        EXPECT_EQ(stored->GetProfiles()[0]->GetPlayValue(), 1u);
    }
}
