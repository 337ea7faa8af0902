// The window descriptions (data\ui\windows, one file a window): the fader
// table, the control templates and every screen of the game, laid out from
// the colour and layout table of Screens.h; their art is WindowArt.cpp's.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>

#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/FontTable.h"
#include "tools/content/Modules.h"
#include "tools/content/Screens.h"
#include "tools/content/Texts.h"
#include "tools/content/WindowArt.h"
#include "tools/content/Windows.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace Windows {

namespace {

using ContentTools::XmlElement;

// ---------------------------------------------------------------- descriptions

XmlElement Faders()
{
    XmlElement faders("faders");
    // Menu controls fade in a little after the frame starts opening.
    faders.Add("fader")
        .Set("name", "menu_fade")
        .Set("type", "timed")
        .Set("show_speed", 2.5f)
        .Set("hide_speed", 4.0f)
        .Set("min", 0.0f)
        .Set("max", 1.0f)
        .Set("fade_offset", 0.1f)
        .Set("show_offset", 0.15f)
        .Set("hide_offset", 0.0f);
    // A window's outermost container has nothing to draw, but hiding it
    // hides everything inside: it holds on until the slowest hide within
    // (the frame's backward frames) has played out.
    faders.Add("fader")
        .Set("name", "window_hold")
        .Set("type", "timed")
        .Set("show_speed", 100.0f)
        .Set("hide_speed", 1.5f)
        .Set("min", 1.0f)
        .Set("max", 1.0f);
    // The frame's alpha follows its opening animation.
    faders.Add("fader")
        .Set("name", "frame_fade")
        .Set("type", "model_animation")
        .Set("show_speed", 1.0f)
        .Set("hide_speed", 1.0f)
        .Set("min", 0.2f)
        .Set("max", 1.0f);
    // The in-game menu's panel and controls: their delays are the window's
    // to change (it shortens them when coming back from a confirmation).
    faders.Add("fader")
        .Set("name", "game_logic_window")
        .Set("type", "model_animation")
        .Set("show_speed", 1.0f)
        .Set("hide_speed", 1.0f)
        .Set("min", 0.2f)
        .Set("max", 1.0f)
        .Set("show_offset", Screens::kGameMenuWindowDelay);
    faders.Add("fader")
        .Set("name", "game_logic_control")
        .Set("type", "timed")
        .Set("show_speed", 2.5f)
        .Set("hide_speed", 4.0f)
        .Set("min", 0.0f)
        .Set("max", 1.0f)
        .Set("show_offset", Screens::kGameMenuControlDelay);
    return faders;
}

XmlElement TemplateButton()
{
    XmlElement b("button");
    b.Set("name", "template_button").Set("model", "menu_button").Set("size", 220.0f, 46.0f).Set("fader", "menu_fade");
    b.Add("text_label")
        .Set("name", "title")
        .Set("size", 220.0f, 46.0f)
        .Set("height", 2)
        .Set("font", "main_menu_0")
        .Set("font_size", 26.0f)
        .Set("auto_font_size", 1)
        .Set("alignment_h", "center")
        .Set("alignment_v", "center")
        .Set("fader", "menu_fade");
    return b;
}

XmlElement TemplateCheckBox()
{
    XmlElement c("check_box");
    c.Set("name", "template_check_box").Set("model", "menu_check_box").Set("size", 36.0f, 36.0f);
    c.Set("fader", "menu_fade");
    return c;
}

XmlElement TemplateScroll()
{
    XmlElement s("scroll");
    s.Set("name", "template_scroll")
        .Set("model", "menu_scroll_track")
        .Set("size", 260.0f, 28.0f)
        .Set("fader", "menu_fade")
        .Set("toddler_model", "menu_scroll_thumb")
        .Set("toddler_size", 28.0f, 28.0f)
        .Set("toddler_min_position", 28.0f, 0.0f)
        .Set("toddler_max_position", 204.0f, 0.0f)
        .Set("orientation", "horizontal")
        .Set("decrease_button_model", "menu_scroll_decrease")
        .Set("decrease_button_position", 0.0f, 0.0f)
        .Set("decrease_button_size", 28.0f, 28.0f)
        .Set("increase_button_model", "menu_scroll_increase")
        .Set("increase_button_position", 232.0f, 0.0f)
        .Set("increase_button_size", 28.0f, 28.0f)
        .Set("buttons_alignment", "upper");
    return s;
}

// The menu frame is reached through a second template: the panel, which
// gives the opening model and its fader to every framed window.
XmlElement TemplatePanel()
{
    XmlElement p("window");
    p.Set("name", "template_panel")
        .Set("model", "menu_frame")
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 7)
        .Set("fader", "frame_fade");
    return p;
}

