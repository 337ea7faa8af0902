#include "framework/GUIStartGameLogicWindowBase.h"

namespace GameFramework {

GUIStartGameLogicWindowBase::GUIStartGameLogicWindowBase() {}

GUIStartGameLogicWindowBase::~GUIStartGameLogicWindowBase() {}

} // namespace GameFramework
