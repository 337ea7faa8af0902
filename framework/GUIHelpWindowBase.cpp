#include "framework/GUIHelpWindowBase.h"

namespace GameFramework {

GUIHelpWindowBase::GUIHelpWindowBase() {}

GUIHelpWindowBase::~GUIHelpWindowBase() {}

} // namespace GameFramework
