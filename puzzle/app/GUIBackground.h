#pragma once
#include "gui/GUIBackgroundBase.h"

namespace Puzzle {

// The animated background behind every menu:
// "data\ui\background\background.xml" over the game data, its basic layers
// loaded at once. Its top container is the parent of every menu window,
// raised well above the layers.
class GUIBackground : public GUITools::GUIBackgroundBase {
public:
    static const char* const kFileName;
    // How far the windows lie above where the base puts its top container.
    static const int32_t kWindowLevels = 20;

    explicit GUIBackground(GameTools::DataKeeper* gameData);
};

} // namespace Puzzle
