#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a ".tpf" texture pack: a signed container with the magic
// "GFTPF" and version 101 around a texture table. Serialised as given (names
// are written as raw string records so tests can embed a zero), so malformed
// packs can be built on purpose.
struct TexturePackFrame {
    uint32_t value = 0;
    float position[2] = {0, 0};
    float size[2] = {1, 1};
    float extra[2] = {0, 0};
};

struct TexturePackTexture {
    // The record's bytes between the length byte and the final zero.
    std::string name;
    std::vector<TexturePackFrame> frames;
    static const uint32_t kAuto = 0xFFFFFFFFu;
    uint32_t storedFrameCount = kAuto;
};

struct TexturePackFile {
    static const uint32_t kAuto = 0xFFFFFFFFu;
    uint32_t version = 101;
    std::vector<TexturePackTexture> textures;
    uint32_t storedTextureCount = kAuto;
    uint32_t storedTotalSize = kAuto;
    // Bytes after the table (e.g. records behind a texture count of 0).
    std::vector<uint8_t> trailing;
};

std::vector<uint8_t> WriteTexturePackFile(const TexturePackFile& pack);
bool SaveTexturePackFile(const std::string& path, const TexturePackFile& pack);

} // namespace ContentTools
