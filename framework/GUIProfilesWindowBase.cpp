#include "framework/GUIProfilesWindowBase.h"

namespace GameFramework {

GUIProfilesWindowBase::GUIProfilesWindowBase(ProfileManagerBase* profiles) : profileManager(profiles) {}

GUIProfilesWindowBase::~GUIProfilesWindowBase() {}

} // namespace GameFramework
