#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ProfileBase.h"

namespace Puzzle {

// The puzzle game's player: the framework profile ("PZPRF", version 105)
// plus the player's choice of theme, picture, puzzle and size, what is
// unlocked, and the stars that buy more. The puzzle part follows the base
// part in the same file.
class Profile : public GameFramework::ProfileBase {
public:
    static const char* const kMagic;
    static const uint32_t kVersion = 105;
    // Stars of a new player.
    static const uint32_t kStartStars = 1500;

    // Loads the file (throws Error when it cannot be read; see ProfileBase).
    Profile(const std::string& fileName, const std::string& userDataFolder);
    // Creates and saves a new player (throws Error when no file name is free).
    Profile(const std::wstring& displayName, const std::string& userDataFolder);

    void Create(const std::wstring& displayName) override;
    void Write(KorvaneEngine::FileBinary& file) override;
    // Lists are sized only after their counts were checked against the file;
    // an odd picture list drops its unpaired last value (logged, and the file
    // is kept aside before the next save).
    void Read(KorvaneEngine::FileBinary& file) override;

    bool IsInListA(int theme) const;
    bool IsInListC(int puzzle) const;
    // The pair (theme, picture) is in list B.
    bool IsPictureUnlocked(int theme, int picture) const;

    // Flags 1 to 3 (flag 3: the in-game dialogs).
    bool GetFlag(int index) const;
    void SetFlag(int index, bool on);

    uint32_t GetSelectedTheme() const { return selectedTheme; }
    void SetSelectedTheme(uint32_t v) { selectedTheme = v; }
    uint32_t GetSelectedPicture() const { return selectedPicture; }
    void SetSelectedPicture(uint32_t v) { selectedPicture = v; }
    uint32_t GetSelectedPuzzle() const { return selectedPuzzle; }
    void SetSelectedPuzzle(uint32_t v) { selectedPuzzle = v; }
    uint32_t GetSelectedSize() const { return selectedSize; }
    void SetSelectedSize(uint32_t v) { selectedSize = v; }

    // Unlocked themes (A), pictures as flat (theme, picture) pairs (B) and
    // puzzles (C); callers append and then Save.
    std::vector<uint32_t>& GetListA() { return listA; }
    std::vector<uint32_t>& GetListB() { return listB; }
    std::vector<uint32_t>& GetListC() { return listC; }
    const std::vector<uint32_t>& GetListA() const { return listA; }
    const std::vector<uint32_t>& GetListB() const { return listB; }
    const std::vector<uint32_t>& GetListC() const { return listC; }

    uint32_t GetStars() const { return stars; }
    void SetStars(uint32_t v) { stars = v; }
    // Points of the running level, not stored.
    int32_t GetLevelStars() const { return levelStars; }
    void SetLevelStars(int32_t v) { levelStars = v; }
    void AddLevelStars(int32_t v) { levelStars += v; }

private:
    uint8_t flags[3] = {1, 1, 1};
    uint32_t selectedTheme = 0;
    uint32_t selectedPicture = 0;
    uint32_t selectedPuzzle = 0;
    uint32_t selectedSize = 0;
    std::vector<uint32_t> listA;
    std::vector<uint32_t> listB;
    std::vector<uint32_t> listC;
    uint32_t stars = kStartStars;
    int32_t levelStars = 0;
};

} // namespace Puzzle
