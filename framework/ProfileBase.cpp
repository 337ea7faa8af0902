#include "framework/ProfileBase.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/StringUtils.h"
#include "framework/SavedFile.h"

using namespace KorvaneEngine;

namespace GameFramework {

namespace {

void WriteU32(FileBinary& file, uint32_t v) { file.Write(&v, 4); }
void WriteU8(FileBinary& file, uint8_t v) { file.Write(&v, 1); }
void WriteF32(FileBinary& file, float v) { file.Write(&v, 4); }

uint8_t ReadU8(FileBinary& file)
{
    uint8_t v = 0;
    file.Read(&v, 1);
    return v;
}

float CleanVolume(float v)
{
    // Not a number would pass any clamp and reach the sound device.
    if (!std::isfinite(v))
        return 1.0f;
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// A folder name that names exactly one folder inside "profiles": not empty,
// not "." or "..", no separators or wildcards, and no trailing dot or blank
// (Windows drops those, which would name another profile's folder).
bool IsPlainFolderName(const std::string& stem)
{
    if (stem.empty() || stem.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return false;
    if (stem.find_first_not_of('.') == std::string::npos)
        return false;
    return stem.back() != '.' && stem.back() != ' ';
}

bool NameTaken(const std::string& path)
{
    FileManager* files = FileManager::Instance();
    if (files ? files->FileExists(path) : DiskFileExists(path))
        return true;
    // A folder of the same stem belongs to some profile, and a leftover
    // temporary folder would block every save.
    std::string stem = path;
    ChangeExtension(stem, "");
    return DiskFileExists(stem) || DiskFileExists(path + ".tmp");
}

char RandomDigit() { return static_cast<char>('0' + RandomBelow(10)); }

} // namespace

ProfileBase::ProfileBase(const std::string& fileName_, const std::string& userDataFolder_, const std::string& magic_,
    uint32_t version_)
    : magic(magic_), version(version_), userDataFolder(userDataFolder_)
{
    SetFileName(fileName_);
    newProfile = 0;
}

ProfileBase::ProfileBase(const std::wstring& displayName_, const std::string& userDataFolder_,
    const std::string& magic_, uint32_t version_)
    : magic(magic_), version(version_), userDataFolder(userDataFolder_), displayName(MakeDisplayName(displayName_))
{
}

ProfileBase::~ProfileBase() { ClearLevelResults(); }

void ProfileBase::ClearLevelResults()
{
    for (LevelResult* r : levelResults)
        delete r;
    levelResults.clear();
}

std::wstring ProfileBase::MakeDisplayName(const std::wstring& name)
{
    std::wstring text = name.substr(0, name.find(L'\0'));
    text = TrimCopy(text);
    text = SavedFile::FitText(text);
    return TrimRightCopy(text);
}

std::string ProfileBase::GetProfilesFolder() const { return userDataFolder + "\\profiles"; }

std::string ProfileBase::GetFilePath() const { return GetProfilesFolder() + "\\" + fileName; }

void ProfileBase::SetFileName(const std::string& name)
{
    fileName = name;
    std::string stem = name;
    ChangeExtension(stem, "");
    folderPath = GetProfilesFolder() + "\\" + stem;
}

void ProfileBase::SetMusicVolume(float volume) { options.musicVolume = CleanVolume(volume); }

void ProfileBase::SetSoundVolume(float volume) { options.soundVolume = CleanVolume(volume); }

void ProfileBase::Reset()
{
    carryOverValue = 3;
    totalScore = 0;
}

void ProfileBase::Load(const std::string& fileName_)
{
    SetFileName(fileName_);
    const std::string path = GetFilePath();
    keepAsideFirst = false;
    try {
        GameTools::BinaryDataFile container(magic, version);
        container.Open(path, GameTools::BinaryDataFile::kRead);
        Read(*container.GetFile());
        SavedFile::WarnAboutRest(*container.GetFile(), &keepAsideFirst);
        container.Close();
    } catch (const FileError& e) {
        LogErrorIfOpen("Profile \"" + path + "\" left out: " + e.GetMessage());
        ClearLevelResults();
        totalTime = 0.0f;
        throw Error("");
    }
}

std::string ProfileBase::ChooseFileName() const
{
    std::string base = ToLowerCopy(WideToNarrow(displayName));
    std::string letters;
    for (char c : base)
        if (c >= 'a' && c <= 'z' && letters.size() < kMaxFileLetters)
            letters.push_back(c);

    const std::string folder = GetProfilesFolder() + "\\";
    for (uint32_t attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string candidate = letters;
        if (candidate.size() < 15) {
            // A short base is padded to 16 characters on every try.
            candidate.push_back('_');
            while (candidate.size() < 16)
                candidate.push_back(RandomDigit());
        } else if (attempt > 0) {
            // A long base stands alone the first time; later tries vary it,
            // so one that is taken (two players of the same letters) still
            // finds a name of its own.
            candidate.push_back('_');
            for (int i = 0; i < 8; ++i)
                candidate.push_back(RandomDigit());
        }
        candidate += ".prf";
        if (!NameTaken(folder + candidate))
            return candidate;
    }
    return std::string();
}

void ProfileBase::Create(const std::wstring& displayName_)
{
    displayName = MakeDisplayName(displayName_);
    options.musicVolume = 1.0f;
    options.soundVolume = 1.0f;
    playValue = 0;
    newProfile = 1;
    savedGame = 0;
    currentPosition = Level();
    reachedPosition = Level();
    reachedLast = 0;
    ClearLevelResults();
    totalTime = 0.0f;
    keepAsideFirst = false;
    Reset();

    const std::string name = ChooseFileName();
    if (name.empty()) {
        const std::string message = "No free file name for the profile \"" + WideToNarrow(displayName) + "\" in \"" +
                                    GetProfilesFolder() + "\" after " + std::to_string(kMaxNameAttempts) + " tries";
        LogErrorIfOpen(message);
        throw Error(message);
    }
    SetFileName(name);
    Save();
}

void ProfileBase::Write(FileBinary& file)
{
    file.WriteWideString(displayName);
    WriteU32(file, playValue);
    WriteU32(file, carryOverValue);
    WriteU32(file, totalScore);
    WriteU32(file, currentPosition.stageIndex);
    WriteU32(file, currentPosition.levelIndex);
    WriteU32(file, reachedPosition.stageIndex);
    WriteU32(file, reachedPosition.levelIndex);
    WriteU8(file, reachedLast);
    WriteU32(file, static_cast<uint32_t>(levelResults.size()));
    for (const LevelResult* r : levelResults) {
        WriteU32(file, r->playValue);
        WriteU32(file, r->stageIndex);
        WriteU32(file, r->levelIndex);
        WriteF32(file, r->time);
    }
    WriteU32(file, extraValue);
    WriteU8(file, savedGame);
    WriteOptions(file);
}

void ProfileBase::Read(FileBinary& file)
{
    std::wstring name;
    file.ReadWideString(name);
    displayName = MakeDisplayName(name);
    if (displayName != name) {
        const std::string what = "the display name \"" + WideToNarrow(name) + "\" taken as \"" +
                                 WideToNarrow(displayName) + "\"";
        // Blanks around a name mean nothing; units cut from it are lost.
        if (displayName != TrimCopy(name))
            SavedFile::WarnLoss(file.GetName(), what, &keepAsideFirst);
        else
            SavedFile::Warn(file.GetName(), what);
    }
    playValue = ReadU32(file);
    carryOverValue = ReadU32(file);
    totalScore = ReadU32(file);
    currentPosition.stageIndex = ReadU32(file);
    currentPosition.levelIndex = ReadU32(file);
    reachedPosition.stageIndex = ReadU32(file);
    reachedPosition.levelIndex = ReadU32(file);
    reachedLast = ReadU8(file);

    const uint32_t count = ReadU32(file);
    SavedFile::CheckCount(file, count, LevelResult::kStoredSize, "level result");
    ClearLevelResults();
    totalTime = 0.0f;
    levelResults.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<LevelResult> r(new LevelResult);
        r->playValue = ReadU32(file);
        r->stageIndex = ReadU32(file);
        r->levelIndex = ReadU32(file);
        r->time = ReadF32(file);
        // Such a time could never be beaten, and would poison the total.
        if (!SavedFile::IsUsableTime(r->time)) {
            SavedFile::WarnLoss(file.GetName(), "the level result of stage " + std::to_string(r->stageIndex) +
                                                    ", level " + std::to_string(r->levelIndex) + " with the time " +
                                                    FloatToString(r->time, 3) + " dropped",
                &keepAsideFirst);
            continue;
        }
        totalTime += r->time;
        levelResults.push_back(r.release());
    }
    extraValue = ReadU32(file);
    savedGame = ReadU8(file);
    ReadOptions(file);
}

void ProfileBase::WriteOptions(FileBinary& file)
{
    WriteF32(file, options.musicVolume);
    WriteF32(file, options.soundVolume);
}

void ProfileBase::ReadOptions(FileBinary& file)
{
    const float music = ReadF32(file);
    const float sound = ReadF32(file);
    options.musicVolume = CleanVolume(music);
    options.soundVolume = CleanVolume(sound);
    // Bit for bit: a NaN never equals itself, so it is caught too.
    if (std::memcmp(&music, &options.musicVolume, 4) != 0 || std::memcmp(&sound, &options.soundVolume, 4) != 0)
        SavedFile::Warn(file.GetName(), "the volumes " + FloatToString(music, 3) + " (music) and " +
                                            FloatToString(sound, 3) + " (sound) taken as " +
                                            FloatToString(options.musicVolume, 3) + " and " +
                                            FloatToString(options.soundVolume, 3));
}

bool ProfileBase::Save()
{
    if (fileName.empty())
        return false;
    return SavedFile::Write(GetFilePath(), magic, version, [this](FileBinary& file) { Write(file); },
        &keepAsideFirst);
}

void ProfileBase::DeleteFiles()
{
    if (fileName.empty())
        return;
    DeleteDirectoryTree(GetFilePath());
    std::string stem = fileName;
    ChangeExtension(stem, "");
    // A stray ".prf" or "..prf" has no folder of its own: its folder path
    // would be "profiles" itself or a neighbour.
    if (IsPlainFolderName(stem) && DiskFileExists(folderPath))
        DeleteDirectoryTree(folderPath);
}

void ProfileBase::Rename(const std::wstring& name)
{
    displayName = MakeDisplayName(name);
    Save();
}

void ProfileBase::SetReachedPosition(const Level& position, bool last)
{
    if (reachedPosition < position || (position == reachedPosition && last)) {
        reachedPosition = position;
        reachedLast = last ? 1 : 0;
        Save();
    }
}

void ProfileBase::AddLevelResult(LevelResult* result)
{
    if (!result)
        return;
    std::unique_ptr<LevelResult> owned(result);
    if (!SavedFile::IsUsableTime(result->time)) {
        LogErrorIfOpen("Profile \"" + GetFilePath() + "\": level time " + FloatToString(result->time, 3) +
                       " refused");
        return;
    }
    totalTime += result->time;
    for (LevelResult* stored : levelResults) {
        if (stored->HasSameKeys(*result)) {
            if (result->time <= stored->time)
                stored->time = result->time;
            Save();
            return;
        }
    }
    levelResults.push_back(owned.release());
    Save();
}

} // namespace GameFramework