XmlElement TemplateMenuFrame()
{
    XmlElement f("window");
    f.Set("name", "template_menu_frame").Set("template", "template_panel").Set("position", 220.0f, 90.0f);
    f.Set("size", 360.0f, 380.0f);
    return f;
}

XmlElement Label(const std::string& name, const std::string& text, float x, float y, float w, float h,
                 const std::string& font, float size, const std::string& alignH = "left")
{
    XmlElement t("text_label");
    t.Set("name", name)
        .Set("position", x, y)
        .Set("size", w, h)
        .Set("height", 2)
        .Set("font", font)
        .Set("font_size", size)
        .Set("text", text)
        .Set("alignment_h", alignH)
        .Set("alignment_v", "center")
        .Set("fader", "menu_fade");
    return t;
}

// A paragraph: wrapped lines, centred, shrunk to fit.
XmlElement Paragraph(const std::string& name, const std::string& text, float x, float y, float w, float h)
{
    XmlElement t = Label(name, text, x, y, w, h, "common_1", 22, "center");
    t.Set("multiline", 1).Set("auto_font_size", 1);
    return t;
}

XmlElement Button(const std::string& name, const std::string& text, float x, float y, float w = 220)
{
    XmlElement b("button");
    b.Set("name", name).Set("template", "template_button").Set("position", x, y);
    if (w != 220)
        b.Set("size", w, 46.0f);
    XmlElement& title = b.Add("text_label");
    title.Set("name", "title").Set("text", text);
    if (w != 220)
        title.Set("size", w, 46.0f);
    return b;
}

XmlElement CheckBox(const std::string& name, float x, float y)
{
    XmlElement c("check_box");
    c.Set("name", name).Set("template", "template_check_box").Set("position", x, y);
    return c;
}

// A screen's panel ("/window"): its own model (the opening frames in the
// screen's colour) where the colour table places it.
XmlElement Panel(const std::string& window, const std::string& fader = "frame_fade")
{
    const Screens::Panel* p = Screens::FindPanel(window.c_str());
    if (!p)
        throw std::runtime_error("window \"" + window + "\" has no panel colour");
    XmlElement w("window");
    w.Set("name", "window")
        .Set("model", "panel_" + window.substr(7))
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 7)
        .Set("fader", fader)
        .Set("position", p->x, p->y)
        .Set("size", p->width, p->height);
    return w;
}

// A window root: a full-screen container holding the printed title, the
// places of the two small publisher logos and the panel.
XmlElement WindowRoot(const std::string& name, const std::string& titleKey, const std::string& titleFont = "main_menu_0",
                      const std::string& logoShader = "logo_slot", bool logos = true, float titleY = 500)
{
    XmlElement w("window");
    w.Set("name", name).Set("size", 800.0f, 600.0f).Set("fader", "window_hold");
    w.Add("text_label")
        .Set("name", "title")
        .Set("position", 100.0f, titleY)
        .Set("size", 600.0f, 70.0f)
        .Set("height", 3)
        .Set("font", titleFont)
        .Set("font_size", 44.0f)
        .Set("auto_font_size", 1)
        .Set("text", titleKey)
        .Set("alignment_h", "center")
        .Set("alignment_v", "center")
        .Set("printing_mode", 1)
        .Set("printing_speed", 40.0f)
        .Set("max_printing_time", 1.2f)
        .Set("fader", "menu_fade");
    for (int i = 0; i < (logos ? 2 : 0); ++i)
        w.Add("window")
            .Set("name", "logo_additional_" + std::to_string(i))
            .Set("shader", logoShader)
            .Set("position", i == 0 ? 8.0f : 664.0f, 8.0f)
            .Set("size", float(Screens::kSmallLogoWidth), float(Screens::kSmallLogoHeight))
            .Set("fader", "menu_fade");
    return w;
}

// The two frames behind the title of the in-game dialogs and the completion
// window: an unrolling one and a standing one (which of them shows is the
// window's choice).
void AddTitleMounts(XmlElement& root)
{
    const float y = Screens::kInGameTitleY - 4;
    root.Add("window")
        .Set("name", "title_mount_animated")
        .Set("model", "title_mount_animated")
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 7)
        .Set("fader", "frame_fade")
        .Set("position", 130.0f, y)
        .Set("size", 540.0f, 78.0f);
    root.Add("window")
        .Set("name", "title_mount_static")
        .Set("model", "title_mount_static")
        .Set("position", 130.0f, y)
        .Set("size", 540.0f, 78.0f);
}

