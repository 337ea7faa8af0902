// The puzzle game made inside this test program, on the real services and
// generated content: start-up, the files it writes, a start-up that fails,
// and its frame (focus, display-mode changes). Windowed 1024 x 768 needs the
// display modes of a virtual desktop, so the tests run inside one.
#include "GameTestSupport.h"

#include <cmath>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/RenderSystem.h"
#include "framework/Engine.h"
#include "framework/HighScoresTable.h"
#include "framework/LanguageManager.h"
#include "gui/GUIToolManager.h"
#include "engine/render/DataKeeper.h"
#include "framework/MusicTrack.h"
#include "framework/SoundController.h"
#include "framework/SoundEntry.h"
#include "gui/GUIManager.h"
#include "gui/GUISoundManager.h"
#include "gui/SpriteManager.h"
#include "puzzle/app/SoundTable.h"

using namespace KorvaneEngine;
using namespace GameTest;
using GameFramework::MusicTrack;

namespace {

const char kWindowedIni[] = "v_fullscreen 0\r\n";

void Frames(GameFramework::GameBase& game, int n)
{
    for (int i = 0; i < n; ++i) {
        TestSupport::ProgramRunner::Pump();
        game.Update();
    }
}

double Seconds(const std::function<void()>& f)
{
    LARGE_INTEGER q, a, b;
    QueryPerformanceFrequency(&q);
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) / q.QuadPart;
}

bool NoServices()
{
    return !MessageManager::Instance() && !FileManager::Instance() && !TimerManager::Instance() &&
           !Config::Instance() && !Window::Instance() && !RenderSystem::Instance() && !Controls::Instance() &&
           !SoundSystem::Instance() && !SoundManager::Instance() && !GUIManager::Instance() &&
           !GameTools::SpriteManager::Instance();
}

class InDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (TestSupport::InVirtualDesktop())
            folder = MakeProgramFolder("game");
    }
    void TearDown() override { TestSupport::ClearUserData(kCompany, Title()); }
    static inline std::string folder;
};

// A game that counts its display resets and the frame of each.
class CountingGame : public Puzzle::Game {
public:
    CountingGame(const std::string& folder)
        : Puzzle::Game(kCompany, Title(), 100, KeyPath(), folder, "demo")
    {
    }
    void Update() override
    {
        ++frame;
        Puzzle::Game::Update();
    }
    void ResetVideoMode() override
    {
        resetFrames.push_back(frame);
        Puzzle::Game::ResetVideoMode();
    }
    int frame = 0;
    std::vector<int> resetFrames;
};

} // namespace

