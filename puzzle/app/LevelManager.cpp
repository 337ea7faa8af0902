#include "puzzle/app/LevelManager.h"

namespace Puzzle {

LevelManager::LevelManager() { Load(); }

GameFramework::Stage* LevelManager::GetStage(const GameFramework::Level& position, std::vector<std::string>* resourceFiles)
{
    GameFramework::LevelManagerBase::GetStage(position, resourceFiles);
    return GetStageAt(position.stageIndex);
}

GameFramework::Stage* LevelManager::CreateStage() { return new GameFramework::Stage; }

GameFramework::Level* LevelManager::CreateLevel() { return new GameFramework::Level(0, 0); }

} // namespace Puzzle
