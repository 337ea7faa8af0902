#pragma once
#include <string>
#include <vector>

namespace ContentTools {

// The text files of the game's catalogue and progression, one definition of
// each layout for the content generator and the tests.

// "data\levels\levels.xml": top element "levels" with one "stage" per entry,
// each holding that many "level" elements.
std::string WriteLevelsXml(const std::vector<int>& levelsPerStage);
// "data\themes\themes.xml": the price of a theme and of a picture in stars.
std::string WriteThemesXml(int themeCost, int pictureCost);
// "data\puzzles\NN\puzzle.xml": the price of one puzzle in stars.
std::string WritePuzzleXml(int puzzleCost);

} // namespace ContentTools
