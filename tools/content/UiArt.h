#pragma once
// Colours and sizes of the generated interface art that the tests look for
// on screen: the console panel, the cursor arrow and the menu background.
#include <cstdint>

namespace Content {

// The console picture's colour (a dark blue-green), before the panel's alpha.
const uint8_t kConsoleColour[3] = {16, 52, 64};

// The menu background (data\ui\background): the resources' group and the
// description's prefix; the sky's top colour (the top row of the screen,
// before the vignette); its breathing speed in frames a second; the alpha of
// the cloud layer's colour.
const char kBackgroundGroup[] = "background";
const uint8_t kSkyTop[3] = {28, 40, 96};
const float kSkySpeed = 0.2f;
const float kCloudAlpha = 0.5f;

// The cursor arrow (data\ui\cursors\cursor.jpg, the same drawing in the
// system cursors): its fill and outline colours and the picture's side; the
// click sparkle's burst length in seconds.
const uint8_t kCursorFill[3] = {252, 250, 240};
const uint8_t kCursorOutline[3] = {24, 20, 40};
const int kCursorPictureSide = 64;
const float kClickBurstSeconds = 0.5f;

} // namespace Content
