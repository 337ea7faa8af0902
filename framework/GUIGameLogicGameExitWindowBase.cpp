#include "framework/GUIGameLogicGameExitWindowBase.h"

namespace GameFramework {

GUIGameLogicGameExitWindowBase::GUIGameLogicGameExitWindowBase() {}

GUIGameLogicGameExitWindowBase::~GUIGameLogicGameExitWindowBase() {}

} // namespace GameFramework
