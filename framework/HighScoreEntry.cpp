#include "framework/HighScoreEntry.h"

namespace GameFramework {

bool HighScoreEntry::Precedes(const HighScoreEntry* a, const HighScoreEntry* b)
{
    if (a->score != b->score)
        return a->score > b->score;
    return a->sequenceNumber < b->sequenceNumber;
}

} // namespace GameFramework
