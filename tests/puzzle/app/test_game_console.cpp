// Cheat mode in the puzzle game on the real services and shipped content:
// the access code and the console lines are typed through xdotool into the
// game's window a key at a time, the banner and the commands' output are read
// from the HTML log, the panel from the display's screenshots, and the
// commands' effects from the player's file and the .ini.
#include "GameTestSupport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/KeyNames.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/TextureManager.h"
#include "framework/LevelManagerBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/Console.h"
#include "gui/GUIEditBox.h"
#include "puzzle/app/Profile.h"
#include "support/HostShell.h"
#include "tools/content/UiArt.h"
#include "tools/formats/CatalogueWriter.h"

using namespace KorvaneEngine;
using namespace GameTest;
using TestSupport::SecondsSince;

namespace {

const char kWindowedIni[] = "v_fullscreen 0\r\n";

// Shipped content with a level list of its own.
std::string FolderWithLevels(const std::string& name, const std::vector<int>& levels)
{
    return MakeProgramFolder(name, false, [&](Content::ContentSet& set) {
        set.AddText("data\\levels\\levels.xml", ContentTools::WriteLevelsXml(levels));
        WithoutLogos(set);
    });
}

// A level list the loaded ones never are: no stages, or an empty last one.
class OddLevels : public GameFramework::LevelManagerBase {
public:
    explicit OddLevels(const std::vector<int>& counts)
    {
        for (size_t i = 0; i < counts.size(); ++i) {
            stages.push_back(new GameFramework::Stage);
            stages.back()->stageIndex = uint32_t(i);
            stages.back()->levelCount = uint32_t(counts[i]);
            levels.emplace_back();
            for (int k = 0; k < counts[i]; ++k)
                levels.back().push_back(new GameFramework::Level(uint32_t(i), uint32_t(k)));
        }
    }

protected:
    GameFramework::Stage* CreateStage() override { return new GameFramework::Stage; }
    GameFramework::Level* CreateLevel() override { return new GameFramework::Level; }
};

// The puzzle game with its level manager replaced after start-up, noting
// the keys its devices saw go down: the windows' step comes after the
// access code and the console have taken the frame's input, before the
// frame's end forgets it.
class MapGame : public Puzzle::Game {
public:
    explicit MapGame(const std::string& folder) : Puzzle::Game(kCompany, Title(), 100, KeyPath(), folder, "demo") {}
    void UseLevels(GameFramework::LevelManagerBase* replacement)
    {
        delete levelManager;
        levelManager = replacement;
    }
    void UpdateWindows() override
    {
        Puzzle::Game::UpdateWindows();
        const Controls* controls = Controls::Instance();
        for (const KeyName& key : KeyNames)
            if (controls->IsPressed(key.name))
                pressed.insert(key.name);
    }
    std::set<std::string> pressed;
};

// The game's name of the key xdotool calls x; empty for one the tests do not
// type.
std::string ControlName(const std::string& x)
{
    if (x.size() == 1 && std::isalnum(static_cast<unsigned char>(x[0])))
        return std::string(1, char(std::toupper(static_cast<unsigned char>(x[0]))));
    const std::pair<const char*, const char*> names[] = {{"space", "SPACE"}, {"underscore", "-"}, {"period", "."},
                                                         {"grave", "~"},     {"Tab", "TAB"},      {"Escape", "ESCAPE"},
                                                         {"Return", "ENTER"}};
    for (const auto& n : names)
        if (x == n.first)
            return n.second;
    return std::string();
}

// A key (with its effect on the input line) is taken 0.02 to 0.11 s after
// its host line ends, with every core of the machine busy.
const double kKeyLimit = 10;
// The console slides in or out in 0.308 s of the game's clock: 0.30 to 0.35
// s with every core of the machine busy.
const double kSlideLimit = 10;

class InDesktop : public ::testing::Test {
protected:
    void TearDown() override
    {
        ReportWaits();
        game.reset();
        TestSupport::ClearUserData(kCompany, Title());
        if (!dir.empty())
            TestSupport::RemoveTree(dir);
    }

