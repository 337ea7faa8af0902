#pragma once
#include <string>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class ProfileManagerBase;

// The framework side of deleting a player: the name of the player to delete.
class GUIDeleteProfileWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIDeleteProfileWindowBase(ProfileManagerBase* profileManager);
    ~GUIDeleteProfileWindowBase() override;

    virtual void ShowWithProfileName(int32_t mode, const std::wstring& name);
    // Deletes the kept player's files and record from the list.
    void DeleteProfile();

    const std::wstring& GetProfileName() const { return profileName; }

protected:
    ProfileManagerBase* profileManager;
    std::wstring profileName;
};

} // namespace GameFramework
