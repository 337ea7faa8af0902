#include <gtest/gtest.h>

#include <windows.h>

#include "engine/foundation/TimerManager.h"

using namespace KorvaneEngine;

namespace {

// Sleep precision under load is loose; these bounds only have to tell a
// running clock from a stopped or wrongly scaled one.
const float kSlack = 0.06f;

} // namespace

TEST(FrameClock, ClampsToSafeRange)
{
    TimerManager timers;
    timers.AdvanceFrame(0.0f);
    EXPECT_FLOAT_EQ(timers.frameTime, 0.001f);
    timers.AdvanceFrame(-0.2f);
    EXPECT_FLOAT_EQ(timers.frameTime, 0.001f);
    timers.AdvanceFrame(0.5f);
    EXPECT_FLOAT_EQ(timers.frameTime, 0.1f);
    timers.AdvanceFrame(0.1f);
    EXPECT_FLOAT_EQ(timers.frameTime, 0.1f);
    timers.AdvanceFrame(0.025f);
    EXPECT_FLOAT_EQ(timers.frameTime, 0.025f);
}

TEST(FrameClock, SmoothsAndCapsTheSmoothedValue)
{
    TimerManager timers;
    timers.smoothing = true;
    for (int i = 0; i < 5; ++i) {
        timers.AdvanceFrame(0.010f);
        EXPECT_NEAR(timers.frameTime, 0.010f, 1e-6f);
    }
    timers.AdvanceFrame(0.020f);
    EXPECT_NEAR(timers.smoothedTime, 0.011f, 1e-6f);
    EXPECT_NEAR(timers.frameTime, 0.011f, 1e-6f);

    // A sudden fast frame after slow ones: the smoothed value is kept uncapped,
    // the frame reads at most 1.25 times its own length.
    timers.smoothedTime = 0.05f;
    timers.AdvanceFrame(0.020f);
    EXPECT_NEAR(timers.smoothedTime, 0.047f, 1e-6f);
    EXPECT_NEAR(timers.frameTime, 0.025f, 1e-6f);

    // Smoothing starts from the first clamped frame.
    TimerManager fresh;
    fresh.smoothing = true;
    fresh.AdvanceFrame(0.0f);
    EXPECT_NEAR(fresh.smoothedTime, 0.001f, 1e-7f);
    EXPECT_NEAR(fresh.frameTime, 0.001f, 1e-7f);
}

TEST(FrameClock, CountsFramesPerSecondWithUnclampedTime)
{
    TimerManager timers;
    for (int i = 0; i < 3; ++i)
        timers.AdvanceFrame(0.25f);
    EXPECT_EQ(timers.framesPerSecond, 0u);
    timers.AdvanceFrame(0.25f);
    EXPECT_EQ(timers.framesPerSecond, 4u);
    EXPECT_EQ(timers.frameCount, 0u);
    EXPECT_FLOAT_EQ(timers.secondAccumulator, 0.0f);

    // Two stalls of 0.6 s read as 0.1 each, yet make a whole second.
    timers.AdvanceFrame(0.6f);
    timers.AdvanceFrame(0.6f);
    EXPECT_EQ(timers.framesPerSecond, 2u);
    EXPECT_NEAR(timers.secondAccumulator, 0.2f, 1e-5f);
}

TEST(FrameClock, MeasuresRealFrames)
{
    TimerManager timers;
    EXPECT_NE(timers.GetTimerPeriod(), 0u) << "multimedia timer capabilities expected";
    EXPECT_EQ(timers.GetFrameTimer()->IsHighResolution(), timers.GetTimerPeriod() == 0);
    timers.Update();
    Sleep(250);
    timers.Update();
    EXPECT_FLOAT_EQ(timers.frameTime, 0.1f); // a stall counts as 0.1
    Sleep(40);
    timers.Update();
    EXPECT_GE(timers.frameTime, 0.035f);
    EXPECT_LT(timers.frameTime, 0.1f);
    timers.Update();
    EXPECT_GE(timers.frameTime, 0.001f);
    EXPECT_LT(timers.frameTime, 0.03f);
}

TEST(Timer, PauseDoesNotCount)
{
    for (bool highResolution : {false, true}) {
        SCOPED_TRACE(highResolution ? "performance counter" : "millisecond clock");
        Timer timer(1.0f, highResolution);
        EXPECT_EQ(timer.IsHighResolution(), highResolution);
        Sleep(100);
        timer.SetPaused(true);
        const float before = timer.GetTime();
        EXPECT_NEAR(before, 1.1f, kSlack);
        Sleep(300);
        EXPECT_FLOAT_EQ(timer.GetTime(), before);
        timer.SetPaused(true); // unchanged: keeps the first pause point
        EXPECT_FLOAT_EQ(timer.GetTime(), before);
        timer.SetPaused(false);
        Sleep(100);
        EXPECT_NEAR(timer.GetTime(), before + 0.1f, kSlack);
        EXPECT_FALSE(timer.IsPaused());
    }
}

TEST(Timer, SetTimeWithSpeed)
{
    for (bool highResolution : {false, true}) {
        SCOPED_TRACE(highResolution ? "performance counter" : "millisecond clock");
        Timer timer(0.0f, highResolution);
        timer.SetSpeed(2.0f);
        timer.SetPaused(true);
        timer.SetTime(10.0f);
        EXPECT_FALSE(timer.IsPaused());
        EXPECT_NEAR(timer.GetTime(), 10.0f, 0.01f);
        Sleep(200);
        EXPECT_NEAR(timer.GetTime(), 10.4f, 2 * kSlack);
    }
}

TEST(Timer, SpeedZeroStandsStill)
{
    for (bool highResolution : {false, true}) {
        Timer timer(3.0f, highResolution);
        timer.SetSpeed(0.0f);
        timer.SetTime(5.0f);
        EXPECT_EQ(timer.GetTime(), 0.0f);
        Sleep(50);
        EXPECT_EQ(timer.GetTime(), 0.0f);
        // Restarted at zero: once running again it counts from there.
        timer.SetSpeed(1.0f);
        EXPECT_GE(timer.GetTime(), 0.0f);
        EXPECT_LT(timer.GetTime(), 0.5f);
    }
}

TEST(TimerManager, ReusesFreedSlotsLastFirst)
{
    TimerManager timers;
    ASSERT_EQ(timers.GetTimer(0), timers.GetFrameTimer());
    Timer* t[6] = {};
    for (int i = 1; i <= 5; ++i) {
        t[i] = timers.CreateTimer(0.0f, false);
        ASSERT_EQ(timers.GetTimer(static_cast<uint32_t>(i)), t[i]);
    }
    timers.DeleteTimer(t[2]);
    timers.DeleteTimer(t[5]);
    EXPECT_EQ(timers.GetTimer(2), nullptr);
    EXPECT_EQ(timers.GetTimer(5), nullptr);
    Timer* a = timers.CreateTimer(0.0f, true);
    Timer* b = timers.CreateTimer(0.0f, false);
    EXPECT_EQ(timers.GetTimer(5), a);
    EXPECT_EQ(timers.GetTimer(2), b);
    EXPECT_EQ(timers.GetTimer(6), nullptr);

    // Null and a timer the manager does not hold change nothing.
    timers.DeleteTimer(nullptr);
    Timer foreign(0.0f, false);
    timers.DeleteTimer(&foreign);
    for (uint32_t n = 0; n <= 5; ++n)
        EXPECT_NE(timers.GetTimer(n), nullptr) << n;
    Timer* c = timers.CreateTimer(0.0f, false);
    EXPECT_EQ(timers.GetTimer(6), c);
}