// The root of a window shown over the play field: no logos (they would
// cover the path), the title below the play screen's bar, in its frames.
XmlElement InGameRoot(const std::string& name, const std::string& titleKey)
{
    XmlElement w = WindowRoot(name, titleKey, "main_menu_0", "logo_slot", false, Screens::kInGameTitleY);
    AddTitleMounts(w);
    return w;
}

XmlElement NameEdit(float x, float y)
{
    XmlElement e("edit_box");
    e.Set("name", "name")
        .Set("shader", "menu_edit_box")
        .Set("position", x, y)
        .Set("size", 360.0f, 44.0f)
        .Set("fader", "menu_fade")
        .Set("font", "common_1")
        .Set("font_color", 1.0f, 0.95f, 0.8f, 1.0f)
        .Set("text_offset", 12.0f, 12.0f)
        .Set("cursor_character", "_")
        .Set("max_character_count", 24)
        .Set("max_text_length", 330.0f)
        .Set("visible_text_width", 336.0f);
    return e;
}

XmlElement MainMenu()
{
    XmlElement w = WindowRoot("window_main_menu", "main_menu/title");
    XmlElement& frame = w.Add(Panel("window_main_menu"));
    const char* buttons[5][2] = {{"start", "main_menu/start"},
                                 {"options", "main_menu/options"},
                                 {"change_player", "main_menu/change_player"},
                                 {"credits", "main_menu/credits"},
                                 {"exit", "common/exit"}};
    for (int i = 0; i < 5; ++i)
        frame.Add(Button(buttons[i][0], buttons[i][1], Screens::kMainMenuButtonX,
                         Screens::kMainMenuButtonTopY - Screens::kMainMenuButtonPitch * i, Screens::kMainMenuButtonWidth));
    return w;
}

XmlElement OptionsWindow()
{
    XmlElement w = WindowRoot("window_options", "options/title");
    XmlElement& frame = w.Add(Panel("window_options"));
    frame.Add(Label("sound_text", "options/sound", 30, 320, 170, 36, "common_0", 22));
    frame.Add("scroll").Set("name", "sound").Set("template", "template_scroll").Set("position", 210.0f, 324.0f);
    frame.Add(Label("music_text", "options/music", 30, 260, 170, 36, "common_0", 22));
    frame.Add("scroll").Set("name", "music").Set("template", "template_scroll").Set("position", 210.0f, 264.0f);
    frame.Add(Label("fullscreen_text", "options/fullscreen", 30, 200, 170, 36, "common_0", 22));
    frame.Add(CheckBox("fullscreen", 210, 200));
    frame.Add(Label("video_mode_title", "options/video_mode", 30, 140, 170, 36, "common_0", 22));
    frame.Add("button")
        .Set("name", "decrease_video_mode")
        .Set("model", "menu_scroll_decrease")
        .Set("position", 210.0f, 144.0f)
        .Set("size", 28.0f, 28.0f)
        .Set("fader", "menu_fade");
    XmlElement& mode = frame.Add("window");
    mode.Set("name", "video_mode").Set("position", 242.0f, 140.0f).Set("size", 186.0f, 36.0f);
    mode.Add(Label("text", "'800x600'", 0, 0, 186, 36, "common_0", 22, "center"));
    frame.Add("button")
        .Set("name", "increase_video_mode")
        .Set("model", "menu_scroll_increase")
        .Set("position", 432.0f, 144.0f)
        .Set("size", 28.0f, 28.0f)
        .Set("fader", "menu_fade");
    // Cancel, defaults, confirm from left to right.
    frame.Add(Button("button_0", "common/cancel", 20, 30, 140));
    frame.Add(Button("button_1", "options/defaults", 180, 30, 140));
    frame.Add(Button("button_2", "common/ok", 340, 30, 140));
    return w;
}

XmlElement LoadingWindow(const std::string& name, const std::string& title, const std::string& text, bool basic)
{
    XmlElement w = WindowRoot(name, title, basic ? "loading" : "main_menu_0", basic ? "logo_slot_basic" : "logo_slot");
    XmlElement& frame = w.Add(Panel(name));
    XmlElement t = Label("text", text, 20, 40, 300, 70, basic ? "loading" : "common_1", 24, "center");
    t.Set("multiline", 1).Set("auto_font_size", 1);
    frame.Add(std::move(t));
    return w;
}

// The name windows: a line of text, the name field, cancel (or exit) and OK.
XmlElement NameWindow(const std::string& name, const std::string& title, const std::string& text,
                      const std::string& cancel)
{
    XmlElement w = WindowRoot(name, title);
    XmlElement& frame = w.Add(Panel(name));
    const Screens::Panel* p = Screens::FindPanel(name.c_str());
    const float top = p->height;
    frame.Add(Label("text", text, 30, top - 80, 380, 40, "common_1", 24, "center"));
    frame.Add(NameEdit(40, top - Screens::kNameFieldDrop));
    frame.Add(Button("button_0", cancel, Screens::kNameCancelX, Screens::kNameButtonY, Screens::kNameButtonWidth));
    frame.Add(Button("button_1", "common/ok", Screens::kNameOkX, Screens::kNameButtonY, Screens::kNameButtonWidth));
    return w;
}

