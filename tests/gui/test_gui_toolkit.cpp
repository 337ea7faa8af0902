// The GUI toolkit on a real device: windows built from descriptions the test
// writes (every control kind, template chains, inherited children, language
// filters), their fades and frames frame by frame, text layout and style
// rules in screenshots with a block-glyph font, the font table, real xdotool
// input, and what bad descriptions, fonts and texts do.
#include "ToolkitTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/foundation/StringUtils.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Model.h"
#include "engine/render/Shader.h"
#include "gui/GUIButton.h"
#include "gui/GUIButtonControl.h"
#include "gui/GUICheckBox.h"
#include "gui/GUICheckBoxControl.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIEditBoxControl.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIScroll.h"
#include "gui/GUIScrollControl.h"
#include "gui/GUISliderControl.h"
#include "gui/GUITextControl.h"
#include "gui/GUITextTool.h"
#include "gui/GUIWindowControl.h"
#include "support/HostShell.h"
#include "tools/content/FontTable.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"
#include "tools/formats/XmlWriter.h"

using namespace KorvaneEngine;
using namespace GUITools;
using namespace ToolkitTest;

namespace {

// ---------------------------------------------------------------- fixture

const char kTexts[] =
    "<texts>"
    "<t><hello><cz text='ahoj'/><en text='hello'/></hello>"
    "<deep><er><key><cz text='hluboko'/><en text='deep'/></key></er></deep>"
    "<en_only><en text='only english'/></en_only>"
    "<name><cz text='Jm\xC3\xA9no: %PROFILE_NAME%'/></name>"
    "</t></texts>";
const char kDefaultTexts[] = "<texts><common><exit><cz text='Konec'/><en text='Exit'/></exit></common></texts>";

std::string FontEntry(const std::string& attributes, const std::string& file, const std::string& inner = "")
{
    return "<font " + attributes + "><description_file_path path='ui\\fonts\\" + file +
           "'/><diffuse_image_path path='ui\\fonts\\white.bmp'/><opacity_image_path path='ui\\fonts\\white.bmp'/>" +
           inner + "</font>";
}

// The block font under several names, and entries that must not load.
std::string FontsBasic()
{
    return "<fonts>" + FontEntry("name='block' size='20'", "block.kefnt") +
           FontEntry("name='sized' size='16'", "block.kefnt", "<cz size='20'/>") +
           FontEntry("name='virtual' size='16'", "block.kefnt", "<properties virtual_size='32' space='2'/>") +
           FontEntry("name='lost' size='10'", "missing.kefnt") +
           FontEntry("name='block' size='99'", "block.kefnt") + "<font size='3'/>" +
           FontEntry("name='unsized'", "block.kefnt") +
           FontEntry("name='flat' size='0'", "block.kefnt", "<properties virtual_size='32'/>") +
           "<font name='pathless' size='5'/>" + FontEntry("name='tail' size='12' monospace='1'", "block.kefnt") +
           "</fonts>";
}

const char kFaders[] =
    "<faders>"
    "<fader name='timed' type='timed' show_speed='2' hide_speed='2' fade_offset='0.075' show_offset='0.125' "
    "hide_offset='0.125'/>"
    "<fader name='frames' type='model_animation' show_speed='1' hide_speed='1' min='0.5'/>"
    "<fader name='no_hide' type='timed' hide_speed='0'/>"
    "<fader name='backward_hide' hide_speed='-2'/>"
    "<fader name='frames_no_hide' type='model_animation' hide_speed='0'/>"
    "<fader name='slow' hide_speed='1' fade_offset='0.075' hide_offset='0.125'/>"
    "</faders>";

// Two templates in a chain: the frame names the panel, which gives the
// shader; the frame adds a title and a button of its own.
const char kPanel[] = "<window name='tpl_panel' shader='grey' height='3'/>";
const char kFrame[] =
    "<window name='tpl_frame' template='tpl_panel' size='560 420'>"
    "<text_label name='title' font='block' font_size='20' position='10 380' size='540 30' text='t/hello'/>"
    "<button name='button_0' template='tpl_button' position='20 20'/>"
    "</window>";
const char kButton[] =
    "<button name='tpl_button' model='button4' size='120 40' model_start_frame='0' model_end_frame='3'>"
    "<text_label name='title' font='block' size='120 40' text='common/exit' alignment_h='center' "
    "alignment_v='center' height='2'/>"
    "</button>";

const char kWindowTest[] =
    "<window name='window_test' size='800 600' fader='timed'>"
    "<window name='window' template='tpl_frame' position='120 90' fader='timed'>"
    "  <text_label name='title' text='t/deep/er/key'/>"
    "  <fader name='fader_child'><button name='never'/></fader>"
    "  <text_label name='en_only' language='en' font='block' text='t/en_only'><text_label name='inner'/></text_label>"
    "  <check_box name='check' model='check8' position='20 80' size='32 32'/>"
    "  <edit_box name='name' shader='grey' font='block' position='20 130' size='300 30' cursor_character=''/>"
    "  <slider name='slider' shader='grey' position='20 180' size='300 20' toddler_model='quad' "
    "   toddler_size='20 20' toddler_max_position='280 0' orientation='vertical_and_more'/>"
    "  <scroll name='scroll' shader='grey' position='20 220' size='300 20' toddler_model='quad' toddler_size='20 20' "
    "   toddler_min_position='20 0' toddler_max_position='260 0' increase_button_model='button4' "
    "   increase_button_position='280 0' increase_button_size='20 20' decrease_button_model='button4' "
    "   decrease_button_size='20 20' buttons_alignment='Lower'/>"
    "</window>"
    "<window name='frames' model='menu_frame' position='700 20' size='60 60' model_start_frame='0' "
    "model_end_frame='7'/>"
    "<window name='still' model='still8' position='700 100' size='40 40' model_start_frame='1' "
    "model_end_frame='5'/>"
    "</window>";

// Texts alone, on a black screen, for the ink measurements.
const std::string kWindowTexts =
    "<window name='window_texts' size='800 600'>"
    "<text_label name='rule' font='block' position='50 500' size='400 40' "
    " text=\"'{rule color(1 0 0 1)} red} plain'\"/>"
    "<text_label name='size' font='block' position='50 420' size='400 60' text=\"'{rule size(2)} big} small'\"/>"
    "<text_label name='variable' font='block' position='50 360' size='600 40' text='t/name'/>"
    "<text_label name='lines' font='block' position='500 400' size='100 60' alignment_v='top' text=\"'a|b'\"/>"
    "<text_label name='auto' font='block' position='500 300' size='100 40' font_size='30' auto_font_size='1' "
    " text=\"'WWWWWWWWWWWWWWWWWWWW'\"/>"
    "<text_label name='printing' font='block' position='50 200' size='700 40' printing_mode='1' "
    " printing_speed='1' max_printing_time='5' text=\"'" + std::string(50, 'x') + "'\"/>"
    "<text_label name='at_once' font='block' position='50 140' size='700 40' printing_mode='1' "
    " printing_speed='1' max_printing_time='0' text=\"'" + std::string(30, 'x') + "'\"/>"
    "<text_label name='no_speed' font='block' position='50 80' size='700 40' printing_mode='1' "
    " printing_speed='0' max_printing_time='5' text=\"'" + std::string(50, 'x') + "'\"/>"
    "</window>";

// Expressions, units and the guards, without drawing anything in particular.
const char kWindowExpressions[] =
    "<window name='window_expressions' size='800 600'>"
    "<text_label name='fu' font='block' text=\"'hello WORLD'[fu]\"/>"
    "<text_label name='wu' font='block' text=\"'hello big world a'[WU]\"/>"
    "<text_label name='upper' font='block' text='t/hello[u]'/>"
    "<text_label name='joined' font='block' text=\"'x: '+t/hello++no/key\"/>"
    "<text_label name='quote' font='block' text=\"'+t/hello\"/>"
    "<text_label name='unclosed' font='block' size='800 30' text=\"'{rule color(1 0 0 1) oops'\"/>"
    "<text_label name='half' font='block' size='800 30' text=\"'a {rule color(1 0 0 1)} half'\"/>"
    "<text_label name='empty_rule' font='block' size='800 30' text=\"'{rule color(1 0 0 1)}}tail'\"/>"
    "<text_label name='before' font='block' size='800 30' text=\"'ab} {rule color(1 0 0 1)} red} c'\"/>"
    "<text_label name='broken_by_variable' font='block' size='800 30' text=\"'%V%'\"/>"
    "<text_label name='no_limit' font='block' printing_mode='1' printing_speed='1' max_printing_time='-1' "
    " text=\"'abc'\"/>"
    "<text_label name='no_pace' font='block' printing_mode='1' printing_speed='0' max_printing_time='-1' "
    " text=\"'abcdef'\"/>"
    "<text_label name='huge' font='block' font_size='1e30' auto_font_size='1' size='50 10' text=\"'WWW'\"/>"
    "<text_label name='nan' font='block' font_size='nan' text=\"'a'\"/>"
    "<text_label name='true_word' font='block' multiline='true' text=\"'a'\"/>"
    "<text_label name='unknown_font' font='nosuchfont' text=\"'abc'\"/>"
    "<edit_box name='limited' font='block' max_character_count='-3'/>"
    "<button name='hidden_word' show_action='timed' model='button4'/>"
    "<button name='inverted' hide_action='show' model='button4'/>"
    "</window>";

// The five kinds that leave their model's frames to the widget, each with a
// one-frame range, and an edit box with a longer one.
const char kWindowModels[] =
    "<window name='window_models' size='800 600'>"
    "<button name='button' model='check8' model_start_frame='2' model_end_frame='2' size='40 40'/>"
    "<check_box name='check_box' model='check8' model_start_frame='2' model_end_frame='2' size='40 40'/>"
    "<edit_box name='edit_box' model='check8' font='block' model_start_frame='2' model_end_frame='2' "
    " position='0 100' size='200 40'/>"
    "<slider name='slider' model='check8' model_start_frame='2' model_end_frame='2' size='200 20'/>"
    "<scroll name='scroll' model='check8' model_start_frame='2' model_end_frame='2' size='200 20'/>"
    "<edit_box name='edit_range' model='check8' font='block' model_start_frame='1' model_end_frame='5' "
    " position='0 200' size='200 40'/>"
    "</window>";

// Faders whose hides cannot fall, beside one that fades as usual ("timed":
// hide offset 0.125 s, fade offset 0.075 s, hide speed 2), inside a window
// that fades slower (so its children go by their own hides).
const char kWindowFaderSpeeds[] =
    "<window name='window_fader_speeds' size='800 600' fader='slow'>"
    "<window name='zero' shader='grey' position='100 100' size='100 100' fader='no_hide'/>"
    "<window name='negative' shader='grey' position='300 100' size='100 100' fader='backward_hide'/>"
    "<window name='frames' model='menu_frame' position='500 100' size='60 60' fader='frames_no_hide'/>"
    "<window name='sound' shader='grey' position='100 300' size='100 100' fader='timed'/>"
    "</window>";

// A whole window whose hide cannot fall: it must still close.
const char kWindowFaderStuck[] =
    "<window name='window_fader_stuck' size='800 600' fader='no_hide'>"
    "<window name='panel' shader='grey' position='100 100' size='100 100'/>"
    "</window>";

// One rule on a line drawn at a size other than the font's own (20).
const char kWindowRuleSize[] =
    "<window name='window_rule_size' size='800 600'>"
    "<text_label name='rule' font='block' font_size='30' position='50 400' size='600 60' "
    " text=\"'{rule color(1 0 0 1)} red} plain'\"/>"
    "</window>";

const char kWindowInput[] =
    "<window name='window_input' size='800 600'>"
    "<button name='ok' model='button4' position='100 450' size='200 60'/>"
    "<check_box name='check' model='check8' position='400 450' size='60 60'/>"
    "<edit_box name='name' shader='grey' font='block' position='100 330' size='400 40' text_offset='4 10'/>"
    "<scroll name='scroll' shader='grey' position='100 200' size='400 40' toddler_model='quad' "
    " toddler_size='40 40' toddler_min_position='40 0' toddler_max_position='320 0' increase_button_model='button4' "
    " increase_button_position='360 0' increase_button_size='40 40' decrease_button_model='button4' "
    " decrease_button_size='40 40'/>"
    "</window>";

// Descriptions that must fail, or must build with a logged error, or
// without one where a chain only looks like a loop.
const char* const kBadWindows[][2] = {
    {"bad_kind", "<window name='bad_kind'><label name='x'/></window>"},
    {"bad_fader", "<window name='bad_fader'><window name='x' fader='nope'/></window>"},
    {"nameless", "<window name='nameless'><window name='a'><button model='button4'/></window></window>"},
    {"ancestor", "<window name='ancestor'><window name='child' template='ancestor'/></window>"},
    {"cycle", "<window name='cycle'><window name='x' template='cycle_a'/></window>"},
    {"cycle_a", "<window name='cycle_a' template='cycle_b' size='11 12'/>"},
    {"cycle_b", "<window name='cycle_b' template='cycle_a' position='5 6'/>"},
    {"self", "<window name='self'><window name='x' template='self_template'/></window>"},
    {"self_template", "<window name='self_template' template='self_template' size='7 8'/>"},
    // Two chains that meet in one template, which is no loop.
    {"shared", "<window name='shared' template='shared_outer'><window name='x' template='shared_inner' size='3 4'/>"
               "</window>"},
    {"shared_outer", "<window name='shared_outer'><window name='x' template='shared_inner' position='9 10'/></window>"},
    {"shared_inner", "<window name='shared_inner' height='6'/>"},
    {"missing_model", "<window name='missing_model'><window name='x' model='no_such_model'/></window>"},
    {"zz_broken", "<window name='zz_broken'><button></window>"},
};

void WriteArt(Content::ContentSet& set)
{
    set.Add("data\\ui\\fonts\\block.kefnt", ContentTools::WriteFontFile(GUITest::BlockFont()));
    set.Add("data\\ui\\fonts\\white.bmp", GUITest::SolidBmp(255, 255, 255));
    set.Add("data\\ui\\art\\grey.bmp", GUITest::SolidBmp(128, 128, 128));
    set.Add("data\\ui\\art\\white.bmp", GUITest::SolidBmp(255, 255, 255));
    struct {
        const char* name;
        uint32_t frames;
        float speed;
    } const models[] = {{"quad", 1, 0}, {"button4", 4, 0}, {"check8", 8, 0}, {"still8", 8, 0}};
    for (const auto& m : models) {
        const std::string base = std::string("data\\ui\\art\\") + m.name;
        set.Add(base + ".kml", ContentTools::WriteModelFile(FramedQuad(m.frames, m.speed)));
        set.Add(base + ".srf", ContentTools::WriteShaderFile(BlendedShader("white.bmp")));
        set.AddResource("data\\ui\\test_resources.xml",
                        std::string("<model name='ui/") + m.name + "' file_name='art\\" + m.name + ".kml'/>");
    }
    set.AddResource("data\\ui\\test_resources.xml",
                    "<shader name='ui/grey' diffuse_file_name='art\\grey.bmp' opacity_file_name='32bit' clamp='1'/>");
}

void WriteFixture(Content::ContentSet& set)
{
    // The shipped windows' art (their models, with the opening frames),
    // without the shipped descriptions.
    Content::ContentSet shipped;
    Content::AddWindows(shipped, Content::Options());
    for (const std::string& p : shipped.Paths())
        if (p.rfind("data\\ui\\windows\\", 0) != 0)
            if (const std::vector<uint8_t>* bytes = shipped.Find(p))
                set.Add(p, *bytes);
    for (const char* list : {Content::Windows::kResourceList, Content::Windows::kAdditionalResourceList})
        for (const std::string& line : shipped.ResourceList(list))
            set.AddResource("data\\ui\\resources_basic.xml", line);

    WriteArt(set);
    set.AddText("data\\ui\\texts\\texts.xml", std::string("\xEF\xBB\xBF") + kTexts);
    set.AddText("data\\ui\\texts\\default_texts.xml", kDefaultTexts);
    set.AddText("data\\ui\\fonts\\fonts_basic.xml", FontsBasic());
    set.AddText("data\\ui\\fonts\\fonts_additional.xml",
                "<fonts>" + FontEntry("name='additional' size='24'", "block.kefnt") +
                    FontEntry("name='block' size='5'", "block.kefnt") + "</fonts>");
    const std::string w = "data\\ui\\windows\\";
    set.AddText(w + "faders.xml", kFaders);
    set.AddText(w + "tpl_panel.xml", kPanel);
    set.AddText(w + "tpl_frame.xml", kFrame);
    set.AddText(w + "tpl_button.xml", kButton);
    set.AddText(w + "window_test.xml", kWindowTest);
    set.AddText(w + "window_texts.xml", kWindowTexts);
    set.AddText(w + "window_expressions.xml", kWindowExpressions);
    set.AddText(w + "window_input.xml", kWindowInput);
    set.AddText(w + "window_models.xml", kWindowModels);
    set.AddText(w + "window_fader_speeds.xml", kWindowFaderSpeeds);
    set.AddText(w + "window_fader_stuck.xml", kWindowFaderStuck);
    set.AddText(w + "window_rule_size.xml", kWindowRuleSize);
    for (const auto& bad : kBadWindows)
        set.AddText(w + bad[0] + ".xml", bad[1]);
}

class Toolkit : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit.Start(TestSupport::ExecutableName(), false);
        WriteFixture(kit.set);
        kit.Open();
    }
    void TearDown() override { kit.Stop(); }

    void LoadTools(const std::string& language)
    {
        kit.Load(language, {"data\\ui\\resources_basic.xml", "data\\ui\\test_resources.xml"});
    }

    std::unique_ptr<GUIWindowBase> Build(const std::string& name)
    {
        std::unique_ptr<GUIWindowBase> w(new GUIWindowBase(kit.registry.get(), kit.tools.get(), nullptr, name));
        kit.windows.push_back(w.get());
        return w;
    }

    // The fatal message a window's construction ends with ("" when it builds).
    std::string FatalOf(const std::string& name)
    {
        try {
            GUIWindowBase w(kit.registry.get(), kit.tools.get(), nullptr, name);
        } catch (const FatalError& e) {
            return e.GetMessage();
        }
        return "";
    }

    ToolkitTest::Toolkit kit;
};

