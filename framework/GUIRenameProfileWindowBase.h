#pragma once
#include <string>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class ProfileManagerBase;

// The framework side of renaming a player: the name before the change.
class GUIRenameProfileWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIRenameProfileWindowBase(ProfileManagerBase* profileManager);
    ~GUIRenameProfileWindowBase() override;

    // Shows; takes the name as the one to rename only when takeName is set
    // (coming back from the name-conflict notice keeps the old one).
    virtual void ShowWithProfileName(int32_t mode, bool takeName, const std::wstring& name);
    // True at once when the new name is the old one in any letter case (and
    // nothing changes); false when another player has the new name; else the
    // player is renamed: true.
    bool RenameProfile(const std::wstring& newName);

    const std::wstring& GetOldName() const { return oldName; }

protected:
    ProfileManagerBase* profileManager;
    std::wstring oldName;
};

} // namespace GameFramework
