// A level under real input and on screen: xdotool moves the X pointer and
// clicks (the engine's own input devices read them), a piece is picked off
// the path and put on its slot, and screenshots of the 800 x 600 window show
// it there and show the whole board as the picture it was cut from.
#include "LevelTestSupport.h"

#include <cstdio>
#include <functional>

#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "support/HostShell.h"

using namespace LevelTest;
using ::Puzzle::DepositoryElement;
using ::Puzzle::PuzzleElement;

namespace {

const char kFullSizeIni[] = "v_fullscreen 0\r\nv_mode 800x600x32\r\n";

class Input : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game = StartSuiteGame("level_input", false, kFullSizeIni); }
    static void TearDownTestSuite() { StopSuiteGame(game); }
    void SetUp() override
    {
        if (!game)
            return;
        shell = std::make_unique<TestSupport::HostShell>(TestSupport::MakeTempDir("level_input_shell"));
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
    }
    void TearDown() override
    {
        if (game) {
            if (HasFailure())
                shell->Run("import -window root " + shell->UnixFolder() + "/../level_input_failure.png",
                           [] { TestSupport::ProgramRunner::Pump(); });
            shell->Run("xdotool mouseup 1", [] { TestSupport::ProgramRunner::Pump(); });
            game->EndLevel();
        }
    }

    // Screen position of a GUI point of the window (800 x 600 pixels).
    static std::string At(const Vector2& gui)
    {
        POINT p = {LONG(std::lround(gui.x)), LONG(std::lround(600.0f - gui.y)) - 1};
        ClientToScreen(Window::Instance()->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }
    // A host line while frames go on, then frames until the level has taken
    // its input (done): within 0.01 s of the line's end with every core of
    // the machine busy (the frames take it while the line runs).
    ::testing::AssertionResult During(const std::string& line, const std::function<bool()>& done,
                                      double seconds = 10)
    {
        SetForegroundWindow(Window::Instance()->GetHandle());
        auto frame = [] {
            game->Frame();
            Sleep(5);
        };
        if (!shell->Run(line, frame, 30000))
            return ::testing::AssertionFailure() << "the host line failed: " << line;
        const DWORD start = GetTickCount();
        if (!GameTest::FramesUntil(frame, done, seconds))
            return ::testing::AssertionFailure() << "not taken within " << seconds << " s: " << line;
        std::printf("[timing] taken %.2f s after the line (limit %.0f)\n", TestSupport::SecondsSince(start), seconds);
        return ::testing::AssertionSuccess();
    }

    const Image& Screenshot()
    {
        RenderSystem::Instance()->TakeScreenshot(shot);
        return shot;
    }
    // Screen pixel of a GUI point (the shot is bottom-up like the GUI).
    const uint8_t* ShotPixel(float x, float y) const
    {
        return shot.GetPixel(uint32_t(x), uint32_t(y));
    }

    static inline LevelGame* game = nullptr;
    std::unique_ptr<TestSupport::HostShell> shell;
    Image shot;
};

} // namespace

TEST(Desktop, InputTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_input", 1280, 1024, "Input.*"));
}

TEST_F(Input, AClickPicksAPieceOffThePathAndASecondPutsItOnItsSlot)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_EQ(Window::Instance()->GetWidth(), 800u);
    game->StartLevel(LevelFiles(), false, 17);
    ::Puzzle::PuzzleDepository& path = *game->GetPath();
    for (int i = 0; i < 60 * 30 && path.GetQueue().size() < 5; ++i)
        game->Frame();
    // Hold the queue still while the pointer travels in real time.
    path.ApplyPause();
    for (int i = 0; i < 120; ++i)
        game->Frame();
    DepositoryElement* e = ReachablePiece(path, false);
    ASSERT_NE(e, nullptr);
    PuzzleElement* piece = e->GetPiece();
    ASSERT_TRUE(During("xdotool mousemove " + At(piece->GetPosition()) + " && sleep 0.2 && xdotool click 1",
                       [&] { return piece->IsTaken(); }))
        << "the click did not pick the piece";
    EXPECT_EQ(game->logic->GetPieces()->GetHeldPiece(), piece);
    EXPECT_EQ(game->GetBoard()->GetPlaced(), 0u);

    const Vector2 slot = game->GetBoard()->GetSlotPosition(game->GetBoard()->GetSlots()[piece->GetIndex()]);
    ASSERT_TRUE(During("xdotool mousemove " + At(slot - path.GetGrabOffset()) + " && sleep 0.3 && xdotool click 1",
                       [&] { return game->GetBoard()->GetPlaced() > 0; }))
        << "the click did not put the piece";
    ASSERT_EQ(game->GetBoard()->GetPlaced(), 1u);
    EXPECT_FALSE(piece->IsVisible());
    PuzzleElement* placed = game->GetBoard()->GetSlots()[piece->GetIndex()];
    ASSERT_TRUE(placed->IsVisible());

    // On screen the slot shows the piece's own pixels: the picture there.
    Image picture;
    ASSERT_TRUE(picture.Load(game->data->picturePath, true));
    Screenshot();
    const Vector2i at = game->data->GetPositions()[piece->GetIndex()];
    const Vector2i size = game->data->GetPixelSizes()[piece->GetIndex()];
    int close = 0, samples = 0;
    for (int j = size.y / 4; j < size.y * 3 / 4; j += 3)
        for (int i = size.x / 4; i < size.x * 3 / 4; i += 3) {
            const uint8_t* s = ShotPixel(60.0f + at.x + i, 54.0f + at.y + j);
            const uint8_t* p = picture.GetPixel(uint32_t(at.x + i), uint32_t(at.y + j));
            close += std::abs(s[0] - p[0]) + std::abs(s[1] - p[1]) + std::abs(s[2] - p[2]) < 60;
            ++samples;
        }
    EXPECT_GT(close, samples * 8 / 10) << close << " of " << samples;
}

TEST_F(Input, TheFullBoardShowsThePictureTheRightWayUp)
{
    SKIP_OUTSIDE_DESKTOP();
    game->StartLevel(LevelFiles(), false, 3);
    for (::Puzzle::PuzzleElement* s : game->GetBoard()->GetSlots())
        s->SetVisible(true);
    game->Frame();
    game->Frame();
    Image picture;
    ASSERT_TRUE(picture.Load(game->data->picturePath, true));
    Screenshot();
    const int W = int(picture.GetWidth()), H = int(picture.GetHeight());
    // The mean difference against the picture, and against it upside down.
    double straight = 0, flipped = 0;
    int n = 0;
    for (int y = 2; y < H - 2; y += 4)
        for (int x = 2; x < W - 2; x += 4) {
            const uint8_t* s = ShotPixel(60.0f + x, 54.0f + y);
            const uint8_t* p = picture.GetPixel(uint32_t(x), uint32_t(y));
            const uint8_t* q = picture.GetPixel(uint32_t(x), uint32_t(H - 1 - y));
            for (int c = 0; c < 3; ++c) {
                straight += std::abs(s[c] - p[c]);
                flipped += std::abs(s[c] - q[c]);
            }
            ++n;
        }
    straight /= 3.0 * n;
    flipped /= 3.0 * n;
    EXPECT_LT(straight, 16.0) << "flipped " << flipped;
    EXPECT_GT(flipped, 2.5 * straight);
}