const std::string kLookup = "(GUIWindowBase::";

// ---------------------------------------------------------------- structure

TEST_F(Toolkit, DescriptionsBuildEveryKindThroughTemplateChainsInheritedChildrenAndTheLanguage)
{
    LoadTools("cz");
    auto w = Build("window_test");
    EXPECT_EQ(kit.ErrorsWith("still8"), 1) << "the speedless model's frames are refused, with its name";
    const int before = kit.scene.log->GetHistorySize();

    // Every kind, in creation order: parents first, the element's own
    // children before those its templates add.
    std::vector<std::string> keys;
    for (GUIControl* c : w->GetControls())
        keys.push_back(c->GetKey());
    const std::vector<std::string> expected = {"window_test", "window_test/window", "window_test/window/title",
        "window_test/window/check", "window_test/window/name", "window_test/window/slider",
        "window_test/window/scroll", "window_test/window/button_0", "window_test/window/button_0/title",
        "window_test/frames", "window_test/still"};
    EXPECT_EQ(keys, expected);

    // A key three levels down; the template's template gives the shader and
    // the drawing level, the element's own child wins over the template's.
    GUITextControl* buttonTitle = w->GetTextControl("window_test/window/button_0/title");
    ASSERT_NE(buttonTitle, nullptr);
    EXPECT_EQ(buttonTitle->GetText(), L"Konec");
    GUITextControl* title = w->GetTextControl("window_test/window/title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetText(), L"hluboko");
    EXPECT_EQ(title->GetFontName(), "block") << "the template child's font";
    EXPECT_FLOAT_EQ(title->position.y, 380);
    GUIWindowControl* frame = w->GetWindowControl("window_test/window");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->height, 3);
    EXPECT_FLOAT_EQ(frame->size.x, 560);
    EXPECT_NE(frame->GetModel(), nullptr) << "a shader alone makes a quad";
    EXPECT_EQ(frame->faderName, "timed");
    EXPECT_FLOAT_EQ(frame->showSpeed, 2);
    EXPECT_FLOAT_EQ(frame->hideOffset, 0.125f);

    // Kinds and their own settings.
    ASSERT_NE(w->GetGUIButton("window_test/window/button_0"), nullptr);
    ASSERT_NE(w->GetGUICheckBox("window_test/window/check"), nullptr);
    GUIEditBoxControl* edit = w->GetEditBoxControl("window_test/window/name");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->cursorCharacter, ' ') << "an empty cursor character is a blank";
    EXPECT_EQ(edit->GetFontId(), kit.tools->GetFontTool()->GetFontId("block"));
    GUIControl* sliderBase = w->GetControl("window_test/window/slider");
    ASSERT_NE(sliderBase, nullptr);
    GUISliderControl* slider = dynamic_cast<GUISliderControl*>(sliderBase);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetToddlerModelName(), "quad");
    GUIScrollControl* scroll = w->GetScrollControl("window_test/window/scroll");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->buttonsAlignment, "Lower");
    ASSERT_NE(w->GetGUIScroll("window_test/window/scroll"), nullptr);

    // The fader child and the English subtree are not there, and a probe is silent.
    EXPECT_FALSE(w->HasTextControl("window_test/window/en_only"));
    EXPECT_FALSE(w->HasWindowControl("window_test/window/fader_child"));
    EXPECT_EQ(kit.scene.log->GetHistorySize(), before);
    EXPECT_EQ(w->GetTextControl("window_test/window/en_only/inner"), nullptr);
    EXPECT_EQ(kit.Errors().back(),
              "Error: (GUIWindowBase::GetTextControl): Unknown \"window_test/window/en_only/inner\" control!\n");
    EXPECT_EQ(w->GetGUIButton("window_test/window/check"), nullptr) << "lookups keep to their kind";
    EXPECT_EQ(kit.Errors().back(),
              "Error: (GUIWindowBase::GetButtonControl): Unknown \"window_test/window/check\" control!\n");

    // Shown and laid out: the step buttons go under the bar only for exactly "lower".
    w->SetVisible(true);
    for (int i = 0; i < 20; ++i)
        kit.Step();
    GUIScroll* bar = scroll->GetScroll();
    ASSERT_NE(bar->GetIncreaseButton(), nullptr);
    EXPECT_EQ(bar->GetIncreaseButton()->GetHeightLevel(), 2);
    EXPECT_EQ(bar->GetHeightLevel(), 1);
    EXPECT_EQ(slider->GetSlider()->orientation, 1) << "any orientation containing \"vertical\"";
    EXPECT_FLOAT_EQ(edit->GetEditBox()->GetPosition().x, 20);

    // In English the subtree is there.
    w.reset();
    kit.windows.clear();
    LoadTools("en");
    auto english = Build("window_test");
    EXPECT_TRUE(english->HasTextControl("window_test/window/en_only"));
    ASSERT_NE(english->GetTextControl("window_test/window/en_only/inner"), nullptr);
    EXPECT_EQ(english->GetTextControl("window_test/window/en_only")->GetText(), L"only english");
}