// A question or notice: a paragraph and one or two buttons (button_0 left).
XmlElement Dialog(const std::string& name, const std::string& title, const std::string& text,
                  const std::vector<std::string>& buttons, bool mounts = false,
                  const std::string& fader = "frame_fade")
{
    XmlElement w = mounts ? InGameRoot(name, title) : WindowRoot(name, title);
    XmlElement& frame = w.Add(Panel(name, fader));
    const Screens::Panel* p = Screens::FindPanel(name.c_str());
    frame.Add(Paragraph("text", text, 20, 84, p->width - 40, p->height - 100));
    const float m = Screens::kDialogMargin;
    const float width = buttons.size() == 1 ? Screens::kDialogSingleWidth : (p->width - 3 * m) / 2;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const float x = buttons.size() == 1 ? (p->width - width) / 2 : m + i * (width + m);
        frame.Add(Button("button_" + std::to_string(i), buttons[i], x, Screens::kDialogButtonY, width));
    }
    return w;
}

XmlElement ProfilesWindow()
{
    XmlElement w = WindowRoot("window_profiles", "profiles/title");
    XmlElement& frame = w.Add(Panel("window_profiles"));
    XmlElement& area = frame.Add("window");
    area.Set("name", "text_area")
        .Set("position", Screens::kProfileAreaX, Screens::kProfileAreaY)
        .Set("size", Screens::kProfileRowWidth, 12 * Screens::kProfileRowPitch);
    // Numbered bottom up: row 0 of the window is the top one, number 11.
    for (int i = 0; i < 12; ++i) {
        XmlElement& row = area.Add("button");
        row.Set("name", "button_profile_" + std::string(i < 10 ? "0" : "") + std::to_string(i))
            .Set("model", "profile_row")
            .Set("position", 0.0f, 1.0f + Screens::kProfileRowPitch * i)
            .Set("size", Screens::kProfileRowWidth, Screens::kProfileRowPitch - 1)
            .Set("fader", "menu_fade");
        row.Add(Label("title", "'-'", 10, 0, 320, 24, "common_0", 18));
    }
    frame.Add("scroll")
        .Set("name", "scroll")
        .Set("model", "menu_scroll_track")
        .Set("position", 366.0f, 110.0f)
        .Set("size", 28.0f, 300.0f)
        .Set("fader", "menu_fade")
        .Set("toddler_model", "menu_scroll_thumb")
        .Set("toddler_size", 28.0f, 28.0f)
        .Set("toddler_min_position", 0.0f, 28.0f)
        .Set("toddler_max_position", 0.0f, 244.0f)
        .Set("orientation", "vertical")
        .Set("decrease_button_model", "menu_scroll_down")
        .Set("decrease_button_position", 0.0f, 0.0f)
        .Set("decrease_button_size", 28.0f, 28.0f)
        .Set("increase_button_model", "menu_scroll_up")
        .Set("increase_button_position", 0.0f, 272.0f)
        .Set("increase_button_size", 28.0f, 28.0f);
    const char* buttons[3][2] = {{"create", "profiles/create"}, {"rename", "profiles/rename"},
                                 {"delete", "profiles/delete"}};
    for (int i = 0; i < 3; ++i)
        frame.Add(Button(buttons[i][0], buttons[i][1], Screens::kProfileButtonX,
                         Screens::kProfileButtonTopY - Screens::kProfileButtonPitch * i, Screens::kProfileButtonWidth));
    frame.Add(Button("done", "profiles/done", Screens::kProfileDoneX, Screens::kProfileDoneY, Screens::kProfileDoneWidth));
    return w;
}

