#include "framework/GUIGameLogicMenuExitWindowBase.h"

namespace GameFramework {

GUIGameLogicMenuExitWindowBase::GUIGameLogicMenuExitWindowBase() {}

GUIGameLogicMenuExitWindowBase::~GUIGameLogicMenuExitWindowBase() {}

} // namespace GameFramework
