#pragma once
#include <cstdint>
#include <string>

#include "framework/Level.h"

namespace GameFramework {

// The best time of one level across all profiles, per play value, with the
// display name of the profile that set it.
struct ProfileRecord {
    uint32_t stageIndex = 0;
    uint32_t levelIndex = 0;
    std::wstring holderName;
    uint32_t playValue = 0;
    float time = 0.0f; // seconds

    // Smallest stored record: two words, an empty name record, two words.
    static const uint32_t kMinStoredSize = 4 + 4 + 1 + 4 + 4;

    bool IsFor(const Level& position, uint32_t value) const;
};

} // namespace GameFramework
