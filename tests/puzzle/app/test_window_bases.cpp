// The framework window bases and the screens that decide at once, over the
// puzzle game's real profile list and files and a real configuration: the
// protocol the game base relies on (mode, event code, handled flag), the
// profile operations with their name rules, the video-mode list of the
// options, the in-game menu's window mode and volumes, and the pass-through
// windows' answers. No display is needed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine/foundation/Config.h"
#include "engine/foundation/Paths.h"
#include "framework/GUIDeleteProfileWindowBase.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUINewProfileWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIRenameProfileWindowBase.h"
#include "framework/GUIWelcomeWindowBase.h"
#include "framework/HighScoresTable.h"
#include "framework/LevelManagerBase.h"
#include "framework/SoundController.h"
#include "framework/VideoMode.h"
#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/GUIContinueGameLogicWindow.h"
#include "puzzle/app/GUIGameCompleteWindow.h"
#include "puzzle/app/GUIHighScoresWindow.h"
#include "puzzle/app/GUILevelCompleteWindow.h"
#include "puzzle/app/GUIMainMenuWindow.h"
#include "puzzle/app/GUIStageCompleteWindow.h"
#include "puzzle/app/LevelManager.h"
#include "puzzle/app/ProfileManager.h"
#include "support/TestSupport.h"

using GameFramework::Level;

namespace {

class WindowBases : public ::testing::Test {
protected:
    void SetUp() override
    {
        services.Start(TestSupport::ExecutableName());
        config.reset(new KorvaneEngine::Config(services.userData, "bases", false, "1024x768x32", false, true));
        config->Register("g_update_video_mode", KorvaneEngine::kConfigCommand, false, false, nullptr, "", false);
        config->SetCommandDone("g_update_video_mode", true);
        config->SetCommandDone("v_window_change_mode", true);
        sound.reset(new GameFramework::SoundController(0.285f, 0.315f));
        profiles.reset(new Puzzle::ProfileManager(sound.get(), services.userData));
    }
    void TearDown() override
    {
        profiles.reset();
        sound.reset();
        config.reset();
        services.Stop();
    }
    std::string ProfileFile(const std::wstring& name) const
    {
        GameFramework::ProfileBase* p = profiles->FindProfile(name);
        return p ? p->GetFilePath() : std::string();
    }
    // The current player as the list file names it.
    std::wstring ListedCurrent()
    {
        Puzzle::ProfileManager reread(nullptr, services.userData);
        return reread.GetCurrentProfile() ? reread.GetCurrentProfile()->GetDisplayName() : L"";
    }

