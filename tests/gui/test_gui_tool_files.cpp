// The toolkit's files without a device: the text table over real files (loose
// and packed), the window description loader, and the generated texts and
// window descriptions read back through the engine's own XML reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"
#include "gui/GUITextTool.h"
#include "gui/GUIToolManager.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"
#include "tools/formats/XmlWriter.h"

using namespace GUITools;
using namespace KorvaneEngine;
using ContentTools::XmlElement;

namespace {

class ToolFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestSupport::MakeTempDir(TestSupport::ExecutableName());
        log.reset(new MessageManager("Tool files", false, false, "", ""));
        log->SetLineSpacing(false);
    }
    void TearDown() override
    {
        files.reset();
        log.reset();
        TestSupport::RemoveTree(root);
    }
    // Writes the set under the test folder and opens it, packed or loose.
    void Open(const Content::ContentSet& set, bool loose)
    {
        files.reset();
        TestSupport::RemoveTree(root + "\\data");
        std::string error;
        ASSERT_TRUE(set.Write(root, loose, &error)) << error;
        files.reset(new FileManager(root, true, "data", 0));
    }
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->level == 3)
                out.push_back(log->GetHistoryRecord(i)->text);
        return out;
    }
    static std::string Error(const std::string& message) { return "Error: " + message + "!\n"; }

    std::string root;
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<FileManager> files;
};

// texts/<key>/<language text="...">, as the writer builds it for fixtures.
XmlElement TextFile(const std::vector<std::vector<std::string>>& rows)
{
    XmlElement texts("texts");
    for (const auto& r : rows) {
        XmlElement* node = &texts;
        size_t start = 0;
        for (;;) {
            const size_t slash = r[0].find('/', start);
            const std::string step = r[0].substr(start, slash == std::string::npos ? slash : slash - start);
            XmlElement* child = node->Find(step);
            node = child ? child : &node->Add(step);
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        for (size_t i = 1; i + 1 < r.size(); i += 2)
            node->Add(r[i]).Set("text", r[i + 1]);
    }
    return texts;
}

} // namespace

TEST_F(ToolFiles, TextsResolveGameFileFirstThenDefaultsAndSurviveABrokenFile)
{
    Content::ContentSet set;
    set.AddText(Content::Texts::kGameFile,
                ContentTools::WriteXml(TextFile({{"common/ok", "en", "Confirm", "cz", "Potvrdit"},
                                                 {"menu/a/b/deep", "cz", "Hluboko \xC5\x99\xC5\xAF"},
                                                 {"only_en", "en", "English"}})));
    set.AddText(Content::Texts::kDefaultsFile,
                ContentTools::WriteXml(TextFile({{"common/ok", "en", "OK", "cz", "OK"},
                                                 {"common/exit", "en", "Exit", "cz", "Konec"},
                                                 {"only_en", "en", "Shared English"}})));
    for (bool loose : {true, false}) {
        SCOPED_TRACE(loose ? "loose" : "packed");
        Open(set, loose);
        GUITextTool cz("cz");
        EXPECT_EQ(cz.GetTables().size(), 2u);
        EXPECT_EQ(cz.GetText("common/ok"), L"Potvrdit");           // the game's file wins
        EXPECT_EQ(cz.GetText("common/exit"), L"Konec");            // only in the defaults
        EXPECT_EQ(cz.GetText("menu/a/b/deep"), L"Hluboko \u0159\u016f"); // Czech letters survive
        EXPECT_EQ(cz.GetText("only_en"), L"UNKNOWN");              // both files, no Czech
        EXPECT_EQ(cz.GetText("no/such/key"), L"UNKNOWN");
        EXPECT_EQ(cz.GetText("menu/a"), L"UNKNOWN");               // an inner node is no text
        GUITextTool en("en");
        EXPECT_EQ(en.GetText("common/ok"), L"Confirm");
        EXPECT_EQ(en.GetText("only_en"), L"English");
        EXPECT_TRUE(Errors().empty()); // unknown keys are never logged
    }

    // Without the game's file the defaults still serve, and the failure is
    // logged; a broken game file does not skip the defaults either.
    Content::ContentSet onlyDefaults;
    onlyDefaults.Add(Content::Texts::kDefaultsFile, *set.Find(Content::Texts::kDefaultsFile));
    Open(onlyDefaults, true);
    {
        GUITextTool cz("cz");
        EXPECT_EQ(cz.GetTables().size(), 1u);
        EXPECT_EQ(cz.GetText("common/ok"), L"OK");
        ASSERT_EQ(Errors().size(), 1u);
        EXPECT_EQ(Errors()[0], Error("Failed to open \"" + root + "\\data\\ui\\texts\\texts.xml\" file"));
    }
    log->ClearHistory();
    onlyDefaults.AddText(Content::Texts::kGameFile, "<texts><common><ok><cz text='x'/></ok></texts>");
    Open(onlyDefaults, true);
    {
        GUITextTool cz("cz");
        EXPECT_EQ(cz.GetText("common/ok"), L"OK"); // the half-read file gives nothing
        ASSERT_EQ(Errors().size(), 1u);
        EXPECT_EQ(Errors()[0].rfind("Error: XML format error at line 1", 0), 0u) << Errors()[0];
    }
    // A file whose top element is not "texts" contributes no table.
    log->ClearHistory();
    onlyDefaults.AddText(Content::Texts::kGameFile, "<words><common><ok><cz text='x'/></ok></common></words>");
    Open(onlyDefaults, true);
    {
        GUITextTool cz("cz");
        EXPECT_EQ(cz.GetTables().size(), 1u);
        EXPECT_EQ(cz.GetText("common/ok"), L"OK");
        EXPECT_EQ(Errors(), std::vector<std::string>{Error("Incorrect \"text file\" format")});
    }
}