// One item of a start-game list: the box with its preview, padlock, star and
// price.
XmlElement Item(const std::string& name, float x, float y)
{
    const float s = Screens::kItemSize, band = s * Screens::kItemBand;
    XmlElement box("check_box");
    box.Set("name", name).Set("model", "item_check_box").Set("position", x, y).Set("size", s, s).Set("fader", "menu_fade");
    box.Add("window")
        .Set("name", "picture")
        .Set("shader", "preview_placeholder")
        .Set("position", band, band)
        .Set("size", s - 2 * band, s - 2 * band)
        .Set("height", 1)
        .Set("fader", "menu_fade");
    // Held on its first frame by the description: the window turns it.
    box.Add("window")
        .Set("name", "lock")
        .Set("model", "start_game_lock")
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 0)
        .Set("position", s - Screens::kLockSize - 2, s - Screens::kLockSize - 2)
        .Set("size", Screens::kLockSize, Screens::kLockSize)
        .Set("height", 2)
        .Set("fader", "menu_fade");
    box.Add("window")
        .Set("name", "star")
        .Set("model", "start_game_star")
        .Set("position", 4.0f, 4.0f)
        .Set("size", Screens::kStarSize, Screens::kStarSize)
        .Set("height", 3)
        .Set("fader", "menu_fade");
    XmlElement price = Label("text", "'0'", 4 + Screens::kStarSize, 4, s - 8 - Screens::kStarSize, Screens::kStarSize,
                             "common_2", 20, "center");
    price.Set("height", 3);
    box.Add(std::move(price));
    return box;
}

XmlElement StartGameWindow()
{
    // Its panel fills the screen: no room for the small logos.
    XmlElement w = WindowRoot("window_start_game", "start_game/title", "main_menu_0", "logo_slot", false);
    w.Find("text_label")->Set("position", 100.0f, 522.0f).Set("size", 600.0f, 66.0f);
    XmlElement& frame = w.Add(Panel("window_start_game"));
    struct Row {
        const char* list;
        const char* item;
        const char* label;
        float y;
        int count;
    } const rows[] = {{"themes", "theme_", "start_game/themes", Screens::kThemeRowY, Screens::kThemeBoxes},
                      {"pictures", "picture_", "start_game/pictures", Screens::kPictureRowY, Screens::kPictureBoxes},
                      {"puzzles", "puzzle_", "start_game/puzzles", Screens::kPuzzleRowY, Screens::kPuzzleBoxes}};
    for (const Row& r : rows) {
        frame.Add(Label(std::string(r.list) + "_text", r.label, 20, r.y + Screens::kItemSize / 2 - 18, 120, 36,
                        "common_2", 24));
        XmlElement& list = frame.Add("window");
        list.Set("name", r.list).Set("position", 0.0f, 0.0f).Set("size", 1.0f, 1.0f);
        for (int i = 0; i < r.count; ++i)
            list.Add(Item(r.item + std::string("0") + std::to_string(i), Screens::kItemLeft + i * Screens::kItemPitch,
                          r.y));
    }
    // The player's stars, top right.
    XmlElement& stars = frame.Add("window");
    stars.Set("name", "stars_erned").Set("position", 600.0f, 430.0f).Set("size", 150.0f, 40.0f);
    stars.Add("window")
        .Set("name", "icon")
        .Set("model", "start_game_star")
        .Set("size", 36.0f, 36.0f)
        .Set("position", 0.0f, 2.0f)
        .Set("fader", "menu_fade");
    stars.Add(Label("text", "'0'", 42, 0, 108, 40, "common_2", 26));
    frame.Add(Label("size_text", "start_game/size", Screens::kSizeBoxX, Screens::kSizeBoxTopY + 44, 150, 32,
                    "common_2", 22));
    for (int i = 0; i < Catalogue::kSizeCount; ++i) {
        const float y = Screens::kSizeBoxTopY - i * Screens::kSizeBoxPitch;
        frame.Add(CheckBox("puzzle_size_" + std::to_string(i), Screens::kSizeBoxX, y));
        frame.Add(Label("puzzle_size_" + std::to_string(i) + "_text", "start_game/size_" + std::to_string(i),
                        Screens::kSizeBoxX + 42, y, 110, 36, "common_1", 20));
    }
    frame.Add(CheckBox("relax_mode", Screens::kRelaxBoxX, Screens::kRelaxBoxY));
    frame.Add(Label("relax_mode_text", "start_game/relax_mode", Screens::kRelaxBoxX + 42, Screens::kRelaxBoxY, 110, 36,
                    "common_1", 20));
    frame.Add(Button("button_0", "common/back", Screens::kStartBackX, Screens::kStartButtonY, Screens::kStartButtonWidth));
    frame.Add(Button("button_1", "main_menu/start", Screens::kStartPlayX, Screens::kStartButtonY,
                     Screens::kStartButtonWidth));
    // Follows the pointer over a locked item the player can afford.
    XmlElement tip = Label("cursor_tip", "start_game/cursor_tip", 18, -34, 180, 26, "tip", 18);
    tip.Set("height", 10).Set("color", 1.0f, 0.95f, 0.6f, 1.0f);
    w.Add(std::move(tip));
    return w;
}