// ---------------------------------------------------------------- fades and frames

TEST_F(Toolkit, TimedFadesFollowTheFormulaFramesPlayOnWindowsOnlyAndTheWindowClosesAfterItsLastControl)
{
    LoadTools("cz");
    auto w = Build("window_test");
    GUIWindowControl* frame = w->GetWindowControl("window_test/window");
    GUIWindowControl* frames = w->GetWindowControl("window_test/frames");
    GUIWindowControl* still = w->GetWindowControl("window_test/still");
    GUIButtonControl* button = w->GetButtonControl("window_test/window/button_0");
    ASSERT_TRUE(frame && frames && still && button);
    EXPECT_NE(frames->GetModelAnimation(), nullptr);
    EXPECT_EQ(still->GetModelAnimation(), nullptr) << "no speed: no frames to wait for";
    EXPECT_EQ(button->GetModelAnimation(), nullptr) << "a button's frames are its states";
    EXPECT_FALSE(w->IsVisible());

    // Appears after the show offset (0.125 s: the third frame); the fade then
    // runs 0.075 s late at speed 2.
    w->SetVisible(true);
    EXPECT_TRUE(w->IsVisible());
    const float panelX = 120 + 300, panelY = 90 + 300;
    int appeared = -1;
    std::vector<int> brightness;
    for (int n = 1; n <= 16; ++n) {
        kit.Step();
        GUIWindow* widget = frame->GetWidget();
        if (appeared < 0 && widget->IsVisible())
            appeared = n;
        if (n < 3) {
            EXPECT_FALSE(widget->IsVisible()) << n;
            continue;
        }
        const int k = n - appeared + 1;
        const float expected = std::min(1.0f, std::max(0.0f, (k * kFrameTime - 0.075f) * 2));
        EXPECT_NEAR(frame->GetFadeValue(), expected, 1e-4) << "frame " << n;
        EXPECT_NEAR(widget->GetAlpha(), expected, 0.01) << "frame " << n;
        const uint8_t* p = RenderTest::ScreenPixel(kit.scene.Screenshot(), uint32_t(kit.scene.PixelX(panelX)),
                                                   uint32_t(kit.scene.PixelY(panelY)));
        brightness.push_back(p[0]);
    }
    EXPECT_EQ(appeared, 3);
    ASSERT_GE(brightness.size(), 10u);
    EXPECT_LT(brightness[1], brightness[5]);
    EXPECT_LT(brightness[5], brightness.back());
    EXPECT_NEAR(brightness.back(), 128, 12) << "the grey panel at full alpha";

    // The window control's frames have played forward to the last one.
    AnimationControl* a = frames->GetModelAnimation();
    EXPECT_EQ(a->currentKey, 0);
    EXPECT_EQ(a->running, 0);
    EXPECT_EQ(a->frameA, 7u);
    EXPECT_TRUE(frames->GetWidget()->IsVisible());
    // The button stays on its state frame.
    EXPECT_EQ(button->GetButton()->GetState(), GUIButton::kNormal);

    // Disabling hides at once, and a group show leaves the control out.
    w->EnableControl("window_test/still", false);
    EXPECT_FALSE(still->GetWidget()->IsVisible());
    EXPECT_FALSE(w->IsControlEnabled("window_test/still"));
    w->EnableControl("window_test/nothing", false);
    EXPECT_EQ(kit.Errors().back(), "Error: (GUIWindowBase::EnableControl): Unknown \"window_test/nothing\" control!\n");
    w->SetVisible(true);
    kit.Step();
    EXPECT_FALSE(still->GetWidget()->IsVisible());

    // Hiding: the frames play backward, the fade runs after the hide offset,
    // and the root goes in the very update in which the last control did.
    for (int i = 0; i < 20; ++i)
        kit.Step();
    w->SetVisible(false);
    bool framesBackward = false;
    int lastControl = -1, rootHidden = -1;
    for (int n = 1; n <= 60 && rootHidden < 0; ++n) {
        kit.Step();
        framesBackward |= frames->GetModelAnimation()->currentKey == 1;
        bool anyVisible = false;
        for (GUIControl* c : w->GetControls())
            if (w->IsControlEnabled(c->GetKey()) && c->IsVisible())
                anyVisible = true;
        if (!anyVisible && lastControl < 0)
            lastControl = n;
        if (!w->IsVisible())
            rootHidden = n;
        if (n <= 2) {
            EXPECT_NEAR(frame->GetFadeValue(), 1, 1e-4) << "the hide offset holds the fade";
        }
    }
    EXPECT_TRUE(framesBackward);
    ASSERT_GT(lastControl, 3);
    EXPECT_EQ(rootHidden, lastControl);
    EXPECT_FALSE(frames->GetWidget()->IsVisible());
}

