#include "framework/GUIProfileNameConflictWindowBase.h"

namespace GameFramework {

GUIProfileNameConflictWindowBase::GUIProfileNameConflictWindowBase() {}

GUIProfileNameConflictWindowBase::~GUIProfileNameConflictWindowBase() {}

} // namespace GameFramework
