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

// The variant the play-through tests ask for ("play_test"): the same
// catalogue, but size 0 of every puzzle has kPlayTestPieces pieces (a 2 x 2
// grid), and every picture is four flat quadrants of these colours (left to
// right, top row first), unlike any board tint, so a piece is known by its
// colour on a screenshot.
const char kPlayTestVariant[] = "play_test";
const int kPlayTestPieces = 4;
struct Rgb8 {
    unsigned char r, g, b;
};
const Rgb8 kPlayTestQuadrants[4] = {{210, 30, 40}, {30, 170, 50}, {40, 70, 215}, {225, 185, 20}};

inline int PieceCount(int size, const char* variant)
{
    const char* a = variant;
    const char* b = kPlayTestVariant;
    while (*a && *a == *b)
        ++a, ++b;
    return size == 0 && *a == *b ? kPlayTestPieces : kPieceCounts[size];
}

// data\levels\levels.xml: the number of levels in each stage.
const int kLevelsPerStage[] = {2, 2};
const int kStageCount = sizeof kLevelsPerStage / sizeof kLevelsPerStage[0];

} // namespace Catalogue
} // namespace Content
