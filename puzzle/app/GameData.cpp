#include "puzzle/app/GameData.h"

namespace Puzzle {

GameData::GameData(const std::string& language) : GameTools::DataKeeper(language) {}

GameData::~GameData() {}

} // namespace Puzzle