    void Start(const std::string& folder)
    {
        ASSERT_NO_FATAL_FAILURE(ResetUserData(kWindowedIni));
        game = std::make_unique<MapGame>(folder);
        // A player whose map the commands change, there before the start-up
        // ends: the main menu comes, not the new-player window, whose edit
        // box would take the keys typed into the console as well.
        GameFramework::ProfileManagerBase* players = game->GetProfileManager();
        ASSERT_NE(players, nullptr);
        player = players->AddProfile(L"Tester");
        ASSERT_NE(player, nullptr);
        players->SetCurrentProfile(player, true);
        FocusGameWindow();
        // The screen stands still once the start-up windows have come: 5 to
        // 13 s with every core of the machine busy.
        ASSERT_TRUE(SettleIntoMenus(*game, 60));
        dir = TestSupport::MakeTempDir("game_console");
        shell = std::make_unique<TestSupport::HostShell>(dir);
        // X gives the keys to the window that has the focus and the pointer.
        // Each key then waits for the game to see it, the first one too.
        ASSERT_TRUE(shell->Run("xdotool search --name '^Pelloria$' windowfocus %1 mousemove --window %1 40 40",
                               [&] { Frame(); }));
    }

    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        game->Update();
        if (recordCounts)
            seenCounts.insert(Counts());
    }
    // The counts a command reports, as the game holds them now.
    static std::string Counts()
    {
        const ShaderManager* shaders = ShaderManager::Instance();
        return "Shader users count: " + std::to_string(shaders->GetUserCount()) +
               "<BR>Shaders count: " + std::to_string(shaders->GetShaderCount()) +
               "<BR>Textures count: " + std::to_string(shaders->GetTextureManager()->GetTextureCount());
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    // One X call a key, each seen going down by the game's devices (and,
    // when done is given, its effect there) before the next is sent: the
    // game takes one key a frame, and a key that came in the same frame as
    // another would be lost. The devices can see a key a frame before the
    // window's messages bring its character or editing key to the console.
    void Key(const std::string& keys, const std::function<bool()>& done = nullptr)
    {
        size_t from = 0;
        while (from < keys.size()) {
            size_t end = keys.find(' ', from);
            if (end == std::string::npos)
                end = keys.size();
            const std::string k = keys.substr(from, end - from);
            from = end + 1;
            if (k.empty())
                continue;
            const std::string name = ControlName(k);
            ASSERT_FALSE(name.empty()) << "no game name for the key " << k;
            game->pressed.clear();
            ASSERT_TRUE(shell->Run("xdotool key " + k, [&] { Frame(); }, 30000)) << k;
            const DWORD start = GetTickCount();
            ASSERT_TRUE(FramesUntil([&] { Frame(); },
                                    [&] { return game->pressed.count(name) > 0 && (!done || done()); }, kKeyLimit))
                << "the game never took " << k;
            slowestKey = std::max(slowestKey, SecondsSince(start));
        }
    }
    static std::string KeysOf(const std::string& text)
    {
        std::string keys;
        for (char c : text)
            keys += c == '_' ? " underscore" : c == ' ' ? " space" : c == '.' ? " period" : std::string(" ") + c;
        return keys;
    }
    // Typed into the console's input line, each character there before the
    // next key is sent.
    void Type(const std::string& text)
    {
        const GUIEditBox* line = Console::Instance()->GetInputLine();
        std::wstring expected = line->GetText();
        for (char c : text) {
            expected += wchar_t(c);
            ASSERT_NO_FATAL_FAILURE(Key(KeysOf(std::string(1, c)), [&] { return line->GetText() == expected; }));
        }
    }
    // Only the keys, as for the access code, which no line shows.
    void TypeKeys(const std::string& text) { ASSERT_NO_FATAL_FAILURE(Key(KeysOf(text))); }
    // A command line: the whole text in the input line, then Return, which
    // runs it (the console keeps it in its history and empties the line).
    void Line(const std::string& text)
    {
        Console* console = Console::Instance();
        const size_t history = console->GetHistory().size();
        ASSERT_NO_FATAL_FAILURE(Type(text));
        ASSERT_EQ(console->GetInputLine()->GetText(), std::wstring(text.begin(), text.end()));
        ASSERT_NO_FATAL_FAILURE(Key("Return", [&] {
            return console->GetHistory().size() > history && console->GetInputLine()->GetText().empty();
        })) << "the line did not run: " << text;
    }

    bool WaitForState(int32_t state)
    {
        const DWORD start = GetTickCount();
        const bool reached =
            FramesUntil([&] { Frame(); }, [&] { return Console::Instance()->GetState() == state; }, kSlideLimit);
        std::printf("[timing] console state %d reached in %.2f s (limit %.0f)\n", int(state), SecondsSince(start),
                    kSlideLimit);
        return reached;
    }

    // A pixel of the last frame, window pixels from the top-left.
    void Pixel(uint32_t x, uint32_t y, uint8_t out[3])
    {
        RenderSystem::Instance()->TakeScreenshot(shot);
        std::memcpy(out, shot.GetPixel(x, shot.GetHeight() - 1 - y), 3);
    }

    std::string Log() const { return ReadText(LogPath()); }

    // Everything the console has printed.
    std::wstring Printed() const
    {
        std::wstring out;
        for (const Console::Piece& p : Console::Instance()->GetPieces())
            out += p.text;
        return out;
    }

    std::unique_ptr<MapGame> game;
    GameFramework::ProfileBase* player = nullptr;
    std::string dir;
    std::unique_ptr<TestSupport::HostShell> shell;
    Image shot;
    // While set, every frame's counts are kept: the menu behind the console
    // still loads and frees things, so the counts a command printed are those
    // of the frame it ran in, not of the moment the test reads the log.
    bool recordCounts = false;
    std::set<std::string> seenCounts;
    // The longest any key took to be seen.
    double slowestKey = 0;
};

} // namespace

