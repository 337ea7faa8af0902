// Without any sound device (ALSA's default names a card that does not exist,
// see sound_tests.cmake) the sound system cannot be made: it says why in the
// log and throws, and the sound manager refuses to start without it, which is
// how the engine knows to run silent.
// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/Error.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(true));

} // namespace

TEST(NoSoundDevice, SoundSystemFailsWithTheReasonLogged)
{
    for (bool use3D : {false, true}) {
        ClearLog();
        bool thrown = false;
        SoundSystem_DS7* system = nullptr;
        try {
            system = new SoundSystem_DS7(use3D);
        } catch (const Error& e) {
            thrown = true;
            EXPECT_EQ(e.GetMessage(), "");
            EXPECT_EQ(dynamic_cast<const FatalError*>(&e), nullptr);
        }
        ASSERT_TRUE(thrown) << "a device was made: this test needs ALSA without a device";
        EXPECT_EQ(system, nullptr);
        EXPECT_EQ(SoundSystem::Instance(), nullptr);
        MessageManager* log = MessageManager::Instance();
        ASSERT_EQ(log->GetHistorySize(), 3);
        EXPECT_EQ(log->GetHistoryRecord(0)->text, "\nInitialization of DirectSound Subsystem:\n");
        EXPECT_EQ(log->GetHistoryRecord(1)->text, "...Creating a device...\n");
        EXPECT_EQ(log->GetHistoryRecord(2)->text, "\nError: Failed to create a device!\n\n");
        EXPECT_EQ(log->GetHistoryRecord(2)->level, 3u);
    }
}

TEST(NoSoundDevice, SoundManagerNeedsTheSoundSystem)
{
    bool thrown = false;
    try {
        SoundManager manager;
    } catch (const Error&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(SoundManager::Instance(), nullptr);
}
