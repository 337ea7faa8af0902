// The drop-down console on a real device: keys typed through xdotool reach it
// one a frame as in the game, its panel is read back from screenshots, and
// its settings go through the real configuration and its .ini file.
#include "GUITestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/Console.h"
#include "gui/GUIEditBox.h"
#include "support/HostShell.h"

using namespace KorvaneEngine;
using namespace GUITest;

namespace {

bool Same(const Color& a, const Color& b) { return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w; }

const float kFontSize = 16;  // block glyphs: 8 units a character
const uint8_t kPanelColour[3] = {40, 110, 170};

class ConsoleTest : public ::testing::Test {
protected:
    // One device session a test: the console is made (and made again with
    // other arguments) inside it.
    void Start(bool input)
    {
        dir = TestSupport::MakeTempDir("console");
        if (input) {
            shell = std::make_unique<TestSupport::HostShell>(dir);
            if (!shell->Available())
                GTEST_SKIP() << "not running under Wine";
        }
        scene.StartGUI("console", input);
        scene.injectedFrameTime = 0.05f;
        scene.LoadBlockFont(0, kFontSize);
        scene.PutFile("console.bmp", SolidBmp(kPanelColour[0], kPanelColour[1], kPanelColour[2]));
        if (input) {
            const std::string line = "xdotool mousemove " + At(400, 300);
            ASSERT_TRUE(HostInput::RunAndWait(*shell, line, [&] { scene.GUIFrame(); }));
        }
        scene.log->ClearHistory();
    }

    void Make(int32_t fontId = 0, const std::string& caption = "Pelloria 1.00", float size = 308)
    {
        console.reset();
        ShaderDescriptor background(true, scene.Path("console.bmp"), "32bit", true);
        console = std::make_unique<Console>(caption, background, fontId, '_', ']', '^', "~", 0.95f, size, 1000.0f);
        Console::Instance(console.get());
    }

    void TearDown() override
    {
        std::printf("console: the longest wait for a key to reach the program after its host line: %lu ms; the "
                    "longest wait for the panel to open or close: %lu ms\n",
                    static_cast<unsigned long>(HostInput::Arrival::Longest()),
                    static_cast<unsigned long>(longestStateWait));
        console.reset();
        scene.StopGUI();
        if (!dir.empty())
            TestSupport::RemoveTree(dir);
    }

    std::string At(float x, float y)
    {
        POINT p = {LONG(scene.PixelX(x)), LONG(scene.PixelY(y))};
        ClientToScreen(scene.window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }

    // The engine's order: GUI input pass, the console, the log's records
    // dropped (kept here for the test), then the draw.
    void Frame()
    {
        scene.InputStep();
        console->Update();
        panelTexts.clear();
        const GUIWindow* panel = console->GetPanel();
        for (uint32_t i = 0; i < panel->GetTextCount(); ++i)
            panelTexts.push_back(panel->GetText(i).text);
        for (int i = 0; i < scene.log->GetHistorySize(); ++i)
            logged.push_back(*scene.log->GetHistoryRecord(i));
        scene.log->ClearHistory();
        scene.DrawStep();
        Sleep(2);
    }

    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }

