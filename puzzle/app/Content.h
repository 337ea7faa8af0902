#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace GameTools {
class DataKeeper;
}

namespace Puzzle {

class GameLogicData;
class ProfileManager;

// What the player can play and buy: the themes (folders of pictures under
// "data\themes"), the puzzles (numbered folders of cuts under
// "data\puzzles"), their prices in stars, and a preview shader for every
// picture ("themes/<theme>/preview_NN") and puzzle ("puzzles/NN/preview"),
// registered in the resource keeper to be loaded with the game's data.
//
// Themes are numbered in the sorted order of their lower-case folder names,
// pictures in the order the search lists the ".jpg" files directly in the
// theme folder (previews left out by file name), puzzles by folder number
// 00, 01, ... A bad cost file, or no theme or puzzle at all, is fatal
// (logged with "PROGRAM ABORTING: ", FatalError thrown).
class Content {
public:
    // Neither is owned; the profile list's current profile holds the choice.
    Content(ProfileManager* profiles, GameTools::DataKeeper* keeper);
    virtual ~Content();
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;

    // The three files of the current profile's choice into the puzzle data.
    void FillGameLogicData(GameLogicData* data);
    // The same paths. A theme, picture or puzzle beyond the catalogue, or a
    // size whose puzzle file is missing, falls back to 0 (logged, the
    // profile saved); without a current profile the choice is all 0.
    void GetChoicePaths(std::string* picture, std::string* colors, std::string* puzzle);

    uint32_t GetThemeCount() const { return themeCount; }
    const std::vector<std::string>& GetThemeNames() const { return themeNames; }
    // Empty / 0 outside the catalogue.
    std::string GetThemeName(uint32_t theme) const;
    uint32_t GetPictureCount(uint32_t theme) const;
    int32_t GetThemeCost() const { return themeCost; }
    int32_t GetPictureCost() const { return pictureCost; }
    uint32_t GetPuzzleCount() const { return puzzleCount; }
    int32_t GetPuzzleCost(uint32_t puzzle) const;

    // A number as the folder and file names write it: at least two digits.
    static std::string Number(uint32_t n);

private:
    void Scan();
    void ScanThemes();
    void ScanPuzzles();

    ProfileManager* profiles;
    GameTools::DataKeeper* keeper;
    uint32_t themeCount = 0;
    std::vector<std::string> themeNames;
    std::vector<uint32_t> pictureCounts;
    int32_t themeCost = 0;
    int32_t pictureCost = 0;
    uint32_t puzzleCount = 0;
    std::vector<int32_t> puzzleCosts;
};

} // namespace Puzzle
