// A level left alone: the queue reaches the finish, the path fails, swallows
// everything and the level is lost, with no stars. Played through the
// engine's frame with a fixed seed and 1/60 s frames; it takes a couple of
// minutes of game time, so it has a program of its own.
#include "LevelTestSupport.h"

using namespace LevelTest;
using ::Puzzle::DepositoryElement;
using ::Puzzle::GameLogic;

namespace {

class Level : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game = StartSuiteGame("level_lost"); }
    static void TearDownTestSuite() { StopSuiteGame(game); }
    static inline LevelGame* game = nullptr;
};

} // namespace

TEST(Desktop, LostLevelTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    // Minutes of game time: on a loaded machine it may take a while.
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_lost", 1280, 1024, "Level.*", 560000));
}

TEST_F(Level, ALevelWithoutInputFailsAndIsLostWithoutStars)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.profile->SetStars(1500);
    g.StartLevel(LevelFiles(), false, 99);
    PlayResult r = Play(g, false, 60 * 600);
    ASSERT_EQ(g.logic->GetState(), GameLogic::kLost) << r.trace.back();
    EXPECT_TRUE(r.failingSeen);
    EXPECT_TRUE(g.GetPath()->IsLost());
    EXPECT_FALSE(g.GetPath()->GetCarriage()->IsVisible());
    EXPECT_EQ(g.profile->GetStars(), 1500u);
    EXPECT_EQ(g.GetBoard()->GetPlaced(), 0u);
    // Everything on the path was swallowed.
    for (DepositoryElement* e : g.GetPath()->GetQueue())
        EXPECT_FALSE(e->IsVisible());
}

