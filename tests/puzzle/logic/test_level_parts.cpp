// The parts of a level on the shipped content, driven through the engine's
// frame with scripted input: the path's geometry and its queue while rolling
// back, bonuses that expire where no hand reaches them, the board's puts,
// tip and magnet, the floating texts, the pieces and the carriage, and game
// objects that are missing or malformed.
#include "LevelTestSupport.h"

#include "engine/foundation/Error.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Model.h"
#include "engine/render/ParticleSystem.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIToolManager.h"

#include <algorithm>

using namespace LevelTest;
using ::Puzzle::Bonus;
using ::Puzzle::BonusManager;
using ::Puzzle::DepositoryElement;
using ::Puzzle::GameLogic;
using ::Puzzle::PuzzleDepository;
using ::Puzzle::PuzzleElement;

namespace {

const float kEps = 0.001f;

class Parts : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game = StartSuiteGame("level_parts"); }
    static void TearDownTestSuite() { StopSuiteGame(game); }
    void TearDown() override
    {
        if (game) {
            game->controls->Set("MOUSE2", false);
            game->controls->Set("F9", false);
            game->EndLevel();
        }
    }

    static void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            game->Frame();
    }
    // Frames until the queue holds at least n elements.
    static void FillQueue(size_t n)
    {
        for (int i = 0; i < 60 * 30 && game->GetPath()->GetQueue().size() < n; ++i)
            game->Frame();
        ASSERT_GE(game->GetPath()->GetQueue().size(), n);
    }
    // Clicks on a piece on the path, aiming where the next frame will move
    // it; the held piece or null.
    static PuzzleElement* ClickOn(PuzzleElement* p)
    {
        const Vector2 before = p->GetPosition();
        game->Frame();
        game->MoveCursor(p->GetPosition() + (p->GetPosition() - before));
        game->controls->Tap("MOUSE1");
        game->Frame();
        return game->logic->GetPieces()->GetHeldPiece();
    }
    // Picks a reachable piece off the path; the held piece or null.
    static PuzzleElement* Pick()
    {
        for (int tries = 0; tries < 120; ++tries) {
            DepositoryElement* e = ReachablePiece(*game->GetPath(), game->logic->IsRelax());
            if (!e) {
                game->Frame();
                continue;
            }
            if (PuzzleElement* held = ClickOn(e->GetPiece()))
                return held;
        }
        return nullptr;
    }
    // Carries the held piece so that its centre comes to at.
    static void CarryTo(const Vector2& at)
    {
        game->MoveCursor(at - game->GetPath()->GetGrabOffset());
        game->Frame();
    }
    static Vector2 SlotOf(const PuzzleElement* piece)
    {
        return game->GetBoard()->GetSlotPosition(game->GetBoard()->GetSlots()[piece->GetIndex()]);
    }
    // No element of the path refers to a bonus its manager has freed.
    static ::testing::AssertionResult NoDeadBonus()
    {
        BonusManager* m = game->logic->GetBonuses();
        for (const auto* list : {&game->GetPath()->GetQueue(), &game->GetPath()->GetWaitingList()})
            for (DepositoryElement* e : *list)
                if (e->GetBonus() && !m->Holds(e->GetBonus()))
                    return ::testing::AssertionFailure() << "an element holds a dead bonus";
        return ::testing::AssertionSuccess();
    }
    // Ages a bonus to age seconds at once (its own update with a long frame).
    static void Age(Bonus* b, float age)
    {
        TimerManager* t = TimerManager::Instance();
        const float keep = t->frameTime;
        t->frameTime = age - b->GetAge();
        b->Update(1.0f);
        t->frameTime = keep;
    }
    static void QueueInvariants(const PuzzleDepository& path)
    {
        const auto& q = path.GetQueue();
        for (size_t i = 0; i < q.size(); ++i) {
            EXPECT_GE(q[i]->GetPosition(), 0.0f);
            if (i > 0) {
                EXPECT_GE(q[i]->GetPosition() - q[i - 1]->GetPosition(), 60.0f - kEps);
            }
        }
        if (path.GetCarriage()->IsVisible() && !q.empty()) {
            EXPECT_GE(q[0]->GetPosition() - path.GetCarriageDistance(), 60.0f - kEps);
        }
    }

    static inline LevelGame* game = nullptr;
};

