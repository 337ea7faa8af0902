// The real Pelloria.exe under Wine, played only through xdotool, windowed at
// 1024 x 768, over the play-test content (every picture four flat quadrants,
// size 0 a 2 x 2 cut): a new player from the logos to a completed level and
// out, then a second start that remembers the player and the choices; the
// shop, the in-game menu, pause, restart and a lost level; the player
// windows. Screens are told by their signature colours, texts by the width of
// their glyphs; what the player files say is read back after each run.
#include "PlayTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "framework/Level.h"
#include "framework/ProfileBase.h"
#include "puzzle/app/ProfileManager.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/GameObjects.h"
#include "tools/content/Generator.h"
#include "tools/content/JigsawCut.h"
#include "tools/content/Screens.h"

using namespace PlayTest;
namespace S = Content::Screens;
using TestSupport::ProgramRunner;
using TestSupport::SecondsSince;

namespace {

const char kCompany[] = "Quillfen Games";
const char kTitle[] = "Pelloria";
const char kIni[] = "v_fullscreen 0\r\nv_mode 1024x768x32\r\n";
const Rgb8 kWhite = {255, 255, 255};

std::string PlayerFolder() { return TestSupport::UserDataFolder(kCompany, kTitle) + "\\demo"; }

// The player files as the next run will read them (through a file manager
// of this test's own, as the game reads them through its).
struct PlayerFiles {
    KorvaneEngine::FileManager files{KorvaneEngine::GetExecutableDirectory(), false, "data", 0};
    Puzzle::ProfileManager profiles{nullptr, PlayerFolder()};
    Puzzle::ProfileManager* operator->() { return &profiles; }
};

// Where a piece of the 2 x 2 cut of puzzle 0 belongs, and its colour.
struct Piece {
    Rgb8 colour;
    float slotX, slotY;  // GUI units
};

std::vector<Piece> PiecesOfTheTestPuzzle()
{
    const ContentTools::PuzzleFile file = Content::MakeCataloguePuzzle(0, 0, Content::Catalogue::kPlayTestVariant);
    std::vector<Piece> out;
    for (const ContentTools::PuzzlePiece& p : file.pieces) {
        const float cx = p.x + p.w / 2.0f, cy = p.y + p.h / 2.0f;
        // Rows count from the picture's bottom; the colours from its top left.
        const int quadrant = (cy >= Content::Catalogue::kPictureHeight / 2.0f ? 0 : 2) +
                             (cx >= Content::Catalogue::kPictureWidth / 2.0f ? 1 : 0);
        const Content::Catalogue::Rgb8& c = Content::Catalogue::kPlayTestQuadrants[quadrant];
        out.push_back({{c.r, c.g, c.b},
                       Content::GameObjects::kBoardLeft + cx,
                       Content::GameObjects::kBoardBottom + cy});
    }
    return out;
}

void ItemCentre(float rowY, int i, float* gx, float* gy)
{
    const S::Panel* p = S::FindPanel("window_start_game");
    *gx = p->x + S::kItemLeft + i * S::kItemPitch + S::kItemSize / 2;
    *gy = p->y + rowY + S::kItemSize / 2;
}

class PlayThrough : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!TestSupport::InVirtualDesktop())
            return;
        runner = new ProgramRunner("play_through");
        Content::Options options;
        options.variant = Content::Catalogue::kPlayTestVariant;
        ASSERT_TRUE(runner->Prepare(options)) << runner->Error();
    }
    static void TearDownTestSuite()
    {
        delete runner;
        runner = nullptr;
        TestSupport::ClearUserData(kCompany, kTitle);
    }
    void SetUp() override
    {
        if (!TestSupport::InVirtualDesktop())
            GTEST_SKIP() << "runs inside the virtual desktop only";
        ASSERT_NE(runner, nullptr);
    }
    void TearDown() override
    {
        if (runner && runner->IsRunning())
            runner->Kill();
    }

    void Launch(bool fresh)
    {
        if (fresh)
            TestSupport::ClearUserData(kCompany, kTitle);
        ASSERT_TRUE(runner->WriteIni(kIni));
        ASSERT_TRUE(runner->Start()) << runner->Error();
        player.reset(new Player(*runner));
        ASSERT_TRUE(player->Attach()) << "no window named Pelloria";
    }
    void Click(float x, float y) { ASSERT_TRUE(player->Click(x, y)); }
    void ClickPanel(const char* window, float x, float y) { ASSERT_TRUE(player->ClickPanel(window, x, y)); }
    void ClickButton(const char* window, float x, float y, float width)
    {
        ASSERT_TRUE(player->ClickPanelButton(window, x, y, width)) << "a button of " << window;
    }
    void ClickDialog(const char* window, int i, int n)
    {
        ASSERT_TRUE(player->ClickDialog(window, i, n)) << "button " << i << " of " << window;
    }
    void MainMenuButton(int i) { ASSERT_TRUE(player->ClickMainMenu(i)) << "main menu button " << i; }
    void GameMenuButton(int i)
    {
        ClickButton("window_game_logic_menu", S::kGameMenuButtonX + S::kGameMenuButtonWidth / 2,
                    S::kGameMenuButtonY[i] + S::kButtonHeight / 2, S::kGameMenuButtonWidth);
    }
    void Expect(const char* window, double seconds = 30)
    {
        ASSERT_TRUE(player->WaitForScreen(window, seconds)) << window << " did not show";
    }
    // A name typed into the field of a name window, then Return.
    void EnterName(const char* window, const std::string& name)
    {
        ASSERT_EQ(player->TypeName(window, name), "") << "did not show in " << window;
        ASSERT_TRUE(player->Key("Return"));
    }
    // The white title of a menu window, printed letter by letter from the
    // left of its centred place: its width once it stands whole.
    bool TitleStands(int* width = nullptr) { return player->ShowsWholeCentredText(100, 500, 600, 70, width); }
    int TitleWidth() { return player->InkWidth(kWhite, 100, 500, 600, 70, 30); }

    // Where a piece rides: the path's line (its points from the content's
    // own layout) widened by half a slot and a margin, and above its start,
    // where pieces come in, up to the play screen's bar; but for where it
    // swallows them, whose ring and arrow are drawn in red. Five rectangles,
    // since the path runs along the axes; none reaches the board, where the
    // level's completion scatters tiles of the picture.
    struct Area {
        float x, y, w, h;
    };
    static std::vector<Area> PathAreas()
    {
        namespace G = Content::GameObjects;
        const float band = 24;
        std::vector<Area> out;
        for (int i = 0; i + 1 < G::kPathPointCount; ++i) {
            const G::PathPoint &a = G::kPath[i], &b = G::kPath[i + 1];
            float x0 = std::min(a.x, b.x) - band, x1 = std::max(a.x, b.x) + band;
            float y0 = std::min(a.y, b.y) - band, y1 = std::max(a.y, b.y) + band;
            if (i == 0)
                y1 = S::kHudBarY - 2;
            if (i + 2 == G::kPathPointCount)
                x0 = S::kEaterX + 56;
            out.push_back({x0, y0, x1 - x0, y1 - y0});
        }
        return out;
    }
    // A piece of that colour on the path, where a press can reach it (not
    // under the bridge over the bottom stretch). A piece there covers about
    // 1500 window pixels; the sparks of the path's introduction, some of the
    // yellow piece's colour, a few dozen.
    static constexpr int kPiecePixels = 300;
    bool FindOnPath(const Rgb8& colour, float* x, float* y) const
    {
        namespace G = Content::GameObjects;
        for (const Area& a : PathAreas())
            if (player->FindColour(colour, a.x, a.y, a.w, a.h, x, y, kPiecePixels))
                return !(*x > G::kObstacleLeft - 20 && *x < G::kObstacleRight + 20 && *y < G::kObstacleTop + 20);
        return false;
    }
    // A piece on the path once the start-game window has gone whole: its
    // pictures show the quadrants' colours too, over the path, while it
    // fades out.
    bool AnyPieceOnPath() const
    {
        const S::Panel* start = S::FindPanel("window_start_game");
        if (player->Share(start->colour, start->x, start->y, start->width, start->height) > 0.01)
            return false;
        float x, y;
        for (const Piece& p : PiecesOfTheTestPuzzle())
            if (FindOnPath(p.colour, &x, &y))
                return true;
        return false;
    }
    // The star count of the play screen's bar, which every put raises and
    // nothing else does before the board is full (the end-of-level charge
    // pays too, after the last put): the sign of a put, whatever the board's
    // completion draws over the slots.
    bool StarsChanged(const TestSupport::Screenshot& before) const
    {
        const TestSupport::Screenshot& now = player->shot;
        if (now.width != before.width || now.height != before.height)
            return false;
        int changed = 0;
        for (int py = player->Y(S::kHudBarY + S::kHudBarHeight - 3); py < player->Y(S::kHudBarY + 3); ++py)
            for (int px = player->X(52); px < player->X(212); ++px)
                changed += !std::equal(before.Pixel(px, py), before.Pixel(px, py) + 3, now.Pixel(px, py));
        return changed > 20;
    }

    // Puts every piece of the 2 x 2 puzzle, each found on the path by its
    // colour, picked up with a press, carried aside until it shows in the
    // hand, put down with a press over its slot; done after the fourth put,
    // each put seen by the bar's stars. Prints the phases' times; *lastPut
    // is the tick of the last put.
    void PlacePieces(DWORD* lastPut)
    {
        const std::vector<Piece> pieces = PiecesOfTheTestPuzzle();
        ASSERT_EQ(pieces.size(), 4u);
        const DWORD start = GetTickCount();
        // The path's introduction brings the first piece in: about 3 s of the
        // game's clock, 2.5 s on an idle machine (2.6 s measured here beside
        // other test runs).
        const double kFirstPieceSeconds = 10;
        // Four pieces found, carried and put: 5 s on an idle machine, 10 to
        // 16 s on a loaded one.
        const double kPlacingSeconds = 45;
        // A put shows at the next screenshot (0.1 s measured beside other
        // test runs). Only a put that did not happen runs to the end.
        const double kPutSeconds = 10;
        ASSERT_TRUE(player->WaitFor("first piece", [&] { return AnyPieceOnPath(); }, kFirstPieceSeconds))
            << "no piece came onto the path in " << kFirstPieceSeconds << " s";
        const double firstPiece = SecondsSince(start);
        std::printf("[play] the first piece on the path after %.1f s (deadline %.0f s)\n", firstPiece,
                    kFirstPieceSeconds);

        const DWORD placing = GetTickCount();
        std::vector<bool> placed(pieces.size(), false);
        int tries = 0;
        for (size_t done = 0; done < pieces.size(); done = std::count(placed.begin(), placed.end(), true)) {
            if (SecondsSince(placing) > kPlacingSeconds) {
                player->Keep("pieces");
                FAIL() << done << " of 4 pieces put in " << kPlacingSeconds << " s (" << tries << " tries)";
            }
            ASSERT_TRUE(player->Shoot());
            size_t i = 0;
            float x = 0, y = 0;
            while (i < pieces.size() && (placed[i] || !FindOnPath(pieces[i].colour, &x, &y)))
                ++i;
            if (i == pieces.size()) {
                player->Pause(100);
                continue;
            }
            ++tries;
            const Piece& p = pieces[i];
            // The press held a while: the pick is made at the pointer the
            // game reads in the frame that sees the press, which must not be
            // the next move's.
            ASSERT_TRUE(player->Move(x, y));
            player->Pause(120);
            ASSERT_TRUE(player->run.Host("xdotool mousedown 1 sleep 0.3 mouseup 1"));
            // Carried towards the board's middle, clear of the path: in the
            // hand it follows the pointer (up and left of the pointer's tip,
            // clear of the drawn cursor).
            const float dx = 340 - x, dy = 264 - y, d = std::sqrt(dx * dx + dy * dy);
            const float ax = x + dx / d * 70, ay = y + dy / d * 70;
            ASSERT_TRUE(player->Move(ax, ay));
            // Seen at the next screenshot or two (0.1 to 0.3 s measured beside
            // other test runs). A pick that missed (the piece rode on, fast
            // while the queue rushes in) ends this wait, so it is short: one
            // taken for a miss only goes back to the path and is tried again.
            const bool held = player->WaitFor("in the hand", [&] {
                return player->Share(p.colour, ax - 14, ay + 2, 12, 12) > 0.5;
            }, 3);
            if (!held) {
                std::printf("[play] piece %zu not in the hand after %.1f s\n", i, player->waited);
                // Missed (the piece rode on): anything in the hand goes back.
                ASSERT_TRUE(player->run.Host("xdotool click 3"));
                continue;
            }
            const double picked = player->waited;
            const TestSupport::Screenshot before = player->shot;
            ASSERT_NO_FATAL_FAILURE(Click(p.slotX, p.slotY));
            if (player->WaitFor("put", [&] { return StarsChanged(before); }, kPutSeconds)) {
                placed[i] = true;
                *lastPut = GetTickCount();
                std::printf("[play] piece %zu seen in the hand after %.1f s, put after %.1f s\n", i, picked,
                            player->waited);
            } else {
                std::printf("[play] piece %zu not put in %.0f s\n", i, kPutSeconds);
                // Not put: the piece still in the hand goes back to the path.
                ASSERT_TRUE(player->run.Host("xdotool click 3"));
            }
        }
        std::printf("[play] placing took %.1f s (deadline %.0f s), %d tries for 4 pieces\n", SecondsSince(placing),
                    kPlacingSeconds, tries);
    }

    // The end of the program's log, without its markup, for a failure.
    std::string LogTail() const
    {
        std::string log = runner->ReadLog(), text;
        bool tag = false;
        for (char c : log) {
            if (c == '<')
                tag = true;
            else if (c == '>')
                tag = false;
            else if (!tag)
                text += c;
        }
        return text.size() > 3000 ? text.substr(text.size() - 3000) : text;
    }

    static inline ProgramRunner* runner = nullptr;
    std::unique_ptr<Player> player;
};

} // namespace

