#include "framework/GUINewProfileWindowBase.h"

#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUINewProfileWindowBase::GUINewProfileWindowBase(ProfileManagerBase* profiles) : profileManager(profiles) {}

GUINewProfileWindowBase::~GUINewProfileWindowBase() {}

void GUINewProfileWindowBase::ShowWithReset(int32_t m, bool) { Show(m); }

bool GUINewProfileWindowBase::CreateProfile(const std::wstring& name)
{
    if (!profileManager)
        return true;
    if (profileManager->FindProfile(name))
        return false;
    if (ProfileBase* profile = profileManager->AddProfile(name))
        profileManager->SetCurrentProfile(profile, true);
    return true;
}

} // namespace GameFramework
