#pragma once
#include <cstdint>

namespace GameFramework {

// A won level's time, keyed by the play value it was played with and the
// level's position; a profile keeps the best time per key.
struct LevelResult {
    uint32_t playValue = 0;
    uint32_t stageIndex = 0;
    uint32_t levelIndex = 0;
    float time = 0.0f; // seconds

    // Stored size of one result: three words and the time.
    static const uint32_t kStoredSize = 16;

    bool HasSameKeys(const LevelResult& other) const;
};

} // namespace GameFramework