TEST(Desktop, PlayThroughTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    // The three tests took 141 to 156 s on an idle machine, 145 to 200 s on
    // a loaded one; ctest's own limit for this program lies above this one.
    const double kRunSeconds = 600;
    const DWORD start = GetTickCount();
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_play", 1280, 1024, "PlayThrough.*",
                                                 static_cast<uint32_t>(kRunSeconds * 1000)));
    std::printf("[play] the virtual desktop's run took %.0f s (limit %.0f s)\n", SecondsSince(start), kRunSeconds);
}

namespace {

const char kLeftBehindFlag[] = "--left-behind-child";

std::string LeftBehindFile() { return KorvaneEngine::GetExecutableDirectory() + "\\desktop_left_behind.txt"; }

} // namespace

// A run of the desktop's copy that does not end by itself is ended whole at
// its time limit: the copy, and the program the copy started (as the play
// tests start the game), not only the desktop's explorer.
TEST(Desktop, ARunPastItsTimeLimitLeavesNoProgramBehind)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    DeleteFileA(LeftBehindFile().c_str());
    // The copy is up and has started its child 0.3 s into the run (measured
    // beside other test runs); the limit leaves it many times that.
    const DWORD start = GetTickCount();
    FILETIME launched;
    GetSystemTimeAsFileTime(&launched);
    EXPECT_FALSE(TestSupport::RunInVirtualDesktop("pelloria_left_behind", 640, 480, "LeftBehind.*", 10000));
    std::printf("[play] the run past its limit returned after %.1f s\n", SecondsSince(start));
    WIN32_FILE_ATTRIBUTE_DATA written = {};
    if (GetFileAttributesExA(LeftBehindFile().c_str(), GetFileExInfoStandard, &written)) {
        ULARGE_INTEGER at, began;
        at.LowPart = written.ftLastWriteTime.dwLowDateTime;
        at.HighPart = written.ftLastWriteTime.dwHighDateTime;
        began.LowPart = launched.dwLowDateTime;
        began.HighPart = launched.dwHighDateTime;
        std::printf("[play] the copy had started its child %.1f s into the run\n",
                    (at.QuadPart - began.QuadPart) / 1e7);
    }
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(LeftBehindFile());
    unsigned long copy = 0, child = 0;
    ASSERT_EQ(std::sscanf(std::string(bytes.begin(), bytes.end()).c_str(), "%lu %lu", &copy, &child), 2)
        << "the copy did not write its and its child's process ids in time";
    for (unsigned long pid : {copy, child}) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        // Gone already, or going: the run waited for its processes to end.
        if (process) {
            EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "process " << pid << " still runs";
            CloseHandle(process);
        }
    }
}

