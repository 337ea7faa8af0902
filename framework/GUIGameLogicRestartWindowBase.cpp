#include "framework/GUIGameLogicRestartWindowBase.h"

namespace GameFramework {

GUIGameLogicRestartWindowBase::GUIGameLogicRestartWindowBase() {}

GUIGameLogicRestartWindowBase::~GUIGameLogicRestartWindowBase() {}

} // namespace GameFramework
