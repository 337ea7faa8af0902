#pragma once
// The shipped catalogue in one table: the modules that write pictures, puzzle
// files, costs and levels, and the tests that check them, read it from here.

namespace Content {
namespace Catalogue {

struct Theme {
    const char* folder;  // lower case: data\themes\<folder>
    int pictures;        // NN.jpg, NN_preview.jpg and NN.xml, NN from 00
};

const Theme kThemes[] = {{"landscapes", 4}, {"mosaics", 4}, {"gardens", 2}};
const int kThemeCount = sizeof kThemes / sizeof kThemes[0];
const int kThemeCost = 1000;
const int kPictureCost = 300;

// data\puzzles\NN, with its cost; puzzle 00 is free (a new player has it).
const int kPuzzleCosts[] = {0, 400, 800};
const int kPuzzleCount = sizeof kPuzzleCosts / sizeof kPuzzleCosts[0];

// puzzle_MM.pzf in every puzzle folder: the piece count of size MM.
const int kPieceCounts[] = {12, 24, 48, 96};
const int kSizeCount = sizeof kPieceCounts / sizeof kPieceCounts[0];

// Every picture and every puzzle file has this size, since any puzzle cuts
// any picture; it leaves room around the board for the path.
const int kPictureWidth = 560;
const int kPictureHeight = 420;

// data\levels\levels.xml: the number of levels in each stage.
const int kLevelsPerStage[] = {3, 2};
const int kStageCount = sizeof kLevelsPerStage / sizeof kLevelsPerStage[0];

} // namespace Catalogue
} // namespace Content