TEST_F(Toolkit, EveryKindSetsUpItsModelsFramesAndTheWidgetKindsThenDropTheAnimation)
{
    LoadTools("cz");
    // A model that loops where it comes from: every control's clone starts so.
    Model* source = kit.registry->GetModel("ui/check8");
    ASSERT_NE(source, nullptr);
    ASSERT_NE(source->GetAnimation(), nullptr);
    source->GetAnimation()->loop = 1;
    kit.scene.log->ClearHistory();
    auto w = Build("window_models");
    EXPECT_EQ(kit.ErrorsWith("check8"), 0) << "frames a kind never plays need no speed";
    const std::string k = "window_models/";
    for (const char* name : {"button", "check_box", "edit_box", "slider", "scroll"}) {
        SCOPED_TRACE(name);
        GUIControl* c = w->GetControl(k + name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->GetModel(), nullptr);
        const AnimationControl* a = c->GetModel()->GetAnimation();
        EXPECT_EQ(a->loop, 0);
        EXPECT_FLOAT_EQ(a->time, 2) << "held on its one frame";
        EXPECT_EQ(a->running, 0);
        EXPECT_EQ(c->GetModelAnimation(), nullptr);
    }
    GUIControl* range = w->GetControl(k + "edit_range");
    ASSERT_NE(range, nullptr);
    const AnimationControl* ranged = range->GetModel()->GetAnimation();
    EXPECT_EQ(ranged->loop, 0);
    ASSERT_EQ(ranged->ranges.count(0), 1u);
    ASSERT_EQ(ranged->ranges.count(1), 1u);
    EXPECT_EQ(ranged->ranges.at(0).first, 1u);
    EXPECT_EQ(ranged->ranges.at(0).last, 5u);
    EXPECT_EQ(ranged->ranges.at(1).first, 5u);
    EXPECT_EQ(ranged->ranges.at(1).last, 1u);
    EXPECT_EQ(range->GetModelAnimation(), nullptr);

    // Drawn, the edit box (whose widget picks no frame of its own) shows the
    // frame it is held on.
    w->SetVisible(true);
    for (int n = 0; n < 5; ++n)
        kit.Step();
    GUIEditBoxControl* edit = w->GetEditBoxControl(k + "edit_box");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->GetWidget()->IsVisible());
    EXPECT_EQ(edit->GetModel()->GetAnimation()->frameA, 2u);
    EXPECT_FLOAT_EQ(edit->GetModel()->GetAnimation()->time, 2);
    // Nothing to play out: the hide ends in its first update, window and all.
    w->SetVisible(false);
    kit.Step();
    EXPECT_FALSE(w->IsVisible());
    EXPECT_TRUE(kit.Errors().empty());
}

TEST_F(Toolkit, ATimedFaderThatCannotFallIsLoggedAndItsHideEndsAtOnce)
{
    LoadTools("cz");
    kit.scene.log->ClearHistory();
    auto w = Build("window_fader_speeds");
    const std::string p = "(GUIWindowBase::ParseControls): \"";
    const std::string fault = "\" control has no hide speed above 0, its hides end at once";
    EXPECT_EQ(kit.ErrorsWith(p + "no_hide\" fader of \"window_fader_speeds/zero" + fault), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "backward_hide\" fader of \"window_fader_speeds/negative" + fault), 1);
    EXPECT_EQ(kit.Errors().size(), 2u) << "a fade by frames ends with them, and a usual one is no fault";
    GUIControl* zero = w->GetControl("window_fader_speeds/zero");
    GUIControl* negative = w->GetControl("window_fader_speeds/negative");
    GUIControl* frames = w->GetControl("window_fader_speeds/frames");
    GUIControl* sound = w->GetControl("window_fader_speeds/sound");
    ASSERT_TRUE(zero && negative && frames && sound);

    w->SetVisible(true);
    for (int n = 0; n < 40; ++n) // 2 s: every show has ended
        kit.Step();
    for (GUIControl* c : {zero, negative, frames, sound})
        ASSERT_TRUE(c->GetWidget()->IsVisible()) << c->GetKey();
    EXPECT_NEAR(sound->GetFadeValue(), 1, 1e-4);

    // The hides that cannot fall end in their first update.
    w->SetVisible(false);
    kit.Step();
    EXPECT_FALSE(zero->GetWidget()->IsVisible());
    EXPECT_FALSE(negative->GetWidget()->IsVisible());
    EXPECT_FALSE(frames->GetWidget()->IsVisible());
    EXPECT_TRUE(sound->GetWidget()->IsVisible());
    // The usual one still fades: 0.125 s of hide offset, then the fade clock
    // 0.075 s late at speed 2, gone in the 14th update. The window goes with
    // its own slower fade (speed 1) in the 24th.
    int soundHidden = -1, rootHidden = -1;
    for (int n = 2; n <= 60 && rootHidden < 0; ++n) {
        kit.Step();
        if (n == 8) {
            EXPECT_NEAR(sound->GetFadeValue(), 1 - 2 * ((n - 2) * kFrameTime - 0.075f), 1e-3);
        }
        if (soundHidden < 0 && !sound->GetWidget()->IsVisible())
            soundHidden = n;
        if (!w->IsVisible())
            rootHidden = n;
    }
    EXPECT_EQ(soundHidden, 14);
    EXPECT_EQ(rootHidden, 24);
    EXPECT_EQ(kit.Errors().size(), 2u) << "logged once, when the description was read";

    // A window whose own fade cannot fall closes in the first update of its hide.
    w.reset();
    kit.windows.clear();
    kit.scene.log->ClearHistory();
    auto stuck = Build("window_fader_stuck");
    EXPECT_EQ(kit.ErrorsWith(p + "no_hide\" fader of \"window_fader_stuck" + fault), 1);
    stuck->SetVisible(true);
    for (int n = 0; n < 40; ++n) // 2 s
        kit.Step();
    GUIWindowControl* panel = stuck->GetWindowControl("window_fader_stuck/panel");
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->GetWidget()->IsVisible());
    stuck->SetVisible(false);
    kit.Step();
    EXPECT_FALSE(stuck->IsVisible());
    EXPECT_EQ(kit.Errors().size(), 1u);
}