// A keeper over the shipped resource list with some entries replaced: the
// list is written beside the shipped one (loose files come before the pack).
std::unique_ptr<GameTools::DataKeeper> KeeperWith(const std::string& name,
                                                  const std::vector<std::pair<std::string, std::string>>& replace,
                                                  const std::vector<std::string>& drop = {})
{
    std::string xml = "<resources>\r\n";
    auto entry = [](const std::string& kind, const std::string& n, const std::string& file) {
        return "  <" + kind + " name=\"" + n + "\" file_name=\"" + file + "\" color_verticies=\"1\"/>\r\n";
    };
    const char* const models[] = {"depository/path/000", "depository/path/001", "depository/path/002",
                                  "depository/path/003", "depository/path/004", "depository/path/005",
                                  "depository/obstacle", "carriage/model", "bonuses/magnet", "bonuses/pause",
                                  "bonuses/rollback", "bonuses/tip", "board/level_complete"};
    const char* const files[] = {"path_000", "path_001", "path_002", "path_003", "path_004", "path_005", "obstacle",
                                 "carriage", "bonus_magnet", "bonus_pause", "bonus_rollback", "bonus_tip",
                                 "level_complete"};
    for (size_t i = 0; i < sizeof models / sizeof models[0]; ++i) {
        if (std::find(drop.begin(), drop.end(), models[i]) != drop.end())
            continue;
        std::string file = std::string(files[i]) + ".kml";
        for (const auto& r : replace)
            if (r.first == models[i])
                file = r.second;
        xml += entry("model", models[i], file);
    }
    const char* const systems[][2] = {{"depository/path_start", "path_start.psf"},
                                      {"depository/path_finish", "path_finish.psf"},
                                      {"board/tip", "tip.psf"},
                                      {"board/level_complete", "level_complete_burst.psf"}};
    for (const auto& s : systems)
        xml += "  <particles name=\"" + std::string(s[0]) + "\" file_name=\"" + s[1] + "\"/>\r\n";
    xml += "</resources>\r\n";
    const std::string path = "data\\game_objects\\" + name + ".xml";
    const std::string folder = GetExecutableDirectory() + "\\tmp_level_parts";
    CreateDirectoryA((folder + "\\data").c_str(), nullptr);
    CreateDirectoryA((folder + "\\data\\game_objects").c_str(), nullptr);
    EXPECT_TRUE(TestSupport::WriteFileText(GetExecutableDirectory() + "\\tmp_level_parts\\" + path, xml));
    auto keeper = std::make_unique<GameTools::DataKeeper>("en");
    keeper->LoadResourceFile(path, true);
    return keeper;
}

// The level's parts made by hand over another keeper, as the game logic
// makes them.
struct HandMadeLevel {
    std::unique_ptr<::Puzzle::PuzzleElementManager> pieces;
    std::unique_ptr<BonusManager> bonuses;
    std::unique_ptr<::Puzzle::GUIGameLogicTextManager> texts;
    std::unique_ptr<Board> board;
    std::unique_ptr<PuzzleDepository> path;
    GUIWindow* container = nullptr;

    HandMadeLevel(LevelGame& g, GameTools::DataKeeper* keeper, bool withPath)
    {
        GUIWindow* overlay = g.gameData->GetContainerChild();
        container = GUIManager::Instance()->CreateContainerWindow(GUIWindow::kShown, g.gameData->GetContainerRoot());
        texts.reset(new ::Puzzle::GUIGameLogicTextManager(-1, overlay));
        pieces.reset(new ::Puzzle::PuzzleElementManager(nullptr, keeper, g.data, overlay));
        bonuses.reset(new BonusManager(keeper, false, overlay));
        board.reset(new Board(nullptr, nullptr, nullptr, keeper, g.data, texts.get(), pieces.get(), nullptr, nullptr,
                              false, container));
        try {
            if (withPath)
                path.reset(new PuzzleDepository(nullptr, keeper, g.data, nullptr, texts.get(), bonuses.get(),
                                                pieces.get(), board.get(), nullptr, nullptr, false, container));
        } catch (...) {
            Clear();
            throw;
        }
    }
    void Clear()
    {
        path.reset();
        board.reset();
        bonuses.reset();
        pieces.reset();
        texts.reset();
        GUIManager::Instance()->DestroyWindow(container);
        container = nullptr;
    }
    ~HandMadeLevel() { Clear(); }
};

} // namespace

TEST(Desktop, PartTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    // Some minutes of game time: on a loaded machine it may take a while.
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_parts", 1280, 1024, "Parts.*", 560000));
}

TEST_F(Parts, ThePathRunsThroughTheMarkersAndMeasuresDistancesAlongThem)
{
    SKIP_OUTSIDE_DESKTOP();
    using namespace Content::GameObjects;
    game->StartLevel();
    const PuzzleDepository& path = *game->GetPath();
    ASSERT_EQ(path.GetPoints().size(), size_t(kPathPointCount));
    float total = 0;
    for (int i = 0; i < kPathPointCount; ++i) {
        EXPECT_NEAR(path.GetPoints()[i].x, kPath[i].x, kEps);
        EXPECT_NEAR(path.GetPoints()[i].y, kPath[i].y, kEps);
        if (i)
            total += (path.GetPoints()[i] - path.GetPoints()[i - 1]).GetLength();
    }
    EXPECT_NEAR(path.GetTotalLength(), total, 0.01f);

    const float first = kPath[0].y - kPath[1].y;
    EXPECT_NEAR(path.GetPointAtDistance(0).y, kPath[0].y, kEps);
    EXPECT_NEAR(path.GetPointAtDistance(first).y, kPath[1].y, kEps);
    EXPECT_NEAR(path.GetPointAtDistance(first + 100).x, kPath[1].x + 100, kEps);
    EXPECT_NEAR(path.GetPointAtDistance(total + 500).x, kPath[5].x, kEps);
    // Before the start: on the first segment's line.
    EXPECT_NEAR(path.GetPointAtDistance(-10).x, kPath[0].x, kEps);
    EXPECT_NEAR(path.GetPointAtDistance(-10).y, kPath[0].y + 10, kEps);

    // The board's side of the path is the negative side.
    bool negative = false;
    EXPECT_NEAR(path.GetNearestDistance(Vector2(kPath[0].x + 20, kPath[0].y - 200), &negative), 200, 0.01f);
    EXPECT_TRUE(negative);
    EXPECT_NEAR(path.GetNearestDistance(Vector2(kPath[0].x - 20, kPath[0].y - 200), &negative), 200, 0.01f);
    EXPECT_FALSE(negative);
    EXPECT_NEAR(path.GetNearestDistance(Vector2(400, kPath[1].y + 5), &negative), first + 370, 0.01f);
    EXPECT_TRUE(negative);
    // Beside no segment at all.
    negative = false;
    EXPECT_EQ(path.GetNearestDistance(Vector2(-50, 700), &negative), 0.0f);
    EXPECT_TRUE(negative);

    // Relax mode ends at the fifth point.
    game->StartLevel(LevelFiles(), true);
    EXPECT_EQ(game->GetPath()->GetPoints().size(), 5u);
    EXPECT_NEAR(game->GetPath()->GetPointAtDistance(1e6f).x, kPath[4].x, kEps);
}

