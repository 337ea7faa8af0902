#pragma once
#include <cstdint>
#include <vector>

namespace ContentTools {

// One square picture of an icon: size x size pixels, R, G, B, A bytes, rows
// top first.
struct IconImage {
    uint32_t size = 0;
    std::vector<uint8_t> rgba;
};

// A Windows ".ico" file: the directory, then each picture as a 32-bit
// bottom-up DIB with its alpha and a 1-bit mask (set where alpha is below
// half), in the order given. Sizes from 1 to 256; empty for anything else or
// a picture whose byte count does not match its size.
std::vector<uint8_t> WriteIconFile(const std::vector<IconImage>& images);

// A Windows ".cur" file: the icon layout with the resource type 2, each
// directory entry carrying its picture's hot spot (pixels from the top-left)
// where an icon keeps its planes and depth.
struct CursorImage {
    IconImage image;
    uint16_t hotSpotX = 0, hotSpotY = 0;
};
std::vector<uint8_t> WriteCursorFile(const std::vector<CursorImage>& images);

} // namespace ContentTools