// ---------------------------------------------------------------- texts

TEST_F(Toolkit, TextRulesVariablesLinesAutoSizeAndPrintingShowInScreenshots)
{
    LoadTools("cz");
    kit.scene.log->ClearHistory(); // the fixture font table's own complaints
    auto w = Build("window_texts");
    GUITextControl* variable = w->GetTextControl("window_texts/variable");
    ASSERT_NE(variable, nullptr);
    variable->SetTextVariable(L"PROFILE_NAME", L"Zed");
    w->SetVisible(true);
    for (int n = 0; n < 50; ++n) // 2.5 s
        kit.Step();
    const Image& shot = kit.scene.Screenshot();
    auto px = [&](float x) { return int(kit.scene.PixelX(x)); };
    auto py = [&](float y) { return int(kit.scene.PixelY(y)); };
    // Pixels a GUI unit: the window is as large as the display lets it be.
    const float sx = kit.scene.window->GetWidth() / GUITest::kWidth;
    const float sy = kit.scene.window->GetHeight() / GUITest::kHeight;

    // "red" in red right before "plain" in white, both one font size tall.
    GUITest::InkBox red = FindInkIn(shot, px(50), py(540), px(450), py(500), 255, 0, 0);
    GUITest::InkBox white = FindInkIn(shot, px(50), py(540), px(450), py(500), 255, 255, 255);
    ASSERT_FALSE(red.Empty());
    ASSERT_FALSE(white.Empty());
    EXPECT_NEAR(red.Width(), 30 * sx, 2);
    EXPECT_NEAR(white.Width(), 45 * sx, 2) << "the i is half as wide";
    EXPECT_LT(red.right, white.left);
    EXPECT_NEAR(red.Height(), 20 * sy, 2);
    EXPECT_NEAR(white.Height(), 20 * sy, 2);
    EXPECT_NEAR(red.bottom, white.bottom, 1);

    // size(2) doubles the rule's text only.
    GUITest::InkBox big = FindInkIn(shot, px(50), py(480), px(80), py(420), 255, 255, 255);
    GUITest::InkBox small = FindInkIn(shot, px(120), py(480), px(450), py(420), 255, 255, 255);
    EXPECT_NEAR(big.Height(), 40 * sy, 2);
    EXPECT_NEAR(small.Height(), 20 * sy, 2);

    // The variable is filled in.
    ASSERT_EQ(variable->GetLines().size(), 1u);
    EXPECT_EQ(variable->GetLines()[0], L"Jm\u00e9no: Zed");

    // "|" breaks the line: two rows of one glyph each.
    GUITextControl* lines = w->GetTextControl("window_texts/lines");
    EXPECT_EQ(lines->GetLines(), (std::vector<std::wstring>{L"a", L"b"}));
    GUITest::InkBox both = FindInkIn(shot, px(500), py(460), px(600), py(400), 255, 255, 255);
    EXPECT_NEAR(both.Height(), 40 * sy, 2);
    EXPECT_NEAR(both.Width(), 10 * sx, 2);
    EXPECT_NEAR(both.top, py(460), 2) << "top aligned";

    // Auto size stops at 8 even when the text still does not fit.
    GUITextControl* autoSized = w->GetTextControl("window_texts/auto");
    EXPECT_FLOAT_EQ(autoSized->GetCurrentFontSize(), 8);
    GUITest::InkBox tiny = FindInkIn(shot, px(500), py(340), px(800), py(300), 255, 255, 255);
    EXPECT_NEAR(tiny.Height(), 8 * sy, 2);

    // 50 characters with at most 5 s: 10 a second, about 25 after 2.5 s.
    GUITextControl* printing = w->GetTextControl("window_texts/printing");
    EXPECT_NEAR(printing->GetPrinted(), 25, 0.6);
    EXPECT_FALSE(printing->IsPrintingDone());
    GUITest::InkBox printed = FindInkIn(shot, px(50), py(240), px(800), py(200), 255, 255, 255);
    EXPECT_NEAR(printed.Width(), 250 * sx, 12);
    // No time at all: the whole text at once. No speed but 5 s for 50
    // characters: 10 a second, as above.
    GUITextControl* atOnce = w->GetTextControl("window_texts/at_once");
    EXPECT_TRUE(atOnce->IsPrintingDone());
    EXPECT_NEAR(FindInkIn(shot, px(50), py(180), px(800), py(140), 255, 255, 255).Width(), 300 * sx, 12);
    GUITextControl* noSpeed = w->GetTextControl("window_texts/no_speed");
    EXPECT_NEAR(noSpeed->GetPrinted(), 25, 0.6);
    EXPECT_FALSE(noSpeed->IsPrintingDone());
    EXPECT_NEAR(FindInkIn(shot, px(50), py(120), px(800), py(80), 255, 255, 255).Width(), 250 * sx, 12);
    for (int n = 0; n < 60; ++n)
        kit.Step();
    EXPECT_TRUE(printing->IsPrintingDone());
    EXPECT_TRUE(noSpeed->IsPrintingDone());

    // A new text first erases the old one backwards, then prints, both at
    // the new text's pace: 100 characters in at most 5 s are 20 a second,
    // so the old 50 are gone in 2.5 s (not the 5 s of their own 10 a second).
    const std::wstring hundred(100, L'y');
    printing->SetText("'" + std::string(100, 'y') + "'");
    EXPECT_FALSE(printing->IsPrintingDone());
    kit.Step();
    EXPECT_NEAR(printing->GetPrinted(), 49, 0.01) << "erasing the old text";
    for (int n = 1; n < 25; ++n)
        kit.Step();
    EXPECT_NEAR(printing->GetPrinted(), 25, 0.01);
    GUITest::InkBox erasing = FindInkIn(kit.scene.Screenshot(), px(50), py(240), px(800), py(200), 255, 255, 255);
    EXPECT_NEAR(erasing.Width(), 250 * sx, 12) << "half of the old text still on screen";
    for (int n = 25; n < 45; ++n)
        kit.Step();
    EXPECT_NEAR(printing->GetPrinted(), 5, 0.01);
    EXPECT_FALSE(printing->IsPrintingDone());
    // Gone after 2.5 s; from then on the new text at 20 a second. Not done
    // in any frame before the new text stands, the one where erasing ends
    // included.
    int doneFrames = 0;
    for (int n = 45; n < 55; ++n) {
        kit.Step();
        doneFrames += printing->IsPrintingDone();
    }
    const float restarted = printing->GetPrinted();
    EXPECT_GT(restarted, 3.9f);
    EXPECT_LT(restarted, 5.1f);
    for (int n = 0; n < 20; ++n) {
        kit.Step();
        doneFrames += printing->IsPrintingDone();
    }
    EXPECT_EQ(doneFrames, 0);
    EXPECT_NEAR(printing->GetPrinted() - restarted, 20, 0.01);
    EXPECT_FALSE(printing->IsPrintingDone());
    int more = 0;
    while (!printing->IsPrintingDone() && more < 200) {
        kit.Step();
        ++more;
    }
    EXPECT_NEAR(more, 100 - 20 - restarted, 1.5) << "the rest at the same pace";
    EXPECT_EQ(printing->GetLines(), std::vector<std::wstring>{hundred});
    EXPECT_NEAR(printing->GetPrinted(), 100, 0.01);

    // The other way round: two characters are 1 a second, and so is the
    // erasing of the hundred.
    printing->SetText("'yy'");
    kit.Step();
    EXPECT_NEAR(printing->GetPrinted(), 99.95, 0.01);
    EXPECT_FALSE(printing->IsPrintingDone());
    EXPECT_EQ(printing->GetLines(), std::vector<std::wstring>{L"yy"});

    // Without a limit of time the old text goes in the frame after the
    // change, and the new one stands a frame later: done only then. An empty
    // new text is done as soon as the old one is gone.
    atOnce->SetText("'zz'");
    kit.Step();
    EXPECT_FALSE(atOnce->IsPrintingDone()) << "the old text gone, the new one not yet shown";
    kit.Step();
    EXPECT_TRUE(atOnce->IsPrintingDone());
    EXPECT_NEAR(atOnce->GetPrinted(), 2, 0.01);
    atOnce->SetText("''");
    EXPECT_FALSE(atOnce->IsPrintingDone());
    kit.Step();
    EXPECT_TRUE(atOnce->IsPrintingDone());
    EXPECT_TRUE(kit.Errors().empty());
}