TEST(Desktop, GameTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_game", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, StartsEverythingAndSavesTheSettingsAtExit)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
    std::unique_ptr<Puzzle::Game> game = MakeGame(folder);
    ASSERT_TRUE(game->IsInitialised());
    EXPECT_EQ(game->GetEngine()->GetWindowTitle(), Title() + " 1.00");
    // The text table names the window once the tools are up.
    char title[128] = {};
    HWND hwnd = Window::Instance()->GetHandle();
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "Pelloria");
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 1024);
    EXPECT_EQ(client.bottom, 768);
    EXPECT_TRUE(RenderSystem::Instance()->stencilPresent || RenderSystem::Instance()->useStencil);

    // Log and .ini under company and title, player files under the publisher.
    EXPECT_EQ(game->GetUserDataFolder(), UserData() + "\\demo");
    EXPECT_TRUE(TestSupport::FileExists(UserData() + "\\demo\\high_scores.hsf"));
    EXPECT_TRUE(TestSupport::FileExists(LogPath()));
    EXPECT_NE(game->GetLevelManager(), nullptr);
    EXPECT_NE(game->GetGameData(), nullptr);
    EXPECT_NE(game->GetTutorial(), nullptr);
    EXPECT_NE(game->GetContent(), nullptr);
    // A new install: both shipped languages there, no registry value.
    EXPECT_EQ(game->GetLanguageCode(), "en");
    EXPECT_EQ(game->GetGameData()->GetLanguage(), "en");

    // The content's packed files: the WAV where one ships, else the Ogg.
    EXPECT_EQ(FileManager::Instance()->GetPackCount(), 1u);
    EXPECT_EQ(game->GetAudioFileName("menu", "button_click"), "audio\\menu\\button_click.wav");
    EXPECT_EQ(game->GetAudioFileName("game", "level_begin"), "audio\\game\\level_begin.ogg");
    EXPECT_EQ(game->GetAudioFileName("music", "menu"), "audio\\music\\menu.ogg");
    EXPECT_EQ(game->GetAudioFileName("menu", "no_such_sound"), "audio\\menu\\no_such_sound.ogg");

    // The sound table: three looping tracks and twenty-seven effects.
    GameFramework::SoundController* sounds = game->GetSoundController();
    ASSERT_EQ(sounds->GetMusicTracks().size(), 3u);
    ASSERT_EQ(sounds->GetSoundEntries().size(), 27u);
    EXPECT_EQ(sounds->GetSoundEntries()[2]->soundId, Puzzle::kSoundVolumeSlider);
    EXPECT_TRUE(sounds->GetSoundEntries()[2]->sound->GetLoop());
    EXPECT_EQ(sounds->GetSoundEntries()[26]->soundId, Puzzle::kSoundChargePathScore);
    for (MusicTrack* track : sounds->GetMusicTracks())
        EXPECT_TRUE(track->GetSound()->GetLoop());
    EXPECT_EQ(sounds->GetMusicVolume(), 0.285f);
    EXPECT_EQ(sounds->GetSoundVolume(), 0.315f);
    EXPECT_EQ(sounds->GetSoundEntries()[0]->sound->GetVolume(), 0.315f);

    // The twelve GUI cues; the two button-select files take turns.
    GUISoundManager* cues = GUIManager::Instance()->GetSoundManager();
    ASSERT_EQ(cues->GetCues().size(), 12u);
    EXPECT_EQ(cues->GetCues()[11].name, "gui_default_edit_box_print");
    cues->Play("gui_default_button_select");
    cues->Play("gui_default_button_select");
    EXPECT_EQ(cues->GetCues()[0].playCount, 1u);
    EXPECT_EQ(cues->GetCues()[1].playCount, 1u);
    ASSERT_NE(cues->GetCues()[1].sound, nullptr);
    EXPECT_NE(cues->GetCues()[1].sound->GetName().find("button_select_1.wav"), std::string::npos);
    // Their volume is the effects' volume.
    EXPECT_EQ(cues->GetCues()[1].sound->GetVolume(), 0.315f);
    EXPECT_NE(GameTools::SpriteManager::Instance(), nullptr);
    EXPECT_EQ(GUIManager::Instance()->GetScreenWidth(), 800.0f);

    // The cheat help follows the base banner's six lines, one highlighted
    // line each.
    MessageManager* log = MessageManager::Instance();
    log->ClearHistory();
    game->ShowCheatBanner();
    ASSERT_EQ(log->GetHistorySize(), 17);
    EXPECT_EQ(log->GetHistoryRecord(2)->text, "- CHEAT MODE ON\n");
    EXPECT_EQ(log->GetHistoryRecord(8)->level, 1u);
    const std::string lastLine = log->GetHistoryRecord(16)->text;
    EXPECT_NE(lastLine.find("- Use \"Page Up\" to see remainder cheats"), std::string::npos) << lastLine;

    Frames(*game, 5);
    EXPECT_FALSE(game->IsExitRequested());
    game->GetEngine()->RequestExit();
    EXPECT_TRUE(game->IsExitRequested());
    Frames(*game, 1);
    game.reset();
    EXPECT_TRUE(NoServices());

    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("v_mode 1024x768x32\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("v_fullscreen 0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("g_music_volume 0.285000\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("g_sound_volume 0.315000\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("d_show_statistics 0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ReadText(LogPath()).find("Exiting..."), std::string::npos);
}

TEST_F(InDesktop, RunsInTheLanguageTheRegistryNames)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, Title(), "Language", "cz"));
    std::unique_ptr<Puzzle::Game> game = MakeGame(folder);
    EXPECT_EQ(game->GetLanguageCode(), "cz");
    EXPECT_EQ(game->GetLanguageManager()->GetLanguage()->name, "czech");
    EXPECT_EQ(game->GetGUIToolManager()->GetLanguage(), "cz");
    EXPECT_EQ(game->GetGameData()->GetLanguage(), "cz");
    Frames(*game, 2);
}

