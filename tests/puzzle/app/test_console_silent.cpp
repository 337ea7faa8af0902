// The console's statistics on a machine without a sound device (ALSA's
// default names a card that does not exist, see console_tests.cmake): the
// sound count is asked of no missing manager and reads 0.
#include "GameTestSupport.h"

#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/MessageManager.h"

using namespace KorvaneEngine;
using namespace GameTest;

TEST(Desktop, SilentConsoleTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_console_silent", 1280, 1024, "InDesktop.*"));
}

TEST(InDesktop, WithoutASoundDeviceTheOccupationCountsNoSounds)
{
    SKIP_OUTSIDE_DESKTOP();
    const std::string folder = MakeProgramFolder("console_silent");
    ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\n"));
    {
        std::unique_ptr<Puzzle::Game> game = MakeGame(folder);
        ASSERT_EQ(SoundManager::Instance(), nullptr);
        MessageManager* log = MessageManager::Instance();
        log->ClearHistory();
        std::string name;
        Config::Instance()->ExecuteLine("d_get_manages_occupation", &name);
        game->HandleConsoleCommands();
        ASSERT_EQ(log->GetHistorySize(), 5);
        EXPECT_EQ(log->GetHistoryRecord(4)->text, "Sounds count: 0\n");
        EXPECT_EQ(log->GetHistoryRecord(0)->text.rfind("Shader users count: ", 0), 0u);
    }
    TestSupport::ClearUserData(kCompany, Title());
}
