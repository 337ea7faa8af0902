#include <gtest/gtest.h>

#include "engine/foundation/Random.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/AnimationControl.h"

using namespace KorvaneEngine;

namespace {

// A running control over frames 0..frameCount-1 at one step a second, so
// Advance(dt) moves the time by dt steps.
AnimationControl Running(uint32_t mode, uint32_t frames, bool loop)
{
    AnimationControl a(mode, frames);
    a.speed = 1.0f;
    a.loop = loop ? 1 : 0;
    a.Start();
    return a;
}

void ExpectFrames(const AnimationControl& a, uint32_t fa, uint32_t fb, float blend)
{
    EXPECT_EQ(a.frameA, fa);
    EXPECT_EQ(a.frameB, fb);
    EXPECT_NEAR(a.blend, blend, 1e-5f);
}

} // namespace

TEST(AnimationControl, ConstructionAndRanges)
{
    AnimationControl a(0, 10);
    EXPECT_EQ(a.currentKey, -1);
    ASSERT_EQ(a.ranges.count(-1), 1u);
    EXPECT_EQ(a.ranges[-1].first, 0u);
    EXPECT_EQ(a.ranges[-1].last, 9u);
    EXPECT_FALSE(a.running);
    EXPECT_TRUE(a.interpolate);
    a.AddAnimation(3, 2, 4);
    a.AddAnimation(3, 7, 8);  // an existing key keeps its range
    EXPECT_EQ(a.ranges[3].first, 2u);
    a.time = 5;
    a.SetAnimation(3);
    EXPECT_EQ(a.time, 0.0f);
    // A range that was never added plays frame 0 only and is added.
    a.SetAnimation(7);
    a.speed = 1;
    a.Start();
    a.Advance(0.5f);
    ExpectFrames(a, 0, 0, 0);
    EXPECT_EQ(a.ranges[7].first, 0u);
    EXPECT_EQ(a.ranges[7].last, 0u);
}

TEST(AnimationControl, PlaysBetweenKeyFramesAndStopsAtTheEnd)
{
    AnimationControl a = Running(0, 4, false);
    a.Advance(1.25f);
    ExpectFrames(a, 1, 2, 0.25f);
    a.Advance(1.5f);
    ExpectFrames(a, 2, 3, 0.75f);
    EXPECT_TRUE(a.running);
    a.Advance(5.0f);
    ExpectFrames(a, 3, 3, 0.0f);
    EXPECT_FLOAT_EQ(a.time, 3.0f);
    EXPECT_FALSE(a.running);
    EXPECT_TRUE(a.hold);
    // Not running: time stands still.
    a.Advance(1.0f);
    EXPECT_FLOAT_EQ(a.time, 3.0f);

    a.interpolate = 0;
    a.time = 1.5f;
    a.hold = 0;
    a.Advance(0.0f);
    ExpectFrames(a, 1, 2, 0.0f);
}

TEST(AnimationControl, BackwardsRange)
{
    AnimationControl a(0, 10);
    a.AddAnimation(1, 5, 2);
    a.SetAnimation(1);
    a.speed = 1;
    a.Start();
    a.Advance(0.0f);
    ExpectFrames(a, 4, 5, 1.0f);  // frame 5 shows
    a.Advance(1.25f);
    ExpectFrames(a, 3, 4, 0.75f);
}

TEST(AnimationControl, ContinuousLoopsAndLoopLimit)
{
    AnimationControl a = Running(0, 4, true);
    a.Advance(3.5f);
    EXPECT_FLOAT_EQ(a.time, 0.5f);
    EXPECT_EQ(a.loopsDone, 1u);
    ExpectFrames(a, 0, 1, 0.5f);

    AnimationControl b = Running(0, 4, true);
    b.loopLimit = 2;
    b.Advance(3.5f);  // first lap wraps
    EXPECT_EQ(b.loopsDone, 1u);
    EXPECT_TRUE(b.running);
    b.Advance(3.0f);  // the second lap is the last: it holds
    EXPECT_FLOAT_EQ(b.time, 3.0f);
    EXPECT_FALSE(b.running);
    EXPECT_TRUE(b.hold);
    ExpectFrames(b, 3, 3, 0.0f);

    // A huge time wraps at once instead of lap by lap.
    AnimationControl c = Running(0, 4, true);
    c.time = 3.0e7f;
    c.Advance(0.0f);
    EXPECT_LT(c.time, 3.0f);
    EXPECT_GE(c.time, 0.0f);
}

TEST(AnimationControl, WrapStepOfModeOne)
{
    AnimationControl a = Running(1, 4, true);  // 5 steps: 0 1 2 3 and back to 0
    a.Advance(3.5f);
    ExpectFrames(a, 3, 0, 0.5f);
    a.Advance(1.0f);  // time 4.5 wraps to 0.5
    EXPECT_FLOAT_EQ(a.time, 0.5f);
    ExpectFrames(a, 0, 1, 0.5f);
}