TEST_F(ToolFiles, WindowDescriptionsLoadOneTopElementAFileAndLogWhatTheySkip)
{
    Content::ContentSet set;
    set.AddText("data\\ui\\windows\\b_second.xml", "<window name='w'><button name='from_b'/></window>");
    set.AddText("data\\ui\\windows\\A_First.XML", "<window name='w'><button name='from_a'/></window>");
    set.AddText("data\\ui\\windows\\c_two_tops.xml", "<window name='x'/><window name='y'/>");
    set.AddText("data\\ui\\windows\\d_broken.xml", "<window name='z'><button></window>");
    set.AddText("data\\ui\\windows\\e_empty.xml", "<!-- nothing -->");
    set.AddText("data\\ui\\windows\\f_faders.xml", "<faders><fader name='f'/></faders>");
    set.AddText("data\\ui\\windows\\notes.txt", "<window name='txt'/>");
    for (bool loose : {true, false}) {
        SCOPED_TRACE(loose ? "loose" : "packed");
        log->ClearHistory();
        Open(set, loose);
        GUIToolManager tools("en");
        EXPECT_EQ(tools.GetLanguage(), "en");
        ASSERT_NE(tools.GetTextTool(), nullptr);
        EXPECT_EQ(tools.GetWindowNames(), (std::vector<std::string>{"a_first.xml", "b_second.xml", "f_faders.xml"}));
        ASSERT_EQ(tools.GetWindowDescriptions().size(), 3u);
        for (GameTools::XMLNode* d : tools.GetWindowDescriptions())
            EXPECT_EQ(d->GetParent(), tools.GetRoot());
        // The first file of a name wins the lookup the windows make.
        GameTools::XMLNode* w = GameTools::FindXMLNode(tools.GetRoot(), "/[name=\"w\"]");
        ASSERT_NE(w, nullptr);
        EXPECT_NE(w->GetChild("button"), nullptr);
        EXPECT_EQ(w->GetChild("button")->GetAttribute("name")->GetString(), "from_a");
        EXPECT_EQ(GameTools::FindXMLNode(tools.GetRoot(), "/[name=\"x\"]"), nullptr);

        // Each skipped file is named in the log (after the two texts files).
        std::vector<std::string> errors = Errors();
        auto has = [&](const std::string& part) {
            return std::any_of(errors.begin(), errors.end(),
                               [&](const std::string& e) { return e.find(part) != std::string::npos; });
        };
        EXPECT_TRUE(has("c_two_tops.xml\" window description must hold exactly one top element, it holds 2"));
        EXPECT_TRUE(has("d_broken.xml\" window description: XML format error at line 1"));
        EXPECT_TRUE(has("e_empty.xml\" window description"));
        EXPECT_FALSE(has("notes.txt"));
    }
}