    // Keys go one X call each, each waited for until the program has taken
    // it and the frames that read the devices' buffers have run, so a frame
    // never sees two (the console takes one key a frame, like the game).
    ::testing::AssertionResult Key(const std::string& keys)
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
            const ::testing::AssertionResult arrived =
                HostInput::RunAndWait(*shell, "xdotool key " + k, [&] { Frame(); });
            if (!arrived)
                return arrived;
            Frames(HostInput::kDrainFrames);
        }
        return ::testing::AssertionSuccess();
    }
    // Text as its keys.
    ::testing::AssertionResult Type(const std::string& text)
    {
        std::string keys;
        for (char c : text) {
            if (c == '_')
                keys += " underscore";
            else if (c == ' ')
                keys += " space";
            else if (c == '.')
                keys += " period";
            else
                keys += std::string(" ") + c;
        }
        return Key(keys);
    }
    ::testing::AssertionResult Line(const std::string& text)
    {
        const ::testing::AssertionResult typed = Type(text);
        return typed ? Key("Return") : typed;
    }

    std::wstring Input() const { return console->GetInputLine()->GetText(); }

    // The pieces printed since index from, joined.
    std::wstring Printed(size_t from) const
    {
        std::wstring out;
        for (size_t i = from; i < console->GetPieces().size(); ++i)
            out += console->GetPieces()[i].text;
        return out;
    }

    // The panel's texts of the last frame.
    const std::vector<std::wstring>& PanelTexts() const { return panelTexts; }
    bool Shown(const std::wstring& text) const
    {
        return std::find(panelTexts.begin(), panelTexts.end(), text) != panelTexts.end();
    }

    int Logged(uint32_t level, const std::string& part) const
    {
        int n = 0;
        for (const LogRecord& r : logged)
            n += r.level == level && r.text.find(part) != std::string::npos;
        return n;
    }

    // The panel's colour blended over what was there (clear) at alpha.
    ::testing::AssertionResult BlendedAt(float x, float y, const uint8_t clear[3], float alpha)
    {
        int c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = int(clear[i] + alpha * (kPanelColour[i] - clear[i]) + 0.5f);
        return scene.GUIPixelNear(x, y, c[0], c[1], c[2], 8);
    }

    // Frames until the console is in state, within a deadline in seconds. It
    // takes 0.308 s of its own clock to open or close: seven of the frames'
    // fixed 0.05 s, which took 0.31 s at the most here with every core busy.
    ::testing::AssertionResult WaitForState(int32_t state, double seconds = 5.0)
    {
        const DWORD start = GetTickCount();
        while (console->GetState() != state) {
            if (GetTickCount() - start > seconds * 1000)
                return ::testing::AssertionFailure() << "the console is in state " << console->GetState()
                                                     << ", not " << state << ", after " << seconds << " s";
            Frame();
        }
        longestStateWait = std::max(longestStateWait, GetTickCount() - start);
        return ::testing::AssertionSuccess();
    }

    std::string dir;
    std::unique_ptr<TestSupport::HostShell> shell;
    GUIScene scene;
    std::unique_ptr<Console> console;
    std::vector<LogRecord> logged;
    std::vector<std::wstring> panelTexts;
    DWORD longestStateWait = 0;
};

TEST_F(ConsoleTest, PrintWrapsLongTextAndLogLinesTakeTheirLevelColours)
{
    ASSERT_NO_FATAL_FAILURE(Start(false));
    Make();
    // 250 characters of 8 units: rows of 100, the wrapped character first on
    // the next row.
    std::wstring longText;
    for (int i = 0; i < 250; ++i)
        longText.push_back(wchar_t(L'a' + i % 8));
    console->Print(Color(1, 1, 1, 1), longText);
    ASSERT_EQ(console->GetPieces().size(), 3u);
    EXPECT_EQ(console->GetPieces()[0].text, longText.substr(0, 100) + L"\n");
    EXPECT_EQ(console->GetPieces()[1].text, longText.substr(100, 100) + L"\n");
    EXPECT_EQ(console->GetPieces()[2].text, longText.substr(200));
    EXPECT_FALSE(console->GetPieces()[2].endsRow);
    EXPECT_NEAR(console->GetPieces()[2].width, 400, 0.5f);

    // Log records in their colours; a fatal one takes the one before.
    scene.log->LogNotice("notice");
    scene.log->Log(4, "fatal\n");
    scene.log->LogWarning("warning");
    scene.log->LogError("error");
    scene.log->LogMessage("message");
    Frame();
    // Each record's rows in its colour (blank rows of the spacing included).
    EXPECT_EQ(Printed(3), L"notice\nfatal\n\nWarning: warning!\n\n\nError: error!\n\nmessage\n");
    auto colourOf = [&](const std::wstring& text) {
        for (const Console::Piece& p : console->GetPieces())
            if (p.text == text)
                return p.color;
        return Color(-1, -1, -1, -1);
    };
    EXPECT_TRUE(Same(colourOf(L"notice\n"), Color(0, 1, 0, 1)));
    EXPECT_TRUE(Same(colourOf(L"fatal\n"), Color(0, 1, 0, 1)));
    EXPECT_TRUE(Same(colourOf(L"Warning: warning!\n"), Color(0.5f, 0.5f, 0.5f, 1)));
    EXPECT_TRUE(Same(colourOf(L"Error: error!\n"), Color(1, 0, 0, 1)));
    EXPECT_TRUE(Same(colourOf(L"message\n"), Color(1, 1, 1, 1)));
    EXPECT_EQ(console->GetState(), Console::kClosed) << "records are kept while closed";

    // Banner: the caption right-aligned to the screen's edge.
    const std::wstring& banner = console->GetBanner();
    ASSERT_GT(banner.size(), 13u);
    EXPECT_EQ(banner.substr(banner.size() - 13), L"Pelloria 1.00");
    EXPECT_EQ(banner.find_first_not_of(L' '), banner.size() - 13);
    GUIFont* font = scene.gui->GetFontManager()->GetFont(0);
    Vector2 w;
    EXPECT_LE(font->GetTextSize(w, banner, 0, -1).x, 800);
    EXPECT_GT(font->GetTextSize(w, L" " + banner, 0, -1).x, 800);
}