TEST_F(Parts, RollingBackKeepsTheSpacingAndTheStartFeedsTheWaitingFirst)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 21);
    FillQueue(8);
    PuzzleDepository& path = *game->GetPath();
    bool waited = false, refedFromWaiting = false;
    for (int i = 0; i < 60 * 20; ++i) {
        if (i % 120 == 0 && i < 60 * 8)
            path.ApplyRollback();
        const std::vector<DepositoryElement*> waiting = path.GetWaitingList();
        const std::vector<DepositoryElement*> queue = path.GetQueue();
        game->Frame();
        QueueInvariants(path);
        ASSERT_TRUE(NoDeadBonus());
        waited = waited || !path.GetWaitingList().empty();
        // Something came in at the start while elements were waiting: it is
        // the last of them.
        if (!waiting.empty() && !path.GetQueue().empty() &&
            std::find(queue.begin(), queue.end(), path.GetQueue().front()) == queue.end()) {
            EXPECT_EQ(path.GetQueue().front(), waiting.back());
            refedFromWaiting = true;
        }
        for (DepositoryElement* e : path.GetWaitingList())
            EXPECT_FALSE(e->IsVisible());
    }
    EXPECT_TRUE(waited);
    EXPECT_TRUE(refedFromWaiting);
}

TEST_F(Parts, ABonusExpiringWhereTheHandCannotReachItIsDroppedBeforeItIsFreed)
{
    SKIP_OUTSIDE_DESKTOP();
    // In the waiting list: rolled back past the start.
    game->StartLevel(LevelFiles(), false, 31);
    PuzzleDepository& path = *game->GetPath();
    Bonus* waitingBonus = nullptr;
    for (int i = 0; i < 60 * 60 && !waitingBonus; ++i) {
        if (i % 120 == 0)
            path.ApplyRollback();
        game->Frame();
        ASSERT_TRUE(NoDeadBonus());
        for (DepositoryElement* e : path.GetWaitingList())
            if (e->GetBonus())
                waitingBonus = e->GetBonus();
    }
    ASSERT_NE(waitingBonus, nullptr) << "no bonus rolled back past the start";
    Age(waitingBonus, 29.99f);
    for (int i = 0; i < 10; ++i) {
        path.ApplyRollback();
        game->Frame();
        ASSERT_TRUE(NoDeadBonus()) << "frame " << i;
    }
    EXPECT_FALSE(game->logic->GetBonuses()->Holds(waitingBonus));

    // While failing: the hand is no longer served, so only the path can drop
    // a bonus that expires on it. Fast-forward until a bonus rides in the
    // queue, then on until the path fails with it still there.
    game->StartLevel(LevelFiles(), false, 32);
    FillQueue(2);
    game->controls->Set("MOUSE2", true);  // fast-forward
    auto bonusOnPath = [&]() -> Bonus* {
        Bonus* found = nullptr;
        for (DepositoryElement* e : game->GetPath()->GetQueue())
            if (e->GetBonus() && e->IsVisible() && game->logic->GetBonuses()->Holds(e->GetBonus()))
                found = e->GetBonus();
        return found;
    };
    for (int i = 0; i < 60 * 120 && !bonusOnPath(); ++i)
        game->Frame();
    ASSERT_NE(bonusOnPath(), nullptr) << "no bonus was fed";
    for (int i = 0; i < 60 * 120 && !game->GetPath()->IsFailing(); ++i)
        game->Frame();
    ASSERT_TRUE(game->GetPath()->IsFailing());
    Bonus* late = bonusOnPath();
    ASSERT_NE(late, nullptr) << "no bonus on the path as it fails";
    Age(late, 29.99f);
    for (int i = 0; i < 10; ++i) {
        game->Frame();
        ASSERT_TRUE(NoDeadBonus()) << "frame " << i;
    }
    EXPECT_FALSE(game->logic->GetBonuses()->Holds(late));
    // The level still ends, lost.
    for (int i = 0; i < 60 * 60 && game->logic->GetState() != GameLogic::kLost; ++i) {
        game->Frame();
        ASSERT_TRUE(NoDeadBonus());
    }
    EXPECT_EQ(game->logic->GetState(), GameLogic::kLost);
}