    PlayerFilesTest::Services services;
    std::unique_ptr<KorvaneEngine::Config> config;
    std::unique_ptr<GameFramework::SoundController> sound;
    std::unique_ptr<Puzzle::ProfileManager> profiles;
};

TEST_F(WindowBases, TheProtocolKeepsModeUntilTheNextShowAndEachUpdateClearsTheCode)
{
    GameFramework::GUIFrameworkWindow w;
    EXPECT_TRUE(w.IsHandled());
    EXPECT_EQ(w.GetEventCode(), 0);
    w.Show(17);
    w.SetEventCode(5);
    w.SetHandled(false);
    EXPECT_EQ(w.GetMode(), 17);
    w.Update();
    EXPECT_EQ(w.GetEventCode(), 0);
    EXPECT_EQ(w.GetMode(), 17);
    EXPECT_FALSE(w.IsHandled()) << "only Hide sets the flag again";
    w.Hide();
    EXPECT_TRUE(w.IsHandled());
    w.Show(3);
    EXPECT_EQ(w.GetMode(), 3);
}

TEST_F(WindowBases, PlayersAreCreatedRenamedAndDeletedWithTheNameRules)
{
    GameFramework::GUIWelcomeWindowBase welcome(profiles.get());
    welcome.CreateProfile(L"   ");
    EXPECT_TRUE(profiles->GetProfiles().empty()) << "a blank name adds nothing";
    welcome.CreateProfile(L"Anna");
    ASSERT_EQ(profiles->GetProfiles().size(), 1u);
    EXPECT_EQ(ListedCurrent(), L"Anna");

    GameFramework::GUINewProfileWindowBase create(profiles.get());
    EXPECT_FALSE(create.CreateProfile(L"ANNA")) << "taken in another letter case";
    EXPECT_EQ(profiles->GetProfiles().size(), 1u);
    EXPECT_TRUE(create.CreateProfile(L"Bert"));
    EXPECT_EQ(profiles->GetProfiles().size(), 2u);
    EXPECT_EQ(ListedCurrent(), L"Bert");

    GameFramework::GUIRenameProfileWindowBase rename(profiles.get());
    rename.ShowWithProfileName(10, true, L"Bert");
    EXPECT_EQ(rename.GetMode(), 10);
    const std::string file = ProfileFile(L"Bert");
    const std::vector<unsigned char> before = TestSupport::ReadFileBytes(file);
    EXPECT_TRUE(rename.RenameProfile(L"bERT")) << "the old name in another case";
    EXPECT_NE(profiles->FindProfile(L"Bert"), nullptr);
    EXPECT_EQ(profiles->FindProfile(L"Bert")->GetDisplayName(), L"Bert") << "and nothing changes";
    EXPECT_EQ(TestSupport::ReadFileBytes(file), before);
    EXPECT_FALSE(rename.RenameProfile(L"anna")) << "another player's name";
    EXPECT_EQ(profiles->FindProfile(L"Bert")->GetDisplayName(), L"Bert");
    // Back from the conflict notice the old name is kept.
    rename.ShowWithProfileName(14, false, L"");
    EXPECT_EQ(rename.GetOldName(), L"Bert");
    EXPECT_TRUE(rename.RenameProfile(L"  Carla "));
    EXPECT_EQ(profiles->FindProfile(L"Bert"), nullptr);
    ASSERT_NE(profiles->FindProfile(L"Carla"), nullptr);
    EXPECT_EQ(profiles->FindProfile(L"Carla")->GetFilePath(), file) << "the file keeps its name";

    // A name longer than a file keeps compares in its kept form.
    const std::wstring longName(300, L'x');
    EXPECT_TRUE(create.CreateProfile(longName));
    EXPECT_FALSE(create.CreateProfile(longName + L"yz")) << "the same 254 units";
    GameFramework::ProfileBase* kept = profiles->FindProfile(longName);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetDisplayName().size(), 254u);
    rename.ShowWithProfileName(10, true, longName);
    EXPECT_TRUE(rename.RenameProfile(std::wstring(260, L'X'))) << "its own name, cut and in capitals";

    GameFramework::GUIDeleteProfileWindowBase remove(profiles.get());
    remove.ShowWithProfileName(10, L"Carla");
    EXPECT_EQ(remove.GetProfileName(), L"Carla");
    remove.DeleteProfile();
    EXPECT_EQ(profiles->FindProfile(L"Carla"), nullptr);
    EXPECT_FALSE(TestSupport::FileExists(file));
    remove.ShowWithProfileName(10, L"nobody");
    remove.DeleteProfile();
    EXPECT_EQ(profiles->GetProfiles().size(), 2u);
}

