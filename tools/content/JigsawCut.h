#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/formats/PuzzleFileWriter.h"

namespace Content {

// How a puzzle's pieces are shaped, in parts of a grid cell's shorter side.
struct CutStyle {
    float headRadius = 0.15f;   // the round knob of a tab
    float reach = 0.16f;        // from the cut line to the knob's centre
    float neck = 0.075f;        // half the width of the tab's neck
    float fillet = 0.05f;       // rounding where neck, knob and line meet
    float wave = 0.02f;         // how far the grid lines wander
    float waves = 1.0f;         // their wavelengths along one cell
    float skew = 0.03f;         // knobs lean this far along the edge
    float shift = 0.06f;        // tabs sit this far off the edge's middle (of the edge)
};

// A jigsaw cut of a width x height picture: a grid of cols x rows cells
// whose lines wander a little, and on every inner edge one tab that one
// neighbour owns and the other leaves a matching blank for. Every pixel
// belongs to exactly one piece, since both neighbours read the same edge.
// Coordinates are the engine's: row 0 is the picture's bottom line.
class JigsawCut {
public:
    JigsawCut(int width, int height, int cols, int rows, const CutStyle& style, uint32_t seed);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int PieceCount() const { return cols_ * rows_; }
    // The piece of a pixel: row * cols + column.
    int LabelAt(int x, int y) const { return labels_[size_t(y) * width_ + x]; }
    // 255 on the cut lines, falling to 0 within about a pixel either side.
    uint8_t OutlineAt(int x, int y) const { return outline_[size_t(y) * width_ + x]; }

    // Pieces in label order, each its bounding box and pixels; no values;
    // the board is the picture's size.
    ContentTools::PuzzleFile ToPuzzleFile() const;

    // The grid of a piece count nearest to square cells on this picture.
    static void GridFor(int pieces, int width, int height, int& cols, int& rows);

private:
    // A grid line: where it crosses, and how it wanders along.
    struct Line {
        float base = 0, phase1 = 0, phase2 = 0;
    };
    struct Tab {
        float centre = 0;  // along the line
        float line = 0;    // the line's place across at the centre: knobs keep their shape where it wanders
        float side = 1;    // +1: the tab juts towards higher x (or y)
        float skew = 0;
        float headRadius = 0, reach = 0, neck = 0;
    };
    // Signed field of one edge at a point (across: the point's coordinate
    // across the line, line: the line's there): below 0 on the side of
    // lower x (or y), above 0 on the other, |value| about the distance to
    // the cut.
    float EdgeField(const Tab& tab, float across, float line, float along) const;
    // Whether a point along an edge is close enough to its tab for the tab
    // to shape the cut there.
    bool NearTab(const Tab& tab, float along) const;
    // The line's place across at a point along it.
    float LineAt(const Line& line, float along, float cell) const;
    // The field of vertical line k (from 0) with the tab of row r, or of
    // horizontal line j with the tab of column c, at a point.
    float ColumnField(int k, int r, float x, float y) const;
    float RowField(int j, int c, float x, float y) const;
    // Distance to the cut from a field: its value over its slope there.
    template <class F> static float Distance(F field, float x, float y, float value);
    // Pixels a piece holds only through a corner, away from the rest of it,
    // go to the neighbour they touch most.
    bool JoinStrayPixels();

    int width_, height_, cols_, rows_;
    CutStyle style_;
    float fillet_;
    float cellWidth_, cellHeight_, wave_;
    std::vector<Line> columnGrid_, rowGrid_;  // cols - 1 vertical and rows - 1 horizontal lines
    std::vector<float> columnLines_;  // (cols - 1) x height: x of each vertical line per row
    std::vector<float> rowLines_;     // (rows - 1) x width: y of each horizontal line per column
    std::vector<Tab> verticalTabs_;   // (cols - 1) x rows
    std::vector<Tab> horizontalTabs_; // (rows - 1) x cols
    std::vector<uint16_t> labels_;
    std::vector<uint8_t> outline_;
};

// Puzzle p's cut for size s as the puzzles module writes it
// (PuzzlesContent.cpp); the variant may change the piece count.
ContentTools::PuzzleFile MakeCataloguePuzzle(int puzzle, int size, const std::string& variant);

} // namespace Content