TEST_F(ToolFiles, GeneratedTextsCoverTheTableInBothLanguages)
{
    Content::ContentSet set;
    Content::AddTexts(set, Content::Options());
    ASSERT_NE(set.Find(Content::Texts::kGameFile), nullptr);
    const std::vector<uint8_t>& bytes = *set.Find(Content::Texts::kDefaultsFile);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_TRUE(bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF); // UTF-8 with its mark

    Open(set, false);
    const auto& table = Content::Texts::Table();
    for (const char* code : Content::Texts::kLanguages) {
        GUITextTool tool(code);
        for (const auto& e : table) {
            const std::string expected = Content::Texts::Find(e.key, code);
            EXPECT_EQ(tool.GetText(e.key), Content::Texts::Widen(expected)) << e.key << " in " << code;
        }
        // The window title is narrowed, so it stays ASCII.
        for (wchar_t c : tool.GetText("game_title"))
            EXPECT_LT(c, 128);
    }
    // The shipped words the game relies on, and one key the game's file
    // words differently from the defaults.
    for (const char* key : {"common/exit", "common/cancel", "game_logic/combo", "game_logic/bonuses/magnet",
                            "game_logic/bonuses/pause", "game_logic/bonuses/roll_back", "game_logic/bonuses/tip"})
        EXPECT_NE(Content::Texts::Find(key, "en"), nullptr) << key;
    EXPECT_NE(std::string(Content::Texts::Find("game_logic/combo", "cz")).find("%COMBO%"), std::string::npos);
    bool overridden = false;
    for (const auto& g : table)
        for (const auto& d : table)
            overridden |= g.file == Content::Texts::kGame && d.file == Content::Texts::kDefaults &&
                          std::string(g.key) == d.key && std::string(g.en) != d.en;
    EXPECT_TRUE(overridden);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ToolFiles, TheTextWriterRefusesAnIncompleteOrMalformedTable)
{
    using Content::Texts::Entry;
    auto refusal = [](const std::vector<Entry>& table) -> std::string {
        Content::ContentSet set;
        try {
            Content::Texts::AddTextFiles(set, table);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_EQ(refusal({{Content::Texts::kGame, "a/b", "A", "A"}}), "");
    EXPECT_EQ(refusal({{Content::Texts::kGame, "a/b", "A", nullptr}}), "text \"a/b\" lacks its cz text");
    EXPECT_EQ(refusal({{Content::Texts::kDefaults, "a", "", "B"}}), "text \"a\" lacks its en text");
    EXPECT_EQ(refusal({{Content::Texts::kGame, "a", "A", "A"}, {Content::Texts::kGame, "a", "B", "B"}}),
              "text key \"a\" stands twice in data\\ui\\texts\\texts.xml");
    EXPECT_EQ(refusal({{Content::Texts::kGame, "a", "A", "A"}, {Content::Texts::kDefaults, "a", "B", "B"}}), "");
    for (const char* bad : {"a//b", "/a", "a/", "a b", "a/cz", "1a", ""})
        EXPECT_NE(refusal({{Content::Texts::kGame, bad, "A", "A"}}), "") << bad;
    EXPECT_THROW(Content::Texts::Widen("\xC5"), std::runtime_error);
    EXPECT_THROW(Content::Texts::Widen("\x80x"), std::runtime_error);
    EXPECT_EQ(Content::Texts::Widen("a\xC5\x99\xE2\x82\xAC\xF0\x9F\x98\x80"), L"a\u0159\u20ac\xD83D\xDE00");
}

TEST_F(ToolFiles, TheXmlWriterPicksTheQuoteAValueLacksAndReadsBackAsWritten)
{
    XmlElement top("window");
    top.Set("name", "w").Set("text", "say \"hi\"").Set("other", "it's").Set("size", 2.5f, -4.0f);
    top.Set("colour", 1.0f, 0.0f, 0.25f, 1.0f).Set("count", 7).Set("zero", -0.0f).Set("name", "renamed");
    top.Add("button").Set("name", "b").Add("text_label").Set("name", "title");
    top.Add("empty");
    EXPECT_EQ(ContentTools::WriteXmlLine(top),
              "<window name=\"renamed\" text='say \"hi\"' other=\"it's\" size=\"2.5 -4\" colour=\"1 0 0.25 1\" "
              "count=\"7\" zero=\"0\"><button name=\"b\"><text_label name=\"title\"/></button><empty/></window>");

    Content::ContentSet set;
    set.AddText("data\\ui\\w.xml", ContentTools::WriteXml(top));
    Open(set, true);
    GameTools::XMLNode doc;
    GameTools::XMLParser().ParseFile(&doc, "data\\ui\\w.xml");
    GameTools::XMLNode* w = doc.GetChild("window");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetAttribute("text")->GetString(), "say \"hi\"");
    EXPECT_EQ(w->GetAttribute("other")->GetString(), "it's");
    EXPECT_FLOAT_EQ(w->GetAttribute("size")->GetVector2().y, -4.0f);
    EXPECT_EQ(GameTools::FindXMLNode(w, "button/text_label[name='title']")->GetName(), "text_label");

    XmlElement both("a");
    both.Set("v", "\"'");
    EXPECT_THROW(ContentTools::WriteXml(both), std::invalid_argument);
    XmlElement badName("a b");
    EXPECT_THROW(ContentTools::WriteXml(badName), std::invalid_argument);
    EXPECT_THROW(ContentTools::XmlNumber(1.0f / 0.0f), std::invalid_argument);
}

TEST_F(ToolFiles, GeneratedWindowDescriptionsLoadAndEveryNamedPieceOfArtIsRegisteredWithItsFiles)
{
    Content::ContentSet set;
    Content::AddTexts(set, Content::Options());
    Content::AddWindows(set, Content::Options());
    Content::AddRelaxWindow(set, Content::Options());
    Open(set, false);
    GUIToolManager tools("cz");
    // Without a GUI manager (no device here) the font table says so and
    // loads nothing; the descriptions load all the same.
    EXPECT_EQ(Errors(), std::vector<std::string>{Error("(GUIFontTool::LoadFonts): there is no GUI manager, "
                                                       "\"data\\ui\\fonts\\fonts_basic.xml\" is not loaded")});
    for (const char* window : Content::Windows::kWindowNames)
        EXPECT_NE(std::find(tools.GetWindowNames().begin(), tools.GetWindowNames().end(), std::string(window) + ".xml"),
                  tools.GetWindowNames().end())
            << window;
    // Each menu window's panel is its own model, opening over frames 0 to 7;
    // the shared frame still comes through two templates.
    GameTools::XMLNode* frame = GameTools::FindXMLNode(tools.GetRoot(), "/[name=\"window_main_menu\"]/[name=\"window\"]");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->GetAttribute("model"), nullptr);
    EXPECT_EQ(frame->GetAttribute("model")->GetString(), "panel_main_menu");
    EXPECT_EQ(frame->GetAttribute("model_end_frame")->GetInt(), 7);
    GameTools::XMLNode* first = GameTools::FindXMLNode(tools.GetRoot(), "/[name=\"template_menu_frame\"]");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->GetAttribute("template"), nullptr);
    EXPECT_NE(GameTools::FindXMLNode(tools.GetRoot(), "/[name=\"" + first->GetAttribute("template")->GetString() + "\"]"),
              nullptr);

    // Every model and shader any description names is "ui/<name>" in one of
    // the two resource lists, with its files in the data.
    GameTools::XMLNode basic, additional;
    GameTools::XMLParser().ParseFile(&basic, Content::Windows::kResourceList);
    GameTools::XMLParser().ParseFile(&additional, Content::Windows::kAdditionalResourceList);
    // Registered names hold a "/", which a query cannot: looked up by hand.
    auto registered = [&](const std::string& name) -> GameTools::XMLNode* {
        for (GameTools::XMLNode* list : {&basic, &additional})
            if (GameTools::XMLNode* top = list->GetChild("resources"))
                for (GameTools::XMLNode* e : top->GetChildList())
                    if (GameTools::XMLValue* n = e->GetAttribute("name"))
                        if (n->GetString() == name)
                            return e;
        return nullptr;
    };
    std::vector<std::string> named;
    std::function<void(GameTools::XMLNode*)> walk = [&](GameTools::XMLNode* n) {
        for (const char* a : {"model", "shader", "animator_model", "toddler_model", "toddler_shader",
                              "increase_button_model", "decrease_button_model", "increase_button_shader",
                              "decrease_button_shader"})
            if (GameTools::XMLValue* v = n->GetAttribute(a))
                named.push_back(v->GetString());
        for (GameTools::XMLNode* c : n->GetChildList())
            walk(c);
    };
    walk(tools.GetRoot());
    EXPECT_GE(named.size(), 8u);
    for (const std::string& name : named) {
        GameTools::XMLNode* entry = registered("ui/" + name);
        ASSERT_NE(entry, nullptr) << name;
        if (entry->GetName() == "model") {
            const std::string file = "data\\ui\\" + entry->GetAttribute("file_name")->GetString();
            EXPECT_TRUE(files->FileExists(file)) << file;
            std::string shader = file;
            shader.replace(shader.size() - 3, 3, "srf");
            EXPECT_TRUE(files->FileExists(shader)) << shader;
        } else {
            EXPECT_EQ(entry->GetName(), "shader");
            EXPECT_TRUE(files->FileExists("data\\ui\\" + entry->GetAttribute("diffuse_file_name")->GetString()));
            EXPECT_TRUE(files->FileExists("data\\ui\\" + entry->GetAttribute("opacity_file_name")->GetString()));
        }
    }
    // The opening frame plays, so it carries its speed.
    GameTools::XMLNode* animated = registered("ui/menu_frame");
    ASSERT_NE(animated, nullptr);
    EXPECT_GT(animated->GetAttribute("animation_speed")->GetFloat(), 0.0f);
}
