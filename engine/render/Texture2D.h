#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {

class Image;
class TextureImage;

// The device-independent texture: owns its texture image; a back-end texture
// derives from it, makes the device surface from the image and fills in the
// size and memory figures.
class Texture2D {
public:
    virtual ~Texture2D();
    // Drops the device surface; it is made again on the next use.
    virtual void ReleaseSurface() = 0;

    // Takes ownership of both pictures (opacity may be null).
    Texture2D(const std::string& name, Image* diffuse, Image* opacity, bool mips, bool deferred);
    Texture2D(const std::string& name, const std::string& diffuse, const std::string& opacity, bool mips,
              bool deferred);
    Texture2D(const Texture2D&) = delete;
    Texture2D& operator=(const Texture2D&) = delete;

    bool HasMipMaps() const;

    const std::string& GetName() const { return name_; }
    bool IsDeferred() const { return deferred_ != 0; }
    TextureImage* GetImage() const { return image_; }
    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    // Bytes uploaded to the device; 0 while there is no surface.
    uint32_t GetMemorySize() const { return memorySize_; }
    int32_t GetReferenceCount() const { return referenceCount_; }
    void SetReferenceCount(int32_t count) { referenceCount_ = count; }
    uint32_t GetIdleFrames() const { return idleFrames_; }
    void SetIdleFrames(uint32_t frames) { idleFrames_ = frames; }

protected:
    std::string name_;
    uint8_t deferred_;
    TextureImage* image_;
    uint32_t width_;
    uint32_t height_;
    uint32_t memorySize_;
    int32_t referenceCount_;
    uint32_t idleFrames_;
};

} // namespace KorvaneEngine
