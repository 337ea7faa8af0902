// The real Pelloria.exe under Wine, played only through xdotool, windowed at
// 1024 x 768, over the play-test content (every picture four flat quadrants,
// size 0 a 2 x 2 cut): a new player from the logos to a completed level and
// out, then a second start that remembers the player and the choices; the
// shop, the in-game menu, pause, restart and a lost level; the player
// windows. Screens are told by their signature colours, texts by the width of
// their glyphs; what the player files say is read back after each run.
#include "PlayTestSupport.h"

#include <algorithm>
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
    void ClickDialog(const char* window, int i, int n) { ASSERT_TRUE(player->ClickDialog(window, i, n)); }
    void MainMenuButton(int i) { ASSERT_TRUE(player->ClickMainMenu(i)); }
    void Expect(const char* window, double seconds = 30)
    {
        ASSERT_TRUE(player->WaitForScreen(window, seconds)) << window << " did not show";
    }
    // The width in pixels of the white title of a menu window.
    int TitleWidth() { return player->InkWidth(kWhite, 100, 500, 600, 70, 30); }

    // Puts every piece of the 2 x 2 puzzle: each found on the path by its
    // colour, picked up with a press, put down with a press over its slot.
    void PlacePieces()
    {
        const std::vector<Piece> pieces = PiecesOfTheTestPuzzle();
        ASSERT_EQ(pieces.size(), 4u);
        std::vector<bool> placed(pieces.size(), false);
        const float left = Content::GameObjects::kBoardLeft, bottom = Content::GameObjects::kBoardBottom;
        const float right = left + Content::GameObjects::kBoardWidth, top = bottom + Content::GameObjects::kBoardHeight;
        for (int attempt = 0; attempt < 60; ++attempt) {
            ASSERT_TRUE(player->Shoot());
            if (player->Shows("window_level_complete"))
                return;
            size_t done = 0;
            for (size_t i = 0; i < pieces.size(); ++i) {
                placed[i] = placed[i] || player->Share(pieces[i].colour, pieces[i].slotX - 20, pieces[i].slotY - 20, 40, 40) > 0.6;
                done += placed[i];
            }
            if (done == pieces.size()) {
                player->Pause(300);
                continue;
            }
            for (size_t i = 0; i < pieces.size(); ++i) {
                if (placed[i])
                    continue;
                // The path runs round the board: look everywhere else.
                float x = 0, y = 0;
                const bool found =
                    player->FindColour(pieces[i].colour, 0, 0, left - 2, 560, &x, &y, 30) ||
                    player->FindColour(pieces[i].colour, 0, 0, 800, bottom - 2, &x, &y, 30) ||
                    player->FindColour(pieces[i].colour, right + 2, 0, 800 - right - 2, 560, &x, &y, 30) ||
                    player->FindColour(pieces[i].colour, 0, top + 2, 800, 558 - top, &x, &y, 30);
                if (!found)
                    continue;
                Click(x, y);
                player->Pause(150);
                Click(pieces[i].slotX, pieces[i].slotY);
                player->Pause(250);
                // A piece still in the hand goes back to the path.
                ASSERT_TRUE(player->run.Host("xdotool click 3"));
                break;
            }
        }
        player->Keep("pieces");
        FAIL() << "the pieces could not all be put";
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
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_play", 1280, 1024, "PlayThrough.*"));
}

