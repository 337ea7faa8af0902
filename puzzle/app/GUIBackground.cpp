#include "puzzle/app/GUIBackground.h"

#include "gui/GUIWindow.h"

namespace Puzzle {

const char* const GUIBackground::kFileName = "data\\ui\\background\\background.xml";

GUIBackground::GUIBackground(GameTools::DataKeeper* gameData) : GUIBackgroundBase(gameData, nullptr, kFileName)
{
    LoadBasicLayers();
    if (topContainer)
        topContainer->SetHeight(topContainer->GetHeightLevel() + kWindowLevels);
}

} // namespace Puzzle
