#pragma once
#include <string>

#include "framework/ProfileManagerBase.h"
#include "puzzle/app/Profile.h"

namespace Puzzle {

// The puzzle game's profile list ("VQPMF", version 100) of Puzzle::Profile
// players; loads the profiles and the list as soon as it is made.
class ProfileManager : public GameFramework::ProfileManagerBase {
public:
    static const char* const kMagic;
    static const uint32_t kVersion = 100;

    // sound may be null.
    ProfileManager(GameFramework::SoundController* sound, const std::string& userDataFolder);

    GameFramework::ProfileBase* LoadProfile(const std::string& fileName) override;
    GameFramework::ProfileBase* CreateProfile(const std::wstring& displayName) override;

    // The current profile as the puzzle game's class, or null.
    Profile* GetCurrentPuzzleProfile() const;
};

} // namespace Puzzle
