#pragma once
#include <string>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class ProfileManagerBase;

// The framework side of the first player's welcome: it creates the player.
class GUIWelcomeWindowBase : public GUIFrameworkWindow {
public:
    // The profile list is not owned and may be null (nothing is created).
    explicit GUIWelcomeWindowBase(ProfileManagerBase* profileManager);
    ~GUIWelcomeWindowBase() override;

    // Adds the player (or finds the one of that name), makes it current and
    // saves the list. A name that is empty after the name rule adds nothing.
    void CreateProfile(const std::wstring& name);

protected:
    ProfileManagerBase* profileManager;
};

} // namespace GameFramework
