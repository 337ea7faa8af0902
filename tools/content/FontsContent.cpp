// The bitmap fonts: each font of Fonts.h rasterised by FreeType from
// fonts-dejavu-core into an atlas (a white diffuse picture and an 8-bit
// opacity picture of the same power-of-two size) and a KEFNT glyph table, in
// one folder a language, with the fonts' licence beside them. The font table
// that names them is the font-table module's.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/content/ContentSet.h"
#include "tools/content/Fonts.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/FontFileWriter.h"

namespace Content {

namespace {


// The Debian package's folder, as Wine sees the host (drive Z: is /).
// PELLORIA_FONT_DIR overrides it (a host path or a Windows one).
std::string FontDirectory()
{
    const char* dir = std::getenv("PELLORIA_FONT_DIR");
    if (dir && *dir) {
        std::string d = dir;
        if (d[0] == '/')
            d = "Z:" + d;
        return d;
    }
    return "Z:\\usr\\share\\fonts\\truetype\\dejavu";
}

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path + " (is fonts-dejavu-core installed?)");
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Glyph {
    uint16_t code;
    uint32_t advance;  // pixels: the cell's width
    std::vector<uint8_t> cell;  // advance x line height coverage, top row first
    uint32_t x = 0, y = 0;      // place in the atlas, from its top-left
};

struct Atlas {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> coverage;  // top row first
};

class FreeType {
public:
    FreeType()
    {
        if (FT_Init_FreeType(&library_))
            throw std::runtime_error("FreeType cannot start");
    }
    ~FreeType()
    {
        for (FT_Face f : faces_)
            FT_Done_Face(f);
        FT_Done_FreeType(library_);
    }
    FT_Face Open(const std::string& file)
    {
        data_.push_back(ReadHostFile(FontDirectory() + "\\" + file));
        FT_Face face;
        if (FT_New_Memory_Face(library_, data_.back().data(), static_cast<FT_Long>(data_.back().size()), 0, &face))
            throw std::runtime_error("FreeType cannot read " + file);
        faces_.push_back(face);
        return face;
    }

private:
    FT_Library library_ = nullptr;
    std::vector<FT_Face> faces_;
    std::vector<std::vector<uint8_t>> data_;
};

// Every glyph of the ranges in cells one line tall with the pen at the
// bottom-left: the baseline lies the descent above the cell's bottom.
std::vector<Glyph> Rasterise(FT_Face face, const Fonts::Font& font, uint32_t* lineHeight)
{
    // The largest pixel size whose line still fits the cell.
    int ascent = 0, descent = 0;
    for (uint32_t px = font.cellHeight; px > 4; --px) {
        FT_Set_Pixel_Sizes(face, 0, px);
        ascent = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));
        descent = static_cast<int>(std::ceil(-face->size->metrics.descender / 64.0));
        if (static_cast<uint32_t>(ascent + descent) <= font.cellHeight)
            break;
    }
    const uint32_t h = font.cellHeight;
    *lineHeight = h;
    const int baseline = static_cast<int>(h) - descent;  // rows from the top
    std::vector<Glyph> glyphs;
    for (const Fonts::Range& r : Fonts::kRanges) {
        for (uint32_t c = r.first; c <= r.last; ++c) {
            if (FT_Get_Char_Index(face, c) == 0)
                throw std::runtime_error(std::string("glyph U+") + std::to_string(c) + " missing from " + font.face);
            if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL))
                throw std::runtime_error(std::string("FreeType cannot draw a glyph of ") + font.face);
            const FT_GlyphSlot slot = face->glyph;
            Glyph g;
            g.code = static_cast<uint16_t>(c);
            g.advance = static_cast<uint32_t>(std::max<long>(1, (slot->advance.x + 32) >> 6));
            g.cell.assign(size_t(g.advance) * h, 0);
            const FT_Bitmap& b = slot->bitmap;
            for (uint32_t row = 0; row < b.rows; ++row) {
                const int y = baseline - slot->bitmap_top + static_cast<int>(row);
                if (y < 0 || y >= static_cast<int>(h))
                    continue;
                for (uint32_t col = 0; col < b.width; ++col) {
                    const int x = slot->bitmap_left + static_cast<int>(col);
                    if (x < 0 || x >= static_cast<int>(g.advance))
                        continue;
                    const uint8_t v = b.buffer[row * b.pitch + col];
                    uint8_t& out = g.cell[size_t(y) * g.advance + x];
                    out = std::max(out, v);
                }
            }
            glyphs.push_back(std::move(g));
        }
    }
    return glyphs;
}

