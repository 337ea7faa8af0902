#pragma once
// The font table the content ships: which font name stands in which table
// file, drawn with which rasterised font (Fonts.h) at which size. The font
// table module writes data\ui\fonts\fonts_basic.xml and fonts_additional.xml
// from it; the tests read the same list.

namespace Content {
namespace FontTable {

const char kBasicFile[] = "data\\ui\\fonts\\fonts_basic.xml";
const char kAdditionalFile[] = "data\\ui\\fonts\\fonts_additional.xml";

struct Entry {
    const char* name;    // the name windows and the game ask for
    const char* font;    // the rasterised font (Fonts::Font::name) it draws with
    float size;          // GUI units; 0: the rasterised font's own size
    bool additional;     // in fonts_additional.xml (loaded once the game's resources are in)
};

// The basic file holds what the console and the logos and loading windows
// draw before the additional resources are in; the rest waits for them.
const Entry kEntries[] = {
    {"console", "console", 0, false},
    {"logos", "common_0", 0, false},
    {"loading", "common_1", 22, false},
    {"tip", "tip", 0, true},
    {"main_menu_0", "main_menu_0", 0, true},
    {"main_menu_1", "main_menu_1", 0, true},
    {"main_menu_2", "main_menu_2", 0, true},
    {"common_0", "common_0", 0, true},
    {"common_1", "common_1", 0, true},
    {"common_2", "common_2", 0, true},
};
const int kEntryCount = sizeof kEntries / sizeof kEntries[0];

} // namespace FontTable
} // namespace Content