XmlElement GameLogicWindow()
{
    XmlElement w("window");
    // The whole screen fades out at the end of a level, in the root's time.
    w.Set("name", "window_game_logic").Set("size", 800.0f, 600.0f).Set("fader", "window_hold");
    w.Add("window")
        .Set("name", "bar")
        .Set("model", "hud_bar")
        .Set("position", 0.0f, Screens::kHudBarY)
        .Set("size", 800.0f, Screens::kHudBarHeight)
        .Set("fader", "menu_fade");
    XmlElement& money = w.Add("window");
    money.Set("name", "money").Set("position", 14.0f, Screens::kHudBarY + 3).Set("size", 200.0f, 32.0f);
    money.Set("height", 2);
    money.Add("window")
        .Set("name", "icon")
        .Set("model", "hud_stars")
        .Set("size", 30.0f, 30.0f)
        .Set("position", 0.0f, 1.0f)
        .Set("fader", "menu_fade");
    money.Add(Label("text_1", "'0'", 38, 0, 160, 32, "common_2", 24));
    const char* buttons[3][2] = {{"menu", "hud_button_menu"}, {"minimize", "hud_button_minimize"},
                                 {"close", "hud_button_close"}};
    const float x[3] = {644, 684, 764};
    for (int i = 0; i < 3; ++i)
        w.Add("button")
            .Set("name", buttons[i][0])
            .Set("model", buttons[i][1])
            .Set("position", x[i], Screens::kHudBarY + 3)
            .Set("size", 32.0f, 32.0f)
            .Set("height", 2)
            .Set("fader", "menu_fade");
    w.Add("check_box")
        .Set("name", "fullscreen")
        .Set("model", "hud_check_box")
        .Set("position", 724.0f, Screens::kHudBarY + 3)
        .Set("size", 32.0f, 32.0f)
        .Set("height", 2)
        .Set("fader", "menu_fade");
    // Where the path swallows the pieces (normal play only).
    w.Add("window")
        .Set("name", "eater_bottom")
        .Set("model", "eater_bottom")
        .Set("position", Screens::kEaterX - 26, Screens::kEaterY - 26)
        .Set("size", 52.0f, 52.0f)
        .Set("fader", "menu_fade");
    w.Add("window")
        .Set("name", "eater_arrow")
        .Set("model", "eater_arrow")
        .Set("position", Screens::kEaterX + 28, Screens::kEaterY - 12)
        .Set("size", 24.0f, 24.0f)
        .Set("fader", "menu_fade");
    return w;
}

XmlElement GameLogicMenu()
{
    XmlElement w = InGameRoot("window_game_logic_menu", "game_logic_menu/title");
    XmlElement& frame = w.Add(Panel("window_game_logic_menu", "game_logic_window"));
    auto delayed = [](XmlElement e) {
        e.Set("fader", "game_logic_control");
        if (XmlElement* t = e.Find("text_label"))
            t->Set("fader", "game_logic_control");
        return e;
    };
    auto fitted = [](XmlElement e) {
        e.Set("auto_font_size", 1);
        return e;
    };
    frame.Add(delayed(fitted(Label("sound_text", "options/sound", 20, 316, 106, 36, "common_1", 20))));
    frame.Add(delayed(XmlElement("scroll")))
        .Set("name", "sound")
        .Set("template", "template_scroll")
        .Set("position", 130.0f, 320.0f);
    frame.Add(delayed(fitted(Label("music_text", "options/music", 20, 262, 106, 36, "common_1", 20))));
    frame.Add(delayed(XmlElement("scroll")))
        .Set("name", "music")
        .Set("template", "template_scroll")
        .Set("position", 130.0f, 266.0f);
    frame.Add(delayed(Label("fullscreen_text", "options/fullscreen", 24, 208, 200, 36, "common_1", 20)));
    frame.Add(delayed(CheckBox("fullscreen", 250, 208)));
    const char* const captions[3] = {"game_logic_menu/leave", "game_logic_menu/restart", "game_logic_menu/resume"};
    for (int i = 2; i >= 0; --i)
        frame.Add(delayed(Button("button_" + std::to_string(i), captions[i], Screens::kGameMenuButtonX,
                                 Screens::kGameMenuButtonY[i], Screens::kGameMenuButtonWidth)));
    return w;
}

XmlElement LevelComplete()
{
    XmlElement w = InGameRoot("window_level_complete", "level_complete/title");
    XmlElement& frame = w.Add(Panel("window_level_complete"));
    const char* rows[3][2] = {{"your_time", "level_complete/your_time"},
                              {"stars_earned", "level_complete/stars_earned"},
                              {"stars_total", "level_complete/stars_total"}};
    for (int i = 0; i < 3; ++i) {
        const float y = 210 - 50.0f * i;
        frame.Add(Label(std::string(rows[i][0]) + "_text", rows[i][1], 24, y, 190, 40, "common_1", 22));
        frame.Add(Label(rows[i][0], "'0'", 220, y, 116, 40, "common_2", 28, "right"));
    }
    frame.Add(Button("button_0", "level_complete/continue", Screens::kContinueX, Screens::kContinueY,
                     Screens::kContinueWidth));
    return w;
}

