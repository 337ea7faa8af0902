#include "framework/ProfileRecord.h"

namespace GameFramework {

bool ProfileRecord::IsFor(const Level& position, uint32_t value) const
{
    return stageIndex == position.stageIndex && levelIndex == position.levelIndex && playValue == value;
}

} // namespace GameFramework