TEST_F(ConsoleTest, OversizedTextsNeitherHangNorLoseCharacters)
{
    // A caption of 300 characters: no blanks, nothing cut.
    const std::string caption(300, 'x');
    ASSERT_NO_FATAL_FAILURE(Start(false));
    Make(0, caption);
    EXPECT_EQ(console->GetBanner(), NarrowToWide(caption));
    console.reset();
    // Wider than the screen but short: kept as it is too.
    console = std::make_unique<Console>(std::string(120, 'y'), ShaderDescriptor(), 0, '_', ']', '^', "~", 0.95f,
        308.0f, 1000.0f);
    EXPECT_EQ(console->GetBanner(), std::wstring(120, L'y'));

    // A glyph wider than the screen stays a piece of its own.
    ContentTools::FontFile f = BlockFont();
    for (ContentTools::FontGlyphRecord& g : f.glyphs)
        if (g.code == 'W')
            g.ratio = 60;  // 960 units at size 16
    scene.PutFile("wide.kefnt", ContentTools::WriteFontFile(f));
    scene.gui->GetFontManager()->LoadFont(1, &scene.fontShader, scene.Path("wide.kefnt"))->size = kFontSize;
    console.reset();
    console = std::make_unique<Console>("v", ShaderDescriptor(), 1, '_', ']', '^', "~", 0.95f, 308.0f, 1000.0f);
    console->Print(Color(1, 1, 1, 1), L"aWWb");
    ASSERT_EQ(console->GetPieces().size(), 4u);
    EXPECT_EQ(console->GetPieces()[0].text, L"a\n");
    EXPECT_EQ(console->GetPieces()[1].text, L"W\n");
    EXPECT_EQ(console->GetPieces()[2].text, L"W\n");
    EXPECT_EQ(console->GetPieces()[3].text, L"b");
    scene.log->ClearHistory();
    scene.log->LogMessage("WWW");
    Frame();
    EXPECT_EQ(Printed(4), L"W\nW\nW\n");
}

