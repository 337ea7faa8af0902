#include "framework/Level.h"

namespace GameFramework {

bool operator==(const Level& a, const Level& b)
{
    return a.stageIndex == b.stageIndex && a.levelIndex == b.levelIndex;
}

bool operator!=(const Level& a, const Level& b) { return !(a == b); }

bool operator<(const Level& a, const Level& b)
{
    if (a.stageIndex != b.stageIndex)
        return a.stageIndex < b.stageIndex;
    return a.levelIndex < b.levelIndex;
}

} // namespace GameFramework
