#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class ShaderUser;
}

namespace GameTools {

// One frame of a packed texture, stored exactly as the pack holds it. A frame
// covering a whole texture is value 0, position (0, 0), size (1, 1), extra (0, 0).
struct TexturePackFrame {
    uint32_t value = 0;
    KorvaneEngine::Vector2 position;
    KorvaneEngine::Vector2 size;
    KorvaneEngine::Vector2 extra;
};

// A ".tpf" file naming a set of textures with their frames, and a shader user
// for the shader file of the same name (extension "srf") that keeps the
// pack's textures loaded as long as the pack lives.
class TexturePack {
public:
    static constexpr uint32_t kVersion = 101;

    virtual ~TexturePack();
    // Reads "data\" + fileName. Throws KorvaneEngine::Error (never FileError)
    // when the file is missing, malformed or inconsistent.
    TexturePack(const std::string& fileName, bool temporaryTextures);
    TexturePack(const TexturePack&) = delete;
    TexturePack& operator=(const TexturePack&) = delete;

    const std::string& GetName() const { return name; }
    KorvaneEngine::ShaderUser* GetShaderUser() const { return shaderUser; }
    const std::map<std::string, std::vector<TexturePackFrame>>& GetTextures() const { return textures; }

private:
    void Read(const std::string& fileName);

    std::string name;
    KorvaneEngine::ShaderUser* shaderUser = nullptr;
    std::map<std::string, std::vector<TexturePackFrame>> textures;
};

} // namespace GameTools
