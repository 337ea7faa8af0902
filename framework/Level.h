#pragma once
#include <cstdint>

namespace GameFramework {

// A place in the progression and the record of one level: the stage and the
// level within it, both counted from 0. Profiles, the game logic and the
// completion windows pass it around by value.
struct Level {
    uint32_t stageIndex = 0;
    uint32_t levelIndex = 0;

    Level() {}
    Level(uint32_t stage, uint32_t level) : stageIndex(stage), levelIndex(level) {}
};

bool operator==(const Level& a, const Level& b);
bool operator!=(const Level& a, const Level& b);
// Progression order: by stage, then by level within the stage.
bool operator<(const Level& a, const Level& b);

} // namespace GameFramework
