#pragma once
// The screens' look in one table: the colours that tell one screen from
// another and the layout of the start-game window's lists, shared by the
// windows module (which draws the art and writes the descriptions from it)
// and the tests that find things on a screenshot.
//
// GUI units: 800 x 600, x right, y up from the bottom-left corner.
#include <cstdint>

namespace Content {
namespace Screens {

struct Rgb8 {
    uint8_t r, g, b;
};

// Every menu window's "/window" panel is filled with its own flat colour
// inside a thin gold rim, opaque once it has opened.
struct Panel {
    const char* window;  // the description's name
    Rgb8 colour;
    float x, y, width, height;  // the panel's place on the screen
};

const Panel kPanels[] = {
    {"window_main_menu", {36, 62, 138}, 270, 70, 260, 390},
    {"window_game_loading", {22, 102, 96}, 230, 210, 340, 150},
    {"window_game_logic_loading", {62, 62, 98}, 230, 210, 340, 150},
    {"window_welcome", {116, 40, 108}, 180, 160, 440, 270},
    {"window_exit", {146, 38, 42}, 200, 190, 400, 210},
    {"window_profiles", {40, 110, 52}, 120, 40, 560, 440},
    {"window_new_profile", {138, 88, 22}, 180, 170, 440, 250},
    {"window_rename_profile", {88, 58, 150}, 180, 170, 440, 250},
    {"window_delete_profile", {158, 64, 28}, 180, 180, 440, 230},
    {"window_profile_name_conflict", {108, 108, 28}, 200, 200, 400, 190},
    {"window_start_game", {28, 78, 122}, 16, 16, 768, 500},
    {"window_credits", {72, 50, 38}, 170, 60, 460, 400},
    {"window_options", {52, 44, 118}, 150, 70, 500, 400},
    {"window_game_logic_pause", {34, 92, 134}, 240, 220, 320, 170},
    {"window_game_logic_menu", {50, 72, 100}, 200, 76, 400, 362},
    {"window_game_logic_restart", {124, 70, 58}, 220, 210, 360, 180},
    {"window_game_logic_menu_exit", {78, 102, 58}, 220, 210, 360, 180},
    {"window_game_logic_game_exit", {130, 48, 82}, 220, 210, 360, 180},
    {"window_game_over", {102, 26, 30}, 220, 190, 360, 220},
    {"window_level_complete", {26, 112, 112}, 220, 150, 360, 290},
    {"window_relax", {84, 96, 40}, 200, 180, 400, 240},
};
const int kPanelCount = sizeof kPanels / sizeof kPanels[0];

// Null for a window without a panel of its own.
inline const Panel* FindPanel(const char* window)
{
    for (const Panel& p : kPanels) {
        const char* a = p.window;
        const char* b = window;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return &p;
    }
    return nullptr;
}

// The play screen's top bar (it has no menu panel).
const Rgb8 kHudBar = {58, 40, 24};
const float kHudBarY = 562, kHudBarHeight = 38;
// Where the path swallows the pieces: its last point in normal play, the
// pieces arriving from the right.
const float kEaterX = 200, kEaterY = 537;
// The in-game dialogs' titles sit lower, clear of the bar.
const float kInGameTitleY = 452;

// A menu button's pointer-over state, the top and the bottom of its face's
// gradient: a button draws it only while it is visible, enabled and reading
// the pointer.
const Rgb8 kButtonOver[2] = {{82, 184, 199}, {41, 117, 143}};

// The start-game window's items: the band round a chosen (checked) box, the
// padlock on a locked one, the star shown with a price.
const Rgb8 kChecked = {255, 190, 24};
const Rgb8 kUnchecked = {70, 84, 104};
const Rgb8 kLock = {196, 36, 196};
const Rgb8 kStar = {255, 236, 60};
// Prices are written white (affordable) or red (too dear) by the window.

// Item boxes, in panel coordinates of "window_start_game/window".
const float kItemSize = 88;
const float kItemPitch = 100;
const float kItemLeft = 150;
const float kThemeRowY = 378, kPictureRowY = 262, kPuzzleRowY = 146;
const int kThemeBoxes = 3, kPictureBoxes = 4, kPuzzleBoxes = 3;
// The band round a box is this share of its side.
const float kItemBand = 0.09f;
const float kLockSize = 30, kStarSize = 26;
// Size boxes (one a puzzle file) and relax mode, in the right-hand column.
const float kSizeBoxX = 612, kSizeBoxTopY = 360, kSizeBoxPitch = 46, kSizeBoxSize = 34;
const float kRelaxBoxX = 612, kRelaxBoxY = 120;

// Buttons, in their panel's coordinates (lower-left corners).
const float kButtonHeight = 46;
// The main menu's five, top down: start, options, change player, credits, exit.
const float kMainMenuButtonX = 20, kMainMenuButtonTopY = 310, kMainMenuButtonPitch = 66, kMainMenuButtonWidth = 220;
// Questions and notices: buttons on one line at this height; one button is
// centred and this wide, two share the width with these margins.
const float kDialogButtonY = 24, kDialogSingleWidth = 200, kDialogMargin = 20;
// The name windows: cancel (button_0) and OK (button_1).
const float kNameButtonY = 30, kNameButtonWidth = 190, kNameCancelX = 20, kNameOkX = 230;
// The start-game window: back and play.
const float kStartBackX = 20, kStartPlayX = 548, kStartButtonY = 24, kStartButtonWidth = 200;
// Level complete's continue.
const float kContinueX = 70, kContinueY = 24, kContinueWidth = 220;
// The in-game menu: resume (button_2), restart (button_1), leave (button_0).
const float kGameMenuButtonX = 90, kGameMenuButtonWidth = 220;
const float kGameMenuButtonY[3] = {28, 84, 140};
// The player list: rows of the "text_area" (at 20, 110), control k (00 at the
// bottom) at k x the pitch; create, rename, delete down the right; done.
const float kProfileAreaX = 20, kProfileAreaY = 110, kProfileRowPitch = 25, kProfileRowWidth = 340;
const float kProfileButtonX = 404, kProfileButtonTopY = 364, kProfileButtonPitch = 60, kProfileButtonWidth = 136;
const float kProfileDoneX = 170, kProfileDoneY = 30, kProfileDoneWidth = 220;
// The name field of the name windows: this far below the panel's top.
const float kNameFieldDrop = 140;

// The in-game menu's controls fade in with these delays after a show from
// play (seconds): the panel's, and the buttons' (its "faders" entries
// "game_logic_window" and "game_logic_control").
const float kGameMenuWindowDelay = 0.15f, kGameMenuControlDelay = 0.35f;

// Publisher logos: the big pictures are 1024 x 1024 with the logo in the
// 800 x 600 corner the logos window shows (the picture's lower-left corner)
// and the rest filled with the contrasting colour.
const int kBigLogoSize = 1024;
const Rgb8 kLogoBackground[2] = {{238, 226, 200}, {18, 30, 58}};
const Rgb8 kLogoContrast = {255, 0, 255};
const int kSmallLogoWidth = 128, kSmallLogoHeight = 64;

} // namespace Screens
} // namespace Content
