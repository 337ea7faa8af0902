#pragma once
#include <cstdint>

namespace GameFramework {

// One stage of the progression: its index and how many levels it holds.
struct Stage {
    uint32_t stageIndex = 0;
    uint32_t levelCount = 0;

    // The level position of this stage's last level (level 0 when it has none).
    uint32_t GetLastLevelIndex() const;
};

} // namespace GameFramework
