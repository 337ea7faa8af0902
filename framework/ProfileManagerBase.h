#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Level.h"
#include "framework/ProfileRecord.h"

namespace KorvaneEngine {
class FileBinary;
}

namespace GameFramework {

class ProfileBase;
class SoundController;

// Every player profile, the current one, and the best level times across
// all of them. The profiles are the "*.prf" files directly in
// "<user data folder>\profiles"; the current profile's name and the times
// are kept in "<user data folder>\profiles.pmf" (signed container with the
// game's magic and version). The game's subclass makes its profile class
// and calls LoadProfiles from its constructor.
//
// The manager owns the profiles and records: a profile pointer stays valid
// until DeleteProfile of that profile, a LoadProfiles, or the destructor.
// Profiles are kept in name order (case ignored; equal names in the order
// found), and where a name is looked up the first of equal names wins.
// The sound controller may be null: the volumes are then left alone.
class ProfileManagerBase {
public:
    virtual ~ProfileManagerBase();
    ProfileManagerBase(SoundController* sound, const std::string& userDataFolder, const std::string& magic,
        uint32_t version);
    ProfileManagerBase(const ProfileManagerBase&) = delete;
    ProfileManagerBase& operator=(const ProfileManagerBase&) = delete;

    // The current profile's volumes into the sound controller.
    virtual void ApplyProfileOptions();
    // Reads every profile file (those that fail are left out and their files
    // left alone) and the list file. Bytes after the list's records are left
    // unread (a warning). Without a list file, or with one that cannot be
    // read, there is no current profile and no record, and the list is
    // written anew; an unreadable one is first copied to "profiles.pmf.bad"
    // (or the next free name, see SavedFile::KeepAside; logged), and while
    // that copy cannot be made the list is not written. A list read with
    // something left out (those bytes, records dropped or names cut) is
    // copied the same way before its next save. Then the first profile
    // becomes current; when the list named a player whose profile did not
    // load, a warning names both.
    virtual void LoadProfiles();
    virtual ProfileBase* LoadProfile(const std::string& fileName) = 0;
    virtual ProfileBase* CreateProfile(const std::wstring& displayName) = 0;
    // The list body: current name (empty for none), record count, records.
    virtual void Write(KorvaneEngine::FileBinary& file);
    // Takes the list body; the current profile and the records change only
    // when the whole body was read. Records whose time is unusable are
    // dropped, names longer than a save keeps are cut (warnings; either makes
    // the next save keep the file aside first).
    virtual void Read(KorvaneEngine::FileBinary& file);
    // The controller's volumes into the profile, which is saved.
    virtual void StoreProfileOptions(ProfileBase* profile);

    // Names pass the profile name rule first, then compare ignoring case.
    ProfileBase* FindProfile(const std::wstring& displayName) const;
    // The profile of that name when there is one (nothing changes);
    // otherwise a new one, created, given the controller's volumes, added
    // and the list saved. Null for a name that is empty after the rule or
    // when the profile could not be created (logged).
    ProfileBase* AddProfile(const std::wstring& displayName);
    // A profile held here, or null; saves the list when save is set.
    void SetCurrentProfile(ProfileBase* profile, bool save);
    // Renames when no profile has the new name (case ignored: a change of
    // letter case alone is refused) and one has the old name; true then.
    bool RenameProfile(const std::wstring& oldName, const std::wstring& newName);
    // Deletes the profile's file and folder and the profile; the first
    // remaining profile becomes current when it was. True when found.
    bool DeleteProfile(const std::wstring& displayName);
    // The best time of a level per play value: true when time beats the
    // stored one (strictly) or none was stored; the list is then saved.
    bool AddRecord(const Level& position, const std::wstring& holderName, uint32_t playValue, float time);
    // True when the list file was replaced; a failure is logged.
    bool SaveProfileList();
    void SortProfiles();

    const std::vector<ProfileBase*>& GetProfiles() const { return profiles; }
    ProfileBase* GetCurrentProfile() const { return currentProfile; }
    const std::vector<ProfileRecord*>& GetRecords() const { return records; }
    ProfileRecord* FindRecord(const Level& position, uint32_t playValue) const;
    SoundController* GetSoundController() const { return soundController; }
    const std::string& GetUserDataFolder() const { return userDataFolder; }
    std::string GetListPath() const;
    std::string GetProfilesFolder() const;

    static const char* const kListFileName;

protected:
    void ClearProfiles();
    void ClearRecords();
    // The list file into the current profile and the records, or the fallback.
    void ReadProfileList();

    SoundController* soundController;
    std::string magic;
    uint32_t version;
    std::vector<ProfileBase*> profiles;
    ProfileBase* currentProfile = nullptr;
    std::vector<ProfileRecord*> records;
    std::string userDataFolder;
    // The list on disk must be copied aside before the next save replaces it.
    bool keepAsideFirst = false;
    // The current player's name as the list file gave it, for the warning
    // when no profile of that name loaded.
    std::wstring listedCurrentName;
};

} // namespace GameFramework
