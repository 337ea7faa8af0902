#pragma once
#include <cstdint>
#include <string>

namespace GameFramework {

// One line of the high-score table. The group value keeps separate tables in
// one file (the game passes the profile's play value); the sequence number
// orders equal scores, the older first.
struct HighScoreEntry {
    std::wstring playerName;
    uint32_t groupValue = 0;
    uint32_t score = 0;
    uint32_t sequenceNumber = 0;

    // Table order: score descending, then sequence number ascending.
    static bool Precedes(const HighScoreEntry* a, const HighScoreEntry* b);
};

} // namespace GameFramework