XmlElement CreditsWindow()
{
    XmlElement w = WindowRoot("window_credits", "credits/title");
    XmlElement& frame = w.Add(Panel("window_credits"));
    frame.Add(Paragraph("text", "credits/text", 24, 90, 412, 290));
    frame.Add(Button("button_0", "common/back", 120, 24, 220));
    return w;
}

struct Description {
    std::string file;
    XmlElement root;
};

std::vector<Description> Descriptions()
{
    std::vector<Description> d;
    d.push_back({"faders", Faders()});
    d.push_back({"template_button", TemplateButton()});
    d.push_back({"template_check_box", TemplateCheckBox()});
    d.push_back({"template_scroll", TemplateScroll()});
    d.push_back({"template_panel", TemplatePanel()});
    d.push_back({"template_menu_frame", TemplateMenuFrame()});
    d.push_back({"window_main_menu", MainMenu()});
    d.push_back({"window_options", OptionsWindow()});
    d.push_back({"window_new_profile",
                 NameWindow("window_new_profile", "new_profile/title", "new_profile/text", "common/cancel")});
    d.push_back({"window_game_loading",
                 LoadingWindow("window_game_loading", "common/loading", "game_loading/text", true)});
    d.push_back({"window_game_logic_loading",
                 LoadingWindow("window_game_logic_loading", "game_logic_loading/title", "game_logic_loading/text", false)});
    d.push_back({"window_welcome", NameWindow("window_welcome", "welcome/title", "welcome/text", "common/exit")});
    d.push_back({"window_exit", Dialog("window_exit", "exit/title", "exit/text", {"common/cancel", "common/exit"})});
    d.push_back({"window_profiles", ProfilesWindow()});
    d.push_back({"window_rename_profile", NameWindow("window_rename_profile", "rename_profile/title",
                                                     "rename_profile/text", "common/cancel")});
    d.push_back({"window_delete_profile", Dialog("window_delete_profile", "delete_profile/title",
                                                 "delete_profile/text", {"common/no", "common/yes"})});
    d.push_back({"window_profile_name_conflict", Dialog("window_profile_name_conflict", "profile_name_conflict/title",
                                                        "profile_name_conflict/text", {"common/ok"})});
    d.push_back({"window_start_game", StartGameWindow()});
    d.push_back({"window_credits", CreditsWindow()});
    d.push_back({"window_game_logic", GameLogicWindow()});
    d.push_back({"window_game_logic_pause", Dialog("window_game_logic_pause", "game_logic_pause/title",
                                                   "game_logic_pause/text", {"game_logic_menu/resume"}, true)});
    d.push_back({"window_game_logic_menu", GameLogicMenu()});
    d.push_back({"window_game_logic_restart", Dialog("window_game_logic_restart", "game_logic_restart/title",
                                                     "game_logic_restart/text", {"common/no", "common/yes"}, true)});
    d.push_back({"window_game_logic_menu_exit", Dialog("window_game_logic_menu_exit", "game_logic_menu_exit/title",
                                                       "game_logic_menu_exit/text", {"common/no", "common/yes"}, true)});
    d.push_back({"window_game_logic_game_exit", Dialog("window_game_logic_game_exit", "game_logic_game_exit/title",
                                                       "game_logic_game_exit/text", {"common/no", "common/yes"}, true)});
    d.push_back({"window_game_over", Dialog("window_game_over", "game_over/title", "game_over/text",
                                            {"common/ok"}, true)});
    d.push_back({"window_level_complete", LevelComplete()});
    return d;
}

