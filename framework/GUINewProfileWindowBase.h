#pragma once
#include <string>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class ProfileManagerBase;

// The framework side of creating a player.
class GUINewProfileWindowBase : public GUIFrameworkWindow {
public:
    explicit GUINewProfileWindowBase(ProfileManagerBase* profileManager);
    ~GUINewProfileWindowBase() override;

    // A show that may start with an empty name field; the base only shows
    // (the game's window acts on the flag).
    virtual void ShowWithReset(int32_t mode, bool clearName);
    // False when a player of that name exists (letter case ignored). Else the
    // player is added, made current and the list saved: true, also when the
    // file could not be made (that failure is logged by the profile list).
    bool CreateProfile(const std::wstring& name);

protected:
    ProfileManagerBase* profileManager;
};

} // namespace GameFramework
