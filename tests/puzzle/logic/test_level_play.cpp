// Whole levels played through the engine's frame with a fixed seed, 1/60 s
// frames and scripted input on the shipped content: a won level with its
// combos, charge and stars, relax mode, the pause fade, the cheat keys, a
// board of hundreds of pieces, and two runs that must not differ in a single
// frame. (The lost level has a program of its own: it takes long.)
#include "LevelTestSupport.h"

#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "gui/Console.h"
#include "tools/formats/PuzzleFileWriter.h"

#include <algorithm>
#include <sstream>

using namespace LevelTest;
using ::Puzzle::DepositoryElement;
using ::Puzzle::GameLogic;

namespace {

class Level : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game = StartSuiteGame("level_play"); }
    static void TearDownTestSuite() { StopSuiteGame(game); }
    void TearDown() override
    {
        if (game)
            game->EndLevel();
    }
    static inline LevelGame* game = nullptr;
};

} // namespace

TEST(Desktop, LevelTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    // Some minutes of game time: on a loaded machine it may take a while.
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_level", 1280, 1024, "Level.*", 560000));
}

TEST_F(Level, AWonLevelScoresItsCombosRunsTheChargeAndKeepsTheStars)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.profile->SetStars(::Puzzle::Profile::kStartStars);
    g.StartLevel();
    ASSERT_EQ(g.data->GetTotal(), 12u);
    EXPECT_TRUE(LevelGame::Logged("Loading level 1-1...", 0));
    const uint32_t before = g.profile->GetStars();

    PlayResult r = Play(g, true, 60 * 120);
    ASSERT_EQ(g.logic->GetState(), GameLogic::kWon) << "after " << r.frames << " frames: " << r.trace.back();
    EXPECT_TRUE(g.logic->IsStateChanged());
    EXPECT_TRUE(r.charged);
    EXPECT_TRUE(g.GetPath()->IsChargeFinished());
    EXPECT_FALSE(r.failingSeen);
    EXPECT_TRUE(g.GetBoard()->IsCompleted());

    // Quick puts run the combo 10, 15, 20, 25, 30 and start again at 10.
    ASSERT_EQ(r.putPoints.size(), 12u);
    for (size_t i = 0; i < r.putPoints.size(); ++i)
        EXPECT_EQ(r.putPoints[i], 10 + 5 * int32_t(i % 5)) << "put " << i;

    // The charge pays 2 at each of the 30 stops it passes (and again at a
    // stop that falls on an update's boundary) and 30 for each bonus cashed.
    const float total = g.GetPath()->GetTotalLength();
    int passed = 0;
    for (int k = 0; k < 30; ++k)
        passed += k * (total / 29.0f) >= r.chargeStart - 0.0001f;
    ASSERT_GE(r.chargeStart, 0.0f);
    EXPECT_GE(r.stopTexts, passed);
    EXPECT_LE(r.stopTexts, 2 * passed);
    int32_t puts = 0;
    for (int32_t p : r.putPoints)
        puts += p;
    const int32_t levelStars = puts + 2 * r.stopTexts + 30 * r.cashTexts;
    EXPECT_EQ(g.profile->GetLevelStars(), levelStars)
        << "puts " << puts << ", stops " << r.stopTexts << ", cashed " << r.cashTexts;
    EXPECT_EQ(g.profile->GetStars(), before + uint32_t(levelStars));

    // Once only: more frames of the won level add nothing.
    for (int i = 0; i < 30; ++i)
        g.Frame();
    EXPECT_EQ(g.profile->GetStars(), before + uint32_t(levelStars));

    // The saved profile reads back with them.
    ::Puzzle::Profile reread(g.profile->GetFileName(), g.profiles->GetUserDataFolder());
    EXPECT_EQ(reread.GetStars(), before + uint32_t(levelStars));
}

TEST_F(Level, RelaxModeIsNeverLostAndIsWonWithoutACharge)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.StartLevel(LevelFiles(), true, 7);
    EXPECT_TRUE(g.logic->IsRelax());
    EXPECT_TRUE(g.GetPath()->IsIntroductionDone());
    EXPECT_EQ(g.GetPath()->GetPoints().size(), 5u);
    // Left alone until the queue has reached the finish: it stops there.
    PlayResult idle;
    for (int i = 0; i < 60 && !idle.failingSeen && !idle.lostSeen; ++i) {
        PlayResult part = Play(g, false, 60);
        idle.failingSeen = part.failingSeen;
        idle.lostSeen = part.lostSeen;
        const auto& q = g.GetPath()->GetQueue();
        if (!q.empty() && q.back()->GetPosition() >= g.GetPath()->GetTotalLength() - 0.01f && i >= 5)
            break;
    }
    Play(g, false, 60 * 5);
    EXPECT_EQ(g.logic->GetState(), GameLogic::kPlaying);
    EXPECT_FALSE(idle.failingSeen);
    EXPECT_FALSE(idle.lostSeen);
    ASSERT_FALSE(g.GetPath()->GetQueue().empty());
    EXPECT_NEAR(g.GetPath()->GetQueue().back()->GetPosition(), g.GetPath()->GetTotalLength(), 0.01f);
    EXPECT_EQ(g.GetPath()->GetFreeLength(), 0.0f);
    for (size_t i = 1; i < g.GetPath()->GetQueue().size(); ++i)
        EXPECT_GE(g.GetPath()->GetQueue()[i]->GetPosition() - g.GetPath()->GetQueue()[i - 1]->GetPosition(),
                  60.0f - 0.001f);
    for (::Puzzle::Bonus* b : g.logic->GetBonuses()->GetBonuses())
        EXPECT_TRUE(b->GetType() == ::Puzzle::Bonus::kTip || b->GetType() == ::Puzzle::Bonus::kMagnet);

    PlayResult r = Play(g, true, 60 * 120);
    ASSERT_EQ(g.logic->GetState(), GameLogic::kWon) << r.trace.back();
    EXPECT_FALSE(r.charged);
    EXPECT_FALSE(g.GetPath()->IsChargeFinished());
    EXPECT_EQ(r.stopTexts, 0);
}