TEST_F(PlayThrough, ANewPlayerCompletesALevelAndTheNextStartRemembersThem)
{
    Launch(true);
    // The publishers' logos, the start-up loading, then the welcome.
    ASSERT_TRUE(player->WaitFor("logos", [&] { return player->Share(S::kLogoBackground[0], 150, 100, 500, 400) > 0.5; }));
    Expect("window_game_loading");
    Expect("window_welcome");
    ASSERT_TRUE(player->Type("Anna"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_main_menu");
    ASSERT_TRUE(player->WaitFor("greeting", [&] { return TitleWidth() > 100; }));
    player->Pause(1500);
    ASSERT_TRUE(player->Shoot());
    const int greeting = TitleWidth();

    // The credits and back.
    MainMenuButton(3);
    Expect("window_credits");
    ASSERT_TRUE(player->WaitFor("credits title", [&] { return TitleWidth() > 40; }));
    ClickPanel("window_credits", 230, 24 + S::kButtonHeight / 2);
    Expect("window_main_menu");

    MainMenuButton(0);
    Expect("window_start_game");
    ASSERT_EQ(player->PlayTheFirstChoices(), "");

    PlacePieces();
    Expect("window_level_complete");
    ClickPanel("window_level_complete", S::kContinueX + S::kContinueWidth / 2, S::kContinueY + S::kButtonHeight / 2);
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
    Launch(false);
    ASSERT_TRUE(player->WaitFor("second main menu", [&] {
        EXPECT_FALSE(player->Shows("window_welcome"));
        return player->Shows("window_main_menu");
    }, 40));
    player->Pause(1500);
    ASSERT_TRUE(player->Shoot());
    EXPECT_EQ(TitleWidth(), greeting);
    MainMenuButton(0);
    Expect("window_start_game");
    player->Pause(800);
    ASSERT_TRUE(player->Shoot());
    float x, y;
    ItemCentre(S::kThemeRowY, 0, &x, &y);
    const float band = S::kItemSize * S::kItemBand;
    EXPECT_GT(player->Share(S::kChecked, x - S::kItemSize / 2, y - S::kItemSize / 2, S::kItemSize, band), 0.3)
        << "theme 0 is the chosen one";
    ItemCentre(S::kThemeRowY, 1, &x, &y);
    EXPECT_LT(player->Share(S::kChecked, x - S::kItemSize / 2, y - S::kItemSize / 2, S::kItemSize, band), 0.1);
    ASSERT_TRUE(player->run.SendKeys(player->id, "alt+F4"));
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u) << LogTail();
}

TEST_F(PlayThrough, TheShopTheInGameMenuPauseRestartAndALostLevel)
{
    Launch(true);
    Expect("window_welcome", 40);
    ASSERT_TRUE(player->Type("Shopper"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_main_menu");
    MainMenuButton(0);
    Expect("window_start_game");
    player->Pause(1000);

    // Over a locked theme the player can afford: a white price with its star
    // and the cursor tip beside the pointer.
    float x, y;
    ItemCentre(S::kThemeRowY, 1, &x, &y);
    ASSERT_TRUE(player->Move(x, y));
    const float priceX = x - S::kItemSize / 2 + 4 + S::kStarSize, priceY = y - S::kItemSize / 2 + 4;
    const float priceW = S::kItemSize - 8 - S::kStarSize;
    ASSERT_TRUE(player->WaitFor("affordable", [&] {
        return player->InkWidth(kWhite, priceX, priceY, priceW, S::kStarSize, 50) > 10 &&
               player->Share(S::kStar, x - S::kItemSize / 2 + 4, priceY, S::kStarSize, S::kStarSize, 40) > 0.1;
    }, 10));
    const Rgb8 tip = {255, 242, 153};
    EXPECT_GT(player->InkWidth(tip, x + 10, y - 40, 190, 34, 40), 20) << "the cursor tip";
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
    player->Pause(1500);
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
    ASSERT_TRUE(player->WaitFor("too dear", [&] {
        return player->InkWidth(red, x - S::kItemSize / 2 + 4 + S::kStarSize, y - S::kItemSize / 2 + 4,
                                S::kItemSize - 8 - S::kStarSize, S::kStarSize, 70) > 10;
    }, 10));
    Click(x, y);
    player->Pause(800);
    {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        EXPECT_EQ(p->GetStars(), 500u);
        EXPECT_FALSE(p->IsInListC(2));
        EXPECT_EQ(p->GetSelectedPuzzle(), 0u);
    }

    ClickPanel("window_start_game", S::kStartPlayX + S::kStartButtonWidth / 2, S::kStartButtonY + S::kButtonHeight / 2);
    ASSERT_TRUE(player->WaitFor("play", [&] { return player->ShowsPlay(); }));
    player->Pause(3000);

    // The in-game menu stops the path: two screenshots a second apart match
    // along the path's left stretch.
    ASSERT_TRUE(player->Key("Escape"));
    Expect("window_game_logic_menu");
    player->Pause(700);
    ASSERT_TRUE(player->Shoot());
    const TestSupport::Screenshot before = player->shot;
    player->Pause(1000);
    ASSERT_TRUE(player->Shoot());
    int same = 0, all = 0;
    for (int py = player->Y(540); py < player->Y(20); py += 2)
        for (int px = player->X(0); px < player->X(55); ++px, ++all)
            same += std::equal(before.Pixel(px, py), before.Pixel(px, py) + 3, player->shot.Pixel(px, py));
    EXPECT_GT(same, all * 99 / 100) << "the path moved under the menu";
    ClickPanel("window_game_logic_menu", S::kGameMenuButtonX + S::kGameMenuButtonWidth / 2,
               S::kGameMenuButtonY[2] + S::kButtonHeight / 2);
    ASSERT_TRUE(player->WaitFor("resumed", [&] { return !player->Shows("window_game_logic_menu"); }));

    // Space pauses; the notice's button resumes.
    player->Pause(500);
    ASSERT_TRUE(player->Key("space"));
    Expect("window_game_logic_pause");
    ClickDialog("window_game_logic_pause", 0, 1);
    ASSERT_TRUE(player->WaitFor("unpaused", [&] { return !player->Shows("window_game_logic_pause"); }));

    // Restart: the menu, the question, and the level loads again.
    player->Pause(500);
    ASSERT_TRUE(player->Key("Escape"));
    Expect("window_game_logic_menu");
    ClickPanel("window_game_logic_menu", S::kGameMenuButtonX + S::kGameMenuButtonWidth / 2,
               S::kGameMenuButtonY[1] + S::kButtonHeight / 2);
    Expect("window_game_logic_restart");
    ClickDialog("window_game_logic_restart", 1, 2);
    // The play screen goes for the loading window's whole turn; the loading
    // window itself may stand too short for a screenshot on a loaded machine.
    ASSERT_TRUE(player->WaitFor("reloading", [&] {
        return player->Shows("window_game_logic_loading") || !player->ShowsPlay();
    }));
    ASSERT_TRUE(player->WaitFor("play again", [&] {
        return player->ShowsPlay() && !player->Shows("window_game_logic_loading");
    }));

    // The right button held with an empty hand runs the path out.
    ASSERT_TRUE(player->Move(340, 260));
    bool over = false;
    for (int i = 0; i < 8 && !over; ++i) {
        ASSERT_TRUE(player->Hold("3", 4000));
        over = player->WaitFor("game over", [&] { return player->Shows("window_game_over"); }, 2);
    }
    ASSERT_TRUE(over) << "the path did not run out";
    ClickDialog("window_game_over", 0, 1);
    // The relax offer, where there is one, is declined.
    ASSERT_TRUE(player->WaitFor("after the game", [&] {
        return player->Shows("window_start_game") || player->Shows("window_relax");
    }));
    if (player->Shows("window_relax")) {
        ClickDialog("window_relax", 0, 2);
        Expect("window_start_game");
    }
    {
        PlayerFiles files;
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
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
        ClickPanel(window, (ok ? S::kNameOkX : S::kNameCancelX) + S::kNameButtonWidth / 2,
                   S::kNameButtonY + S::kButtonHeight / 2);
    };
    auto cancelWidth = [&] {
        const S::Panel* p = S::FindPanel(kNew);
        return player->InkWidth(kWhite, p->x + S::kNameCancelX, p->y + S::kNameButtonY, S::kNameButtonWidth,
                                S::kButtonHeight, 40);
    };
    auto profileButton = [&](int i) {
        ClickPanel("window_profiles", S::kProfileButtonX + S::kProfileButtonWidth / 2,
                   S::kProfileButtonTopY - i * S::kProfileButtonPitch + S::kButtonHeight / 2);
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

    Launch(true);
    Expect("window_welcome", 40);
    ASSERT_TRUE(player->Type("Anna"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_main_menu");
    MainMenuButton(2);
    Expect("window_profiles");

    // A second player.
    profileButton(0);
    Expect(kNew);
    player->Pause(800);
    ASSERT_TRUE(player->Shoot());
    const int cancel = cancelWidth();
    ASSERT_TRUE(player->Type("Bert"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_profiles");
    EXPECT_EQ(count(), 2u);
    EXPECT_EQ(current(), L"Bert");

    // A name taken in other letters: the notice, and back to the entry.
    profileButton(0);
    Expect(kNew);
    ASSERT_TRUE(player->Type("aNNA"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_profile_name_conflict");
    ClickDialog("window_profile_name_conflict", 0, 1);
    Expect(kNew);
    nameButton(kNew, false);
    Expect("window_profiles");
    EXPECT_EQ(count(), 2u);

    // Rename the current player onto a taken name, then onto a free one.
    profileButton(1);
    Expect(kRename);
    player->Pause(500);
    ASSERT_TRUE(player->Key("BackSpace BackSpace BackSpace BackSpace"));
    ASSERT_TRUE(player->Type("Anna"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_profile_name_conflict");
    ClickDialog("window_profile_name_conflict", 0, 1);
    Expect(kRename);
    player->Pause(500);
    ASSERT_TRUE(player->Key("BackSpace BackSpace BackSpace BackSpace"));
    ASSERT_TRUE(player->Type("Carl"));
    ASSERT_TRUE(player->Key("Return"));
    Expect("window_profiles");
    EXPECT_EQ(current(), L"Carl");
    {
        PlayerFiles files;
        EXPECT_EQ(files->FindProfile(L"Bert"), nullptr);
        ASSERT_NE(files->FindProfile(L"Anna"), nullptr);
    }

    // A click on another row makes that player current.
    player->Pause(800);
    row(1);
    ASSERT_TRUE(player->WaitFor("switched", [&] { return current() == L"Anna"; }, 10));

    // Delete down to none.
    std::string annaFile;
    {
        PlayerFiles files;
        annaFile = files->FindProfile(L"Anna")->GetFilePath();
    }
    ASSERT_TRUE(TestSupport::FileExists(annaFile));
    profileButton(2);
    Expect("window_delete_profile");
    ClickDialog("window_delete_profile", 1, 2);
    Expect("window_profiles");
    EXPECT_FALSE(TestSupport::FileExists(annaFile));
    EXPECT_EQ(count(), 1u);
    EXPECT_EQ(current(), L"Carl");
    profileButton(2);
    Expect("window_delete_profile");
    ClickDialog("window_delete_profile", 1, 2);
    // None left: a new player is asked for, and cancelling it means leaving.
    Expect(kNew);
    EXPECT_EQ(count(), 0u);
    player->Pause(800);
    ASSERT_TRUE(player->Shoot());
    const int exitWidth = cancelWidth();
    EXPECT_GT(exitWidth, 10);
    EXPECT_LT(exitWidth, cancel) << "the cancel button reads the shorter exit text";
    nameButton(kNew, false);
    Expect("window_exit");
    ClickDialog("window_exit", 0, 2);
    Expect(kNew);
    nameButton(kNew, false);
    Expect("window_exit");
    ClickDialog("window_exit", 1, 2);
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u) << LogTail();
}
