#include <gtest/gtest.h>

#include "engine/foundation/Random.h"
#include "engine/foundation/RandomSelecter.h"

using namespace GameTools;
using namespace KorvaneEngine;

namespace {

// The value Random() gives after `steps` draws from the seed.
uint32_t ValueAfter(uint32_t seed, int steps)
{
    SetRandomSeed(seed);
    for (int i = 0; i < steps; ++i)
        Random();
    return Random();
}

} // namespace

TEST(RandomSelecter, EmptyAndSingle)
{
    RandomSelecter none(0);
    EXPECT_EQ(none.Select(), 0u);
    EXPECT_EQ(none.GetLastIndex(), -1);

    RandomSelecter one(0);
    one.AddValue(42, 5);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(one.Select(), 42u);
        EXPECT_EQ(one.GetRepeatCount(), i);
    }
}

TEST(RandomSelecter, PicksByWeightWithTheInclusiveDraw)
{
    // r = RandomInt(0, 4): 0 and 1 pick the first entry, 2..4 the second.
    SetRandomSeed(0); // draws 15496, 24200, 278, 13427, 3312, 24216
    RandomSelecter s(10);
    s.AddValue(1, 1);
    s.AddValue(2, 3);
    EXPECT_EQ(s.GetTotalWeight(), 4u);
    const uint32_t expect[] = {1, 1, 2, 2, 2, 1};
    for (uint32_t id : expect)
        EXPECT_EQ(s.Select(), id);

    int first = 0;
    for (int i = 0; i < 5000; ++i)
        first += s.Select() == 1;
    EXPECT_NEAR(first / 5000.0, 0.4, 0.03);
}

TEST(RandomSelecter, ZeroWeightsAndRepeats)
{
    // A weight-0 entry is never picked by weight; with no repeat allowed the
    // second call tries 1000 times and then returns the only candidate.
    SetRandomSeed(5);
    RandomSelecter s(0);
    s.AddValue(7, 0);
    s.AddValue(9, 3);
    EXPECT_EQ(s.Select(), 9u);
    EXPECT_EQ(s.Select(), 9u);
    EXPECT_EQ(s.GetRepeatCount(), 1u);
    uint32_t next = Random();
    EXPECT_EQ(next, ValueAfter(5, 1001));

    // All weights 0: uniform picks, never twice in a row with no repeat allowed.
    SetRandomSeed(11);
    RandomSelecter z(0);
    for (uint32_t id = 1; id <= 4; ++id)
        z.AddValue(id, 0);
    int seen[5] = {};
    uint32_t prev = z.Select();
    for (int i = 0; i < 2000; ++i) {
        uint32_t id = z.Select();
        EXPECT_NE(id, prev);
        ASSERT_TRUE(id >= 1 && id <= 4);
        ++seen[id];
        prev = id;
    }
    for (int id = 1; id <= 4; ++id)
        EXPECT_GT(seen[id], 350);

    // At most two in a row with one repeat allowed.
    SetRandomSeed(3);
    RandomSelecter r(1);
    r.AddValue(1, 50);
    r.AddValue(2, 1);
    int run = 0;
    prev = 0;
    for (int i = 0; i < 3000; ++i) {
        uint32_t id = r.Select();
        run = id == prev ? run + 1 : 1;
        EXPECT_LE(run, 2);
        prev = id;
    }
}

TEST(RandomSelecter, SetValueChangesWeights)
{
    SetRandomSeed(1);
    RandomSelecter s(100);
    s.AddValue(1, 5);
    s.SetValue(2, 5); // new id: added
    EXPECT_EQ(s.GetCount(), 2u);
    EXPECT_EQ(s.GetTotalWeight(), 10u);
    s.SetValue(1, 0);
    EXPECT_EQ(s.GetCount(), 2u);
    EXPECT_EQ(s.GetTotalWeight(), 5u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(s.Select(), 2u);
    int32_t last = s.GetLastIndex();
    s.SetValue(1, 7);
    EXPECT_EQ(s.GetLastIndex(), last); // weights do not touch the repeat state
    EXPECT_EQ(s.GetTotalWeight(), 12u);
}
