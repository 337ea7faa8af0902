// The real program beside altered copies of its data: a start-game item
// without its lock is a fatal error that names the key; a player whose
// choice lies beyond the catalogue plays the first theme; without the logo
// pictures the logos are skipped; player files longer than this program
// knows keep their data, and a cut profile list is kept aside. Played
// through xdotool like the other play tests.
#include "GameTestSupport.h"
#include "PlayTestSupport.h"

#include <functional>
#include <memory>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "framework/HighScoresTable.h"
#include "framework/PlayerFilesTestSupport.h"
#include "framework/ProfileBase.h"
#include "puzzle/app/ProfileManager.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Screens.h"

using namespace PlayTest;
namespace S = Content::Screens;
using TestSupport::ProgramRunner;

namespace {

const char kCompany[] = "Quillfen Games";
const char kTitle[] = "Pelloria";
const char kIni[] = "v_fullscreen 0\r\nv_mode 1024x768x32\r\n";

std::string PlayerFolder() { return TestSupport::UserDataFolder(kCompany, kTitle) + "\\demo"; }

// The real program's player list as the next run will read it (through a
// file manager of this test's own, as the game reads it through its).
struct PlayerFiles {
    KorvaneEngine::FileManager files{KorvaneEngine::GetExecutableDirectory(), false, "data", 0};
    Puzzle::ProfileManager profiles{nullptr, PlayerFolder()};
};

// A new current player of that name, changed and saved; its file's path.
std::string PutCurrentPlayer(const wchar_t* name, const std::function<void(Puzzle::Profile&)>& change)
{
    PlayerFiles f;
    GameFramework::ProfileBase* p = f.profiles.AddProfile(name);
    EXPECT_NE(p, nullptr);
    if (!p)
        return std::string();
    change(*static_cast<Puzzle::Profile*>(p));
    EXPECT_TRUE(p->Save());
    f.profiles.SetCurrentProfile(p, true);
    return p->GetFilePath();
}

BOOL CALLBACK AppendText(HWND child, LPARAM out)
{
    char text[2048] = {};
    GetWindowTextA(child, text, sizeof text);
    reinterpret_cast<std::string*>(out)->append(text).append("\n");
    return TRUE;
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TestSupport::InVirtualDesktop())
            GTEST_SKIP() << "runs inside the virtual desktop only";
        TestSupport::ClearUserData(kCompany, kTitle);
    }
    void TearDown() override
    {
        if (runner && runner->IsRunning())
            runner->Kill();
        TestSupport::ClearUserData(kCompany, kTitle);
    }
    void Prepare(const std::string& name, const std::function<void(Content::ContentSet&)>& change)
    {
        runner.reset(new ProgramRunner(name));
        Content::Options options;
        options.variant = Content::Catalogue::kPlayTestVariant;
        ASSERT_TRUE(runner->Prepare(options, change)) << runner->Error();
        ASSERT_TRUE(runner->WriteIni(kIni));
    }
    std::unique_ptr<ProgramRunner> runner;
};

} // namespace

TEST(Desktop, BadInputTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_bad", 1280, 1024, "BadInput.*"));
}