TEST_F(Level, AnIntroductionEndingWhilePausedLeavesTheTimerStill)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.StartLevel(LevelFiles(), false, 5);
    int introFrames = 0;
    while (!g.GetPath()->IsIntroductionDone() && introFrames < 60 * 10) {
        g.Frame();
        ++introFrames;
    }
    ASSERT_TRUE(g.GetPath()->IsIntroductionDone());

    // Paused a few frames before the end: the introduction finishes in the fade-out.
    g.StartLevel(LevelFiles(), false, 5);
    for (int i = 0; i < introFrames - 4; ++i)
        g.Frame();
    ASSERT_FALSE(g.GetPath()->IsIntroductionDone());
    g.logic->SetPaused(true);
    const float time = g.logic->GetTime();
    for (int i = 0; i < 60; ++i)
        g.Frame();
    ASSERT_TRUE(g.GetPath()->IsIntroductionDone());
    EXPECT_TRUE(g.logic->IsTimerPaused());
    EXPECT_EQ(g.logic->GetTime(), time);
    g.logic->SetPaused(false);
    EXPECT_FALSE(g.logic->IsTimerPaused());
    Play(g, false, 30);
    EXPECT_GT(g.logic->GetTime(), time);
}

TEST_F(Level, PausingFadesThePlayOutAndBackIn)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.StartLevel(LevelFiles(), false, 5);
    Play(g, false, 60 * 4);
    ASSERT_TRUE(g.GetPath()->IsIntroductionDone());
    ASSERT_FALSE(g.GetPath()->GetQueue().empty());

    g.logic->SetPaused(true);
    EXPECT_EQ(g.logic->GetState(), GameLogic::kPaused);
    EXPECT_TRUE(g.logic->IsTimerPaused());
    int frames = 0;
    float lastScale = g.logic->GetTimeScale();
    while (g.logic->GetTimeScale() > 0.0f && frames < 100) {
        g.Frame();
        ++frames;
        EXPECT_LE(g.logic->GetTimeScale(), lastScale);
        lastScale = g.logic->GetTimeScale();
    }
    // 2 a second: 0.5 s.
    EXPECT_NEAR(frames, 30, 1);
    EXPECT_TRUE(g.GetBoard()->GetPauseOverlay()->IsVisible());
    EXPECT_NEAR(g.GetBoard()->GetPauseOverlay()->GetAlpha(), 1.0f, 0.01f);
    // Nothing moves while paused.
    const float front = g.GetPath()->GetQueue().back()->GetPosition();
    for (int i = 0; i < 60; ++i)
        g.Frame();
    EXPECT_EQ(g.GetPath()->GetQueue().back()->GetPosition(), front);
    EXPECT_EQ(g.logic->GetTimeScale(), 0.0f);

    g.logic->SetPaused(false);
    EXPECT_FALSE(g.logic->IsTimerPaused());
    frames = 0;
    while (g.logic->GetTimeScale() < 1.0f && frames < 100) {
        g.Frame();
        ++frames;
    }
    // 1.3 a second: about 0.77 s.
    EXPECT_NEAR(frames, 47, 1);
    g.Frame();
    EXPECT_FALSE(g.GetBoard()->GetPauseOverlay()->IsVisible());
    EXPECT_GT(g.GetPath()->GetQueue().back()->GetPosition(), front);

    // A won or lost level cannot be paused.
    g.logic->SetState(GameLogic::kLost);
    g.logic->ClearStateChanged();
    g.logic->SetPaused(true);
    EXPECT_EQ(g.logic->GetState(), GameLogic::kLost);
    EXPECT_FALSE(g.logic->IsStateChanged());
}

