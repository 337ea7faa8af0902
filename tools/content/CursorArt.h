#pragma once
#include <cstdint>
#include <utility>
#include <vector>

namespace Content {

// The program's system cursors, resources 1000 (the arrow), 107 (the arrow
// with a pick mark) and 106 (four-way move), as ".cur" files. The build
// writes them with "PelloriaContent --cursors <folder>" (cursor_<id>.cur)
// before the resource compiler reads them.
extern const uint16_t kCursorResourceIds[3];
std::vector<std::pair<uint16_t, std::vector<uint8_t>>> MakeSystemCursors();

} // namespace Content