TEST_F(Parts, PiecesShrinkIntoTheFinishByTheirOwnSizeAndTheChargeCarriageDoesToo)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 41);
    PuzzleDepository& path = *game->GetPath();
    FillQueue(2);
    game->controls->Set("MOUSE2", true);
    int shrinking = 0;
    for (int i = 0; i < 60 * 120 && !path.IsLost(); ++i) {
        game->Frame();
        // Shrunk by the element's own size. The spacing may still move one
        // behind the front back a little after it shrank (never the front),
        // which leaves it smaller, never larger.
        const auto& q = path.GetQueue();
        for (size_t k = 0; k < q.size(); ++k) {
            PuzzleElement* p = q[k]->GetPiece();
            if (!p || q[k]->GetPosition() <= path.GetTotalLength() - 35)
                continue;
            const Vector2 own = p->GetBaseSize();
            const float fit = std::min(40 / own.x, 40 / own.y);
            const float f = 1 - (path.GetTotalLength() - q[k]->GetPosition()) / 35;
            if (k + 1 == q.size()) {
                EXPECT_NEAR(p->GetScale(), (1 - f) * fit, 1e-4f);
            } else {
                EXPECT_LE(p->GetScale(), (1 - f) * fit + 1e-4f);
            }
            ++shrinking;
        }
    }
    EXPECT_GT(shrinking, 0);
    game->controls->Set("MOUSE2", false);

    // The carriage of the charge shrinks into the finish too, without a jump.
    game->StartLevel(LevelFiles(), false, 42);
    Frames(60 * 3);
    game->GetBoard()->Complete();
    float last = 2.0f;
    bool shrank = false;
    for (int i = 0; i < 60 * 30 && !game->GetPath()->IsChargeFinished(); ++i) {
        game->Frame();
        ::Puzzle::Carriage* c = game->GetPath()->GetCarriage();
        if (!c->IsVisible() || game->GetPath()->GetCarriageDistance() <= game->GetPath()->GetTotalLength() - 35)
            continue;
        EXPECT_LE(c->GetScale(), last + kEps);
        last = c->GetScale();
        shrank = true;
    }
    EXPECT_TRUE(game->GetPath()->IsChargeFinished());
    EXPECT_TRUE(shrank);
    EXPECT_FALSE(game->GetPath()->GetCarriage()->IsVisible());
}

TEST_F(Parts, TheChargeOfAPathLongerThan2048UnitsEndsAtTheFinishAndPaysItsLastStop)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 43);
    PuzzleDepository& path = *game->GetPath();
    // Past 2048 units a float's step is larger than the distances'
    // tolerance: a build without excess precision loses it in any sum.
    ASSERT_GT(path.GetTotalLength(), 2048.0f);
    Frames(60 * 3);
    game->GetBoard()->Complete();
    int frames = 0;
    bool lastPaid = false;
    for (; frames < 60 * 30 && !path.IsChargeFinished(); ++frames) {
        game->Frame();
        const std::vector<std::wstring> texts = NewTexts(*game);
        lastPaid = std::count(texts.begin(), texts.end(), L"+2") > 0;
    }
    ASSERT_TRUE(path.IsChargeFinished()) << "after " << frames << " frames the carriage stands at "
                                         << path.GetCarriageDistance() << " of " << path.GetTotalLength();
    EXPECT_EQ(path.GetCarriageDistance(), path.GetTotalLength());
    EXPECT_TRUE(lastPaid) << "the stop at the finish pays as the carriage reaches it";
    EXPECT_FALSE(path.GetCarriage()->IsVisible());
    for (int i = 0; i < 60 * 10 && game->logic->GetState() < GameLogic::kWon; ++i)
        game->Frame();
    EXPECT_EQ(game->logic->GetState(), GameLogic::kWon);
}

TEST_F(Parts, APutNeedsTheSlotWithin26UnitsOrF9AndAnArmedTipKeepsTheHeldPiece)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 51);
    FillQueue(3);
    PuzzleElement* held = Pick();
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->IsTaken());
    // The same click did not reach the board.
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 0u);

    // 26 units off: the click leaves it in the hand.
    CarryTo(SlotOf(held) + Vector2(26.5f, 0));
    game->controls->Tap("MOUSE1");
    game->Frame();
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 0u);
    EXPECT_TRUE(held->IsVisible());
    // F9 held down: the same click puts it.
    game->controls->Set("F9", true);
    game->controls->Tap("MOUSE1");
    game->Frame();
    game->controls->Set("F9", false);
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 1u);
    EXPECT_FALSE(held->IsVisible());
    EXPECT_TRUE(game->GetBoard()->GetSlots()[held->GetIndex()]->IsVisible());

    // A tip armed while a piece is held: that piece cannot be put by
    // distance, and the next piece picked gets the tip.
    held = Pick();
    ASSERT_NE(held, nullptr);
    game->GetBoard()->ArmTip();
    CarryTo(SlotOf(held));
    game->controls->Tap("MOUSE1");
    game->Frame();
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 1u);
    EXPECT_TRUE(game->GetBoard()->IsTipMode());
    // Back onto the path with the right button, then picked again.
    game->controls->Tap("MOUSE2");
    game->Frame();
    EXPECT_FALSE(held->IsTaken());
    EXPECT_NE(game->GetPath()->GetQueue().size(), 0u);
    PuzzleElement* next = Pick();
    ASSERT_NE(next, nullptr);
    game->Frame();
    EXPECT_FALSE(game->GetBoard()->IsTipMode());
    PuzzleElement* slot = game->GetBoard()->GetSlots()[next->GetIndex()];
    EXPECT_TRUE(slot->IsTipOn());
    ASSERT_NE(slot->GetTipEffect(), nullptr);
    EXPECT_TRUE(slot->GetTipEffect()->emitting);
    EXPECT_EQ(slot->GetTipEffect()->emitterShape, 2u);
    EXPECT_EQ(slot->GetTipEffect()->pathPoints.size(), game->data->GetPickPoints()[next->GetIndex()].size());
    for (int i = 0; i < 90; ++i) {
        game->Frame();
        EXPECT_LE(slot->GetWindow()->GetAlpha(), 0.4f + kEps);
    }
    CarryTo(SlotOf(next));
    game->controls->Tap("MOUSE1");
    game->Frame();
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 2u);
    // The put shows the piece: the blink ends and the sparkles stop.
    EXPECT_FALSE(slot->IsTipOn());
    EXPECT_FALSE(slot->GetTipEffect()->emitting);

    // F9 alone puts the held piece, without cheat mode.
    held = Pick();
    ASSERT_NE(held, nullptr);
    // (The pick's click locked the input until the button is up again.)
    game->Frame();
    game->controls->Tap("F9");
    game->Frame();
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 3u);
}

