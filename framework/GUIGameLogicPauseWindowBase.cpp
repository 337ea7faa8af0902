#include "framework/GUIGameLogicPauseWindowBase.h"

namespace GameFramework {

GUIGameLogicPauseWindowBase::GUIGameLogicPauseWindowBase() {}

GUIGameLogicPauseWindowBase::~GUIGameLogicPauseWindowBase() {}

} // namespace GameFramework