void Append(std::vector<std::string>& list, const std::string& value)
{
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// The shipped descriptions must hold together: every key in both languages,
// every template, fader and piece of art present.
void Check(const std::vector<Description>& descriptions, const std::vector<Art>& art)
{
    std::set<std::string> roots, faders, arts;
    for (const Description& d : descriptions) {
        if (const std::string* n = d.root.Get("name"))
            roots.insert(*n);
        if (d.root.Name() == "faders")
            for (size_t i = 0; i < d.root.ChildCount(); ++i)
                faders.insert(*d.root.Child(i).Get("name"));
    }
    for (const Art& a : art)
        arts.insert(a.name);
    for (const Description& d : descriptions) {
        References r;
        CollectReferences(d.root, r);
        const std::string where = " in " + d.file + ".xml";
        for (const std::string& key : r.textKeys)
            for (const char* code : Texts::kLanguages)
                if (!Texts::Find(key, code))
                    throw std::runtime_error("text \"" + key + "\" has no " + code + " text" + where);
        for (const std::string& t : r.templates)
            if (!roots.count(t))
                throw std::runtime_error("template \"" + t + "\" is not a description" + where);
        for (const std::string& f : r.faders)
            if (!faders.count(f))
                throw std::runtime_error("fader \"" + f + "\" is not in the fader table" + where);
        for (const std::string& f : r.fonts) {
            bool known = false;
            for (const FontTable::Entry& e : FontTable::kEntries)
                known |= f == e.name;
            if (!known)
                throw std::runtime_error("font \"" + f + "\" is not in the font table" + where);
        }
        // The start-up loading window is drawn before the additional
        // resources and fonts are in.
        if (d.file == "window_game_loading") {
            for (const std::string& f : r.fonts)
                for (const FontTable::Entry& e : FontTable::kEntries)
                    if (f == e.name && e.additional)
                        throw std::runtime_error("font \"" + f + "\" is loaded too late" + where);
            for (const Art& a : art)
                if (!a.basic && (std::find(r.models.begin(), r.models.end(), a.name) != r.models.end() ||
                                 std::find(r.shaders.begin(), r.shaders.end(), a.name) != r.shaders.end()))
                    throw std::runtime_error("\"" + a.name + "\" is loaded too late" + where);
        }
        for (const std::string& m : r.models)
            if (!arts.count(m))
                throw std::runtime_error("model \"" + m + "\" is not made" + where);
        for (const std::string& s : r.shaders)
            if (!arts.count(s))
                throw std::runtime_error("shader \"" + s + "\" is not made" + where);
    }
}

std::vector<std::string> ArtNames(bool models)
{
    std::vector<std::string> out;
    for (const Art& a : MakeArt())
        if (a.model == models)
            out.push_back(a.name);
    return out;
}

} // namespace

void SplitExpression(const std::string& expression, std::vector<std::string>& keys,
                     std::vector<std::string>& literals)
{
    size_t start = 0;
    for (;;) {
        const size_t plus = expression.find('+', start);
        std::string part = expression.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        const size_t open = part.rfind('['), close = part.rfind(']');
        if (open != std::string::npos && close != std::string::npos && open < close) {
            const std::string unit = part.substr(open, close - open + 1);
            for (size_t at; (at = part.find(unit)) != std::string::npos;)
                part.erase(at, unit.size());
        }
        if (part.size() >= 2 && IsQuote(part.front()) && IsQuote(part.back()))
            Append(literals, part.substr(1, part.size() - 2));
        else if (!part.empty())
            Append(keys, part);
        if (plus == std::string::npos)
            return;
        start = plus + 1;
    }
}

void CollectReferences(const XmlElement& e, References& out)
{
    if (const std::string* t = e.Get("text"))
        if (e.Name() == "text_label")
            SplitExpression(*t, out.textKeys, out.literals);
    if (const std::string* f = e.Get("font"))
        Append(out.fonts, *f);
    for (const char* a : kModelAttributes)
        if (const std::string* m = e.Get(a))
            Append(out.models, *m);
    for (const char* a : kShaderAttributes)
        if (const std::string* s = e.Get(a))
            Append(out.shaders, *s);
    if (const std::string* t = e.Get("template"))
        Append(out.templates, *t);
    if (const std::string* f = e.Get("fader"))
        Append(out.faders, *f);
    for (size_t i = 0; i < e.ChildCount(); ++i)
        CollectReferences(e.Child(i), out);
}

std::vector<std::string> Literals()
{
    References r;
    for (const Description& d : Descriptions())
        CollectReferences(d.root, r);
    return r.literals;
}

std::vector<std::string> FontNames()
{
    References r;
    for (const Description& d : Descriptions())
        CollectReferences(d.root, r);
    return r.fonts;
}

const std::vector<std::string>& ModelNames()
{
    static const std::vector<std::string> names = ArtNames(true);
    return names;
}

const std::vector<std::string>& ShaderNames()
{
    static const std::vector<std::string> names = ArtNames(false);
    return names;
}

} // namespace Windows

void AddWindows(ContentSet& set, const Options&)
{
    const std::vector<Windows::Art> art = Windows::MakeArt();
    const std::vector<Windows::Description> descriptions = Windows::Descriptions();
    Windows::Check(descriptions, art);
    Windows::AddArt(set, art);
    Windows::AddParticles(set);
    for (const Windows::Description& d : descriptions)
        set.AddText(std::string(Windows::kFolder) + d.file + ".xml", ContentTools::WriteXml(d.root));
}

} // namespace Content