// Inside the desktop: starts a child (this program again, waiting), writes
// both process ids and waits, as a hung test would, for longer than the
// limit above. Both end by themselves after a minute, whatever happens.
TEST(LeftBehind, WaitsWithAChild)
{
    if (!TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "runs inside the virtual desktop only";
    if (std::strstr(GetCommandLineA(), kLeftBehindFlag)) {
        Sleep(60000);
        return;
    }
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=LeftBehind.* --in-virtual-desktop " +
                          kLeftBehindFlag;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    BOOL inJob = FALSE, childInJob = FALSE;
    IsProcessInJob(GetCurrentProcess(), nullptr, &inJob);
    IsProcessInJob(pi.hProcess, nullptr, &childInJob);
    std::printf("[play] inside the desktop: this copy %s a job, its child %s\n", inJob ? "in" : "not in",
                childInJob ? "in" : "not in");
    ASSERT_TRUE(TestSupport::WriteFileText(LeftBehindFile(), std::to_string(GetCurrentProcessId()) + " " +
                                                                  std::to_string(pi.dwProcessId) + "\n"));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Sleep(60000);
}

TEST_F(PlayThrough, ANewPlayerCompletesALevelAndTheNextStartRemembersThem)
{
    ASSERT_NO_FATAL_FAILURE(Launch(true));
    // The publishers' logos, the start-up loading, then the welcome.
    ASSERT_TRUE(player->WaitFor("logos", [&] { return player->Share(S::kLogoBackground[0], 150, 100, 500, 400) > 0.5; }));
    ASSERT_NO_FATAL_FAILURE(Expect("window_game_loading"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_welcome"));
    ASSERT_NO_FATAL_FAILURE(EnterName("window_welcome", "Anna"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_main_menu"));
    // The greeting prints in 0.35 s and fades in in 0.4 s of the game's clock
    // once the menu shows (0.1 to 0.2 s after the menu was seen, measured).
    int greeting = 0;
    ASSERT_TRUE(player->WaitFor("greeting", [&] { return TitleStands(&greeting) && greeting > 100; }, 10))
        << "the greeting did not stand whole (width " << TitleWidth() << ")";
    std::printf("[play] the greeting stood whole after %.1f s: %d px\n", player->waited, greeting);

    // The credits and back.
    ASSERT_NO_FATAL_FAILURE(MainMenuButton(3));
    ASSERT_NO_FATAL_FAILURE(Expect("window_credits"));
    ASSERT_TRUE(player->WaitFor("credits title", [&] { return TitleWidth() > 40; }));
    ASSERT_NO_FATAL_FAILURE(ClickButton("window_credits", 230, 24 + S::kButtonHeight / 2, 220));
    ASSERT_NO_FATAL_FAILURE(Expect("window_main_menu"));

    ASSERT_NO_FATAL_FAILURE(MainMenuButton(0));
    ASSERT_NO_FATAL_FAILURE(Expect("window_start_game"));
    ASSERT_EQ(player->PlayTheFirstChoices(), "");

    DWORD lastPut = 0;
    ASSERT_NO_FATAL_FAILURE(PlacePieces(&lastPut));
    // From the last put: the board's overlay (1.0 s of the game's clock), its
    // tiles (1.5 s), the carriage's end-of-level charge over the whole path
    // (3.8 to 4.1 s, which the win waits for) and the window's opening
    // (0.44 s): 5 s on an idle machine, 3.8 to 4.0 s after the put was seen
    // on a loaded one.
    const double kCompleteSeconds = 15;
    ASSERT_NO_FATAL_FAILURE(Expect("window_level_complete", kCompleteSeconds));
    std::printf("[play] the last put to the level-complete window: %.1f s (deadline %.0f s)\n",
                SecondsSince(lastPut), kCompleteSeconds);
    ASSERT_NO_FATAL_FAILURE(ClickButton("window_level_complete", S::kContinueX + S::kContinueWidth / 2,
                                        S::kContinueY + S::kButtonHeight / 2, S::kContinueWidth));
    // The stage's next level starts at once.
    ASSERT_TRUE(player->WaitFor("next level", [&] {
        return player->ShowsPlay() && !player->Shows("window_level_complete") && !player->Shows("window_start_game");
    }));

    // Esc, leave, confirm; then exit from the main menu.
    ASSERT_EQ(player->LeaveTheLevelAndExit(), "") << "did not show";
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u);

    {
        PlayerFiles files;
        ASSERT_EQ(files->GetProfiles().size(), 1u);
        Puzzle::Profile* anna = files->GetCurrentPuzzleProfile();
        ASSERT_NE(anna, nullptr);
        EXPECT_EQ(anna->GetDisplayName(), L"Anna");
        EXPECT_EQ(anna->GetSelectedTheme(), 0u);
        EXPECT_EQ(anna->GetSelectedPicture(), 0u);
        EXPECT_EQ(anna->GetSelectedPuzzle(), 0u);
        EXPECT_EQ(anna->GetSelectedSize(), 0u);
        EXPECT_GT(anna->GetStars(), uint32_t{+Puzzle::Profile::kStartStars}) << "the level's stars were added";
        EXPECT_EQ(anna->GetCurrentPosition(), GameFramework::Level(0, 1));
    }

    // The second start knows the player: no welcome, the same greeting, and
    // the start-game window (past the continue offer) with the choices.
    ASSERT_NO_FATAL_FAILURE(Launch(false));
    ASSERT_TRUE(player->WaitFor("second main menu", [&] {
        EXPECT_FALSE(player->Shows("window_welcome"));
        return player->Shows("window_main_menu");
    }, 40));
    int again = 0;
    ASSERT_TRUE(player->WaitFor("second greeting", [&] { return TitleStands(&again) && again == greeting; }, 10))
        << "the greeting stood at " << again << " px, the first one at " << greeting;
    ASSERT_NO_FATAL_FAILURE(MainMenuButton(0));
    ASSERT_NO_FATAL_FAILURE(Expect("window_start_game"));
    // The chosen theme's band is drawn as the window's controls fade in
    // (0.65 s of the game's clock); the other themes have none.
    float x, y;
    ItemCentre(S::kThemeRowY, 0, &x, &y);
    const float band = S::kItemSize * S::kItemBand;
    EXPECT_TRUE(player->WaitFor("theme 0 chosen", [&] {
        return player->Share(S::kChecked, x - S::kItemSize / 2, y - S::kItemSize / 2, S::kItemSize, band) > 0.3;
    }, 10)) << "theme 0 is the chosen one";
    ItemCentre(S::kThemeRowY, 1, &x, &y);
    EXPECT_LT(player->Share(S::kChecked, x - S::kItemSize / 2, y - S::kItemSize / 2, S::kItemSize, band), 0.1);
    ASSERT_TRUE(player->run.SendKeys(player->id, "alt+F4"));
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u) << LogTail();
}

TEST_F(PlayThrough, TheShopTheInGameMenuPauseRestartAndALostLevel)
{
    ASSERT_NO_FATAL_FAILURE(Launch(true));
    ASSERT_NO_FATAL_FAILURE(Expect("window_welcome", 40));
    ASSERT_NO_FATAL_FAILURE(EnterName("window_welcome", "Shopper"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_main_menu"));
    ASSERT_NO_FATAL_FAILURE(MainMenuButton(0));
    ASSERT_NO_FATAL_FAILURE(Expect("window_start_game"));

    // Over a locked theme the player can afford: a white price with its star
    // and the cursor tip beside the pointer (each waited for: the window
    // shows them in the frames after it sees the pointer there).
    float x, y;
    ItemCentre(S::kThemeRowY, 1, &x, &y);
    ASSERT_TRUE(player->Move(x, y));
    const float priceX = x - S::kItemSize / 2 + 4 + S::kStarSize, priceY = y - S::kItemSize / 2 + 4;
    const float priceW = S::kItemSize - 8 - S::kStarSize;
    const Rgb8 tip = {255, 242, 153};
    ASSERT_TRUE(player->WaitFor("affordable", [&] {
        return player->InkWidth(kWhite, priceX, priceY, priceW, S::kStarSize, 50) > 10 &&
               player->Share(S::kStar, x - S::kItemSize / 2 + 4, priceY, S::kStarSize, S::kStarSize, 40) > 0.1;
    }, 10));
    EXPECT_TRUE(player->WaitFor("cursor tip", [&] {
        return player->InkWidth(tip, x + 10, y - 40, 190, 34, 40) > 20;
    }, 10)) << "the cursor tip";
    // The stars fly from the counter to the theme: screenshots in a burst
    // straight after the click, which a loaded machine cannot delay, each one
    // against the one before the click. The stars glow (added to what lies below),
    // so they show as warm pixels brighter than before, left of the theme
    // where nothing else on the panel brightens with the purchase.
    ASSERT_TRUE(player->Shoot());
    const TestSupport::Screenshot still = player->shot;
    std::vector<TestSupport::Screenshot> burst;
    ASSERT_TRUE(player->run.CaptureAfter("xdotool mousedown 1 sleep 0.12 mouseup 1", player->id, 8, burst));
    int glowing = 0;
    for (const TestSupport::Screenshot& shot : burst) {
        if (shot.width != still.width || shot.height != still.height)
            continue;
        for (int py = player->Y(y + 60); py < player->Y(y - 60); py += 2)
            for (int px = player->X(x - 250); px < player->X(x - 10); px += 2) {
                const uint8_t *a = still.Pixel(px, py), *b = shot.Pixel(px, py);
                glowing += b[0] > 200 && b[0] + b[1] + b[2] > a[0] + a[1] + a[2] + 150;
            }
        player->shot = shot;
    }
    if (glowing < 4)
        player->Keep("stars");
    EXPECT_GE(glowing, 4) << "no stars flew";
    // The purchase is saved in the frame that sees the click: the player's
    // file, read until it says so (0.1 s on an idle machine).
    auto bought = [&] {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        return p && p->GetStars() == 500u && p->IsInListA(1) && p->IsPictureUnlocked(1, 0) &&
               p->GetSelectedTheme() == 1u;
    };
    const DWORD saving = GetTickCount();
    while (!bought() && SecondsSince(saving) < 10)
        player->Pause(50);
    std::printf("[play] the purchase was read back after %.1f s (deadline 10 s)\n", SecondsSince(saving));
    {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetStars(), 500u);
        EXPECT_TRUE(p->IsInListA(1));
        EXPECT_TRUE(p->IsPictureUnlocked(1, 0)) << "a bought theme brings its first picture";
        EXPECT_EQ(p->GetSelectedTheme(), 1u);
    }

    // The dearest cut is too dear now: a red price, and a click does nothing.
    ItemCentre(S::kPuzzleRowY, 2, &x, &y);
    ASSERT_TRUE(player->Move(x, y));
    const Rgb8 red = {255, 0, 0};
    auto redPrice = [&] {
        return player->InkWidth(red, x - S::kItemSize / 2 + 4 + S::kStarSize, y - S::kItemSize / 2 + 4,
                                S::kItemSize - 8 - S::kStarSize, S::kStarSize, 70);
    };
    ASSERT_TRUE(player->WaitFor("too dear", [&] { return redPrice() > 10; }, 10));
    ASSERT_TRUE(player->Press());
    // The click is handled once a later input has been: the pointer moved
    // off the item, into the gap between the rows (its events come after
    // the click's), hides the price in the frame that reads the move, the
    // click read in that frame or before.
    ASSERT_TRUE(player->Move(x, y + S::kItemSize / 2 + 14));
    ASSERT_TRUE(player->WaitFor("off the item", [&] { return redPrice() == 0; }, 10))
        << "the price stayed after the pointer left";
    {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetStars(), 500u);
        EXPECT_FALSE(p->IsInListC(2));
        EXPECT_EQ(p->GetSelectedPuzzle(), 0u);
    }

    ASSERT_TRUE(player->ClickPlay());
    ASSERT_TRUE(player->WaitFor("play", [&] { return player->ShowsPlay(); }));
    // Pieces on the path once its introduction has run (2.5 s on an idle
    // machine): the level reads the keys and the pointer from then on.
    ASSERT_TRUE(player->WaitFor("a piece on the path", [&] { return AnyPieceOnPath(); }, 10));

    // The in-game menu stops the path: the level's time scale runs down to 0
    // in 0.5 s of the game's clock, and the pieces and the carriage, drawn
    // with it as their alpha, fade out with it; then two screenshots a
    // second apart match along the path (the pointer on the menu's panel,
    // clear of its buttons). A level left running keeps its pieces in sight.
    ASSERT_TRUE(player->KeyUntil("Escape", "window_game_logic_menu"));
    ASSERT_TRUE(player->Move(400, 400));
    const std::vector<Area> stretches = PathAreas();
    TestSupport::Screenshot before;
    DWORD beforeAt = 0;
    double moved = 1;
    bool pieceSeen = true;
    const DWORD stopping = GetTickCount();
    auto standing = [&] {
        pieceSeen = AnyPieceOnPath();
        if (!before.rgb.empty() && SecondsSince(beforeAt) < 1)
            return false;
        if (!before.rgb.empty()) {
            moved = 0;
            for (const Area& a : stretches)
                moved = std::max(moved, player->Changed(before, a.x, a.y, a.w, a.h));
            if (moved < 0.01 && !pieceSeen)
                return true;
        }
        before = player->shot;
        beforeAt = GetTickCount();
        return false;
    };
    // Faded and a second apart, the two shots: 1.2 to 2.5 s measured.
    EXPECT_TRUE(player->WaitFor("path stopped", standing, 10))
        << (pieceSeen ? "a piece still shows on the path" : "the path moved under the menu: ") << moved;
    std::printf("[play] the path stood still under the menu after %.1f s (deadline 10 s)\n", SecondsSince(stopping));
    ASSERT_NO_FATAL_FAILURE(GameMenuButton(2));
    ASSERT_TRUE(player->WaitFor("resumed", [&] { return !player->Shows("window_game_logic_menu"); }));

    // Space pauses; the notice's button resumes.
    ASSERT_TRUE(player->KeyUntil("space", "window_game_logic_pause"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_game_logic_pause", 0, 1));
    ASSERT_TRUE(player->WaitFor("unpaused", [&] { return !player->Shows("window_game_logic_pause"); }));

    // Restart: the menu, the question, and the level loads again.
    ASSERT_TRUE(player->KeyUntil("Escape", "window_game_logic_menu"));
    ASSERT_NO_FATAL_FAILURE(GameMenuButton(1));
    ASSERT_NO_FATAL_FAILURE(Expect("window_game_logic_restart"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_game_logic_restart", 1, 2));
    // The play screen goes for the loading window's whole turn; the loading
    // window itself may stand too short for a screenshot on a loaded machine.
    ASSERT_TRUE(player->WaitFor("reloading", [&] {
        return player->Shows("window_game_logic_loading") || !player->ShowsPlay();
    }));
    ASSERT_TRUE(player->WaitFor("play again", [&] {
        return player->ShowsPlay() && !player->Shows("window_game_logic_loading");
    }));

    // The right button held with an empty hand runs the path out: pressed
    // once the level reads the pointer (a piece on the path, the path's
    // introduction over; 2.5 s on an idle machine), held until the game-over
    // window shows (7.2 s measured), then let go.
    ASSERT_TRUE(player->WaitFor("a piece on the path again", [&] { return AnyPieceOnPath(); }, 10));
    ASSERT_TRUE(player->Move(340, 260));
    ASSERT_TRUE(player->RightDown());
    const bool over = player->WaitFor("game over", [&] { return player->Shows("window_game_over"); }, 25);
    const double held = player->waited;
    ASSERT_TRUE(player->RightUp());
    ASSERT_TRUE(over) << "the path did not run out in 25 s";
    std::printf("[play] the path ran out in %.1f s of the right button held (deadline 25 s)\n", held);
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_game_over", 0, 1));
    // The relax offer, where there is one, is declined.
    ASSERT_TRUE(player->WaitFor("after the game", [&] {
        return player->Shows("window_start_game") || player->Shows("window_relax");
    }));
    if (player->Shows("window_relax")) {
        ASSERT_NO_FATAL_FAILURE(ClickDialog("window_relax", 0, 2));
        ASSERT_NO_FATAL_FAILURE(Expect("window_start_game"));
    }
    {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        ASSERT_NE(p, nullptr);
        EXPECT_FALSE(p->GetFlag(3)) << "the relax offer is made once";
        EXPECT_FALSE(p->HasSavedGame());
    }
    ASSERT_TRUE(player->run.SendKeys(player->id, "alt+F4"));
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u) << LogTail();
}

TEST_F(PlayThrough, PlayersAreAddedRenamedSwitchedAndDeletedDownToNone)
{
    const char kNew[] = "window_new_profile", kRename[] = "window_rename_profile";
    auto nameButton = [&](const char* window, bool ok) {
        ClickButton(window, (ok ? S::kNameOkX : S::kNameCancelX) + S::kNameButtonWidth / 2,
                    S::kNameButtonY + S::kButtonHeight / 2, S::kNameButtonWidth);
    };
    // The cancel button's caption once it stands whole (faded in).
    auto cancelWidth = [&](int* width) {
        const S::Panel* p = S::FindPanel(kNew);
        return player->ShowsWholeCentredText(p->x + S::kNameCancelX, p->y + S::kNameButtonY, S::kNameButtonWidth,
                                             S::kButtonHeight, width);
    };
    auto profileButton = [&](int i) {
        ClickButton("window_profiles", S::kProfileButtonX + S::kProfileButtonWidth / 2,
                    S::kProfileButtonTopY - i * S::kProfileButtonPitch + S::kButtonHeight / 2, S::kProfileButtonWidth);
    };
    // Row r of the list from the top (control 11 - r of the area).
    auto row = [&](int r) {
        ClickPanel("window_profiles", S::kProfileAreaX + S::kProfileRowWidth / 2,
                   S::kProfileAreaY + 1 + S::kProfileRowPitch * (11 - r) + S::kProfileRowPitch / 2);
    };
    auto current = [&] {
        PlayerFiles files;
        return files->GetCurrentProfile() ? files->GetCurrentProfile()->GetDisplayName() : std::wstring(L"-");
    };
    auto count = [&] {
        PlayerFiles files;
        return files->GetProfiles().size();
    };

    ASSERT_NO_FATAL_FAILURE(Launch(true));
    ASSERT_NO_FATAL_FAILURE(Expect("window_welcome", 40));
    ASSERT_NO_FATAL_FAILURE(EnterName("window_welcome", "Anna"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_main_menu"));
    ASSERT_NO_FATAL_FAILURE(MainMenuButton(2));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profiles"));

    // A second player.
    ASSERT_NO_FATAL_FAILURE(profileButton(0));
    ASSERT_NO_FATAL_FAILURE(Expect(kNew));
    // The caption fades in in 0.4 s of the game's clock, 0.15 s after the
    // panel starts to open (under 0.5 s after the window was seen, measured).
    int cancel = 0;
    ASSERT_TRUE(player->WaitFor("cancel caption", [&] { return cancelWidth(&cancel); }, 10));
    ASSERT_NO_FATAL_FAILURE(EnterName(kNew, "Bert"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profiles"));
    EXPECT_EQ(count(), 2u);
    EXPECT_EQ(current(), L"Bert");

    // A name taken in other letters: the notice, and back to the entry.
    ASSERT_NO_FATAL_FAILURE(profileButton(0));
    ASSERT_NO_FATAL_FAILURE(Expect(kNew));
    ASSERT_NO_FATAL_FAILURE(EnterName(kNew, "aNNA"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profile_name_conflict"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_profile_name_conflict", 0, 1));
    ASSERT_NO_FATAL_FAILURE(Expect(kNew));
    ASSERT_NO_FATAL_FAILURE(nameButton(kNew, false));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profiles"));
    EXPECT_EQ(count(), 2u);

    // Rename the current player onto a taken name, then onto a free one.
    ASSERT_NO_FATAL_FAILURE(profileButton(1));
    ASSERT_NO_FATAL_FAILURE(Expect(kRename));
    ASSERT_EQ(player->ClearName(kRename), "");
    ASSERT_NO_FATAL_FAILURE(EnterName(kRename, "Anna"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profile_name_conflict"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_profile_name_conflict", 0, 1));
    ASSERT_NO_FATAL_FAILURE(Expect(kRename));
    ASSERT_EQ(player->ClearName(kRename), "");
    ASSERT_NO_FATAL_FAILURE(EnterName(kRename, "Carl"));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profiles"));
    EXPECT_EQ(current(), L"Carl");
    {
        PlayerFiles files;
        EXPECT_EQ(files->FindProfile(L"Bert"), nullptr);
        ASSERT_NE(files->FindProfile(L"Anna"), nullptr);
    }

    // A click on another row makes that player current. The rows take it
    // once the window's buttons do (they fade in with them).
    ASSERT_TRUE(player->PointAtPanelButton("window_profiles", S::kProfileButtonX + S::kProfileButtonWidth / 2,
                                           S::kProfileButtonTopY + S::kButtonHeight / 2, S::kProfileButtonWidth,
                                           "player list"));
    ASSERT_NO_FATAL_FAILURE(row(1));
    ASSERT_TRUE(player->WaitFor("switched", [&] { return current() == L"Anna"; }, 10));

    // Delete down to none.
    std::string annaFile;
    {
        PlayerFiles files;
        annaFile = files->FindProfile(L"Anna")->GetFilePath();
    }
    ASSERT_TRUE(TestSupport::FileExists(annaFile));
    ASSERT_NO_FATAL_FAILURE(profileButton(2));
    ASSERT_NO_FATAL_FAILURE(Expect("window_delete_profile"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_delete_profile", 1, 2));
    ASSERT_NO_FATAL_FAILURE(Expect("window_profiles"));
    EXPECT_FALSE(TestSupport::FileExists(annaFile));
    EXPECT_EQ(count(), 1u);
    EXPECT_EQ(current(), L"Carl");
    ASSERT_NO_FATAL_FAILURE(profileButton(2));
    ASSERT_NO_FATAL_FAILURE(Expect("window_delete_profile"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_delete_profile", 1, 2));
    // None left: a new player is asked for, and cancelling it means leaving.
    ASSERT_NO_FATAL_FAILURE(Expect(kNew));
    EXPECT_EQ(count(), 0u);
    int exitWidth = 0;
    ASSERT_TRUE(player->WaitFor("exit caption", [&] { return cancelWidth(&exitWidth); }, 10));
    EXPECT_GT(exitWidth, 10);
    EXPECT_LT(exitWidth, cancel) << "the cancel button reads the shorter exit text";
    ASSERT_NO_FATAL_FAILURE(nameButton(kNew, false));
    ASSERT_NO_FATAL_FAILURE(Expect("window_exit"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_exit", 0, 2));
    ASSERT_NO_FATAL_FAILURE(Expect(kNew));
    ASSERT_NO_FATAL_FAILURE(nameButton(kNew, false));
    ASSERT_NO_FATAL_FAILURE(Expect("window_exit"));
    ASSERT_NO_FATAL_FAILURE(ClickDialog("window_exit", 1, 2));
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u) << LogTail();
}