TEST_F(Parts, TheMagnetPullsTheHeldPieceAndGlidesItOntoItsSlot)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 61);
    FillQueue(3);
    game->GetBoard()->ArmMagnet();
    game->Frame();
    PuzzleElement* held = Pick();
    ASSERT_NE(held, nullptr);
    game->Frame();
    ASSERT_NE(held->magnetSlot, nullptr);
    EXPECT_TRUE(game->GetBoard()->IsMagnetUsed());
    const Vector2 slot = SlotOf(held);
    // 300 units from the slot: pulled 60 towards it.
    Vector2 away = Vector2(slot.x < 400 ? 1.0f : -1.0f, 0.0f) * 300.0f;
    if (slot.x + away.x > 780 || slot.x + away.x < 20)
        away = Vector2(0, slot.y < 300 ? 300.0f : -300.0f);
    const Vector2 target = slot + away;
    CarryTo(target);
    const Vector2 expected = target - away * (60.0f / 300.0f);
    EXPECT_NEAR(held->GetPosition().x, expected.x, 2.5f);
    EXPECT_NEAR(held->GetPosition().y, expected.y, 2.5f);
    EXPECT_FALSE(game->GetBoard()->GetSlots()[held->GetIndex()]->IsHintOn());

    // Within 200: the hint shows and the piece glides in and is put.
    CarryTo(slot + away * (150.0f / 300.0f));
    EXPECT_TRUE(game->GetBoard()->GetSlots()[held->GetIndex()]->IsHintOn());
    float lastDistance = 1e9f;
    for (int i = 0; i < 240 && game->GetBoard()->GetPlaced() == 0; ++i) {
        game->Frame();
        if (held->IsVisible()) {
            const float d = (held->GetPosition() - slot).GetLength();
            EXPECT_LE(d, lastDistance + 2.5f);
            lastDistance = d;
        }
    }
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 1u);
    EXPECT_FALSE(game->GetBoard()->IsMagnetMode());
    game->Frame();
    EXPECT_EQ(held->magnetSlot, nullptr);
}

TEST_F(Parts, TheComboWindowCountsOnlyUnpausedTime)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 71);
    FillQueue(4);
    PuzzleElement* held = Pick();
    ASSERT_NE(held, nullptr);
    CarryTo(SlotOf(held));
    game->controls->Tap("MOUSE1");
    game->Frame();
    ASSERT_EQ(game->GetBoard()->GetPlaced(), 1u);
    EXPECT_EQ(game->GetBoard()->GetComboLevel(), 1);
    game->logic->SetPaused(true);
    Frames(60 * 4);
    game->logic->SetPaused(false);
    Frames(50);
    held = Pick();
    ASSERT_NE(held, nullptr);
    CarryTo(SlotOf(held));
    game->controls->Tap("MOUSE1");
    game->Frame();
    ASSERT_EQ(game->GetBoard()->GetPlaced(), 2u);
    EXPECT_EQ(game->GetBoard()->GetComboLevel(), 2);
    // 2.8 s later it starts again.
    Frames(60 * 3);
    held = Pick();
    ASSERT_NE(held, nullptr);
    CarryTo(SlotOf(held));
    game->controls->Tap("MOUSE1");
    game->Frame();
    ASSERT_EQ(game->GetBoard()->GetPlaced(), 3u);
    EXPECT_EQ(game->GetBoard()->GetComboLevel(), 1);
}

