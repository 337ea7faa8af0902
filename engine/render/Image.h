#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// The engine's in-memory picture: 8-bit grey/alpha, 24-bit R,G,B or 32-bit
// R,G,B,A pixels, rows packed without gaps. Row 0 is the BOTTOM line of the
// picture; every reader delivers that order whatever the file's own.
class Image {
public:
    virtual ~Image();
    Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Longest side any picture may have. Sizes are checked against it (and
    // computed in 64 bits) so that no file can make a byte count wrap.
    static constexpr uint32_t kMaxSide = 16384;

    enum Filter : uint32_t { kNearest = 0, kBilinear = 1, kBicubic = 2 };

    void Clear();
    // Sets the dimensions; keeps the pixel block (and its contents) when they
    // do not change. size 0 means width x height x bits / 8. Returns false,
    // leaving the image cleared, for a refused size or a failed allocation.
    bool Create(uint32_t width, uint32_t height, uint32_t bits, bool allocate, uint32_t size = 0);
    void CopyFrom(const Image& source);

    // Every operation below writes to destination when one is given (this
    // image unchanged), else changes this image.
    // Refused (false, nothing changed) when (x, y) lies outside the picture.
    bool Crop(uint32_t x, uint32_t y, uint32_t width, uint32_t height, Image* destination = nullptr);
    bool Resize(uint32_t width, uint32_t height, uint32_t filter, Image* destination);
    bool Resize(uint32_t width, uint32_t height, uint32_t filter);
    void SwapRedBlue(Image* destination = nullptr);
    bool ConvertDepth(uint32_t bits, Image* destination = nullptr);
    void Fill(const Color& colour, Image* destination = nullptr);
    void Paste(uint32_t x, uint32_t y, const Image& source, Image* destination = nullptr);
    // The 64 x 64 yellow and black checker that stands in for missing pictures.
    void MakeDefault();

    // Reads a picture file chosen by its extension. Without pixels only the
    // dimensions and depth are read. On failure the error is logged, the
    // image is left cleared and the result is false.
    bool Load(const std::string& file, bool withPixels);

    static int32_t CubicInterpolate(int32_t p0, int32_t p1, int32_t p2, int32_t p3, uint32_t t);

    bool IsEmpty() const { return empty_; }
    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    uint32_t GetBits() const { return bits_; }
    uint32_t GetBytesPerPixel() const { return bits_ / 8; }
    uint32_t GetSize() const { return size_; }
    uint32_t GetRowSize() const { return width_ * (bits_ / 8); }
    uint8_t* GetPixels() { return pixels_; }
    const uint8_t* GetPixels() const { return pixels_; }
    // Pixel (x, y), y counted from the bottom row; no bounds check.
    uint8_t* GetPixel(uint32_t x, uint32_t y) { return pixels_ + (size_t(y) * width_ + x) * (bits_ / 8); }
    const uint8_t* GetPixel(uint32_t x, uint32_t y) const
    {
        return pixels_ + (size_t(y) * width_ + x) * (bits_ / 8);
    }
    // Hands the contents over to other, which is cleared first; this image ends empty.
    void MoveTo(Image& other);

private:
    bool LoadBmp(const std::string& file, bool withPixels);
    bool LoadTga(const std::string& file, bool withPixels);
    bool LoadJpeg(const std::string& file, bool withPixels);
    bool LoadPng(const std::string& file, bool withPixels);

    bool ResizeInto(uint32_t width, uint32_t height, uint32_t filter, Image& out) const;
    bool ConvertDepthInto(uint32_t bits, Image& out) const;

    uint32_t empty_;
    uint32_t width_;
    uint32_t height_;
    uint32_t bits_;
    uint32_t size_;
    uint8_t* pixels_;
    uint32_t capacity_; // bytes in the pixel block, so a larger size is never written into a smaller block
};

} // namespace KorvaneEngine