TEST_F(BadInput, AStartGameItemWithoutItsLockStopsTheGameNamingTheKey)
{
    ASSERT_NO_FATAL_FAILURE(Prepare("bad_lock", [](Content::ContentSet& set) {
        const std::string path = "data\\ui\\windows\\window_start_game.xml";
        const std::vector<uint8_t>* bytes = set.Find(path);
        ASSERT_NE(bytes, nullptr);
        std::string xml(bytes->begin(), bytes->end());
        const size_t at = xml.find("<window name=\"lock\"");
        ASSERT_NE(at, std::string::npos);
        xml.erase(at, xml.find("/>", at) + 2 - at);
        set.AddText(path, xml);
    }));
    ASSERT_TRUE(runner->Start()) << runner->Error();
    HWND box = nullptr;
    const DWORD start = GetTickCount();
    while (!(box = FindWindowA(nullptr, "Fatal Error")) && GetTickCount() - start < 60000)
        ProgramRunner::Pump(200);
    ASSERT_NE(box, nullptr) << "no Fatal Error box";
    std::string texts;
    EnumChildWindows(box, AppendText, reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(texts.find("window_start_game/window/themes/theme_00/lock"), std::string::npos) << texts;
    const std::string id = runner->FindWindow("Fatal Error");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(runner->SendKeys(id, "Return"));
    DWORD code = 1;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(BadInput, NoLogosAreSkippedAndAChoiceBeyondTheCatalogueIsPlayedAsTheFirst)
{
    ASSERT_NO_FATAL_FAILURE(Prepare("bad_choice", GameTest::WithoutLogos));
    // A player whose file selects theme 7 of 3.
    ASSERT_FALSE(PutCurrentPlayer(L"Tess", [](Puzzle::Profile& p) { p.SetSelectedTheme(7); }).empty());
    ASSERT_TRUE(runner->Start()) << runner->Error();
    Player player(*runner);
    ASSERT_TRUE(player.Attach());
    // No logo ever shows: the loading window comes first.
    ASSERT_TRUE(player.WaitFor("no logos", [&] {
        EXPECT_LT(player.Share(S::kLogoBackground[0], 150, 100, 500, 400), 0.2);
        EXPECT_LT(player.Share(S::kLogoBackground[1], 150, 100, 500, 400), 0.2);
        return player.Shows("window_game_loading") || player.Shows("window_main_menu");
    }));
    ASSERT_TRUE(player.WaitForScreen("window_main_menu"));
    ASSERT_TRUE(player.ClickMainMenu(0));
    ASSERT_TRUE(player.WaitForScreen("window_start_game"));
    // The window shows theme 0 as chosen, its band drawn as the window's
    // controls fade in (0.65 s of the game's clock), and leaves the file
    // alone.
    const S::Panel* start = S::FindPanel("window_start_game");
    const float band = S::kItemSize * S::kItemBand;
    EXPECT_TRUE(player.WaitFor("theme 0 chosen", [&] {
        return player.Share(S::kChecked, start->x + S::kItemLeft, start->y + S::kThemeRowY, S::kItemSize, band) > 0.3;
    }, 10));
    {
        PlayerFiles f;
        ASSERT_NE(f.profiles.GetCurrentPuzzleProfile(), nullptr);
        EXPECT_EQ(f.profiles.GetCurrentPuzzleProfile()->GetSelectedTheme(), 7u);
    }
    ASSERT_TRUE(player.ClickPlay());
    ASSERT_TRUE(player.WaitFor("play", [&] { return player.ShowsPlay(); }));
    ASSERT_TRUE(runner->SendKeys(player.id, "alt+F4"));
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u);
    EXPECT_NE(runner->ReadLog().find("theme 7 is not in the catalogue: theme 0 is played"), std::string::npos);
}

TEST_F(BadInput, PlayerFilesWithBytesAfterTheirFieldsKeepTheirDataAndACutListIsKeptAside)
{
    ASSERT_NO_FATAL_FAILURE(Prepare("bad_player_files", GameTest::WithoutLogos));
    const std::string list = PlayerFolder() + "\\profiles.pmf", scores = PlayerFolder() + "\\high_scores.hsf";
    // The program's own files, each with sixteen bytes more after its last
    // field and the length field raised to match: padded, not refused.
    auto lengthen = [](const std::string& path) {
        std::vector<unsigned char> b = TestSupport::ReadFileBytes(path);
        ASSERT_GE(b.size(), 13u);
        for (int i = 0; i < 16; ++i)
            b.push_back(static_cast<unsigned char>(0xC0 + i));
        PlayerFilesTest::PutU32At(b, 0, static_cast<uint32_t>(b.size()));
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, b));
    };
    const std::string tessFile = PutCurrentPlayer(L"Tess", [](Puzzle::Profile& p) { p.SetStars(4321); });
    ASSERT_FALSE(tessFile.empty());
    {
        PlayerFiles f;
        ASSERT_TRUE(f.profiles.AddRecord(GameFramework::Level(0, 0), L"Tess", 0, 31.5f));
        ASSERT_TRUE(f.profiles.AddRecord(GameFramework::Level(0, 1), L"Tess", 1, 42.25f));
        ASSERT_TRUE(f.profiles.AddRecord(GameFramework::Level(1, 0), L"Old Hand", 0, 18.0f));
        GameFramework::HighScoresTable table(10, PlayerFolder());
        ASSERT_NE(table.AddScore(L"Tess", 0, 900), nullptr);
        ASSERT_NE(table.AddScore(L"Old Hand", 0, 1200), nullptr);
        ASSERT_NE(table.AddScore(L"Tess", 1, 300), nullptr);
    }
    const std::vector<unsigned char> written = TestSupport::ReadFileBytes(list);
    lengthen(list);
    lengthen(scores);
    lengthen(tessFile);
    ASSERT_FALSE(HasFatalFailure());

    auto run = [&](const char* what) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(runner->Start()) << runner->Error();
        Player player(*runner);
        ASSERT_TRUE(player.Attach());
        // The player is known: the menu comes without the welcome.
        ASSERT_TRUE(player.WaitFor("main menu", [&] {
            EXPECT_FALSE(player.Shows("window_welcome"));
            return player.Shows("window_main_menu");
        }, 60));
        ASSERT_TRUE(runner->SendKeys(player.id, "alt+F4"));
        DWORD code = 0;
        ASSERT_TRUE(runner->WaitForExit(&code));
        EXPECT_EQ(code, 1u);
    };
    // Lines of the program's log holding every part.
    auto logged = [&](const std::string& level, std::initializer_list<std::string> parts) {
        const std::string log = runner->ReadLog();
        int n = 0;
        for (size_t at = log.find(level); at != std::string::npos; at = log.find(level, at + 1)) {
            // The page is one line: messages end at a break.
            const std::string line = log.substr(at, log.find("<BR>", at) - at);
            bool all = true;
            for (const std::string& p : parts)
                all = all && line.find(p) != std::string::npos;
            n += all;
        }
        return n;
    };

    run("longer files");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(logged("Warning: ", {"profiles.pmf", "16 bytes after the last known field"}), 1);
    EXPECT_EQ(logged("Warning: ", {"high_scores.hsf", "16 bytes after the last known field"}), 1);
    EXPECT_EQ(logged("Warning: ", {KorvaneEngine::GetFileName(tessFile), "16 bytes after the last known field"}), 1);
    EXPECT_EQ(logged("Error: ", {"discarded"}), 0);
    EXPECT_FALSE(TestSupport::FileExists(list + ".bad"));
    EXPECT_FALSE(TestSupport::FileExists(scores + ".bad"));
    // After the game: every record, every entry and the player as they were.
    {
        PlayerFiles f;
        Puzzle::Profile* tess = f.profiles.GetCurrentPuzzleProfile();
        ASSERT_NE(tess, nullptr);
        EXPECT_EQ(tess->GetDisplayName(), L"Tess");
        EXPECT_EQ(tess->GetStars(), 4321u);
        ASSERT_EQ(f.profiles.GetRecords().size(), 3u);
        EXPECT_EQ(f.profiles.FindRecord(GameFramework::Level(0, 0), 0)->time, 31.5f);
        EXPECT_EQ(f.profiles.FindRecord(GameFramework::Level(0, 1), 1)->time, 42.25f);
        EXPECT_EQ(f.profiles.FindRecord(GameFramework::Level(1, 0), 0)->holderName, L"Old Hand");
        GameFramework::HighScoresTable table(10, PlayerFolder());
        std::vector<std::wstring> rows;
        for (const GameFramework::HighScoreEntry* e : table.GetEntries())
            rows.push_back(e->playerName + L" " + std::to_wstring(e->groupValue) + L" " + std::to_wstring(e->score));
        EXPECT_EQ(rows, (std::vector<std::wstring>{L"Old Hand 0 1200", L"Tess 0 900", L"Tess 1 300"}));
    }

    // The list as the program wrote it, cut by one byte (its length made to
    // match), cannot be read: the game starts with a fresh one, and the cut
    // one lies beside it whole.
    std::vector<unsigned char> cut = written;
    ASSERT_GT(cut.size(), 14u);
    cut.pop_back();
    PlayerFilesTest::PutU32At(cut, 0, static_cast<uint32_t>(cut.size()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(list, cut));
    run("cut list");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(TestSupport::ReadFileBytes(list + ".bad"), cut);
    EXPECT_EQ(logged("Error: ", {"profiles.pmf", "discarded", "profiles.pmf.bad"}), 1);
    {
        PlayerFiles f;
        ASSERT_NE(f.profiles.GetCurrentPuzzleProfile(), nullptr);
        EXPECT_EQ(f.profiles.GetCurrentPuzzleProfile()->GetDisplayName(), L"Tess");
        EXPECT_TRUE(f.profiles.GetRecords().empty());
        EXPECT_NE(TestSupport::ReadFileBytes(list), cut);
    }
}
