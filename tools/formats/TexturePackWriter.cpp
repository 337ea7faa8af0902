#include "tools/formats/TexturePackWriter.h"

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

std::vector<uint8_t> WriteTexturePackFile(const TexturePackFile& p)
{
    ByteWriter w;
    w.U32(0);
    w.Bytes("GFTPF", 5);
    w.U32(p.version);
    w.U32(p.storedTextureCount != TexturePackFile::kAuto ? p.storedTextureCount
                                                         : static_cast<uint32_t>(p.textures.size()));
    for (const TexturePackTexture& t : p.textures) {
        // Raw record: the name bytes as given (a zero inside stays), then the terminator.
        size_t n = t.name.size() < ByteWriter::kMaxStringLength ? t.name.size() : ByteWriter::kMaxStringLength;
        w.U8(static_cast<uint8_t>(n + 1));
        w.Bytes(t.name.data(), n);
        w.U8(0);
        w.U32(t.storedFrameCount != TexturePackTexture::kAuto ? t.storedFrameCount
                                                              : static_cast<uint32_t>(t.frames.size()));
        for (const TexturePackFrame& f : t.frames) {
            w.U32(f.value);
            w.F32(f.position[0]);
            w.F32(f.position[1]);
            w.F32(f.size[0]);
            w.F32(f.size[1]);
            w.F32(f.extra[0]);
            w.F32(f.extra[1]);
        }
    }
    if (!p.trailing.empty())
        w.Bytes(p.trailing.data(), p.trailing.size());
    w.PatchU32(0, p.storedTotalSize != TexturePackFile::kAuto ? p.storedTotalSize : static_cast<uint32_t>(w.Size()));
    return std::move(w.Data());
}

bool SaveTexturePackFile(const std::string& path, const TexturePackFile& pack)
{
    return SaveBytes(path, WriteTexturePackFile(pack));
}

} // namespace ContentTools
