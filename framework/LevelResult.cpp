#include "framework/LevelResult.h"

namespace GameFramework {

bool LevelResult::HasSameKeys(const LevelResult& other) const
{
    return playValue == other.playValue && stageIndex == other.stageIndex && levelIndex == other.levelIndex;
}

} // namespace GameFramework
