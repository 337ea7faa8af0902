#pragma once
// The play field's layout in GUI units (800 x 600, y up): where the path runs
// round the board, the obstacle over it, and the sizes of the carriage and
// the bonuses. The game-objects module writes data\game_objects from it; the
// tests read the same numbers.
#include "tools/content/Catalogue.h"

namespace Content {
namespace GameObjects {

const char kResourceList[] = "data\\game_objects\\resources.xml";

// The board's corner (the game places it there) and size (every picture's).
const float kBoardLeft = 60.0f, kBoardBottom = 54.0f;
const float kBoardWidth = float(Catalogue::kPictureWidth), kBoardHeight = float(Catalogue::kPictureHeight);

struct PathPoint {
    float x, y;
};

// Down the left of the board, right along the bottom, up the right, then
// left along the top towards the start. Relax mode uses the first five.
const PathPoint kPath[] = {{30, 537}, {30, 27}, {690, 27}, {690, 537}, {420, 537}, {200, 537}};
const int kPathPointCount = sizeof kPath / sizeof kPath[0];
// The boxes whose centres are the points.
const float kPathMarkerSize = 12.0f;

// A bridge over the bottom stretch: clicks on it reach no piece below.
const float kObstacleLeft = 330.0f, kObstacleRight = 410.0f;
const float kObstacleBottom = 5.0f, kObstacleTop = 49.0f;

const float kCarriageWidth = 50.0f, kCarriageHeight = 34.0f;
const float kBonusSize = 36.0f;

// The level-complete model: the picture in tiles that fly together.
const int kCompleteColumns = 8, kCompleteRows = 6;
const int kCompleteFrames = 4;
const float kCompleteSpeed = 2.0f;  // frames a second

} // namespace GameObjects
} // namespace Content
