#include "tools/formats/FontFileWriter.h"

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

std::vector<uint8_t> WriteFontFile(const FontFile& font)
{
    ByteWriter w;
    w.U32(0);
    std::string magic = font.magic;
    magic.resize(5, ' ');
    w.Bytes(magic.data(), 5);
    w.U32(font.version);
    w.U32(font.storedCount == FontFile::kAuto ? static_cast<uint32_t>(font.glyphs.size()) : font.storedCount);
    for (const FontGlyphRecord& g : font.glyphs) {
        w.U16(g.code);
        w.F32(g.u);
        w.F32(g.v);
        w.F32(g.w);
        w.F32(g.h);
        w.F32(g.ratio);
    }
    w.PatchU32(0, font.storedTotalSize == FontFile::kAuto ? static_cast<uint32_t>(w.Size()) : font.storedTotalSize);
    return w.Data();
}

bool SaveFontFile(const std::string& path, const FontFile& font)
{
    return SaveBytes(path, WriteFontFile(font));
}

} // namespace ContentTools
