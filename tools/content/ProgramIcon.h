#pragma once
#include <cstdint>
#include <vector>

#include "tools/formats/IconFileWriter.h"

namespace Content {

// The program's icon (its resource group 101): a jigsaw piece in the game's
// warm colours, at 48, 32 and 16 pixels. The build writes it with
// "PelloriaContent --icon <file>" before the resource compiler reads it.
std::vector<ContentTools::IconImage> MakeProgramIconImages();
std::vector<uint8_t> MakeProgramIcon();

} // namespace Content
