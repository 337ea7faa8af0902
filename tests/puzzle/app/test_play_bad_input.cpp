// The real program beside altered copies of its data: a start-game item
// without its lock is a fatal error that names the key; a player whose
// choice lies beyond the catalogue plays the first theme; without the logo
// pictures the logos are skipped. Played through xdotool like the other
// play tests.
#include "PlayTestSupport.h"

#include <memory>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
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
    Prepare("bad_lock", [](Content::ContentSet& set) {
        const std::string path = "data\\ui\\windows\\window_start_game.xml";
        const std::vector<uint8_t>* bytes = set.Find(path);
        ASSERT_NE(bytes, nullptr);
        std::string xml(bytes->begin(), bytes->end());
        const size_t at = xml.find("<window name=\"lock\"");
        ASSERT_NE(at, std::string::npos);
        xml.erase(at, xml.find("/>", at) + 2 - at);
        set.AddText(path, xml);
    });
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
    Prepare("bad_choice", [](Content::ContentSet& set) {
        for (const std::string& p : set.Paths())
            if (p.find("\\publishers\\") != std::string::npos)
                set.Remove(p);
    });
    // A player whose file selects theme 7 of 3.
    {
        KorvaneEngine::FileManager files(KorvaneEngine::GetExecutableDirectory(), false, "data", 0);
        Puzzle::ProfileManager profiles(nullptr, PlayerFolder());
        GameFramework::ProfileBase* tess = profiles.AddProfile(L"Tess");
        ASSERT_NE(tess, nullptr);
        static_cast<Puzzle::Profile*>(tess)->SetSelectedTheme(7);
        ASSERT_TRUE(tess->Save());
        profiles.SetCurrentProfile(tess, true);
    }
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
    const S::Panel* menu = S::FindPanel("window_main_menu");
    ASSERT_TRUE(player.Click(menu->x + S::kMainMenuButtonX + S::kMainMenuButtonWidth / 2,
                             menu->y + S::kMainMenuButtonTopY + S::kButtonHeight / 2));
    ASSERT_TRUE(player.WaitForScreen("window_start_game"));
    player.Pause(800);
    ASSERT_TRUE(player.Shoot());
    // The window shows theme 0 as chosen and leaves the file alone.
    const S::Panel* start = S::FindPanel("window_start_game");
    const float band = S::kItemSize * S::kItemBand;
    EXPECT_GT(player.Share(S::kChecked, start->x + S::kItemLeft, start->y + S::kThemeRowY, S::kItemSize, band), 0.3);
    {
        KorvaneEngine::FileManager files(KorvaneEngine::GetExecutableDirectory(), false, "data", 0);
        Puzzle::ProfileManager profiles(nullptr, PlayerFolder());
        ASSERT_NE(profiles.GetCurrentPuzzleProfile(), nullptr);
        EXPECT_EQ(profiles.GetCurrentPuzzleProfile()->GetSelectedTheme(), 7u);
    }
    ASSERT_TRUE(player.Click(start->x + S::kStartPlayX + S::kStartButtonWidth / 2,
                             start->y + S::kStartButtonY + S::kButtonHeight / 2));
    ASSERT_TRUE(player.WaitFor("play", [&] { return player.ShowsPlay(); }));
    ASSERT_TRUE(runner->SendKeys(player.id, "alt+F4"));
    DWORD code = 0;
    ASSERT_TRUE(runner->WaitForExit(&code));
    EXPECT_EQ(code, 1u);
    EXPECT_NE(runner->ReadLog().find("theme 7 is not in the catalogue: theme 0 is played"), std::string::npos);
}
