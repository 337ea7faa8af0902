#include <gtest/gtest.h>

#include "engine/foundation/TimerManager.h"
#include "framework/Tutorial.h"

namespace {

using KorvaneEngine::TimerManager;

TEST(Tutorial, TheDelayRunsOutBeforeTheShownTimeGrows)
{
    TimerManager timers;
    TimerManager::Instance(&timers);
    GameFramework::Tutorial tutorial(nullptr);
    EXPECT_TRUE(tutorial.IsEnabled());
    EXPECT_FALSE(tutorial.IsActive());
    EXPECT_EQ(tutorial.GetDelay(), 0.0f);
    EXPECT_EQ(tutorial.GetShownTime(), 0.0f);

    tutorial.SetDelay(0.25f);
    tutorial.SetActive(true);
    timers.frameTime = 0.1f;
    tutorial.Update();
    EXPECT_EQ(tutorial.GetShownTime(), 0.0f);
    tutorial.Update();
    EXPECT_EQ(tutorial.GetShownTime(), 0.0f);
    EXPECT_GT(tutorial.GetDelay(), 0.0f);
    tutorial.Update();
    EXPECT_LT(tutorial.GetDelay(), 0.0f);
    EXPECT_FLOAT_EQ(tutorial.GetShownTime(), 0.1f);
    tutorial.Update();
    EXPECT_FLOAT_EQ(tutorial.GetShownTime(), 0.2f);

    // Stopped, it keeps what it had.
    tutorial.SetActive(false);
    timers.frameTime = 5.0f;
    tutorial.Update();
    EXPECT_FLOAT_EQ(tutorial.GetShownTime(), 0.2f);
    TimerManager::ResetInstance(&timers);
}

TEST(Tutorial, AnInactiveTutorialChangesNothingWhateverTheFrame)
{
    TimerManager timers;
    TimerManager::Instance(&timers);
    GameFramework::Tutorial tutorial(nullptr);
    tutorial.SetDelay(0.5f);
    for (float frame : {0.0f, 0.016f, 0.1f, 1.0e6f, -3.0f}) {
        timers.frameTime = frame;
        tutorial.Update();
        EXPECT_FALSE(tutorial.IsActive());
        EXPECT_EQ(tutorial.GetDelay(), 0.5f);
        EXPECT_EQ(tutorial.GetShownTime(), 0.0f);
    }
    TimerManager::ResetInstance(&timers);

    // Without a frame clock an active tutorial has no time to count.
    tutorial.SetActive(true);
    tutorial.Update();
    EXPECT_EQ(tutorial.GetDelay(), 0.5f);
    EXPECT_EQ(tutorial.GetShownTime(), 0.0f);
}

} // namespace
