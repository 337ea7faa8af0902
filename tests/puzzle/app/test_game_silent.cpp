// The game on a machine without a sound device (ALSA's default names a card
// that does not exist, see game_tests.cmake): it starts and runs silent, and
// the player's volumes are still read, clamped and saved.
#include "GameTestSupport.h"

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "framework/SoundController.h"
#include "puzzle/app/SoundTable.h"

using namespace KorvaneEngine;
using namespace GameTest;

TEST(Desktop, SilentGameTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_silent", 1280, 1024, "InDesktop.*"));
}

TEST(InDesktop, WithoutASoundDeviceTheGameRunsAndKeepsTheVolumes)
{
    SKIP_OUTSIDE_DESKTOP();
    const std::string folder = MakeProgramFolder("silent");
    ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\ng_music_volume 1.7\r\n"));
    {
        std::unique_ptr<Puzzle::Game> game = MakeGame(folder);
        EXPECT_EQ(SoundSystem::Instance(), nullptr);
        EXPECT_EQ(SoundManager::Instance(), nullptr);
        GameFramework::SoundController* sounds = game->GetSoundController();
        ASSERT_NE(sounds, nullptr);
        EXPECT_TRUE(sounds->GetMusicTracks().empty());
        EXPECT_TRUE(sounds->GetSoundEntries().empty());
        EXPECT_EQ(sounds->GetMusicVolume(), 1.0f);
        EXPECT_EQ(sounds->GetSoundVolume(), 0.315f);
        sounds->PlayMusic(0, Puzzle::kMusicMenu, true, 0.5f);
        sounds->PlaySound(Puzzle::kSoundElementGet);
        for (int i = 0; i < 10; ++i) {
            TestSupport::ProgramRunner::Pump();
            game->Update();
        }
        EXPECT_EQ(sounds->GetMusicState(0), Sound::kStopped);
        EXPECT_EQ(sounds->GetSoundState(Puzzle::kSoundElementGet), Sound::kStopped);
        sounds->SetSoundVolume(0.5f);
    }
    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("g_music_volume 1.000000\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("g_sound_volume 0.500000\r\n"), std::string::npos) << ini;
    TestSupport::ClearUserData(kCompany, Title());
}
