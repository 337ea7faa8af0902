// The font table: data\ui\fonts\fonts_basic.xml and fonts_additional.xml
// from FontTable.h over the fonts the fonts module rasterised, and the check
// that every character the shipped texts and windows show in a language has
// a glyph in that language's fonts.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>

#include "tools/content/ContentSet.h"
#include "tools/content/Fonts.h"
#include "tools/content/FontTable.h"
#include "tools/content/Modules.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace {

using ContentTools::XmlElement;

struct Rasterised {
    std::set<uint16_t> codes;
    float spaceRatio = 1;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// The glyph codes (and the blank's advance) of a KEFNT file the fonts module
// added: a 17-byte header, then 22 bytes a glyph (u16 code first, the ratio
// last).
Rasterised ReadGlyphs(const ContentSet& set, const std::string& path)
{
    const std::vector<uint8_t>* bytes = set.Find(path);
    if (!bytes)
        throw std::runtime_error("font table: \"" + path + "\" was not rasterised");
    const std::vector<uint8_t>& b = *bytes;
    if (b.size() < 17 || std::string(b.begin() + 4, b.begin() + 9) != "KEFNT")
        throw std::runtime_error("font table: \"" + path + "\" is no KEFNT file");
    const uint32_t count = U32(b, 13);
    if ((b.size() - 17) / 22 < count)
        throw std::runtime_error("font table: \"" + path + "\" is shorter than its glyph count");
    Rasterised r;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = 17 + size_t(i) * 22;
        const uint16_t code = uint16_t(b[at] | b[at + 1] << 8);
        r.codes.insert(code);
        if (code == ' ') {
            const uint32_t bits = U32(b, at + 18);
            float ratio;
            static_assert(sizeof ratio == sizeof bits, "32-bit float");
            std::memcpy(&ratio, &bits, sizeof ratio);
            r.spaceRatio = ratio;
        }
    }
    return r;
}

std::string CodePoint(uint16_t c)
{
    char text[8];
    std::snprintf(text, sizeof text, "U+%04X", unsigned(c));
    return text;
}

const Fonts::Font& SourceFont(const char* name)
{
    for (const Fonts::Font& f : Fonts::kFonts)
        if (std::string(f.name) == name)
            return f;
    throw std::runtime_error(std::string("font table: no rasterised font \"") + name + "\"");
}

std::string Base(const std::string& code, const char* font)
{
    return "ui\\fonts\\" + code + "\\" + font;
}

void AddPaths(XmlElement& e, const std::string& base)
{
    e.Add("description_file_path").Set("path", base + ".kefnt");
    e.Add("diffuse_image_path").Set("path", base + "_diffuse.tga");
    e.Add("opacity_image_path").Set("path", base + "_opacity.tga");
}

// Every character a language shows: its texts and the windows' literals.
std::set<uint16_t> ShownCharacters(const std::string& code)
{
    std::set<uint16_t> shown;
    for (const Texts::Entry& e : Texts::Table())
        for (wchar_t c : Texts::Widen(Texts::Find(e.key, code)))
            shown.insert(uint16_t(c));
    for (const std::string& literal : Windows::Literals())
        for (wchar_t c : Texts::Widen(literal))
            shown.insert(uint16_t(c));
    return shown;
}

} // namespace

void AddFontTable(ContentSet& set, const Options&)
{
    XmlElement basic("fonts"), additional("fonts");
    for (const FontTable::Entry& t : FontTable::kEntries) {
        const Fonts::Font& source = SourceFont(t.font);
        XmlElement& entry = (t.additional ? additional : basic).Add("font");
        entry.Set("name", t.name).Set("size", t.size > 0 ? t.size : source.size);
        // The first shipped language's files serve any other language too.
        const Rasterised first = ReadGlyphs(set, "data\\" + Base(Texts::kLanguages[0], t.font) + ".kefnt");
        entry.Add("properties").Set("space", first.spaceRatio);
        AddPaths(entry, Base(Texts::kLanguages[0], t.font));
        for (const char* code : Texts::kLanguages) {
            const Rasterised glyphs = ReadGlyphs(set, "data\\" + Base(code, t.font) + ".kefnt");
            for (uint16_t c : ShownCharacters(code))
                if (c != '|' && c != '\n' && c != '\r' && !glyphs.codes.count(c))
                    throw std::runtime_error("font table: \"" + std::string(t.name) + "\" in " + code +
                                             " has no glyph for " + CodePoint(c));
            if (std::string(code) != Texts::kLanguages[0])
                AddPaths(entry.Add(code), Base(code, t.font));
        }
    }
    set.AddText(FontTable::kBasicFile, ContentTools::WriteXml(basic));
    set.AddText(FontTable::kAdditionalFile, ContentTools::WriteXml(additional));
}

} // namespace Content
