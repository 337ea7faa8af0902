#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KorvaneEngine {

class Config;
class Image;

// True for 0 and for the powers of two up to 65536.
bool IsPowerOfTwo(uint32_t n);

// The pictures that fill one texture: a diffuse picture and an optional
// opacity picture (files or Image objects), fitted to a power-of-two size the
// device accepts, with mip levels built in software.
class TextureImage {
public:
    virtual ~TextureImage();
    // Takes ownership of both pictures (opacity may be null).
    TextureImage(Image* diffuse, Image* opacity, bool mips);
    // Pictures read from files on Load; an empty opacity name means none.
    TextureImage(const std::string& diffuse, const std::string& opacity, bool mips);
    TextureImage(const TextureImage&) = delete;
    TextureImage& operator=(const TextureImage&) = delete;

    // Loads the pictures when needed, fits level 0 and builds the levels.
    // Never leaves the texture without a picture: unusable files become the
    // default checker.
    void Load();
    // Width, height, depth and format code without keeping any pixels.
    void ReadInfo();
    // Frees what Load made: pictures read from files and every level.
    void ReleaseImages();
    // One mip step: the 2 x 2 average of source, alpha from opacity when given.
    static void MakeHalf(const Image& source, const Image* opacity, Image& out);

    const std::string& GetDiffuseName() const { return diffuseName_; }
    const std::string& GetOpacityName() const { return opacityName_; }
    bool IsFromFiles() const { return fromFiles_ != 0; }
    Image* GetDiffuse() const { return diffuse_; }
    Image* GetOpacity() const { return opacity_; }
    bool UseMipMaps() const { return useMipMaps_ != 0; }
    // Mip levels 1, 2, ...; level 0 is the diffuse picture.
    const std::vector<Image*>& GetLevels() const { return levels_; }
    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    // 32 when there is alpha, else 24.
    uint32_t GetDepth() const { return depth_; }
    // Texture format code: 1 (24-bit colour), 3 (A8R8G8B8) or a DDS file's DXT code.
    uint32_t GetFormatCode() const { return formatCode_; }

private:
    bool LoadDds();
    void FitAndBuildLevels();

    Config* settings_;
    std::string diffuseName_;
    std::string opacityName_;
    uint8_t fromFiles_;
    Image* diffuse_;
    Image* opacity_;
    uint8_t useMipMaps_;
    std::vector<Image*> levels_;
    uint32_t width_;
    uint32_t height_;
    uint32_t depth_;
    uint32_t formatCode_;
};

} // namespace KorvaneEngine
