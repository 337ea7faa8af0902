#include "engine/render/TexturePack.h"

#include <cstring>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/Shader.h"

using namespace KorvaneEngine;

namespace GameTools {

namespace {

const uint32_t kFrameRecordSize = 28;

Vector2 ReadVector2(FileBinary& f)
{
    float x = ReadF32(f);
    return Vector2(x, ReadF32(f));
}

} // namespace

TexturePack::TexturePack(const std::string& fileName, bool temporaryTextures) : name(fileName)
{
    std::string shaderFile = fileName;
    ChangeExtension(shaderFile, "srf");
    shaderUser = ShaderManager::Instance()->GetShaderUserFromFile(shaderFile, temporaryTextures);
    try {
        Read(fileName);
    } catch (const FileError& e) {
        textures.clear();
        // The shader user would otherwise outlive a pack that never existed.
        ShaderManager::Instance()->RemoveShaderUser(shaderUser);
        shaderUser = nullptr;
        throw Error(e.GetMessage());
    }
}

void TexturePack::Read(const std::string& fileName)
{
    BinaryDataFile container("GFTPF", kVersion);
    container.Open(GetDataPath(fileName), 0, false, nullptr);
    FileBinary& f = *container.GetFile();

    const uint32_t count = ReadU32(f);
    if (count == 0)
        throw FileError("TexturePack (\"" + fileName + "\"): No textures in pack");
    for (uint32_t t = 0; t < count; ++t) {
        std::string textureName;
        f.ReadString(textureName);
        if (textures.count(textureName))
            throw FileError("TexturePack (\"" + fileName + " \"): Texture \"" + textureName + "\" is dublicated");
        std::vector<TexturePackFrame>& frames = textures[textureName];
        const uint32_t frameCount = ReadU32(f);
        // The count is checked against what is left before anything is
        // reserved for it, so a corrupt count cannot ask for gigabytes.
        const uint64_t need = static_cast<uint64_t>(frameCount) * kFrameRecordSize;
        const uint32_t left = f.GetPosition() < f.GetSize() ? f.GetSize() - f.GetPosition() : 0;
        if (need > left)
            throw FileError("Failed to read " + std::to_string(need) + " bytes from \"" + f.GetName() + "\" file");
        frames.reserve(frameCount);
        for (uint32_t i = 0; i < frameCount; ++i) {
            frames.emplace_back();
            TexturePackFrame& frame = frames.back();
            frame.value = ReadU32(f);
            frame.position = ReadVector2(f);
            frame.size = ReadVector2(f);
            frame.extra = ReadVector2(f);
        }
    }
    container.Close();
}

TexturePack::~TexturePack()
{
    textures.clear();
    if (ShaderManager* shaders = ShaderManager::Instance())
        shaders->RemoveShaderUser(shaderUser);
}

} // namespace GameTools
