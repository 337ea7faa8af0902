#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Level.h"
#include "framework/LevelResult.h"

namespace KorvaneEngine {
class FileBinary;
}

namespace GameFramework {

// One player's saved state, in "<user data folder>\profiles\<file name>"
// through a signed container with the game's magic and version: the display
// name, progress, score, best times and the two volumes; the game's subclass
// appends its own fields (Write/Read) after the base part.
//
// Every save replaces the file only when it is complete; a failed save is
// logged and changes nothing in memory. A file that cannot be read (missing,
// cut, foreign, another version, damaged counts) makes Load log the reason
// and throw Error; the file is not touched, and no new profile takes its
// name. Bytes after the last field are left unread (a warning), and what
// Read repairs (names, times, volumes) is a warning naming the file. When
// the read left out anything the file held (those bytes, a dropped result,
// a name cut beyond its blanks), the next save first keeps the file aside
// (SavedFile::Write's keepAsideFirst) and writes nothing while it cannot.
class ProfileBase {
public:
    // The volumes, 0..1 each.
    struct Options {
        float soundVolume = 1.0f;
        float musicVolume = 1.0f;
    };

    virtual ~ProfileBase();
    // For loading: the subclass then calls Load(fileName).
    ProfileBase(const std::string& fileName, const std::string& userDataFolder, const std::string& magic,
        uint32_t version);
    // For creating: the subclass then calls Create(displayName).
    ProfileBase(const std::wstring& displayName, const std::string& userDataFolder, const std::string& magic,
        uint32_t version);
    ProfileBase(const ProfileBase&) = delete;
    ProfileBase& operator=(const ProfileBase&) = delete;

    // A new game: carry-over value 3, total score 0.
    virtual void Reset();
    // Reads "<user data folder>\profiles\<fileName>" (exact version). On any
    // file error: logged, level results emptied, Error thrown.
    virtual void Load(const std::string& fileName);
    // A new player under the name (after the name rule): default values, a
    // free file name, then Save. Throws Error (logged, nothing written) when
    // no free file name is found.
    virtual void Create(const std::wstring& displayName);
    // The body: the base part, then WriteOptions / ReadOptions.
    virtual void Write(KorvaneEngine::FileBinary& file);
    virtual void Read(KorvaneEngine::FileBinary& file);
    // Music volume, then sound volume. Reading takes a non-finite volume as
    // 1.0 and clamps the others to 0..1 (a warning when either changed).
    virtual void WriteOptions(KorvaneEngine::FileBinary& file);
    virtual void ReadOptions(KorvaneEngine::FileBinary& file);

    // True when the file was replaced; a failure is logged.
    bool Save();
    // Deletes the file, and the profile's folder when its name is a plain
    // folder name inside "profiles" (never the folder itself).
    void DeleteFiles();
    // New display name (after the name rule), saved; the file name stays.
    void Rename(const std::wstring& displayName);
    // Records p as reached when it lies beyond the reached position, or
    // equals it with last set; saves then. Otherwise nothing, not even a save.
    void SetReachedPosition(const Level& position, bool last);
    // Takes the record. The total time grows by its time; a stored result
    // with the same keys keeps the smaller time (equal: the new one) and the
    // record is deleted, else it is appended. Saves. A time that is not a
    // finite, non-negative number is refused (logged, record deleted).
    void AddLevelResult(LevelResult* result);

    // The name rule, wherever a display name enters: blanks trimmed, cut at
    // a zero unit and to the 254 UTF-16 units a file keeps (never splitting
    // a surrogate pair), then trimmed again. Applying it twice changes
    // nothing, so names compared after it compare as the files hold them.
    static std::wstring MakeDisplayName(const std::wstring& name);
    // Tries of Create before it gives up.
    static const uint32_t kMaxNameAttempts = 1024;
    // Letters of a display name kept in its file name. A name may hold 254
    // letters, but the file's path (the user data folder, "profiles\", the
    // letters, the random part and ".prf", then ".tmp" or ".bad.N" while it
    // is saved) must stay within Windows' 260 characters, or every save of
    // that player fails; 32 letters still tell players apart and leave the
    // user data folder its room.
    static const size_t kMaxFileLetters = 32;

    const std::wstring& GetDisplayName() const { return displayName; }
    const std::string& GetFileName() const { return fileName; }
    const std::string& GetFolderPath() const { return folderPath; }
    const std::string& GetUserDataFolder() const { return userDataFolder; }
    // "<user data folder>\profiles\<file name>".
    std::string GetFilePath() const;
    std::string GetProfilesFolder() const;

    float GetMusicVolume() const { return options.musicVolume; }
    float GetSoundVolume() const { return options.soundVolume; }
    // Clamped to 0..1; a value that is not a number is taken as 1.0.
    void SetMusicVolume(float volume);
    void SetSoundVolume(float volume);

    int32_t GetClassValue() const { return classValue; }
    uint32_t GetPlayValue() const { return playValue; }
    void SetPlayValue(uint32_t value) { playValue = value; }
    uint32_t GetCarryOverValue() const { return carryOverValue; }
    void SetCarryOverValue(uint32_t value) { carryOverValue = value; }
    uint32_t GetTotalScore() const { return totalScore; }
    void SetTotalScore(uint32_t score) { totalScore = score; }
    const Level& GetCurrentPosition() const { return currentPosition; }
    void SetCurrentPosition(const Level& position) { currentPosition = position; }
    const Level& GetReachedPosition() const { return reachedPosition; }
    // The furthest position back to (0, 0), not as the last level: the map's
    // reset, which SetReachedPosition's forward-only rule cannot do. Not saved.
    void ClearReachedPosition()
    {
        reachedPosition = Level(0, 0);
        reachedLast = 0;
    }
    bool IsReachedLast() const { return reachedLast != 0; }
    const std::vector<LevelResult*>& GetLevelResults() const { return levelResults; }
    // The sum of the recorded times: grows by every recorded time during the
    // run, rebuilt from the stored best times when read.
    float GetTotalTime() const { return totalTime; }
    uint32_t GetExtraValue() const { return extraValue; }
    void SetExtraValue(uint32_t value) { extraValue = value; }
    bool HasSavedGame() const { return savedGame != 0; }
    void SetSavedGame(bool saved) { savedGame = saved ? 1 : 0; }
    bool IsNewProfile() const { return newProfile != 0; }

protected:
    void ClearLevelResults();

    std::string magic;
    uint32_t version;
    std::string userDataFolder;
    std::wstring displayName;
    std::string fileName;
    std::string folderPath;
    Options options;
    int32_t classValue = 1;
    uint32_t playValue = 0;
    uint32_t carryOverValue = 0;
    uint32_t totalScore = 0;
    Level currentPosition;
    Level reachedPosition;
    uint8_t reachedLast = 0;
    std::vector<LevelResult*> levelResults;
    float totalTime = 0.0f;
    uint32_t extraValue = 0;
    uint8_t savedGame = 0;
    uint8_t newProfile = 0;
    // The file on disk holds what the read left out: it must be copied aside
    // before the next save replaces it. A subclass's Read sets it through
    // SavedFile::WarnLoss.
    bool keepAsideFirst = false;

private:
    void SetFileName(const std::string& name);
    // The first free name of the naming rule, or empty after every try.
    std::string ChooseFileName() const;
};

} // namespace GameFramework
