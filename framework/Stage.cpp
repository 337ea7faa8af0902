#include "framework/Stage.h"

namespace GameFramework {

uint32_t Stage::GetLastLevelIndex() const { return levelCount ? levelCount - 1 : 0; }

} // namespace GameFramework
