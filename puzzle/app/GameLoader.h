#pragma once
#include <windows.h>

#include "framework/GameLoaderBase.h"

namespace Puzzle {

// The puzzle game's loader: company "Quillfen Games", title "Pelloria",
// version 1.00 unless the registry says otherwise; it makes Puzzle::Game.
class GameLoader : public GameFramework::GameLoaderBase {
public:
    static const char* const kCompanyName;
    static const char* const kGameTitle;
    static const int kDefaultVersion = 100;

    GameLoader(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine, int showCommand);
    ~GameLoader() override;

    // The whole engine and framework are up when this returns.
    GameFramework::GameBase* CreateGame() override;
};

} // namespace Puzzle