TEST(Desktop, ConsoleGameTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_console", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, TheAccessCodeOpensTheConsoleWhoseCommandsActOnTheGame)
{
    SKIP_OUTSIDE_DESKTOP();
    ASSERT_NO_FATAL_FAILURE(Start(FolderWithLevels("console", {2, 3, 5})));
    Console* console = Console::Instance();
    ASSERT_NE(console, nullptr);
    EXPECT_FALSE(console->IsEnabled());
    player->SetCurrentPosition(GameFramework::Level(1, 2));
    player->Save();

    // The key does nothing before the code.
    uint8_t before[3];
    Pixel(512, 6, before);
    ASSERT_NO_FATAL_FAILURE(Key("grave"));
    EXPECT_EQ(console->GetState(), Console::kClosed);
    EXPECT_EQ(Log().find("CHEAT MODE ON"), std::string::npos);

    // A wrong character starts over; then the code, a key a frame.
    ASSERT_NO_FATAL_FAILURE(TypeKeys("my ow"));
    ASSERT_NO_FATAL_FAILURE(Key("z"));
    ASSERT_NO_FATAL_FAILURE(TypeKeys("my own trick"));
    ASSERT_TRUE(console->IsEnabled());
    ASSERT_TRUE(WaitForState(Console::kOpen));
    const std::string log = Log();
    EXPECT_NE(log.find("- CHEAT MODE ON"), std::string::npos);
    EXPECT_NE(log.find("- Console command \"g_disable_cheats\" - cheat mode off"), std::string::npos);
    EXPECT_NE(log.find("- Use \"Page Up\" to see remainder cheats"), std::string::npos);
    // The panel's colour in the top band, at 0.95.
    uint8_t top[3];
    Pixel(512, 6, top);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(top[i], before[i] + 0.95 * (Content::kConsoleColour[i] - before[i]), 10) << i;

    // Completion and the blend.
    ASSERT_NO_FATAL_FAILURE(Type("ui_con"));
    const GUIEditBox* input = console->GetInputLine();
    ASSERT_NO_FATAL_FAILURE(Key("Tab", [&] { return input->GetText() != L"ui_con"; }));
    EXPECT_EQ(input->GetText(), L"\\ui_console_");
    ASSERT_NO_FATAL_FAILURE(Key("Escape", [&] { return input->GetText().empty(); }));
    ASSERT_NO_FATAL_FAILURE(Line("ui_console_alpha 0.5"));
    // The panel takes the blend when it is next drawn.
    Frames(2);
    Pixel(512, 6, top);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(top[i], before[i] + 0.5 * (Content::kConsoleColour[i] - before[i]), 10) << i;

    // The occupation: five lines, in the log and on the panel.
    seenCounts = {Counts()};
    recordCounts = true;
    ASSERT_NO_FATAL_FAILURE(Line("d_get_manages_occupation"));
    recordCounts = false;
    const std::string counts = Log();
    const size_t reported = counts.find("Shader users count: ");
    ASSERT_NE(reported, std::string::npos);
    const size_t end = counts.find("<BR>Models count: ", reported);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(seenCounts.count(counts.substr(reported, end - reported)), 1u)
        << counts.substr(reported, end - reported) << " is not what any frame held, such as " << *seenCounts.begin();
    EXPECT_NE(counts.find("Sounds count: "), std::string::npos);
    // The console prints what the command logged in its next frame.
    ASSERT_TRUE(FramesUntil([&] { Frame(); }, [&] { return Printed().find(L"Sounds count: ") != std::wstring::npos; },
                            kKeyLimit));
    const std::wstring printed = Printed();
    for (const wchar_t* line : {L"Shader users count: ", L"Shaders count: ", L"Textures count: ", L"Models count: ",
             L"Sounds count: "})
        EXPECT_NE(printed.find(line), std::wstring::npos) << line;

    // The statistics switch is stored, and saved at exit.
    ASSERT_NO_FATAL_FAILURE(Line("d_show_statistics 1"));
    EXPECT_EQ(Config::Instance()->GetValueString("d_show_statistics"), "1");

    // Every level open: the last of the last stage reached, back to the start.
    ASSERT_NO_FATAL_FAILURE(Line("g_open_map"));
    EXPECT_EQ(player->GetReachedPosition(), GameFramework::Level(2, 4));
    EXPECT_EQ(player->GetCurrentPosition(), GameFramework::Level(0, 0));
    {
        Puzzle::Profile stored(player->GetFileName(), game->GetUserDataFolder());
        EXPECT_EQ(stored.GetReachedPosition(), GameFramework::Level(2, 4));
        EXPECT_EQ(stored.GetCurrentPosition(), GameFramework::Level(0, 0));
    }

    // Cheats off: the console closes and its key is dead; the code works
    // again.
    ASSERT_NO_FATAL_FAILURE(Line("g_disable_cheats"));
    EXPECT_FALSE(console->IsEnabled());
    ASSERT_TRUE(WaitForState(Console::kClosed));
    // The console takes its key in the frame the key is seen in.
    ASSERT_NO_FATAL_FAILURE(Key("grave"));
    EXPECT_EQ(console->GetState(), Console::kClosed);
    ASSERT_NO_FATAL_FAILURE(TypeKeys("my own trick"));
    EXPECT_TRUE(console->IsEnabled());
    EXPECT_TRUE(WaitForState(Console::kOpen));
    std::printf("[timing] the slowest key was seen %.2f s after its host line (limit %.0f)\n", slowestKey, kKeyLimit);

    game.reset();
    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("ui_console_alpha 0.500000\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("d_show_statistics 1\r\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("say "), std::string::npos);
}

TEST_F(InDesktop, CommandsReportTheResourcesAndMapCommandsKeepAProfileTheyCannotChange)
{
    SKIP_OUTSIDE_DESKTOP();
    // No stages, or an empty last one: the map cannot be opened, and the
    // player's file stays as it is.
    ASSERT_NO_FATAL_FAILURE(Start(FolderWithLevels("console_levels", {2, 3})));
    const std::string file = player->GetFilePath();
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(file);
    ASSERT_FALSE(bytes.empty());
    Config* config = Config::Instance();
    std::string name;
    for (const std::vector<int>& counts : {std::vector<int>{}, std::vector<int>{2, 0}}) {
        game->UseLevels(new OddLevels(counts));
        MessageManager::Instance()->ClearHistory();
        config->ExecuteLine("g_open_map", &name);
        game->HandleConsoleCommands();
        EXPECT_EQ(TestSupport::ReadFileBytes(file), bytes);
        EXPECT_EQ(player->GetReachedPosition(), GameFramework::Level(0, 0));
        EXPECT_TRUE(config->IsCommandDone("g_open_map"));
        ASSERT_EQ(MessageManager::Instance()->GetHistorySize(), 1);
        EXPECT_NE(MessageManager::Instance()->GetHistoryRecord(0)->text.find("no last level"), std::string::npos);
    }

    // Video memory in MiB with two decimals; one line a loaded texture;
    // a command issued twice before a frame acts once.
    const TextureManager* textures = ShaderManager::Instance()->GetTextureManager();
    config->ExecuteLine("d_get_used_video_memory_size", &name);
    config->ExecuteLine("d_get_used_video_memory_size", &name);
    config->ExecuteLine("d_get_loaded_textures", &name);
    game->HandleConsoleCommands();
    const std::string text = Log();
    char expected[64];
    std::snprintf(expected, sizeof expected, "Video Memory Used: %.2f Mb", textures->GetUsedMemory() / 1048576.0);
    size_t first = text.find(expected);
    EXPECT_NE(first, std::string::npos) << expected;
    EXPECT_EQ(text.find(expected, first + 1), std::string::npos) << "once";
    size_t lines = 0;
    for (size_t at = text.find("Texture "); at != std::string::npos; at = text.find("Texture ", at + 1))
        lines += text.compare(at, 8 + std::to_string(lines).size() + 2, "Texture " + std::to_string(lines) + ": ") == 0;
    EXPECT_EQ(lines, textures->GetTextureCount());
    EXPECT_GT(lines, 0u);

    // Reset, from a player who got as far as the game's last level: the map
    // back to the start, a new game, the saved game gone, all in the file.
    player->SetReachedPosition(GameFramework::Level(1, 1), true);
    player->SetSavedGame(true);
    player->SetCurrentPosition(GameFramework::Level(0, 1));
    player->SetTotalScore(500);
    player->SetCarryOverValue(7);
    player->Save();
    ASSERT_EQ(Puzzle::Profile(player->GetFileName(), game->GetUserDataFolder()).GetReachedPosition(),
              GameFramework::Level(1, 1));
    config->ExecuteLine("g_reset_map", &name);
    Frame();
    EXPECT_FALSE(player->HasSavedGame());
    EXPECT_EQ(player->GetCurrentPosition(), GameFramework::Level(0, 0));
    EXPECT_EQ(player->GetReachedPosition(), GameFramework::Level(0, 0));
    Puzzle::Profile stored(player->GetFileName(), game->GetUserDataFolder());
    EXPECT_FALSE(stored.HasSavedGame());
    EXPECT_EQ(stored.GetCurrentPosition(), GameFramework::Level(0, 0));
    EXPECT_EQ(stored.GetReachedPosition(), GameFramework::Level(0, 0));
    EXPECT_FALSE(stored.IsReachedLast());
    EXPECT_EQ(stored.GetTotalScore(), 0u);
    EXPECT_EQ(stored.GetCarryOverValue(), 3u);
    // Progress beyond the start is recorded again as the game goes on.
    player->SetReachedPosition(GameFramework::Level(0, 1), false);
    EXPECT_EQ(Puzzle::Profile(player->GetFileName(), game->GetUserDataFolder()).GetReachedPosition(),
              GameFramework::Level(0, 1));
    // Without a player the commands are only set done.
    game->GetProfileManager()->SetCurrentProfile(nullptr, false);
    config->ExecuteLine("g_reset_map", &name);
    config->ExecuteLine("g_open_map", &name);
    Frame();
    EXPECT_TRUE(config->IsCommandDone("g_reset_map"));
    EXPECT_TRUE(config->IsCommandDone("g_open_map"));
}
