#include "framework/GUIRenameProfileWindowBase.h"

#include "engine/foundation/StringUtils.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUIRenameProfileWindowBase::GUIRenameProfileWindowBase(ProfileManagerBase* profiles) : profileManager(profiles) {}

GUIRenameProfileWindowBase::~GUIRenameProfileWindowBase() {}

void GUIRenameProfileWindowBase::ShowWithProfileName(int32_t m, bool takeName, const std::wstring& name)
{
    Show(m);
    if (takeName)
        oldName = name;
}

bool GUIRenameProfileWindowBase::RenameProfile(const std::wstring& newName)
{
    // Compared as the files keep names, so a name longer than a file holds
    // matches its stored form.
    const std::wstring to = ProfileBase::MakeDisplayName(newName);
    if (KorvaneEngine::ToLowerCopy(to) == KorvaneEngine::ToLowerCopy(ProfileBase::MakeDisplayName(oldName)))
        return true;
    if (!profileManager)
        return true;
    if (profileManager->FindProfile(to))
        return false;
    profileManager->RenameProfile(oldName, to);
    return true;
}

} // namespace GameFramework
