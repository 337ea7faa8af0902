#include "framework/GUIExitWindowBase.h"

namespace GameFramework {

GUIExitWindowBase::GUIExitWindowBase() {}

GUIExitWindowBase::~GUIExitWindowBase() {}

} // namespace GameFramework