TEST_F(Toolkit, ARulesEndIsMeasuredAtTheSizeItsLineIsDrawnAt)
{
    LoadTools("cz");
    kit.scene.log->ClearHistory();
    auto w = Build("window_rule_size");
    GUITextControl* text = w->GetTextControl("window_rule_size/rule");
    ASSERT_NE(text, nullptr);
    w->SetVisible(true);
    for (int n = 0; n < 3; ++n)
        kit.Step();
    GUIFont* font = kit.tools->GetFontTool()->GetFont("block");
    ASSERT_NE(font, nullptr);
    EXPECT_FLOAT_EQ(text->GetCurrentFontSize(), 30);
    EXPECT_FLOAT_EQ(font->size, 20) << "the font has its own size back";
    ASSERT_EQ(text->GetRules().size(), 1u);
    const GUITextControl::Rule& rule = text->GetRules()[0];
    // The run as it is drawn: the font at the line's size (its height in a
    // measure), the run at its own.
    Vector2 drawn;
    font->size = 30;
    font->GetTextSize(drawn, L"red", 0, 30);
    font->size = 20;
    EXPECT_NEAR(rule.end.x - rule.start.x, drawn.x, 1e-3);
    EXPECT_NEAR(rule.end.y - rule.start.y, drawn.y, 1e-3);
    EXPECT_NEAR(drawn.y, 30, 1e-3);

    // The red word's ink is the rule's box.
    const Image& shot = kit.scene.Screenshot();
    auto px = [&](float x) { return int(kit.scene.PixelX(x)); };
    auto py = [&](float y) { return int(kit.scene.PixelY(y)); };
    const float sx = kit.scene.window->GetWidth() / GUITest::kWidth;
    const float sy = kit.scene.window->GetHeight() / GUITest::kHeight;
    GUITest::InkBox red = FindInkIn(shot, px(50), py(460), px(650), py(400), 255, 0, 0);
    ASSERT_FALSE(red.Empty());
    EXPECT_NEAR(red.Width(), (rule.end.x - rule.start.x) * sx, 2);
    EXPECT_NEAR(red.Height(), (rule.end.y - rule.start.y) * sy, 2);
    EXPECT_NEAR(red.left, px(50 + rule.start.x), 2);
    EXPECT_NEAR(red.bottom + 1, py(400 + rule.start.y), 2);
    EXPECT_TRUE(kit.Errors().empty());
}

TEST_F(Toolkit, ExpressionsUnitsAndTheGuardsAgainstBadTexts)
{
    LoadTools("cz");
    auto w = Build("window_expressions");
    const std::string k = "window_expressions/";
    EXPECT_EQ(w->GetTextControl(k + "fu")->GetText(), L"Hello WORLD");
    EXPECT_EQ(w->GetTextControl(k + "wu")->GetText(), L"Hello Big World A");
    EXPECT_EQ(w->GetTextControl(k + "upper")->GetText(), L"AHOJ");
    EXPECT_EQ(w->GetTextControl(k + "joined")->GetText(), L"x: ahojUNKNOWN");
    EXPECT_EQ(w->GetTextControl(k + "quote")->GetText(), L"UNKNOWNahoj") << "one quote is no literal";
    EXPECT_FALSE(w->GetTextControl(k + "true_word")->IsMultiline()) << "\"true\" reads as false";
    EXPECT_EQ(w->GetEditBoxControl(k + "limited")->GetMaxCharacterCount(), 1);
    EXPECT_FLOAT_EQ(w->GetTextControl(k + "nan")->GetFontSize(), -1);
    EXPECT_EQ(kit.ErrorsWith("(GUITextControl::SetFont): Unknown \"nosuchfont\" font"), 1);

    w->SetVisible(true);
    for (int n = 0; n < 10; ++n)
        kit.Step();
    // Broken rules show as text and end; "}}" styles nothing.
    EXPECT_EQ(w->GetTextControl(k + "unclosed")->GetLines(), std::vector<std::wstring>{L"{rule color(1 0 0 1) oops"});
    EXPECT_EQ(w->GetTextControl(k + "half")->GetLines(), std::vector<std::wstring>{L"a {rule color(1 0 0 1)} half"});
    EXPECT_EQ(w->GetTextControl(k + "empty_rule")->GetLines(), std::vector<std::wstring>{L"tail"});
    EXPECT_EQ(w->GetTextControl(k + "empty_rule")->GetRules().size(), 1u);
    // The header is looked for from "{rule" on, not from the text's start.
    GUITextControl* before = w->GetTextControl(k + "before");
    EXPECT_EQ(before->GetLines(), std::vector<std::wstring>{L"ab} red c"});
    ASSERT_EQ(before->GetRules().size(), 1u);
    EXPECT_TRUE(before->GetRules()[0].hasColor);
    // Variables are filled in before the lines break.
    GUITextControl* broken = w->GetTextControl(k + "broken_by_variable");
    broken->SetTextVariable(L"V", L"x|y");
    kit.Step();
    EXPECT_EQ(broken->GetLines(), (std::vector<std::wstring>{L"x", L"y"}));
    // A player's name reaches the rules through a variable.
    GUITextControl* fu = w->GetTextControl(k + "fu");
    fu->SetLiteralText(L"%P%");
    fu->SetTextVariable(L"P", L"{rule size(3)}}}{rule");
    kit.Step();
    EXPECT_EQ(fu->GetLines(), std::vector<std::wstring>{L"}{rule"});

    // Huge and missing sizes.
    GUITextControl* huge = w->GetTextControl(k + "huge");
    EXPECT_FLOAT_EQ(huge->GetFontSize(), GUITextControl::kMaxFontSize);
    EXPECT_FLOAT_EQ(huge->GetCurrentFontSize(), 10) << "from 1000 down to where WWW fits";
    EXPECT_FLOAT_EQ(w->GetTextControl(k + "nan")->GetCurrentFontSize(), 20);
    // Neither a speed nor a limit: at once. No limit: the speed alone.
    GUITextControl* noPace = w->GetTextControl(k + "no_pace");
    EXPECT_TRUE(noPace->IsPrintingDone());
    EXPECT_GE(noPace->GetPrinted(), 6);
    GUITextControl* noLimit = w->GetTextControl(k + "no_limit");
    for (int n = 0; n < 70 && !noLimit->IsPrintingDone(); ++n)
        kit.Step();
    EXPECT_TRUE(noLimit->IsPrintingDone());
    // An unknown font draws nothing.
    EXPECT_TRUE(w->GetTextControl(k + "unknown_font")->GetLines().empty());
    EXPECT_EQ(w->GetTextControl(k + "unknown_font")->GetWidget()->GetTextCount(), 0u);

    // Action words: an unknown one keeps the control out of group shows,
    // "show" as the hide action shows it on a hide.
    EXPECT_FALSE(w->GetControl(k + "hidden_word")->IsVisible());
    w->SetVisible(false);
    kit.Step();
    EXPECT_TRUE(w->GetControl(k + "inverted")->IsVisible());
    EXPECT_TRUE(w->GetControl(k + "inverted")->IsShowing());
    EXPECT_FALSE(w->GetControl(k + "fu")->IsShowing());
}

// ---------------------------------------------------------------- fonts

