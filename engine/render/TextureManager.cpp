#include "engine/render/TextureManager.h"

#include "engine/foundation/StringUtils.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"

namespace KorvaneEngine {

TextureManager::~TextureManager()
{
    for (auto& entry : textures)
        delete entry.second;
    textures.clear();
}

void TextureManager::MakeKey(std::string& out, bool mips, const std::string& diffuse, const std::string& opacity)
{
    out = "diffuse_" + ToLowerCopy(diffuse);
    if (!opacity.empty())
        out += "_plus_opacity_" + ToLowerCopy(opacity);
    if (mips)
        out += "_with_mip_mapping";
}

Texture2D* TextureManager::GetTexture(bool mips, const std::string& diffuse, const std::string& opacity,
                                      bool deferred)
{
    std::string key;
    MakeKey(key, mips, diffuse, opacity);
    auto it = textures.find(key);
    if (it != textures.end()) {
        it->second->SetReferenceCount(it->second->GetReferenceCount() + 1);
        return it->second;
    }
    Texture2D* texture = RenderSystem::Instance()->CreateTextureFromFiles(key, diffuse, opacity, mips, deferred);
    texture->SetReferenceCount(1);
    textures[key] = texture;
    return texture;
}

Texture2D* TextureManager::GetTexture(bool mips, const std::string& diffuse, const std::string& opacity,
                                      Image* picture, Image* opacityPicture, bool deferred)
{
    mips = true;
    std::string key;
    MakeKey(key, mips, diffuse, opacity);
    auto it = textures.find(key);
    if (it != textures.end()) {
        delete picture;
        delete opacityPicture;
        it->second->SetReferenceCount(it->second->GetReferenceCount() + 1);
        return it->second;
    }
    Texture2D* texture =
        RenderSystem::Instance()->CreateTextureFromImages(key, picture, opacityPicture, mips, deferred);
    texture->SetReferenceCount(1);
    textures[key] = texture;
    return texture;
}

void TextureManager::ReleaseTexture(Texture2D* texture)
{
    if (!texture)
        return;
    auto it = textures.find(texture->GetName());
    // Only the texture stored under the name: another object of that name is not ours.
    if (it == textures.end() || it->second != texture)
        return;
    texture->SetReferenceCount(texture->GetReferenceCount() - 1);
    if (texture->GetReferenceCount() <= 0) {
        textures.erase(it);
        delete texture;
    }
}

void TextureManager::Update()
{
    for (auto& entry : textures) {
        Texture2D* texture = entry.second;
        if (!texture->IsDeferred())
            continue;
        if (texture->GetIdleFrames() > 2)
            texture->ReleaseSurface();
        texture->SetIdleFrames(texture->GetIdleFrames() + 1);
    }
}

uint32_t TextureManager::GetUsedMemory() const
{
    uint32_t total = 0;
    for (const auto& entry : textures)
        total += entry.second->GetMemorySize();
    return total;
}

void TextureManager::GetTextures(std::vector<Texture2D*>& out) const
{
    out.clear();
    out.reserve(textures.size());
    for (const auto& entry : textures)
        out.push_back(entry.second);
}

} // namespace KorvaneEngine
