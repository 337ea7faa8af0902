#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a "KEFNT" bitmap-font file (version 201), as data: a 17-byte
// header (u32 total length, the magic, u32 version, u32 glyph count) and 22
// bytes a glyph. Serialised as given, so tests can build malformed files.
struct FontGlyphRecord {
    uint16_t code = 0;  // UTF-16 unit
    float u = 0, v = 0; // left edge; v at the baseline side, from the picture's bottom row
    float w = 0, h = 0; // texture width and height
    float ratio = 0;    // glyph width (and advance) as a fraction of the font size
};

struct FontFile {
    static const uint32_t kAuto = 0xFFFFFFFFu;
    std::string magic = "KEFNT";  // the first five characters are written
    uint32_t version = 201;
    std::vector<FontGlyphRecord> glyphs;
    // Count and total-length fields; kAuto writes the real values.
    uint32_t storedCount = kAuto;
    uint32_t storedTotalSize = kAuto;
};

std::vector<uint8_t> WriteFontFile(const FontFile& font);
bool SaveFontFile(const std::string& path, const FontFile& font);

} // namespace ContentTools
