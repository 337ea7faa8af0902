#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/foundation/TimerManager.h"

using namespace KorvaneEngine;

namespace {

// A clock of its own, read just before and just after each reading of the
// clock under test: a thread put aside under load makes the span longer,
// and the expected reading follows the span, not the pause the test asked
// for. The performance counter checks the millisecond clock, the
// millisecond clock the counter.
class Reference {
public:
    explicit Reference(bool counter) : counter_(counter)
    {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        frequency_ = double(f.QuadPart);
        // The millisecond clock's own step, so a span it measured is known
        // to within that step.
        if (!counter_) {
            const DWORD first = timeGetTime();
            DWORD next;
            while ((next = timeGetTime()) == first) {
            }
            step_ = std::max(0.001, (next - first) / 1000.0);
        }
    }
    double Now() const
    {
        if (!counter_)
            return timeGetTime() / 1000.0;
        LARGE_INTEGER c;
        QueryPerformanceCounter(&c);
        return double(c.QuadPart) / frequency_;
    }
    // What both clocks may round off a span they share.
    double Slack() const { return step_ + 0.001; }

private:
    bool counter_;
    double frequency_ = 1;
    double step_ = 0.000001;
};

// The times just before and after something the clock under test did.
struct Moment {
    double before, after;
};

template <typename F> Moment Around(const Reference& clock, F&& action)
{
    Moment m;
    m.before = clock.Now();
    action();
    m.after = clock.Now();
    return m;
}

// The clock under test's span between two moments, as the reference saw it:
// at least from the end of the first to the start of the second, at most
// from the start of the first to the end of the second.
struct Span {
    double shortest, longest;
};

Span Between(const Reference& clock, const Moment& from, const Moment& to)
{
    return Span{to.before - from.after - clock.Slack(), to.after - from.before + clock.Slack()};
}

// What the frame clock makes of a frame's length: limited to 0.001..0.1 s.
double Limited(double seconds)
{
    return std::min(0.1, std::max(0.001, seconds));
}

::testing::AssertionResult FrameTimeFits(float frameTime, const Span& span)
{
    const double lo = Limited(span.shortest), hi = Limited(span.longest);
    std::printf("frame time %.4f s for a frame measured at %.4f..%.4f s\n", frameTime, span.shortest, span.longest);
    if (frameTime >= lo - 1e-6 && frameTime <= hi + 1e-6)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "frame time " << frameTime << " s for a frame of " << span.shortest
                                         << " to " << span.longest << " s (so " << lo << " to " << hi << ")";
}

::testing::AssertionResult TimeFits(float time, double start, double speed, const Span& span)
{
    const double lo = start + speed * span.shortest, hi = start + speed * span.longest;
    std::printf("timer at %.4f s for %.4f..%.4f s\n", time, lo, hi);
    if (time >= lo - 1e-4 && time <= hi + 1e-4)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "timer at " << time << " s where " << lo << " to " << hi
                                         << " s was measured";
}

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
    const Reference clock(!timers.GetFrameTimer()->IsHighResolution());
    auto update = [&] { return Around(clock, [&] { timers.Update(); }); };
    Moment last = update();
    // A stall: 0.1 s at most.
    Sleep(250);
    Moment next = update();
    EXPECT_FLOAT_EQ(timers.frameTime, 0.1f);
    EXPECT_TRUE(FrameTimeFits(timers.frameTime, Between(clock, last, next)));
    // A frame of its own length, and one read at once after it.
    Sleep(40);
    last = next;
    next = update();
    EXPECT_TRUE(FrameTimeFits(timers.frameTime, Between(clock, last, next)));
    last = next;
    next = update();
    EXPECT_TRUE(FrameTimeFits(timers.frameTime, Between(clock, last, next)));
}

TEST(Timer, PauseDoesNotCount)
{
    for (bool highResolution : {false, true}) {
        SCOPED_TRACE(highResolution ? "performance counter" : "millisecond clock");
        const Reference clock(!highResolution);
        Timer* made = nullptr;
        const Moment start = Around(clock, [&] { made = new Timer(1.0f, highResolution); });
        std::unique_ptr<Timer> timer(made);
        EXPECT_EQ(timer->IsHighResolution(), highResolution);
        Sleep(100);
        const Moment paused = Around(clock, [&] { timer->SetPaused(true); });
        const float before = timer->GetTime();
        EXPECT_TRUE(TimeFits(before, 1.0, 1.0, Between(clock, start, paused)));
        Sleep(300);
        EXPECT_FLOAT_EQ(timer->GetTime(), before);
        timer->SetPaused(true); // unchanged: keeps the first pause point
        EXPECT_FLOAT_EQ(timer->GetTime(), before);
        const Moment resumed = Around(clock, [&] { timer->SetPaused(false); });
        Sleep(100);
        float after = 0;
        const Moment read = Around(clock, [&] { after = timer->GetTime(); });
        EXPECT_TRUE(TimeFits(after, before, 1.0, Between(clock, resumed, read)));
        EXPECT_FALSE(timer->IsPaused());
    }
}

TEST(Timer, SetTimeWithSpeed)
{
    for (bool highResolution : {false, true}) {
        SCOPED_TRACE(highResolution ? "performance counter" : "millisecond clock");
        const Reference clock(!highResolution);
        Timer timer(0.0f, highResolution);
        timer.SetSpeed(2.0f);
        timer.SetPaused(true);
        const Moment set = Around(clock, [&] { timer.SetTime(10.0f); });
        EXPECT_FALSE(timer.IsPaused());
        float now = 0;
        Moment read = Around(clock, [&] { now = timer.GetTime(); });
        EXPECT_TRUE(TimeFits(now, 10.0, 2.0, Between(clock, set, read)));
        Sleep(200);
        read = Around(clock, [&] { now = timer.GetTime(); });
        EXPECT_TRUE(TimeFits(now, 10.0, 2.0, Between(clock, set, read)));
    }
}

TEST(Timer, SpeedZeroStandsStill)
{
    for (bool highResolution : {false, true}) {
        SCOPED_TRACE(highResolution ? "performance counter" : "millisecond clock");
        const Reference clock(!highResolution);
        Timer timer(3.0f, highResolution);
        timer.SetSpeed(0.0f);
        const Moment set = Around(clock, [&] { timer.SetTime(5.0f); });
        EXPECT_EQ(timer.GetTime(), 0.0f);
        Sleep(50);
        EXPECT_EQ(timer.GetTime(), 0.0f);
        // Restarted at zero: once running again it counts from there.
        timer.SetSpeed(1.0f);
        float now = 0;
        const Moment read = Around(clock, [&] { now = timer.GetTime(); });
        EXPECT_TRUE(TimeFits(now, 0.0, 1.0, Between(clock, set, read)));
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
