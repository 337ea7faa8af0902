#include "puzzle/app/ProfileManager.h"

namespace Puzzle {

const char* const ProfileManager::kMagic = "VQPMF";

ProfileManager::ProfileManager(GameFramework::SoundController* sound, const std::string& userDataFolder)
    : ProfileManagerBase(sound, userDataFolder, kMagic, kVersion)
{
    LoadProfiles();
}

GameFramework::ProfileBase* ProfileManager::LoadProfile(const std::string& fileName)
{
    return new Profile(fileName, userDataFolder);
}

GameFramework::ProfileBase* ProfileManager::CreateProfile(const std::wstring& displayName)
{
    return new Profile(displayName, userDataFolder);
}

Profile* ProfileManager::GetCurrentPuzzleProfile() const
{
    // Every profile of this list is made by this class.
    return static_cast<Profile*>(currentProfile);
}

} // namespace Puzzle