TEST_F(Parts, ReturnsByClickSnapIntoTheGapsOfTheQueue)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 81);
    FillQueue(6);
    PuzzleDepository& path = *game->GetPath();
    // Stop the queue first, so the gap the pick leaves stays as it is (a
    // moving carriage would push the rear part into it).
    for (int i = 0; i < 4; ++i)
        path.ApplyPause();
    Frames(90);
    const auto& q = path.GetQueue();
    ASSERT_GE(q.size(), 3u);
    const float front = q.back()->GetPosition();
    Frames(10);
    ASSERT_NEAR(q.back()->GetPosition(), front, kEps) << "the queue still moves";

    // A piece from inside the queue, so that a gap of 120 or more opens
    // between its neighbours.
    DepositoryElement* rearNeighbour = nullptr;
    DepositoryElement* frontNeighbour = nullptr;
    PuzzleElement* inside = nullptr;
    for (size_t i = 1; i + 1 < q.size() && !inside; ++i) {
        PuzzleElement* p = q[i]->GetPiece();
        if (!p || q[i]->GetPosition() < 20.0f || q[i]->GetPosition() > path.GetTotalLength() - 100.0f)
            continue;
        const Vector2 c = p->GetPosition();
        using namespace Content::GameObjects;
        if (c.x > kObstacleLeft - 30 && c.x < kObstacleRight + 30 && c.y < kObstacleTop + 30)
            continue;
        rearNeighbour = q[i - 1];
        frontNeighbour = q[i + 1];
        inside = p;
    }
    ASSERT_NE(inside, nullptr) << "no piece inside the queue to pick";
    PuzzleElement* held = ClickOn(inside);
    ASSERT_EQ(held, inside);
    const size_t index = size_t(std::find(q.begin(), q.end(), frontNeighbour) - q.begin());
    ASSERT_LT(index, q.size());
    ASSERT_GT(index, 0u);
    ASSERT_EQ(q[index - 1], rearNeighbour);
    const float lower = rearNeighbour->GetPosition();
    ASSERT_GT(frontNeighbour->GetPosition() - lower, 120.0f - kEps);

    // 30 units ahead of the gap's rear end: it snaps to 60 ahead of it.
    const float d = lower + 30.0f;
    Vector2 at = path.GetPointAtDistance(d);
    // Beside the path on the board's side (the segment's normal points out).
    const Vector2 ahead = path.GetPointAtDistance(d + 1) - at;
    at += Vector2(-ahead.y, ahead.x) * 10.0f;
    // 20 or more from the path: nothing happens.
    CarryTo(at + Vector2(-ahead.y, ahead.x) * 15.0f);
    const size_t before = q.size();
    game->controls->Tap("MOUSE1");
    game->Frame();
    EXPECT_EQ(path.GetQueue().size(), before);
    EXPECT_TRUE(held->IsTaken());
    CarryTo(at);
    game->controls->Tap("MOUSE1");
    game->Frame();
    ASSERT_FALSE(held->IsTaken()) << "nearest " << path.GetNearestDistance(at, nullptr) << " for " << d;
    ASSERT_EQ(path.GetQueue().size(), before + 1);
    // Snapped 60 ahead of the nearer neighbour (the one behind, 30 away).
    EXPECT_EQ(path.GetQueue()[index]->GetPiece(), held);
    EXPECT_NEAR(path.GetQueue()[index]->GetPosition(), lower + 60.0f, 0.5f);
    QueueInvariants(path);
}

TEST_F(Parts, BonusesLiveThirtySecondsBlinkAtTheEndAndVanishWhenApplied)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 91);
    GUIWindow* parent = game->gameData->GetContainerChild();
    Bonus b(game->gameData, Bonus::kPause, parent);
    Age(&b, 10.0f);
    EXPECT_NEAR(b.GetAlpha(), 1.0f, kEps);
    Age(&b, 28.375f);
    EXPECT_NEAR(b.GetAlpha(), 0.0f, 1e-3f);
    Age(&b, 28.7f);
    EXPECT_GT(b.GetAlpha(), 0.4f);
    EXPECT_LE(b.GetAlpha(), 0.5f + kEps);
    Age(&b, 29.9f);
    EXPECT_TRUE(b.IsAlive());
    Age(&b, 31.0f);  // held at 30
    EXPECT_FALSE(b.IsAlive());
    EXPECT_TRUE(b.Exists());
    Age(&b, 31.0f);
    EXPECT_FALSE(b.Exists());

    // A factor of 0 freezes it and makes it invisible.
    Bonus c(game->gameData, Bonus::kTip, parent);
    TimerManager::Instance()->frameTime = 5.0f;
    c.Update(0.0f);
    TimerManager::Instance()->frameTime = kFrame;
    EXPECT_EQ(c.GetAge(), 0.0f);
    EXPECT_EQ(c.GetAlpha(), 0.0f);
    // Applied: grows and fades out in a second.
    c.position = Vector2(200, 300);
    c.StartVanishing();
    TimerManager::Instance()->frameTime = 0.5f;
    c.Update(1.0f);
    EXPECT_NEAR(c.GetAlpha(), 0.5f, kEps);
    EXPECT_NEAR(c.GetPosition().x, 200.0f, 0.01f);
    EXPECT_TRUE(c.Contains(Vector3(200 + 18 * 1.25f - 0.5f, 300, 0)));
    EXPECT_FALSE(c.Contains(Vector3(200 + 18 * 1.25f + 0.5f, 300, 0)));
    c.Update(1.0f);
    TimerManager::Instance()->frameTime = kFrame;
    EXPECT_FALSE(c.Exists());

    // Far from the finish only tips and magnets come; near it pauses and
    // roll-backs too; in relax mode tips and magnets take turns.
    BonusManager normal(game->gameData, false, parent);
    std::vector<int> seen(4, 0);
    for (int i = 0; i < 40; ++i)
        ++seen[normal.CreateBonus(0.7f)->GetType()];
    EXPECT_EQ(seen[Bonus::kPause] + seen[Bonus::kRollback], 0);
    for (int i = 0; i < 200; ++i)
        ++seen[normal.CreateBonus(0.1f)->GetType()];
    EXPECT_GT(seen[Bonus::kPause], 0);
    EXPECT_GT(seen[Bonus::kRollback], 0);
    BonusManager relax(game->gameData, true, parent);
    int last = -1;
    for (int i = 0; i < 20; ++i) {
        const int t = relax.CreateBonus(0.0f)->GetType();
        EXPECT_TRUE(t == Bonus::kTip || t == Bonus::kMagnet);
        EXPECT_NE(t, last);
        last = t;
    }
}

