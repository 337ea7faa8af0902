#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace KorvaneEngine {

class Image;
class Texture2D;

// Shares textures by a key made of their picture names and the mip choice,
// counts references, and drops the device surfaces of deferred textures that
// have not been drawn for a few frames.
class TextureManager {
public:
    virtual ~TextureManager();
    TextureManager() = default;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    static void MakeKey(std::string& out, bool mips, const std::string& diffuse, const std::string& opacity);

    Texture2D* GetTexture(bool mips, const std::string& diffuse, const std::string& opacity, bool deferred);
    // Takes ownership of both pictures (either may be null); on a hit they are
    // deleted. Pictures given as objects always get mip maps.
    Texture2D* GetTexture(bool mips, const std::string& diffuse, const std::string& opacity, Image* picture,
                          Image* opacityPicture, bool deferred);
    // Null, or a texture not held here, is left alone.
    void ReleaseTexture(Texture2D* texture);

    // Once per frame.
    void Update();

    uint32_t GetTextureCount() const { return static_cast<uint32_t>(textures.size()); }
    uint32_t GetUsedMemory() const;
    void GetTextures(std::vector<Texture2D*>& out) const;

private:
    std::map<std::string, Texture2D*> textures; // owned, in key order
};

} // namespace KorvaneEngine