TEST_F(WindowBases, VideoModesStaySortedAndUniqueAndApplyingAsksForAResetOnlyOnAChange)
{
    GameFramework::GUIOptionsWindowBase options(sound.get(), profiles.get());
    // Empty: nothing is selected and nothing of the size is applied.
    options.Show(6);
    EXPECT_EQ(options.GetSelectedMode(), nullptr);
    options.SetSelectedIndex(3);
    options.ApplySettings();
    EXPECT_EQ(config->videoMode, "1024x768x32");
    EXPECT_TRUE(config->IsCommandDone("g_update_video_mode"));

    for (auto m : {std::make_pair(1024u, 768u), std::make_pair(800u, 600u), std::make_pair(800u, 480u),
                   std::make_pair(800u, 600u)})
        options.AddVideoMode(m.first, m.second);
    ASSERT_EQ(options.GetVideoModes().size(), 3u);
    EXPECT_EQ(options.GetVideoModes()[0]->text, "800x480");
    EXPECT_EQ(options.GetVideoModes()[1]->text, "800x600");
    EXPECT_EQ(options.GetVideoModes()[2]->text, "1024x768");
    uint32_t index = 9;
    EXPECT_TRUE(options.FindVideoMode(800, 600, &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(options.FindVideoMode(640, 480, &index));
    EXPECT_EQ(options.GetDefaultIndex(), 2u) << "the default of v_mode is 1024x768";

    GameFramework::GUIWelcomeWindowBase(profiles.get()).CreateProfile(L"Anna");
    config->fullscreen = false;
    options.Show(6);
    EXPECT_EQ(options.GetSelectedIndex(), 2u);
    EXPECT_EQ(options.GetBitsPerPixel(), 32u);
    EXPECT_FALSE(options.GetChosenFullscreen());
    // Unchanged: no reset, but the settings and the volumes are saved.
    sound->SetMusicVolume(0.5f);
    TestSupport::RemoveTree(config->GetIniPath());
    options.ApplySettings();
    EXPECT_TRUE(config->IsCommandDone("g_update_video_mode"));
    EXPECT_TRUE(TestSupport::FileExists(config->GetIniPath()));
    {
        Puzzle::ProfileManager reread(nullptr, services.userData);
        EXPECT_FLOAT_EQ(reread.GetCurrentProfile()->GetMusicVolume(), 0.5f);
    }
    options.SetSelectedIndex(1);
    options.ApplySettings();
    EXPECT_EQ(config->videoMode, "800x600x32");
    EXPECT_FALSE(config->IsCommandDone("g_update_video_mode"));
    config->SetCommandDone("g_update_video_mode", true);
    options.SetChosenFullscreen(true);
    options.ApplySettings();
    EXPECT_TRUE(config->fullscreen);
    EXPECT_FALSE(config->IsCommandDone("g_update_video_mode"));

    // Defaults: the default size, full screen and the controller's defaults;
    // a revert gives back what Show recorded.
    sound->SetSoundVolume(0.9f);
    options.Show(6);
    options.ResetToDefaults();
    EXPECT_EQ(options.GetSelectedIndex(), 2u);
    EXPECT_TRUE(options.GetChosenFullscreen());
    EXPECT_FLOAT_EQ(sound->GetSoundVolume(), 0.315f);
    EXPECT_FLOAT_EQ(sound->GetMusicVolume(), 0.285f);
    options.RevertVolumes();
    EXPECT_FLOAT_EQ(sound->GetSoundVolume(), 0.9f);
    EXPECT_FLOAT_EQ(sound->GetMusicVolume(), 0.5f);

    // No entry matches the default: the first is selected.
    GameFramework::GUIOptionsWindowBase small(sound.get(), profiles.get());
    small.AddVideoMode(640, 480);
    small.AddVideoMode(800, 600);
    small.SetSelectedIndex(1);
    small.ResetToDefaults();
    EXPECT_EQ(small.GetSelectedIndex(), 0u);
}

TEST_F(WindowBases, TheInGameMenuFollowsAPendingWindowSwitchAndSavesWhatItChanged)
{
    GameFramework::GUIWelcomeWindowBase(profiles.get()).CreateProfile(L"Anna");
    GameFramework::GUIGameLogicMenuWindowBase menu(sound.get(), profiles.get());
    config->fullscreen = false;
    sound->SetSoundVolume(0.4f);
    menu.Show(17);
    EXPECT_FALSE(menu.GetChosenFullscreen());
    EXPECT_FLOAT_EQ(menu.GetRecordedSoundVolume(), 0.4f);
    // The same flag: nothing to switch.
    menu.ApplyWindowMode();
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    menu.SetChosenFullscreen(true);
    menu.ApplyWindowMode();
    EXPECT_TRUE(config->fullscreen);
    EXPECT_FALSE(config->IsCommandDone("v_window_change_mode"));
    // While the switch is pending the chosen flag follows the configuration
    // (Alt+Enter flips it as well).
    config->fullscreen = false;
    menu.Update();
    EXPECT_FALSE(menu.GetChosenFullscreen());
    config->SetCommandDone("v_window_change_mode", true);
    config->fullscreen = true;
    menu.Update();
    EXPECT_FALSE(menu.GetChosenFullscreen()) << "kept once the switch is done";

    sound->SetSoundVolume(0.7f);
    menu.Hide();
    Puzzle::ProfileManager reread(nullptr, services.userData);
    EXPECT_FLOAT_EQ(reread.GetCurrentProfile()->GetSoundVolume(), 0.7f);
    const std::vector<unsigned char> ini = TestSupport::ReadFileBytes(config->GetIniPath());
    EXPECT_NE(std::string(ini.begin(), ini.end()).find("v_fullscreen 1"), std::string::npos);
}

TEST_F(WindowBases, PassThroughWindowsAnswerAtOnceForTheNextDispatchRound)
{
    services.PutData("levels\\levels.xml",
                     "<levels><stage><level/><level/></stage><stage><level/><level/></stage></levels>");
    Puzzle::LevelManager levels;
    GameFramework::HighScoresTable table(10, services.userData);

    Puzzle::GUIStageCompleteWindow stage(&levels);
    stage.ShowWithPosition(22, Level(0, 1));
    EXPECT_EQ(stage.GetEventCode(), 13);
    EXPECT_FALSE(stage.IsHandled()) << "kept over the reset between rounds";
    stage.Hide();
    stage.ShowWithPosition(22, Level(1, 1));
    EXPECT_EQ(stage.GetEventCode(), 22) << "the game's last level";

    Puzzle::GUIGameCompleteWindow complete;
    complete.Show(23);
    EXPECT_EQ(complete.GetEventCode(), 1);
    Puzzle::GUIContinueGameLogicWindow again;
    again.Show(6);
    EXPECT_EQ(again.GetEventCode(), 13);
    EXPECT_FALSE(again.IsHandled());
    Puzzle::GUIHighScoresWindow scores(&table);
    GameFramework::HighScoreEntry* entry = table.AddScore(L"Anna", 0, 50);
    scores.ShowWithEntry(24, entry);
    EXPECT_EQ(scores.GetEventCode(), 3);
    EXPECT_EQ(scores.GetEntry(), entry);
    scores.Update();
    EXPECT_EQ(scores.GetEventCode(), 0) << "the next frame starts clean";

    for (int mode : {7, 22, 23, 24, 25, 26})
        EXPECT_TRUE(Puzzle::GUIMainMenuWindow::IsRelayMode(mode)) << mode;
    for (int mode : {3, 4, 5, 6, 21})
        EXPECT_FALSE(Puzzle::GUIMainMenuWindow::IsRelayMode(mode)) << mode;

    EXPECT_EQ(Puzzle::GUILevelCompleteWindow::FormatTime(59.9f), L"0:59");
    EXPECT_EQ(Puzzle::GUILevelCompleteWindow::FormatTime(61.0f), L"1:01");
    EXPECT_EQ(Puzzle::GUILevelCompleteWindow::FormatTime(600.0f), L"10:00");
    EXPECT_EQ(Puzzle::GUILevelCompleteWindow::FormatTime(-3.0f), L"0:00");
    EXPECT_EQ(Puzzle::GUILevelCompleteWindow::FormatTime(std::nanf("")), L"0:00");
}

} // namespace