TEST_F(Parts, FloatingTextsGrowDriftStayOnScreenAndDieInOrder)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel();
    GUIWindow* parent = game->gameData->GetContainerChild();
    const int32_t tip = game->game->GetGUIToolManager()->GetFontTool()->GetFontId("tip");
    ASSERT_GE(tip, 0);
    ::Puzzle::GUIGameLogicTextManager texts(tip, parent);
    ::Puzzle::GUIGameLogicText* one = texts.CreateText(L"+10", Vector2(300, 200));
    ::Puzzle::GUIGameLogicText* two = texts.CreateText(L"+15\nCombo x2!", Vector2(300, 200));
    ::Puzzle::GUIGameLogicText* left = texts.CreateText(L"+20\nA long second line", Vector2(0, 100));
    ::Puzzle::GUIGameLogicText* right = texts.CreateText(L"A long line", Vector2(800, 100));
    EXPECT_EQ(one->GetLines().size(), 1u);
    ASSERT_EQ(two->GetLines().size(), 2u);
    EXPECT_EQ(::Puzzle::GUIGameLogicText(Vector2(), L"a\n\nb\n", tip, parent).GetLines().size(), 3u);
    EXPECT_TRUE(::Puzzle::GUIGameLogicText(Vector2(), L"", tip, parent).GetLines().empty());
    TimerManager::Instance()->frameTime = 0.2f;
    texts.Update();
    TimerManager::Instance()->frameTime = kFrame;
    EXPECT_NEAR(one->GetLineHeight(), 22.0f, kEps);
    ASSERT_EQ(one->GetLinePositions().size(), 1u);
    EXPECT_NEAR(one->GetLinePositions()[0].y, 200 - 11, 0.01f);
    EXPECT_GT(one->GetLineWidths()[0], 10.0f);
    ASSERT_EQ(two->GetLinePositions().size(), 2u);
    EXPECT_NEAR(two->GetLinePositions()[0].y, 200 + 11 - 11, 0.01f);
    EXPECT_NEAR(two->GetLinePositions()[1].y, 200 - 22, 0.01f);
    EXPECT_GE(left->GetLinePositions()[0].x, 5.0f - kEps);
    EXPECT_GE(left->GetLinePositions()[1].x, 5.0f - kEps);
    EXPECT_NEAR(std::min(left->GetLinePositions()[0].x, left->GetLinePositions()[1].x), 5.0f, 0.01f);
    EXPECT_NEAR(right->GetLinePositions()[0].x + right->GetLineWidths()[0], 795.0f, 0.01f);
    EXPECT_NEAR(one->GetLinePositions()[0].x, 300 - one->GetLineWidths()[0] / 2, 0.01f);
    // Drifting up at 35 a second, fading from 1.2 s, gone after 1.95 s.
    TimerManager::Instance()->frameTime = 1.0f;
    texts.Update();
    EXPECT_NEAR(one->GetLinePositions()[0].y, 200 - 11 + 35, 0.01f);
    EXPECT_EQ(texts.GetTexts().size(), 4u);
    ::Puzzle::GUIGameLogicText* later = texts.CreateText(L"+2", Vector2(100, 100));
    texts.Update();
    TimerManager::Instance()->frameTime = kFrame;
    ASSERT_EQ(texts.GetTexts().size(), 1u);
    EXPECT_EQ(texts.GetTexts()[0], later);

    // Without the font nothing is measured or printed; the text still dies.
    ::Puzzle::GUIGameLogicTextManager blind(-1, parent);
    blind.CreateText(L"+10", Vector2(300, 200));
    TimerManager::Instance()->frameTime = 1.0f;
    blind.Update();
    EXPECT_TRUE(blind.GetTexts()[0]->GetLinePositions().empty());
    blind.Update();
    TimerManager::Instance()->frameTime = kFrame;
    EXPECT_TRUE(blind.GetTexts().empty());
}

TEST_F(Parts, PiecesCastShadowsAndTheCarriageTurnsAboutItsCentre)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel();
    PuzzleElement* p = game->logic->GetPieces()->GetPieces()[0];
    p->SetPosition(Vector2(300, 300));
    p->SetScale(0.5f);
    const Vector2 size = p->GetBaseSize() * 0.5f;
    EXPECT_NEAR(p->GetSize().x, size.x, kEps);
    EXPECT_NEAR(p->GetShadow()->GetPosition().x - p->GetWindow()->GetPosition().x, 3.0f, kEps);
    EXPECT_NEAR(p->GetShadow()->GetPosition().y - p->GetWindow()->GetPosition().y, -3.0f, kEps);
    p->SetScale(0.25f);
    EXPECT_NEAR(p->GetShadow()->GetPosition().x - p->GetWindow()->GetPosition().x, 1.5f, kEps);
    EXPECT_NEAR(p->GetShadow()->GetPosition().y - p->GetWindow()->GetPosition().y, -1.5f, kEps);
    // Strictly inside only.
    const Vector2 low = p->GetWindow()->GetAbsolutePosition();
    EXPECT_FALSE(p->Contains(Vector3(low.x, low.y + 1, 0)));
    EXPECT_TRUE(p->Contains(Vector3(low.x + 0.5f, low.y + 0.5f, 0)));

    // ShowTip twice makes one effect; a fading tip stops it at once.
    PuzzleElement* slot = game->GetBoard()->GetSlots()[0];
    slot->ShowTip();
    ::KorvaneEngine::ParticleSystem* effect = slot->GetTipEffect();
    ASSERT_NE(effect, nullptr);
    slot->ShowTip();
    EXPECT_EQ(slot->GetTipEffect(), effect);
    EXPECT_TRUE(effect->emitting);
    // With no piece in the hand the board stops every tip.
    game->Frame();
    EXPECT_FALSE(effect->emitting);
    // Movable pieces have no tip.
    p->ShowTip();
    EXPECT_FALSE(p->IsTipOn());

    ::Puzzle::Carriage carriage(game->gameData, game->gameData->GetContainerChild());
    Model* m = carriage.GetModel();
    ASSERT_NE(m, nullptr);
    m->box.SetTransform(m->localMatrix);
    EXPECT_NEAR(m->box.GetCenter().x, 0.0f, 0.01f);
    EXPECT_NEAR(m->box.GetCenter().y, 0.0f, 0.01f);
    const float width = m->box.GetWorldMax().x - m->box.GetWorldMin().x;
    EXPECT_NEAR(width, Content::GameObjects::kCarriageWidth, 0.01f);
    carriage.SetAngle(3.14159265f / 2);
    carriage.SetPosition(Vector2(100, 200));
    EXPECT_NEAR(m->box.GetWorldMax().y - m->box.GetWorldMin().y, width, 0.01f);
    EXPECT_NEAR(m->box.GetCenter().x, 100.0f, 0.01f);
    EXPECT_NEAR(m->box.GetCenter().y, 200.0f, 0.01f);
    carriage.SetScale(0.0f);
    EXPECT_NEAR(m->box.GetWorldMax().x - m->box.GetWorldMin().x, 0.0f, 0.01f);
    EXPECT_NEAR(m->localMatrix.At(2, 2), 1.0f, kEps);
}