TEST_F(Level, TwoRunsWithTheSameSeedAreTheSameFrameByFrame)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    g.StartLevel(LevelFiles(), false, 4242);
    PlayResult first = Play(g, true, 60 * 40);
    g.StartLevel(LevelFiles(), false, 4242);
    PlayResult second = Play(g, true, 60 * 40);
    ASSERT_GT(first.trace.size(), 300u);
    for (size_t i = 0; i < std::min(first.trace.size(), second.trace.size()); ++i)
        ASSERT_EQ(first.trace[i], second.trace[i]) << "frame " << i;
    ASSERT_EQ(first.trace.size(), second.trace.size());
    // And another seed plays another level.
    g.StartLevel(LevelFiles(), false, 4243);
    PlayResult other = Play(g, true, 60 * 10);
    bool differs = false;
    for (size_t i = 0; i < other.trace.size() && !differs; ++i)
        differs = other.trace[i] != first.trace[i];
    EXPECT_TRUE(differs);
}

TEST_F(Level, CheatKeysActOnlyInCheatModeAndShiftF1CompletesTheBoard)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    Console* console = Console::Instance();
    ASSERT_NE(console, nullptr);
    console->SetEnabled(false);
    g.StartLevel(LevelFiles(), false, 11);
    Play(g, false, 60 * 4);
    ASSERT_TRUE(g.GetPath()->IsIntroductionDone());

    // Cheat mode off: nothing.
    g.controls->Set("LSHIFT", true);
    g.controls->Tap("F1");
    g.Frame();
    g.controls->Set("LSHIFT", false);
    g.Frame();
    EXPECT_FALSE(g.logic->IsCheatUsed());
    EXPECT_FALSE(g.GetBoard()->IsFull());

    console->SetEnabled(true);
    // Without Shift: F1 rolls the queue back, F2 stops it, F3 and F4 arm the
    // tip and the magnet, all in one frame and in that order.
    const float slow = g.GetPath()->GetSlowDownTime(), stop = g.GetPath()->GetStopTime();
    g.controls->Tap("F1");
    g.controls->Tap("F2");
    g.controls->Tap("F4");
    g.controls->Tap("F3");
    g.Frame();
    EXPECT_TRUE(g.logic->IsCheatUsed());
    EXPECT_GT(g.GetPath()->GetSlowDownTime(), slow + 3.0f);
    EXPECT_GT(g.GetPath()->GetStopTime(), stop + 1.0f);
    EXPECT_FALSE(g.GetBoard()->IsTipMode());  // F4 (magnet) came after F3
    EXPECT_TRUE(g.GetBoard()->IsMagnetMode());

    // Only the right Shift held: still Shift. The board fills and the level
    // is then won by the ordinary end: the charge and the completed picture.
    g.controls->Set("RSHIFT", true);
    g.controls->Tap("F1");
    g.Frame();
    g.controls->Set("RSHIFT", false);
    EXPECT_TRUE(g.GetBoard()->IsFull());
    EXPECT_TRUE(g.GetPath()->IsCharging());
    PlayResult r = Play(g, false, 60 * 60);
    EXPECT_EQ(g.logic->GetState(), GameLogic::kWon) << r.trace.back();
    EXPECT_TRUE(g.GetBoard()->IsCompleted());
    console->SetEnabled(false);
}

TEST_F(Level, ABoardOfHundredsOfPiecesKeepsEverySlotBehindThePicture)
{
    SKIP_OUTSIDE_DESKTOP();
    LevelGame& g = *game;
    // A 20 x 15 grid over the shipped 560 x 420 picture: 300 pieces, more
    // than the levels below the level-complete model.
    ContentTools::PuzzleFile cut;
    cut.boardWidth = 560;
    cut.boardHeight = 420;
    for (int y = 0; y < 420; y += 28)
        for (int x = 0; x < 560; x += 28) {
            ContentTools::PuzzlePiece p;
            p.x = x;
            p.y = y;
            p.w = p.h = 28;
            p.shape = ContentTools::PackShapeBits(std::vector<uint8_t>(28 * 28, 1));
            cut.pieces.push_back(p);
        }
    cut.outline.assign(560 * 420, 0);
    LevelFiles files;
    files.puzzle = "data\\puzzles\\00\\puzzle_grid.pzf";
    // Beside the packed content, on disk, where the file manager looks first.
    const std::string path = FileManager::Instance()->GetFullPath(files.puzzle);
    KorvaneEngine::CreateDirectories(path);
    ASSERT_TRUE(ContentTools::SavePuzzleFile(path, cut));
    g.StartLevel(files, false, 5);
    DeleteFileA(path.c_str());
    ASSERT_EQ(g.data->GetTotal(), 300u);
    ASSERT_EQ(g.GetBoard()->GetSlots().size(), 300u);

    // More negative is nearer: every slot lies behind the level-complete
    // model, the picture's cut lines and the pause dimmer, however many.
    Play(g, false, 60 * 2);
    const Board& board = *g.GetBoard();
    const float front = std::max({board.GetLevelComplete()->GetDepth(), board.GetPicture()->GetDepth(),
                                  board.GetPauseOverlay()->GetDepth()});
    int inFront = 0;
    for (const ::Puzzle::PuzzleElement* slot : board.GetSlots())
        inFront += !(slot->GetWindow()->GetDepth() > front + 0.001f);
    EXPECT_EQ(inFront, 0) << "of " << board.GetSlots().size() << " slots";
}
