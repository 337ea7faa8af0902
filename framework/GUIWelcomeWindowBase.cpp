#include "framework/GUIWelcomeWindowBase.h"

#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUIWelcomeWindowBase::GUIWelcomeWindowBase(ProfileManagerBase* profiles) : profileManager(profiles) {}

GUIWelcomeWindowBase::~GUIWelcomeWindowBase() {}

void GUIWelcomeWindowBase::CreateProfile(const std::wstring& name)
{
    if (!profileManager)
        return;
    if (ProfileBase* profile = profileManager->AddProfile(name))
        profileManager->SetCurrentProfile(profile, true);
}

} // namespace GameFramework