TEST_F(Parts, MissingOrCoincidentPathMarkersAreFatalAndNameThemselves)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel();
    {
        auto keeper = KeeperWith("test_missing_point", {}, {"depository/path/003"});
        try {
            HandMadeLevel level(*game, keeper.get(), true);
            ADD_FAILURE() << "a path without its fourth point was made";
        } catch (const FatalError& e) {
            EXPECT_NE(e.GetMessage().find("\"depository/path/003\""), std::string::npos) << e.GetMessage();
            EXPECT_NE(e.GetMessage().find("data\\game_objects\\resources.xml"), std::string::npos);
        }
    }
    {
        std::vector<std::pair<std::string, std::string>> same;
        for (int i = 1; i < 6; ++i)
            same.push_back({"depository/path/00" + std::to_string(i), "path_000.kml"});
        auto keeper = KeeperWith("test_coincident", same);
        try {
            HandMadeLevel level(*game, keeper.get(), true);
            ADD_FAILURE() << "a path of no length was made";
        } catch (const FatalError& e) {
            EXPECT_NE(e.GetMessage().find("no length"), std::string::npos) << e.GetMessage();
            EXPECT_NE(e.GetMessage().find("\"depository/path/005\""), std::string::npos);
            EXPECT_NE(e.GetMessage().find("data\\game_objects\\resources.xml"), std::string::npos);
        }
    }
    {
        // Two coincident markers make a segment of no length: it is skipped.
        auto keeper = KeeperWith("test_repeated", {{"depository/path/002", "path_001.kml"}});
        HandMadeLevel level(*game, keeper.get(), true);
        PuzzleDepository& path = *level.path;
        using namespace Content::GameObjects;
        const float first = kPath[0].y - kPath[1].y;
        auto length = [](const PathPoint& a, const PathPoint& b) {
            return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
        };
        EXPECT_NEAR(path.GetTotalLength(),
                    first + length(kPath[1], kPath[3]) + length(kPath[3], kPath[4]) + length(kPath[4], kPath[5]), 0.05f);
        for (float s = -20; s < path.GetTotalLength() + 20; s += 7.5f) {
            const Vector2 p = path.GetPointAtDistance(s);
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << s;
        }
        bool negative;
        EXPECT_NEAR(path.GetNearestDistance(path.GetPointAtDistance(first + 50), &negative), first + 50, 0.05f);
    }
}

TEST_F(Parts, ALevelCompleteModelOfOneFrameStillEndsTheLevel)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel();
    auto keeper = KeeperWith("test_one_frame", {{"board/level_complete", "obstacle.kml"}});
    HandMadeLevel level(*game, keeper.get(), false);
    level.board->Complete();
    bool completed = false;
    for (int i = 0; i < 60 * 5 && !completed; ++i) {
        game->Frame();
        level.board->Update(false, 1.0f);
        completed = level.board->IsCompleted();
    }
    EXPECT_TRUE(completed);
    EXPECT_TRUE(level.board->IsCompleteAnimationStarted());
    EXPECT_FALSE(level.board->GetPicture()->IsVisible());
    EXPECT_TRUE(level.board->GetLevelComplete()->IsVisible());

    // The shipped model plays once, even when it would loop, and then ends.
    HandMadeLevel shipped(*game, game->gameData, false);
    shipped.board->GetLevelComplete()->GetModelAnimation()->loop = 1;
    shipped.board->Complete();
    int frames = 0;
    for (; frames < 60 * 10 && !shipped.board->IsCompleted(); ++frames) {
        game->Frame();
        shipped.board->Update(false, 1.0f);
    }
    EXPECT_TRUE(shipped.board->IsCompleted());
    // The picture fades for a second, then the tiles fly in for 1.5 s.
    EXPECT_GT(frames, 60 + 60);
    EXPECT_TRUE(shipped.board->GetLevelCompleteEffect()->IsVisible());
}