TEST_F(ConsoleTest, TypedLinesRunThroughTheConfigurationWithHistoryAndCompletion)
{
    ASSERT_NO_FATAL_FAILURE(Start(true));
    if (IsSkipped())
        return;
    Make();
    // Disabled, the key does nothing.
    console->SetEnabled(false);
    Frames(2);
    uint8_t clear[3];
    std::memcpy(clear, RenderTest::ScreenPixel(scene.Screenshot(), uint32_t(scene.PixelX(790)),
        uint32_t(scene.PixelY(590))), 3);
    ASSERT_TRUE(Key("grave"));
    EXPECT_EQ(console->GetState(), Console::kClosed);

    console->SetEnabled(true);
    ASSERT_TRUE(Key("grave"));
    ASSERT_TRUE(WaitForState(Console::kOpen));
    EXPECT_NEAR(console->GetPanel()->GetPosition().y, 600 - 308, 0.01f);
    EXPECT_TRUE(console->GetInputLine()->active);
    Frames(3);
    EXPECT_EQ(Input(), L"") << "the key's own character is not typed into the line";
    // The panel's colour fills the top band, blended at 0.95.
    EXPECT_TRUE(BlendedAt(790, 590, clear, 0.95f));
    // Below the panel nothing changed.
    EXPECT_TRUE(BlendedAt(790, 250, clear, 0.0f));

    // Completion: the common part of the four console variables, listed.
    size_t mark = console->GetPieces().size();
    ASSERT_TRUE(Type("ui_con"));
    ASSERT_TRUE(Key("Tab"));
    EXPECT_EQ(Input(), L"\\ui_console_");
    EXPECT_EQ(Printed(mark), L"\\ui_con\n    \\ui_console_alpha\n    \\ui_console_key\n    \\ui_console_size\n"
                             L"    \\ui_console_speed\n");
    ASSERT_GT(console->GetPieces().size(), mark);
    EXPECT_EQ(console->GetPieces()[mark].color.z, 1.0f) << "the typed start in blue";
    ASSERT_TRUE(Type("al"));
    ASSERT_TRUE(Key("Tab"));
    EXPECT_EQ(Input(), L"\\ui_console_alpha ") << "one candidate: the name and a blank";
    ASSERT_TRUE(Key("Escape"));
    EXPECT_EQ(Input(), L"");
    ASSERT_TRUE(Type("zzq"));
    ASSERT_TRUE(Key("Tab"));
    EXPECT_EQ(Input(), L"\\zzq") << "no candidate: the text with its backslash";
    ASSERT_TRUE(Key("Escape"));

    // A value changes the blend from the next frame and reaches the .ini.
    mark = console->GetPieces().size();
    ASSERT_TRUE(Line("ui_console_alpha 0.5"));
    EXPECT_EQ(Printed(mark), L"]\\ui_console_alpha 0.5\n");
    EXPECT_EQ(scene.config->GetValueString("ui_console_alpha"), "0.500000");
    Frame();
    EXPECT_TRUE(BlendedAt(790, 590, clear, 0.5f));
    mark = console->GetPieces().size();
    ASSERT_TRUE(Line("ui_console_alpha"));
    EXPECT_EQ(Printed(mark), L"]\\ui_console_alpha\n\"ui_console_alpha\" is \"0.500000\", default is \"0.9500\"\n");

    // History: Up recalls the newest first, Down past the newest empties.
    ASSERT_TRUE(Key("Up"));
    EXPECT_EQ(Input(), L"\\ui_console_alpha");
    ASSERT_TRUE(Key("Up"));
    EXPECT_EQ(Input(), L"\\ui_console_alpha 0.5");
    ASSERT_TRUE(Key("Up"));
    EXPECT_EQ(Input(), L"\\ui_console_alpha 0.5") << "the oldest stays";
    ASSERT_TRUE(Key("Down"));
    EXPECT_EQ(Input(), L"\\ui_console_alpha");
    ASSERT_TRUE(Key("Down"));
    EXPECT_EQ(Input(), L"");

    // say: one row of three pieces; an unknown name is reported.
    mark = console->GetPieces().size();
    ASSERT_TRUE(Line("say hello"));
    ASSERT_EQ(console->GetPieces().size(), mark + 4);
    EXPECT_EQ(console->GetPieces()[mark + 1].text, L"Wendro: \"");
    EXPECT_EQ(console->GetPieces()[mark + 2].text, L"hello");
    EXPECT_EQ(console->GetPieces()[mark + 2].color.y, 1.0f);
    EXPECT_EQ(console->GetPieces()[mark + 2].color.x, 0.0f);
    EXPECT_FALSE(console->GetPieces()[mark + 2].endsRow);
    EXPECT_EQ(console->GetPieces()[mark + 3].text, L"\"\n");
    // The row shows as its pieces side by side.
    Frame();
    EXPECT_TRUE(Shown(L"hello"));
    mark = console->GetPieces().size();
    ASSERT_TRUE(Line("nosuch 1"));
    EXPECT_EQ(Printed(mark), L"]\\nosuch 1\nUnknown command \"nosuch\"\n");
    EXPECT_EQ(console->GetHistory().size(), 4u);

    // Page Up past the rows keeps the scroll at the row count and shows the
    // separator; Page Down comes back.
    EXPECT_EQ(console->GetSeparator().find_first_not_of(L'^'), std::wstring::npos);
    size_t rows = 0;
    for (const Console::Piece& p : console->GetPieces())
        rows += p.endsRow;
    std::string pageUps;
    for (size_t i = 0; i < rows + 3; ++i)
        pageUps += " Prior";
    ASSERT_TRUE(Key(pageUps));
    EXPECT_EQ(console->GetScroll(), rows);
    Frame();
    EXPECT_TRUE(Shown(console->GetSeparator()));
    ASSERT_TRUE(Key("Next"));
    EXPECT_EQ(console->GetScroll(), rows - 1);

    // The key closes; the scroll goes back to the newest rows.
    ASSERT_TRUE(Key("grave"));
    ASSERT_TRUE(WaitForState(Console::kClosed));
    EXPECT_EQ(console->GetScroll(), 0u);
    EXPECT_FALSE(console->GetPanel()->IsVisible());

    // Disabling an open console closes it.
    ASSERT_TRUE(Key("grave"));
    ASSERT_TRUE(WaitForState(Console::kOpen));
    console->SetEnabled(false);
    EXPECT_EQ(console->GetState(), Console::kClosing);
    ASSERT_TRUE(WaitForState(Console::kClosed));
    ASSERT_TRUE(Key("grave"));
    EXPECT_EQ(console->GetState(), Console::kClosed);

    // The setting outlives the console: the configuration keeps the value
    // for its file, not a pointer into the console.
    console.reset();
    EXPECT_EQ(scene.config->GetValueString("ui_console_alpha"), "0.500000");

    // Out of range, the values in use fall back to the constructor's, and a
    // key name outside the table to "~" with one warning however many frames.
    Make(0, "Pelloria 1.00", 580);
    EXPECT_FLOAT_EQ(console->GetEffectiveAlpha(), 0.5f) << "the setting survived the gap";
    std::string name;
    scene.config->ExecuteLine("ui_console_alpha 0", &name);
    scene.config->ExecuteLine("ui_console_speed -5", &name);
    scene.config->ExecuteLine("ui_console_key NOPE", &name);
    scene.config->ExecuteLine("ui_console_size 580", &name);
    EXPECT_FLOAT_EQ(console->GetEffectiveAlpha(), 0.95f);
    EXPECT_FLOAT_EQ(console->GetEffectiveSpeed(), 1000.0f);
    ASSERT_TRUE(Key("grave"));
    ASSERT_TRUE(WaitForState(Console::kOpen));
    EXPECT_EQ(Logged(2, "NOPE"), 1);
    EXPECT_NEAR(console->GetPanel()->GetPosition().y, 20, 0.01f);

    // Rows fill the whole 580 units on screen: above the banner and the
    // prompt, (580 - 16 - 3.2 - 2 x 19.2) / 19.2 + 1 = 28 rows.
    for (int i = 0; i < 40; ++i)
        console->Print(Color(1, 1, 1, 1), L"row " + std::to_wstring(i) + L"\n");
    Frame();
    int rows580 = 0;
    for (const std::wstring& t : PanelTexts())
        rows580 += t.compare(0, 4, L"row ") == 0;
    EXPECT_EQ(rows580, 28);
    EXPECT_TRUE(Shown(L"row 39\n"));
    EXPECT_TRUE(Shown(L"row 12\n"));
    EXPECT_FALSE(Shown(L"row 11\n"));
    // The top row is on screen: ink near the top edge.
    const InkBox ink = FindInk(scene.Screenshot(), 255, 255, 255, 30);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GT(scene.GUIY(float(ink.top)), 580);
    // A size beyond the screen falls back to the constructor's.
    scene.config->ExecuteLine("ui_console_size 5000", &name);
    Frame();
    EXPECT_FLOAT_EQ(console->GetEffectiveSize(), 580.0f);
    EXPECT_NEAR(console->GetPanel()->GetPosition().y, 20, 0.01f);
    scene.config->ExecuteLine("ui_console_key ~", &name);

    // Without its font the console logs an error, draws no text and still
    // runs lines (the input line takes no characters without a font).
    Make(7);
    EXPECT_EQ(Logged(3, "Console font 7"), 0);
    Frame();
    EXPECT_EQ(Logged(3, "Console font 7"), 1);
    ASSERT_TRUE(Key("grave"));
    ASSERT_TRUE(WaitForState(Console::kOpen));
    console->GetInputLine()->SetText(L"say quiet");
    ASSERT_TRUE(Key("Return"));
    EXPECT_EQ(scene.config->GetValueString("say"), "quiet");
    EXPECT_EQ(console->GetHistory().size(), 1u);
    EXPECT_TRUE(PanelTexts().empty());
}

} // namespace