TEST_F(Toolkit, TheFontTableLoadsWhatItCanAndLogsEveryEntryItLeavesOut)
{
    LoadTools("cz");
    ShaderManager& shaders = *kit.scene.shaders;
    kit.tools.reset();
    kit.scene.log->ClearHistory();
    const size_t usersBefore = shaders.GetUserCount();
    kit.tools.reset(new GUIToolManager("cz"));
    GUIFontTool* fonts = kit.tools->GetFontTool();
    for (const char* name : {"block", "sized", "virtual", "flat", "tail"})
        EXPECT_GE(fonts->GetFontId(name), 0) << name;
    for (const char* name : {"lost", "unsized", "pathless", "additional", "nothing"})
        EXPECT_EQ(fonts->GetFontId(name), -1) << name;
    EXPECT_EQ(fonts->GetFont("nothing"), nullptr);
    EXPECT_FLOAT_EQ(fonts->GetFont("block")->size, 20) << "the first font of a name";
    EXPECT_GE(shaders.GetUserCount(), usersBefore + fonts->GetFontIds().size());
    EXPECT_FLOAT_EQ(fonts->GetFont("sized")->size, 20) << "the Czech size";
    EXPECT_TRUE(fonts->GetFont("tail")->fixedPitch);
    EXPECT_FLOAT_EQ(fonts->GetFont("virtual")->spaceRatio, 2);
    Vector2 measured;
    fonts->GetFont("virtual")->GetTextSize(measured, L"A", 0, -1);
    EXPECT_NEAR(measured.y, 32, 0.01) << "virtual size 32 over size 16";
    EXPECT_FLOAT_EQ(fonts->GetFont("flat")->lineFactor, 1);

    const std::string p = "(GUIFontTool::GUIFontTool): font with \"";
    EXPECT_EQ(kit.ErrorsWith("missing.kefnt"), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "5\" index have not name"), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "unsized\" name have not size"), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "pathless\" name have not description file"), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "block\" name is already loaded"), 1);
    EXPECT_EQ(kit.ErrorsWith(p + "flat\" name has a virtual size but no size above 0"), 1);

    fonts->LoadAdditionalFonts();
    EXPECT_GE(fonts->GetFontId("additional"), 0);
    EXPECT_FLOAT_EQ(fonts->GetFont("block")->size, 20);
    kit.tools.reset();
    EXPECT_EQ(shaders.GetUserCount(), usersBefore) << "the table releases its shader users";

    // English takes the entry's own size.
    LoadTools("en");
    EXPECT_FLOAT_EQ(kit.tools->GetFontTool()->GetFont("sized")->size, 16);
}

// ---------------------------------------------------------------- bad descriptions

TEST_F(Toolkit, DescriptionFaultsAreFatalWithTheirMessageOrLoggedWithTheWindowBuilt)
{
    LoadTools("cz");
    EXPECT_EQ(kit.ErrorsWith("zz_broken.xml\" window description"), 1) << "the broken file is named";
    const uint32_t widgetsBefore = kit.scene.gui->GetWidgetCount();
    const std::string p = "(GUIWindowBase::ParseControls): ";
    EXPECT_EQ(FatalOf("bad_kind"), p + "Unknown \"label\" control type");
    EXPECT_EQ(FatalOf("bad_fader"), p + "Unknown \"nope\" fader");
    EXPECT_EQ(FatalOf("nameless"), p + "Failed to find attribute \"name\" in node with \"button\" name");
    EXPECT_EQ(FatalOf("window_nowhere"), p + "Unknown \"window_nowhere\" window");
    const std::string ancestor = FatalOf("ancestor");
    EXPECT_EQ(ancestor.rfind(p + "\"ancestor/child/child/child", 0), 0u) << ancestor;
    EXPECT_NE(ancestor.find("\" control is nested deeper than 32 levels"), std::string::npos) << ancestor;
    EXPECT_EQ(kit.scene.gui->GetWidgetCount(), widgetsBefore) << "a failed window leaves no widget behind";

    // A cycle of templates and a template naming itself: one error each,
    // naming template and window, and the window is built with what the
    // chain gave before it turned round.
    kit.scene.log->ClearHistory();
    auto cycle = Build("cycle");
    ASSERT_EQ(kit.Errors().size(), 1u);
    EXPECT_EQ(kit.Errors()[0], "Error: (GUIWindowBase::FindTemplateNodes): \"cycle_a\" template of \"cycle\" window "
                               "leads back into its own template chain!\n");
    GUIWindowControl* x = cycle->GetWindowControl("cycle/x");
    ASSERT_NE(x, nullptr);
    EXPECT_FLOAT_EQ(x->size.x, 11);
    EXPECT_FLOAT_EQ(x->position.x, 5);
    kit.scene.log->ClearHistory();
    auto self = Build("self");
    ASSERT_EQ(kit.Errors().size(), 1u);
    EXPECT_NE(kit.Errors()[0].find("\"self_template\" template of \"self\" window"), std::string::npos);
    EXPECT_FLOAT_EQ(self->GetWindowControl("self/x")->size.y, 8);
    // An element's child and its template's child may name one template:
    // no error, and the control takes from both children and the template.
    kit.scene.log->ClearHistory();
    auto shared = Build("shared");
    EXPECT_EQ(kit.Errors().size(), 0u) << (kit.Errors().empty() ? "" : kit.Errors()[0]);
    GUIWindowControl* sx = shared->GetWindowControl("shared/x");
    ASSERT_NE(sx, nullptr);
    EXPECT_FLOAT_EQ(sx->size.x, 3);
    EXPECT_FLOAT_EQ(sx->position.x, 9);
    EXPECT_EQ(sx->height, 6);

    // A model the registry lacks is its error; the window is built.
    kit.scene.log->ClearHistory();
    auto missing = Build("missing_model");
    EXPECT_EQ(kit.ErrorsWith("ui/no_such_model"), 1);
    ASSERT_NE(missing->GetWindowControl("missing_model/x"), nullptr);
    missing->SetVisible(true);
    for (int n = 0; n < 3; ++n)
        kit.Step();
    EXPECT_TRUE(missing->IsVisible());
}

// ---------------------------------------------------------------- real input

// Real input reaches the controls only after X has handed it to Wine and a
// frame has read it, which takes real time: the frames' own clock stays the
// test's (a fixed frame time), and every wait for input is a condition polled
// over frames against a deadline in seconds.
class ToolkitInput : public Toolkit {
protected:
    // A host line's run (xdotool started through Wine, its marker polled
    // for) took 0.05 to 0.16 s here with other test runs beside it, so no
    // more on an idle machine; the deadline leaves a loaded one far more.
    static constexpr unsigned kLineDeadlineMs = 30000;
    // From a host line's end to the frames showing what it sent: 0 to
    // 0.011 s here (the same runs), a frame or two.
    static constexpr double kInputDeadline = 5.0;

    void SetUp() override
    {
        kit.Start(TestSupport::ExecutableName(), true);
        WriteFixture(kit.set);
        kit.Open();
        shell.reset(new TestSupport::HostShell(kit.root));
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        LoadTools("cz");
    }
    void TearDown() override
    {
        if (shell && shell->Available())
            shell->Run("xdotool mouseup 1", [] { GUITest::Pump(); });
        Toolkit::TearDown();
    }
    std::string At(float x, float y)
    {
        POINT p = {LONG(kit.scene.PixelX(x)), LONG(kit.scene.PixelY(y))};
        ClientToScreen(kit.scene.window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }
    static double Now()
    {
        LARGE_INTEGER f, c;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&c);
        return double(c.QuadPart) / double(f.QuadPart);
    }
    // One frame, then watch (which sees every frame's one-frame flags).
    void Frame(const std::function<void()>& watch)
    {
        kit.Step();
        if (watch)
            watch();
        Sleep(5);
    }
    // A host line while frames go on; one that fails stops the test.
    void Send(const std::string& line, const std::function<void()>& watch = nullptr)
    {
        const double start = Now();
        int status = -1;
        ASSERT_TRUE(shell->Run(line, [&] { Frame(watch); }, kLineDeadlineMs, &status))
            << line << " (exit status " << status << ")";
        std::printf("[ input    ] %.3f s  %s\n", Now() - start, line.c_str());
    }
    // Frames until done holds, or a failure naming what did not come.
    ::testing::AssertionResult FramesUntil(const char* what, const std::function<bool()>& done,
                                           const std::function<void()>& watch = nullptr)
    {
        const double start = Now();
        while (!done()) {
            if (Now() - start > kInputDeadline)
                return ::testing::AssertionFailure() << what << ": not within " << kInputDeadline << " s";
            Frame(watch);
        }
        std::printf("[ input    ] %.3f s  %s\n", Now() - start, what);
        return ::testing::AssertionSuccess();
    }
    // The pointer onto a GUI point, until the frames read it there (within
    // two pixels: the screen position is whole pixels).
    void MoveTo(float x, float y)
    {
        ASSERT_NO_FATAL_FAILURE(Send("xdotool mousemove " + At(x, y)));
        const float slackX = 2 * GUITest::kWidth / kit.scene.window->GetWidth();
        const float slackY = 2 * GUITest::kHeight / kit.scene.window->GetHeight();
        ASSERT_TRUE(FramesUntil("the pointer read where it was moved", [&] {
            const Vector2 c = kit.scene.gui->GetCursorPosition();
            return std::fabs(c.x - x) <= slackX && std::fabs(c.y - y) <= slackY;
        })) << "the GUI cursor is at " << kit.scene.gui->GetCursorPosition().x << ", "
            << kit.scene.gui->GetCursorPosition().y;
    }
    // A click where the pointer is, until the button's press has come and gone.
    void Click(GUIButton* button, const std::function<void()>& watch = nullptr)
    {
        bool pressed = false;
        auto seen = [&] {
            pressed |= button->IsPressActive();
            if (watch)
                watch();
        };
        ASSERT_NO_FATAL_FAILURE(Send("xdotool click 1", seen));
        ASSERT_TRUE(FramesUntil("a click pressed and released", [&] { return pressed && !button->IsPressActive(); },
                                seen));
    }
    std::unique_ptr<TestSupport::HostShell> shell;
};

