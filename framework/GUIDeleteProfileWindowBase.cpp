#include "framework/GUIDeleteProfileWindowBase.h"

#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUIDeleteProfileWindowBase::GUIDeleteProfileWindowBase(ProfileManagerBase* profiles) : profileManager(profiles) {}

GUIDeleteProfileWindowBase::~GUIDeleteProfileWindowBase() {}

void GUIDeleteProfileWindowBase::ShowWithProfileName(int32_t m, const std::wstring& name)
{
    Show(m);
    profileName = name;
}

void GUIDeleteProfileWindowBase::DeleteProfile()
{
    if (profileManager)
        profileManager->DeleteProfile(profileName);
}

} // namespace GameFramework
