#include "framework/GUILogosWindowBase.h"

namespace GameFramework {

GUILogosWindowBase::GUILogosWindowBase() {}

GUILogosWindowBase::~GUILogosWindowBase() {}

} // namespace GameFramework