TEST(AnimationControl, FramesPastTheCountReadAsZero)
{
    AnimationControl a(0, 3);
    a.AddAnimation(2, 1, 6);
    a.SetAnimation(2);
    a.speed = 1;
    a.Start();
    a.Advance(2.5f);  // frames 3 and 4 of a 3-frame control
    ExpectFrames(a, 0, 0, 0.5f);
}

TEST(AnimationControl, DegenerateControlsStayAtTimeZero)
{
    // No frames at all: no range wrapping round to the largest frame number.
    AnimationControl none(0, 0);
    EXPECT_EQ(none.ranges[-1].last, 0u);
    none.speed = 5;
    none.loop = 1;
    none.Start();
    none.Advance(0.1f);
    EXPECT_EQ(none.time, 0.0f);
    ExpectFrames(none, 0, 0, 0);

    // A one-step continuous loop has nothing to subtract: it must not spin.
    AnimationControl one = Running(0, 1, true);
    one.Advance(0.7f);
    EXPECT_EQ(one.time, 0.0f);
    ExpectFrames(one, 0, 0, 0);

    // A negative or non-finite time restarts the range.
    AnimationControl bad = Running(0, 4, false);
    bad.time = -3;
    bad.Advance(0.0f);
    EXPECT_EQ(bad.time, 0.0f);
    bad.speed = 1e38f;
    bad.Advance(1e38f);
    EXPECT_GE(bad.time, 0.0f);
    EXPECT_LE(bad.time, 3.0f);
}

TEST(AnimationControl, HoldKeepsTheLastFrameUntilCleared)
{
    AnimationControl a = Running(0, 5, false);
    a.Advance(10.0f);
    ASSERT_TRUE(a.hold);
    // Starting again while held changes nothing.
    a.time = 0;
    a.Start();
    a.Advance(0.5f);
    EXPECT_FLOAT_EQ(a.time, 4.0f);
    EXPECT_FALSE(a.running);
    ExpectFrames(a, 4, 4, 0);
    // Cleared with time 0, the range plays again.
    a.hold = 0;
    a.time = 0;
    a.Start();
    a.Advance(1.5f);
    ExpectFrames(a, 1, 2, 0.5f);
    EXPECT_TRUE(a.running);
    // Selecting a range releases the hold as well.
    a.Advance(10.0f);
    ASSERT_TRUE(a.hold);
    a.SetAnimation(-1);
    EXPECT_FALSE(a.hold);
}

TEST(AnimationControl, DelaysAndCopies)
{
    AnimationControl a = Running(0, 4, true);
    a.minimumDelay = a.maximumDelay = 2.0f;
    a.Start();
    EXPECT_FLOAT_EQ(a.delayRemaining, 2.0f);
    a.Advance(1.0f);  // waiting: the time does not move
    EXPECT_EQ(a.time, 0.0f);
    a.Advance(1.5f);  // delay ran out: plays
    EXPECT_FLOAT_EQ(a.time, 1.5f);
    a.Advance(5.0f);  // with a delay the loop is not continuous: it holds the end
    EXPECT_FLOAT_EQ(a.time, 3.0f);
    EXPECT_TRUE(a.running);

    AnimationControl b(0, 4);
    b.CopyFrom(a);
    EXPECT_FLOAT_EQ(b.time, 3.0f);
    EXPECT_TRUE(b.loop);
    AnimationControl c(0, 5);
    c.CopyFrom(a);  // another frame count: ignored
    EXPECT_EQ(c.time, 0.0f);
    AnimationControl d(a);
    EXPECT_FLOAT_EQ(d.minimumDelay, 2.0f);
    EXPECT_EQ(d.ranges.size(), a.ranges.size());
}

TEST(AnimationControl, RandomizeStartDrawsSignThenDelay)
{
    SetRandomSeed(7);
    AnimationControl a(0, 11);
    a.RandomizeStart();  // no delay configured: a random time in 0..10
    SetRandomSeed(7);
    RandomSignedUnit();
    RandomFloat(0, 0);
    float expected = RandomFloat(0, 10);
    EXPECT_FLOAT_EQ(a.time, expected);
    EXPECT_EQ(a.delayRemaining, 0.0f);
}

TEST(AnimationControl, UpdateUsesTheFrameClock)
{
    TimerManager timers;
    TimerManager::Instance(&timers);
    timers.AdvanceFrame(0.05f);
    AnimationControl a = Running(0, 10, false);
    a.speed = 20;
    a.Update();
    EXPECT_NEAR(a.time, 20 * timers.frameTime, 1e-5f);
}
