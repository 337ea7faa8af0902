#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The width and height a picture file's header states, read by the file's
// extension as the engine chooses its reader ("jpg"/"jpeg", "png", "bmp",
// "tga"; any letter case). False for another extension or a header that
// does not hold a size.
bool ReadPictureSize(const std::string& extension, const std::vector<uint8_t>& bytes, uint32_t* width,
                     uint32_t* height);

} // namespace ContentTools
