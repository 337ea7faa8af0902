#include "framework/GUIGameCompleteWindowBase.h"

namespace GameFramework {

GUIGameCompleteWindowBase::GUIGameCompleteWindowBase() {}

GUIGameCompleteWindowBase::~GUIGameCompleteWindowBase() {}

} // namespace GameFramework