TEST_F(ToolkitInput, ClicksTypingAndDragsReachTheControlsWidgets)
{
    auto w = Build("window_input");
    w->SetVisible(true);
    for (int n = 0; n < 5; ++n)
        kit.Step();
    // X gives the keys to the window under the pointer.
    ASSERT_NO_FATAL_FAILURE(MoveTo(400, 300));

    GUIButton* ok = w->GetGUIButton("window_input/ok");
    ASSERT_NE(ok, nullptr);
    int clicks = 0;
    auto countClicks = [&] { clicks += ok->clicked; };
    ASSERT_NO_FATAL_FAILURE(MoveTo(200, 480));
    ASSERT_NO_FATAL_FAILURE(Click(ok, countClicks));
    // Press and release are both read: the frames after bring no other click.
    for (int n = 0; n < 5; ++n)
        Frame(countClicks);
    EXPECT_EQ(clicks, 1) << "one frame of click";

    GUICheckBox* check = w->GetGUICheckBox("window_input/check");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->checked, 0);
    ASSERT_NO_FATAL_FAILURE(MoveTo(430, 480));
    ASSERT_NO_FATAL_FAILURE(Click(check));
    EXPECT_EQ(check->checked, 1);
    ASSERT_NO_FATAL_FAILURE(Click(check));
    EXPECT_EQ(check->checked, 0);

    // One key at a time, each waited for: a frame takes one typed key.
    GUIEditBox* edit = w->GetGUIEditBox("window_input/name");
    ASSERT_NE(edit, nullptr);
    ASSERT_NO_FATAL_FAILURE(MoveTo(300, 350));
    std::wstring typed;
    for (char c : std::string("Ab1")) {
        typed += wchar_t(c);
        ASSERT_NO_FATAL_FAILURE(Send(std::string("xdotool type ") + c));
        ASSERT_TRUE(FramesUntil("a typed key in the edit box", [&] { return edit->GetText().size() >= typed.size(); }))
            << WideToNarrow(edit->GetText());
        EXPECT_EQ(edit->GetText(), typed);
    }

    GUIScroll* scroll = w->GetGUIScroll("window_input/scroll");
    ASSERT_NE(scroll, nullptr);
    scroll->SetValueCount(5);
    scroll->SetValue(0);
    for (int n = 0; n < 3; ++n)
        kit.Step();
    // The thumb's centre from value 0 to three quarters of the travel.
    GUIButton* thumb = scroll->GetToddler();
    ASSERT_NE(thumb, nullptr);
    const float y = 220, from = 100 + 40 + 20, to = from + 0.75f * 280;
    ASSERT_NO_FATAL_FAILURE(MoveTo(from, y));
    ASSERT_NO_FATAL_FAILURE(Send("xdotool mousedown 1"));
    ASSERT_TRUE(FramesUntil("the thumb taken", [&] { return thumb->IsPressActive(); }));
    ASSERT_NO_FATAL_FAILURE(MoveTo((from + to) / 2, y));
    ASSERT_NO_FATAL_FAILURE(MoveTo(to, y));
    EXPECT_EQ(scroll->value, 3u) << "dragged to three quarters";
    ASSERT_NO_FATAL_FAILURE(Send("xdotool mouseup 1"));
    ASSERT_TRUE(FramesUntil("the thumb let go", [&] { return !thumb->IsPressActive(); }));
    EXPECT_EQ(scroll->value, 3u);
    GUIButton* increase = scroll->GetIncreaseButton();
    ASSERT_NE(increase, nullptr);
    ASSERT_NO_FATAL_FAILURE(MoveTo(100 + 380, y));
    ASSERT_NO_FATAL_FAILURE(Click(increase));
    EXPECT_EQ(scroll->value, 4u) << "the increase button adds its step";
}

// ---------------------------------------------------------------- shipped content

TEST(ToolkitContent, EveryShippedWindowBuildsReadsAndClosesInBothLanguages)
{
    ToolkitTest::Toolkit kit;
    kit.Start(TestSupport::ExecutableName(), false);
    // The modules that make what windows need, packed as the game ships it.
    Content::Options options;
    Content::AddTexts(kit.set, options);
    Content::AddFonts(kit.set, options);
    Content::AddFontTable(kit.set, options);
    Content::AddWindows(kit.set, options);
    Content::AddRelaxWindow(kit.set, options);
    kit.Open(false);
    for (const char* code : Content::Texts::kLanguages) {
        SCOPED_TRACE(code);
        kit.windows.clear();
        kit.scene.log->ClearHistory();
        kit.Load(code, {Content::Windows::kResourceList, Content::Windows::kAdditionalResourceList});
        kit.tools->GetFontTool()->LoadAdditionalFonts();
        for (const Content::FontTable::Entry& e : Content::FontTable::kEntries)
            EXPECT_GE(kit.tools->GetFontTool()->GetFontId(e.name), 0) << e.name;
        for (const char* name : Content::Windows::kWindowNames) {
            SCOPED_TRACE(name);
            std::unique_ptr<GUIWindowBase> w(new GUIWindowBase(kit.registry.get(), kit.tools.get(), nullptr, name));
            kit.windows = {w.get()};
            w->SetVisible(true);
            for (int n = 0; n < 60; ++n)
                kit.Step();
            for (GUIControl* c : w->GetControls()) {
                if (GUITextControl* t = dynamic_cast<GUITextControl*>(c)) {
                    EXPECT_EQ(t->GetText().find(L"UNKNOWN"), std::wstring::npos) << t->GetKey();
                    GUIFont* font = kit.tools->GetFontTool()->GetFont(t->GetFontName());
                    ASSERT_NE(font, nullptr) << t->GetKey();
                    EXPECT_FALSE(t->GetLines().empty()) << t->GetKey();
                    for (const std::wstring& line : t->GetLines())
                        for (wchar_t ch : line)
                            EXPECT_TRUE(font->HasGlyph(ch) || ch == L' ') << t->GetKey() << " U+" << int(ch);
                    EXPECT_TRUE(t->IsPrintingDone()) << t->GetKey();
                }
                if (GUIEditBoxControl* e = dynamic_cast<GUIEditBoxControl*>(c)) {
                    EXPECT_GE(e->GetFontId(), 0) << e->GetKey();
                }
                EXPECT_TRUE(c->GetWidget()->IsVisible()) << c->GetKey();
            }
            // Hidden, the window closes by itself once its controls have played out.
            w->SetVisible(false);
            int frames = 0;
            while (w->IsVisible() && frames < 100) {
                kit.Step();
                ++frames;
            }
            EXPECT_FALSE(w->IsVisible());
            EXPECT_GT(frames, 3) << "the controls play their hide";
            kit.windows.clear();
        }
        EXPECT_EQ(kit.Errors(), std::vector<std::string>());
    }
}

} // namespace
