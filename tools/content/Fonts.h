#pragma once
// The shipped fonts in one table: the fonts module writes them, the tests
// read the same list.
#include <cstdint>

namespace Content {
namespace Fonts {

struct Font {
    const char* name;   // the font table's name; files data\ui\fonts\<code>\<name>.*
    const char* face;   // a file of fonts-dejavu-core
    float size;         // glyph height in GUI units (800 x 600)
    uint32_t cellHeight;  // rasterised line height in pixels (at least 32)
};

const Font kFonts[] = {
    {"console", "DejaVuSans.ttf", 16, 32},
    {"tip", "DejaVuSans.ttf", 18, 32},
    {"main_menu_0", "DejaVuSans-Bold.ttf", 26, 44},
    {"main_menu_1", "DejaVuSans-Bold.ttf", 32, 52},
    {"main_menu_2", "DejaVuSans-Bold.ttf", 40, 64},
    {"common_0", "DejaVuSans.ttf", 16, 32},
    {"common_1", "DejaVuSans.ttf", 20, 36},
    {"common_2", "DejaVuSans-Bold.ttf", 24, 40},
};
const int kFontCount = sizeof kFonts / sizeof kFonts[0];

// The languages the content ships; each has its own font folder, whose
// existence selects the language.
const char* const kLanguages[] = {"en", "cz"};
const int kLanguageCount = 2;

// UTF-16 ranges (first, last) every shipped font holds.
struct Range {
    uint16_t first, last;
};
const Range kRanges[] = {{0x0020, 0x007E}, {0x00A0, 0x00FF}, {0x0100, 0x017F}, {0x2013, 0x2014},
    {0x2018, 0x201E}, {0x2026, 0x2026}, {0x20AC, 0x20AC}, {0x2122, 0x2122}};
const int kRangeCount = sizeof kRanges / sizeof kRanges[0];

// Gutter between atlas cells, in pixels.
const uint32_t kGutter = 2;

} // namespace Fonts
} // namespace Content
