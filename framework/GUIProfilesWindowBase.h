#pragma once
#include <string>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class ProfileManagerBase;

// The framework side of the player list: the name the player chose to
// rename or delete, which the game base hands to those windows.
class GUIProfilesWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIProfilesWindowBase(ProfileManagerBase* profileManager);
    ~GUIProfilesWindowBase() override;

    const std::wstring& GetProfileName() const { return profileName; }
    void SetProfileName(const std::wstring& name) { profileName = name; }

protected:
    ProfileManagerBase* profileManager;
    std::wstring profileName;
};

} // namespace GameFramework
