#pragma once
#include <string>

#include "engine/render/DataKeeper.h"

namespace Puzzle {

// The game's resident resources (menu background, game objects, the GUI's
// models and shaders), loaded from the resource lists in the language the game
// runs in. For now a plain keeper: no loading steps of its own.
class GameData : public GameTools::DataKeeper {
public:
    explicit GameData(const std::string& language);
    ~GameData() override;
};

} // namespace Puzzle
