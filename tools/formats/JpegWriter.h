#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// Baseline JPEG through the same libjpeg the engine reads with. The bytes
// depend only on the pixels and the options (no time stamps, no library
// comments), so generated content is reproducible.
struct JpegOptions {
    int quality = 90;         // 1..100
    // Colour resolution of the luminance (4:4:4) instead of halved both ways
    // (4:2:0): sharper colour edges for pictures the tests compare closely.
    bool fullColour = false;
    // Huffman tables fitted to the picture: smaller files, still baseline.
    bool optimiseCoding = true;
};

// pixels: height rows of width pixels, the TOP row first (the file's order,
// unlike the engine's Image), each pixel R, G, B (channels 3) or one grey byte
// (channels 1), rows packed without gaps. Empty on a refused size or depth.
std::vector<uint8_t> WriteJpeg(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t channels,
                               const JpegOptions& options = JpegOptions());
bool SaveJpeg(const std::string& path, const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t channels,
              const JpegOptions& options = JpegOptions());

} // namespace ContentTools