TEST_F(InDesktop, AMissingResourceListIsFatalAndLeavesTheSettingsAlone)
{
    SKIP_OUTSIDE_DESKTOP();
    const std::string loose = MakeProgramFolder("game_loose", true);
    const char* const lists[] = {"data\\ui\\resources_basic.xml", "data\\ui\\background\\resources_additional.xml"};
    for (const char* list : lists) {
        const std::string ini = "v_fullscreen 0\r\ng_music_volume 0.9\r\nsome_later_variable 3\r\n";
        ASSERT_NO_FATAL_FAILURE(ResetUserData(ini));
        // Only the list is missing: the loose copy of everything else is complete.
        const std::string path = loose + "\\" + list;
        ASSERT_TRUE(MoveFileA(path.c_str(), (path + ".away").c_str())) << list;
        std::string message;
        try {
            MakeGame(loose, 100, false);
        } catch (const Error& e) {
            message = e.GetMessage();
        }
        MoveFileA((path + ".away").c_str(), path.c_str());
        EXPECT_NE(message.find(list), std::string::npos) << message;
        EXPECT_TRUE(NoServices());
        EXPECT_EQ(ReadText(IniPath()), ini) << list;
        EXPECT_NE(ReadText(LogPath()).find("PROGRAM ABORTING: "), std::string::npos) << list;
    }
    // A second start in the same process, with the lists back, works.
    ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
    EXPECT_TRUE(MakeGame(loose)->IsInitialised());
    EXPECT_TRUE(NoServices());
}

TEST_F(InDesktop, FocusLossPausesTheMusicAndIdlesUntilTheFocusIsBack)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
    std::unique_ptr<Puzzle::Game> game = MakeGame(folder);
    GameFramework::SoundController* sounds = game->GetSoundController();
    FocusGameWindow();
    Frames(*game, 2);
    ASSERT_TRUE(Window::Instance()->HasFocus());
    sounds->PlayMusic(0, Puzzle::kMusicMenu, true, 0.5f);
    Frames(*game, 10);
    MusicTrack* menu = sounds->GetChannelTrack(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(sounds->GetMusicState(0), Sound::kPlaying);
    EXPECT_GT(menu->GetVolume(), 0.0f);

    HWND other = CreateWindowExA(0, "STATIC", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    SetFocus(other);
    ASSERT_FALSE(Window::Instance()->HasFocus());
    // Without focus a frame only idles, at 100 ms a pass, with the music paused.
    for (int i = 0; i < 3; ++i) {
        const double t = Seconds([&] { Frames(*game, 1); });
        EXPECT_GE(t, 0.099) << "pass " << i;
        EXPECT_EQ(sounds->GetMusicState(0), Sound::kPaused);
        EXPECT_TRUE(game->IsPausedByFocusLoss());
    }

    FocusGameWindow();
    DestroyWindow(other);
    ASSERT_TRUE(Window::Instance()->HasFocus());
    Frames(*game, 1);
    EXPECT_FALSE(game->IsPausedByFocusLoss());
    EXPECT_EQ(sounds->GetMusicState(0), Sound::kPlaying);
    EXPECT_EQ(menu->GetFadeState(), MusicTrack::kFadeIn);
    const float start = menu->GetVolume();
    EXPECT_LT(start, 0.1f);
    // Focused frames take the full path, never the idle one, which would mark
    // the game paused again (timing them would only measure the machine).
    for (int i = 0; i < 20; ++i) {
        Frames(*game, 1);
        EXPECT_FALSE(game->IsPausedByFocusLoss()) << "frame " << i;
    }
    EXPECT_GT(menu->GetVolume(), start);
}

TEST_F(InDesktop, AWindowModeChangeResetsTheDisplayOnceTwoFramesLater)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
    CountingGame game(folder);
    FocusGameWindow();
    Frames(game, 3);
    ASSERT_TRUE(game.resetFrames.empty());
    // As a switch asked for before frame 4: the mode is checked in frame 6.
    Config* config = Config::Instance();
    config->videoMode = "800x600x32";
    config->SetCommandDone("v_window_change_mode", false);
    Frames(game, 10);
    ASSERT_EQ(game.resetFrames.size(), 1u);
    EXPECT_EQ(game.resetFrames[0], 6);
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    EXPECT_TRUE(config->IsCommandDone("g_update_video_mode"));
    EXPECT_FALSE(RenderSystem::Instance()->deviceLost);
    RECT client;
    GetClientRect(Window::Instance()->GetHandle(), &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    // Nothing asked, nothing reset.
    config->SetCommandDone("g_update_video_mode", false);
    Frames(game, 3);
    EXPECT_EQ(game.resetFrames.size(), 1u);
}
