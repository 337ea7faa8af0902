#include "framework/GUIContinueGameLogicWindowBase.h"

namespace GameFramework {

GUIContinueGameLogicWindowBase::GUIContinueGameLogicWindowBase() {}

GUIContinueGameLogicWindowBase::~GUIContinueGameLogicWindowBase() {}

} // namespace GameFramework
