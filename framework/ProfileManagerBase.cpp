#include "framework/ProfileManagerBase.h"

// First: it brings the Win32 header, whose renames must reach every later one.
#include "framework/SoundController.h"

#include <algorithm>
#include <memory>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "framework/ProfileBase.h"
#include "framework/SavedFile.h"

using namespace KorvaneEngine;

namespace GameFramework {

const char* const ProfileManagerBase::kListFileName = "profiles.pmf";

namespace {

void WriteU32(FileBinary& file, uint32_t v) { file.Write(&v, 4); }
void WriteF32(FileBinary& file, float v) { file.Write(&v, 4); }

bool NameOrder(const ProfileBase* a, const ProfileBase* b)
{
    return ToLowerCopy(a->GetDisplayName()) < ToLowerCopy(b->GetDisplayName());
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

ProfileManagerBase::ProfileManagerBase(SoundController* sound, const std::string& userDataFolder_,
    const std::string& magic_, uint32_t version_)
    : soundController(sound), magic(magic_), version(version_), userDataFolder(userDataFolder_)
{
}

ProfileManagerBase::~ProfileManagerBase()
{
    ClearProfiles();
    ClearRecords();
}

void ProfileManagerBase::ClearProfiles()
{
    for (ProfileBase* p : profiles)
        delete p;
    profiles.clear();
    currentProfile = nullptr;
}

void ProfileManagerBase::ClearRecords()
{
    for (ProfileRecord* r : records)
        delete r;
    records.clear();
}

std::string ProfileManagerBase::GetListPath() const { return userDataFolder + "\\" + kListFileName; }

std::string ProfileManagerBase::GetProfilesFolder() const { return userDataFolder + "\\profiles"; }

void ProfileManagerBase::ApplyProfileOptions()
{
    if (!currentProfile || !soundController)
        return;
    soundController->SetMusicVolume(currentProfile->GetMusicVolume());
    soundController->SetSoundVolume(currentProfile->GetSoundVolume());
}

void ProfileManagerBase::StoreProfileOptions(ProfileBase* profile)
{
    if (!profile)
        return;
    if (soundController) {
        profile->SetMusicVolume(soundController->GetMusicVolume());
        profile->SetSoundVolume(soundController->GetSoundVolume());
    }
    profile->Save();
}

void ProfileManagerBase::LoadProfiles()
{
    ClearProfiles();
    ClearRecords();

    const std::string folder = GetProfilesFolder();
    std::vector<std::string> paths;
    if (FileManager* files = FileManager::Instance())
        files->FindFiles(folder, "*.prf", paths);
    else
        LogErrorIfOpen("Profiles not searched: no file manager");
    const std::string shown = ToLowerCopy(folder);
    for (const std::string& path : paths) {
        // The search lower-cases, enters folders named like profiles and may
        // match longer extensions: only "<name>.prf" directly in the folder
        // is a profile (a leftover "x.prf.tmp" is not).
        const std::string name = GetFileName(path);
        if (ToLowerCopy(GetDirectory(path)) != shown || !EndsWith(ToLowerCopy(name), ".prf"))
            continue;
        try {
            if (ProfileBase* profile = LoadProfile(name))
                profiles.push_back(profile);
        } catch (const Error&) {
            // Logged by the profile; the file stays as it is.
        }
    }
    SortProfiles();
    ReadProfileList();
    const bool listedMissing = !currentProfile && !listedCurrentName.empty();
    if (!currentProfile && !profiles.empty()) {
        currentProfile = profiles.front();
        SaveProfileList();
    }
    // The named player's profile did not load (its file is left as it is) or
    // is gone: the player should learn from the log why another one is current.
    if (listedMissing)
        SavedFile::Warn(GetListPath(), "the current player \"" + WideToNarrow(listedCurrentName) +
                                           "\" has no profile that loaded; " +
                                           (currentProfile ? "\"" + WideToNarrow(currentProfile->GetDisplayName()) +
                                                                 "\" is the current player now"
                                                           : std::string("no player is current now")));
}

void ProfileManagerBase::ReadProfileList()
{
    const std::string path = GetListPath();
    keepAsideFirst = false;
    listedCurrentName.clear();
    // No list yet is the first start, not an error.
    if (DiskFileExists(path)) {
        try {
            GameTools::BinaryDataFile container(magic, version);
            container.Open(path, GameTools::BinaryDataFile::kRead);
            Read(*container.GetFile());
            SavedFile::WarnAboutRest(*container.GetFile(), &keepAsideFirst);
            container.Close();
            return;
        } catch (const FileError& e) {
            keepAsideFirst = !SavedFile::Discard("Profile list", path, e.GetMessage());
        }
    }
    currentProfile = nullptr;
    ClearRecords();
    SaveProfileList();
}

void ProfileManagerBase::Write(FileBinary& file)
{
    file.WriteWideString(currentProfile ? currentProfile->GetDisplayName() : std::wstring());
    WriteU32(file, static_cast<uint32_t>(records.size()));
    for (const ProfileRecord* r : records) {
        WriteU32(file, r->stageIndex);
        WriteU32(file, r->levelIndex);
        file.WriteWideString(r->holderName);
        WriteU32(file, r->playValue);
        WriteF32(file, r->time);
    }
}

void ProfileManagerBase::Read(FileBinary& file)
{
    std::wstring name;
    file.ReadWideString(name);
    const uint32_t count = ReadU32(file);
    SavedFile::CheckCount(file, count, ProfileRecord::kMinStoredSize, "record");
    std::vector<std::unique_ptr<ProfileRecord>> read;
    read.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<ProfileRecord> r(new ProfileRecord);
        r->stageIndex = ReadU32(file);
        r->levelIndex = ReadU32(file);
        std::wstring holder;
        file.ReadWideString(holder);
        r->holderName = SavedFile::FitText(holder);
        if (r->holderName != holder)
            SavedFile::WarnLoss(file.GetName(), "the holder's name of record " + std::to_string(i) + " cut to " +
                                                    std::to_string(r->holderName.size()) + " units",
                &keepAsideFirst);
        r->playValue = ReadU32(file);
        r->time = ReadF32(file);
        if (!SavedFile::IsUsableTime(r->time)) {
            SavedFile::WarnLoss(file.GetName(), "the record of stage " + std::to_string(r->stageIndex) +
                                                    ", level " + std::to_string(r->levelIndex) + " with the time " +
                                                    FloatToString(r->time, 3) + " dropped",
                &keepAsideFirst);
            continue;
        }
        read.push_back(std::move(r));
    }
    listedCurrentName = name;
    if (!name.empty())
        currentProfile = FindProfile(name);
    for (auto& r : read)
        records.push_back(r.release());
}

ProfileBase* ProfileManagerBase::FindProfile(const std::wstring& displayName) const
{
    const std::wstring wanted = ToLowerCopy(ProfileBase::MakeDisplayName(displayName));
    if (wanted.empty())
        return nullptr;
    for (ProfileBase* p : profiles)
        if (ToLowerCopy(p->GetDisplayName()) == wanted)
            return p;
    return nullptr;
}

ProfileBase* ProfileManagerBase::AddProfile(const std::wstring& displayName)
{
    const std::wstring name = ProfileBase::MakeDisplayName(displayName);
    // The list file keeps "no current profile" as an empty name.
    if (name.empty()) {
        LogErrorIfOpen("A profile needs a name");
        return nullptr;
    }
    if (ProfileBase* found = FindProfile(name))
        return found;
    ProfileBase* profile = nullptr;
    try {
        profile = CreateProfile(name);
    } catch (const Error&) {
        return nullptr; // logged where it failed; nothing was written
    }
    if (!profile)
        return nullptr;
    StoreProfileOptions(profile);
    profiles.push_back(profile);
    SortProfiles();
    SaveProfileList();
    return profile;
}

void ProfileManagerBase::SetCurrentProfile(ProfileBase* profile, bool save)
{
    if (profile && std::find(profiles.begin(), profiles.end(), profile) == profiles.end()) {
        LogErrorIfOpen("Not a profile of the list: not made current");
        return;
    }
    currentProfile = profile;
    if (save)
        SaveProfileList();
}

bool ProfileManagerBase::RenameProfile(const std::wstring& oldName, const std::wstring& newName)
{
    const std::wstring name = ProfileBase::MakeDisplayName(newName);
    if (name.empty() || FindProfile(name))
        return false;
    ProfileBase* profile = FindProfile(oldName);
    if (!profile)
        return false;
    profile->Rename(name);
    SortProfiles();
    SaveProfileList();
    return true;
}

bool ProfileManagerBase::DeleteProfile(const std::wstring& displayName)
{
    ProfileBase* profile = FindProfile(displayName);
    if (!profile)
        return false;
    profile->DeleteFiles();
    profiles.erase(std::find(profiles.begin(), profiles.end(), profile));
    if (currentProfile == profile)
        currentProfile = profiles.empty() ? nullptr : profiles.front();
    delete profile;
    SaveProfileList();
    return true;
}

ProfileRecord* ProfileManagerBase::FindRecord(const Level& position, uint32_t playValue) const
{
    for (ProfileRecord* r : records)
        if (r->IsFor(position, playValue))
            return r;
    return nullptr;
}

bool ProfileManagerBase::AddRecord(const Level& position, const std::wstring& holderName, uint32_t playValue,
    float time)
{
    if (!SavedFile::IsUsableTime(time)) {
        LogErrorIfOpen("Record time " + FloatToString(time, 3) + " refused");
        return false;
    }
    if (ProfileRecord* r = FindRecord(position, playValue)) {
        if (!(time < r->time))
            return false;
        r->holderName = SavedFile::FitText(holderName);
        r->time = time;
        SaveProfileList();
        return true;
    }
    ProfileRecord* r = new ProfileRecord;
    r->stageIndex = position.stageIndex;
    r->levelIndex = position.levelIndex;
    r->holderName = SavedFile::FitText(holderName);
    r->playValue = playValue;
    r->time = time;
    records.push_back(r);
    SaveProfileList();
    return true;
}

bool ProfileManagerBase::SaveProfileList()
{
    return SavedFile::Write(GetListPath(), magic, version, [this](FileBinary& file) { Write(file); },
        &keepAsideFirst);
}

void ProfileManagerBase::SortProfiles() { std::stable_sort(profiles.begin(), profiles.end(), NameOrder); }

} // namespace GameFramework
