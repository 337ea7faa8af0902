#pragma once
#include "framework/LevelManagerBase.h"

namespace Puzzle {

// The puzzle game's progression: the framework's stage and level records
// with nothing added, read from the levels file as soon as it is made (a bad
// file therefore ends the program at start-up).
class LevelManager : public GameFramework::LevelManagerBase {
public:
    LevelManager();

    // The stage record of the position's stage (null outside the loaded
    // stages); the puzzle game needs no extra resource lists.
    GameFramework::Stage* GetStage(const GameFramework::Level& position, std::vector<std::string>* resourceFiles) override;

protected:
    GameFramework::Stage* CreateStage() override;
    GameFramework::Level* CreateLevel() override;
};

} // namespace Puzzle