uint32_t NextPowerOfTwo(uint32_t v)
{
    uint32_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

// Rows of cells with a gutter all round; the smallest power-of-two width whose
// height (also a power of two) is not larger.
Atlas Pack(std::vector<Glyph>& glyphs, uint32_t h)
{
    for (uint32_t width = 128;; width *= 2) {
        uint32_t x = Fonts::kGutter, y = Fonts::kGutter;
        bool fits = true;
        for (Glyph& g : glyphs) {
            if (g.advance + 2 * Fonts::kGutter > width) {
                fits = false;
                break;
            }
            if (x + g.advance + Fonts::kGutter > width) {
                x = Fonts::kGutter;
                y += h + Fonts::kGutter;
            }
            g.x = x;
            g.y = y;
            x += g.advance + Fonts::kGutter;
        }
        const uint32_t height = NextPowerOfTwo(y + h + Fonts::kGutter);
        if (!fits || height > width)
            continue;
        Atlas a;
        a.width = width;
        a.height = height;
        a.coverage.assign(size_t(width) * height, 0);
        for (const Glyph& g : glyphs)
            for (uint32_t row = 0; row < h; ++row)
                std::copy(g.cell.begin() + size_t(row) * g.advance, g.cell.begin() + size_t(row + 1) * g.advance,
                    a.coverage.begin() + size_t(g.y + row) * width + g.x);
        return a;
    }
}

// Run-length TGA (type 10 true colour, 11 grey), rows top first; packets
// never cross a row.
std::vector<uint8_t> WriteTga(uint32_t w, uint32_t h, uint32_t channels, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> out(18, 0);
    out[2] = channels == 1 ? 11 : 10;
    out[12] = static_cast<uint8_t>(w);
    out[13] = static_cast<uint8_t>(w >> 8);
    out[14] = static_cast<uint8_t>(h);
    out[15] = static_cast<uint8_t>(h >> 8);
    out[16] = static_cast<uint8_t>(channels * 8);
    out[17] = 0x20;  // top-left origin
    auto same = [&](size_t a, size_t b) {
        return std::equal(pixels.begin() + a * channels, pixels.begin() + (a + 1) * channels,
            pixels.begin() + b * channels);
    };
    for (uint32_t y = 0; y < h; ++y) {
        const size_t row = size_t(y) * w;
        uint32_t x = 0;
        while (x < w) {
            uint32_t run = 1;
            while (x + run < w && run < 128 && same(row + x, row + x + run))
                ++run;
            if (run > 1) {
                out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
                out.insert(out.end(), pixels.begin() + (row + x) * channels, pixels.begin() + (row + x + 1) * channels);
            } else {
                // Literal pixels up to the next run of two.
                uint32_t n = 1;
                while (x + n < w && n < 128 && !(x + n + 1 < w && same(row + x + n, row + x + n + 1)))
                    ++n;
                out.push_back(static_cast<uint8_t>(n - 1));
                out.insert(out.end(), pixels.begin() + (row + x) * channels, pixels.begin() + (row + x + n) * channels);
                run = n;
            }
            x += run;
        }
    }
    return out;
}

} // namespace

void AddFonts(ContentSet& set, const Options& options)
{
    FreeType freetype;
    for (const Fonts::Font& font : Fonts::kFonts) {
        FT_Face face = freetype.Open(font.face);
        uint32_t h = 0;
        std::vector<Glyph> glyphs = Rasterise(face, font, &h);
        const Atlas atlas = Pack(glyphs, h);
        ContentTools::FontFile file;
        for (const Glyph& g : glyphs) {
            ContentTools::FontGlyphRecord r;
            r.code = g.code;
            r.ratio = float(g.advance) / float(h);
            r.u = float(g.x) / float(atlas.width);
            // v counts from the picture's bottom row.
            r.v = float(atlas.height - g.y - h) / float(atlas.height);
            r.w = r.ratio * (float(h) / float(atlas.height)) * float(atlas.height) / float(atlas.width);
            r.h = float(h) / float(atlas.height);
            file.glyphs.push_back(r);
        }
        const std::vector<uint8_t> kefnt = ContentTools::WriteFontFile(file);
        const std::vector<uint8_t> white(size_t(atlas.width) * atlas.height * 3, 255);
        const std::vector<uint8_t> diffuse = WriteTga(atlas.width, atlas.height, 3, white);
        const std::vector<uint8_t> opacity = WriteTga(atlas.width, atlas.height, 1, atlas.coverage);

        for (int l = 0; l < Fonts::kLanguageCount; ++l) {
            const std::string code = Fonts::kLanguages[l];
            const std::string base = std::string("ui\\fonts\\") + code + "\\" + font.name;
            set.Add("data\\" + base + ".kefnt", kefnt);
            set.Add("data\\" + base + "_diffuse.tga", diffuse);
            set.Add("data\\" + base + "_opacity.tga", opacity);
        }
    }
    // The fonts' licence travels with them.
    const std::vector<uint8_t> licence = ReadHostFile("Z:\\usr\\share\\doc\\fonts-dejavu-core\\copyright");
    set.Add("data\\ui\\fonts\\dejavu_licence.txt", licence);
    (void)options;
}

} // namespace Content
