#pragma once
// Colours and sizes of the generated interface art that the tests look for
// on screen: the console panel, the cursor arrow and the menu background.
#include <cstdint>

namespace Content {

// The console picture's colour (a dark blue-green), before the panel's alpha.
const uint8_t kConsoleColour[3] = {16, 52, 64};

} // namespace Content
