#include "framework/GUIStageCompleteWindowBase.h"

namespace GameFramework {

GUIStageCompleteWindowBase::GUIStageCompleteWindowBase(LevelManagerBase* levels) : levelManager(levels) {}

GUIStageCompleteWindowBase::~GUIStageCompleteWindowBase() {}

void GUIStageCompleteWindowBase::ShowWithPosition(int32_t m, const Level& p)
{
    Show(m);
    position = p;
}

} // namespace GameFramework
