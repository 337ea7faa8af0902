// The real Pelloria.exe over the shipped content, packed and loose, played
// through xdotool from the logos to a level and out: its log holds no error
// and no warning. A second entry of this program runs on a machine without a
// sound device (see screens_tests.cmake); there the lines that costs must be
// there, and nothing else.
#include "PlayTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tools/content/Generator.h"

using namespace PlayTest;
using TestSupport::ProgramRunner;

namespace {

const char kCompany[] = "Quillfen Games";
const char kTitle[] = "Pelloria";
const char kIni[] = "v_fullscreen 0\r\nv_mode 1024x768x32\r\n";

// What the engine logs when DirectSound finds no device: the sound system
// is left out and the game runs silent.
const char* const kNoSoundDevice[] = {"Error: Failed to create a device!"};

// The log's lines, markup removed.
std::vector<std::string> LogLines(const std::string& html)
{
    std::vector<std::string> lines(1);
    bool tag = false;
    std::string name;
    for (char c : html) {
        if (c == '<') {
            tag = true;
            name.clear();
        } else if (c == '>') {
            tag = false;
            if (name == "BR")
                lines.emplace_back();
        } else if (tag) {
            name += c;
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// Every line that reports a fault (the log's levels, wherever a line holds
// one), but those the allowed list names exactly.
std::vector<std::string> Complaints(const std::vector<std::string>& lines, const std::vector<std::string>& allowed)
{
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        const bool fault = l.find("Error: ") != std::string::npos || l.find("Warning: ") != std::string::npos ||
                           l.find("PROGRAM ABORTING: ") != std::string::npos;
        if (fault && std::find(allowed.begin(), allowed.end(), l) == allowed.end())
            out.push_back(l);
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += "  " + l + "\n";
    return s;
}

class CleanLog : public ::testing::Test {
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

    void Expect(const char* window, double seconds = 60)
    {
        ASSERT_TRUE(player->WaitForScreen(window, seconds)) << window << " did not show";
    }

    // A new player from the logos to the first level, a while of play, and
    // out through the in-game menu and the main menu's exit.
    void PlayToALevelAndOut(bool loose)
    {
        runner.reset(new ProgramRunner(loose ? "clean_log_loose" : "clean_log_packed"));
        Content::Options options;
        options.allLoose = loose;
        ASSERT_TRUE(runner->Prepare(options)) << runner->Error();
        ASSERT_TRUE(runner->WriteIni(kIni));
        ASSERT_TRUE(runner->Start()) << runner->Error();
        player.reset(new Player(*runner));
        ASSERT_TRUE(player->Attach()) << "no window named Pelloria";
        ASSERT_NO_FATAL_FAILURE(Expect("window_welcome", 90));
        ASSERT_EQ(player->TypeName("window_welcome", "Lena"), "") << "did not show";
        ASSERT_TRUE(player->Key("Return"));
        ASSERT_NO_FATAL_FAILURE(Expect("window_main_menu"));
        ASSERT_TRUE(player->ClickMainMenu(0));
        ASSERT_NO_FATAL_FAILURE(Expect("window_start_game"));
        ASSERT_EQ(player->PlayTheFirstChoices(60), "");
        // The level plays a while: its path's introduction (a spark along
        // the path), the carriage and the first pieces rolling in. Played
        // until the path's left stretch has changed between screenshots a
        // second apart three times in a row (3 to 4 s on an idle machine).
        TestSupport::Screenshot before;
        DWORD beforeAt = 0;
        int moving = 0;
        ASSERT_TRUE(player->WaitFor("the level playing", [&] {
            if (!before.rgb.empty() && TestSupport::SecondsSince(beforeAt) < 1)
                return false;
            if (!before.rgb.empty())
                moving = player->Changed(before, 0, 20, 55, 520) > 0.01 ? moving + 1 : 0;
            before = player->shot;
            beforeAt = GetTickCount();
            return moving >= 3;
        }, 60));
        std::printf("[play] the level played for %.1f s\n", player->waited);
        ASSERT_EQ(player->LeaveTheLevelAndExit(60), "") << "did not show";
        DWORD code = 0;
        ASSERT_TRUE(runner->WaitForExit(&code));
        EXPECT_EQ(code, 1u);
    }

    std::unique_ptr<ProgramRunner> runner;
    std::unique_ptr<Player> player;
};

} // namespace

TEST(Desktop, CleanLogTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_clean", 1280, 1024, "CleanLog.*", 600000));
}

TEST_F(CleanLog, PackedAndLooseTheShippedContentLogsNoFault)
{
    const bool silent = std::getenv("PELLORIA_NO_SOUND_DEVICE") != nullptr;
    std::vector<std::string> allowed;
    if (silent)
        allowed.assign(std::begin(kNoSoundDevice), std::end(kNoSoundDevice));
    // Without a device one start tells enough: the content is the same.
    for (bool loose : silent ? std::vector<bool>{false} : std::vector<bool>{false, true}) {
        SCOPED_TRACE(loose ? "loose" : "packed");
        TestSupport::ClearUserData(kCompany, kTitle);
        ASSERT_NO_FATAL_FAILURE(PlayToALevelAndOut(loose));
        const std::vector<std::string> lines = LogLines(runner->ReadLog());
        ASSERT_GT(lines.size(), 20u) << "no log";
        for (const std::string& l : allowed)
            EXPECT_NE(std::find(lines.begin(), lines.end(), l), lines.end()) << "the sound device was there: " << l;
        EXPECT_EQ(Joined(Complaints(lines, allowed)), "");
    }
}
