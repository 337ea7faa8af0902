#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a ".pzf" puzzle file: a signed container with the magic
// "PZPZF" and version 100 around the board size, the pieces (each with its
// value list and run-length coded shape bits) and the run-length coded
// outline of the whole picture. Rows follow the engine's pictures: row 0 and
// y = 0 are the picture's bottom line.
//
// Written exactly as given: nothing is checked, so tests can build malformed
// files on purpose. Stored counts and lengths come from the vectors unless
// overridden.
struct PuzzlePiece {
    static const uint32_t kAuto = 0xFFFFFFFFu;

    int32_t x = 0, y = 0, w = 0, h = 0;
    std::vector<uint32_t> values;
    uint32_t storedValueCount = kAuto;
    // ceil(w * h / 8) bytes: pixel k = row * w + column is bit k % 8 (least
    // significant first) of byte k / 8. Coded by the writer unless
    // shapeIsCoded, when the bytes are the block itself.
    std::vector<uint8_t> shape;
    bool shapeIsCoded = false;
    uint32_t storedShapeLength = kAuto;
};

struct PuzzleFile {
    static const uint32_t kAuto = 0xFFFFFFFFu;

    uint32_t version = 100;
    float boardWidth = 0, boardHeight = 0;
    std::vector<PuzzlePiece> pieces;
    uint32_t storedPieceCount = kAuto;
    // One byte per picture pixel, row by row; coded unless outlineIsCoded.
    std::vector<uint8_t> outline;
    bool outlineIsCoded = false;
    uint32_t storedOutlineLength = kAuto;
    uint32_t storedTotalSize = kAuto;
    // Bytes after the outline block.
    std::vector<uint8_t> trailing;
};

// The run-length code of both blocks: a control byte k < 128 is followed by
// k + 1 literal bytes; k >= 128 by one byte repeated k - 126 times (2..129).
std::vector<uint8_t> RunLengthEncode(const uint8_t* data, size_t size);
inline std::vector<uint8_t> RunLengthEncode(const std::vector<uint8_t>& data)
{
    return RunLengthEncode(data.data(), data.size());
}
// The inverse, for tests and tools; false when the block is cut short.
bool RunLengthDecode(const std::vector<uint8_t>& block, std::vector<uint8_t>& out);

// Packs w * h flags (row by row, non-zero = inside) into shape bytes.
std::vector<uint8_t> PackShapeBits(const std::vector<uint8_t>& flags);

std::vector<uint8_t> WritePuzzleFile(const PuzzleFile& file);
// Reads a well-formed file back, blocks decoded (for checks of generated
// files); false for anything else. No limits beyond the bytes themselves.
bool ParsePuzzleFile(const std::vector<uint8_t>& bytes, PuzzleFile& file);
bool SavePuzzleFile(const std::string& path, const PuzzleFile& file);

} // namespace ContentTools
