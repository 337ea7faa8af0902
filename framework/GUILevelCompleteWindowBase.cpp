#include "framework/GUILevelCompleteWindowBase.h"

namespace GameFramework {

GUILevelCompleteWindowBase::GUILevelCompleteWindowBase(LevelManagerBase* levels) : levelManager(levels) {}

GUILevelCompleteWindowBase::~GUILevelCompleteWindowBase() {}

void GUILevelCompleteWindowBase::ShowWithResult(int32_t m, const Level& p, float t)
{
    Show(m);
    position = p;
    time = t;
}

} // namespace GameFramework
