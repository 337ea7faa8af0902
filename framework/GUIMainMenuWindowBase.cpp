#include "framework/GUIMainMenuWindowBase.h"

namespace GameFramework {

GUIMainMenuWindowBase::GUIMainMenuWindowBase() {}

GUIMainMenuWindowBase::~GUIMainMenuWindowBase() {}

} // namespace GameFramework
