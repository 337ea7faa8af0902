#include "framework/GUIGameOverWindowBase.h"

namespace GameFramework {

GUIGameOverWindowBase::GUIGameOverWindowBase() {}

GUIGameOverWindowBase::~GUIGameOverWindowBase() {}

} // namespace GameFramework
