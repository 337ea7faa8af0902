#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {

class FileBinary;
class Image;

// DirectDraw Surface files: the 128-byte header, the size and place of every
// mip level, and one level at a time as an Image: DXT blocks either copied
// (flipped to bottom-up) for a device that samples them, or decoded to
// R,G,B,A; uncompressed RGB files unpacked through their channel masks.
class FileDDS {
public:
    virtual ~FileDDS();
    // Opens and reads the header; a missing, short or unusable file raises
    // FileError (the file object is deleted first).
    explicit FileDDS(const std::string& file);
    FileDDS(const FileDDS&) = delete;
    FileDDS& operator=(const FileDDS&) = delete;

    enum HeaderFlags : uint32_t { kHeight = 2, kWidth = 4, kMipCount = 0x20000, kDepth = 0x800000 };
    enum PixelFormatFlags : uint32_t { kFourCC = 4, kRGB = 64 };

    uint32_t GetWidth() const;
    uint32_t GetHeight() const;
    uint32_t GetDepth() const;
    uint32_t GetMipCount() const;
    // 8 for "DXT1", 16 for "DXT2" .. "DXT5", 0 otherwise.
    uint32_t GetBlockSize() const;
    uint32_t GetLevelSize(uint32_t level) const;
    uint32_t GetSurfaceSize() const;
    uint32_t GetOffset(uint32_t face, uint32_t level) const;
    uint32_t GetFormatCode() const { return formatCode_; }
    uint32_t GetFourCC() const { return fourCC_; }
    uint32_t GetPixelFormatFlags() const { return pixelFormatFlags_; }
    const std::string& GetName() const { return name_; }

    // Fills out with one level of face 0. A read failure is logged, out is
    // cleared and the result is false.
    bool ReadLevel(uint32_t level, Image& out);

    // A DXT colour block as stored: two 5:6:5 colours and 16 2-bit indices.
    struct ColourBlock {
        uint16_t colour0;
        uint16_t colour1;
        uint32_t indices;
    };
    // A 16-byte block: 8 bytes of alpha, then the colour block.
    struct AlphaColourBlock {
        uint8_t alpha[8];
        ColourBlock colour;
    };

    // Each decoder writes 16 pixels, row by row from the block's top line,
    // as bytes R, G, B, A.
    static void DecodeColourBlock(const ColourBlock& block, bool dxt1, uint8_t out[64]);
    static void DecodeExplicitAlpha(const uint8_t alpha[8], uint8_t out[64]);
    static void DecodeInterpolatedAlpha(const uint8_t alpha[8], uint8_t out[64]);
    static void DecodeDxt3Block(const AlphaColourBlock& block, uint8_t out[64]);
    static void DecodeDxt5Block(const AlphaColourBlock& block, uint8_t out[64]);
    // Widens an n-bit value to k more bits by repeating its bits.
    static uint32_t ReplicateBits(uint32_t value, uint32_t n, uint32_t k);
    // Turns one compressed block upside down in place.
    static void FlipBlock(uint8_t* block, uint32_t fourCC);

    static uint32_t MakeFourCC(char a, char b, char c, char d)
    {
        return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
               uint32_t(uint8_t(d)) << 24;
    }

private:
    void ReadHeader();
    void Validate() const;
    bool ReadLevelOrThrow(uint32_t level, Image& out);
    bool DecodeLevel(uint32_t w, uint32_t h, Image& out);
    bool CopyLevel(uint32_t level, uint32_t w, uint32_t h, Image& out);
    bool UnpackLevel(uint32_t w, uint32_t h, Image& out);

    std::string name_;
    FileBinary* file_;
    uint32_t magic_;
    uint32_t headerSize_;
    uint32_t flags_;
    uint32_t height_;
    uint32_t width_;
    uint32_t pitchOrLinearSize_;
    uint32_t depth_;
    uint32_t mipCount_;
    uint8_t reserved_[44];
    uint32_t pixelFormatSize_;
    uint32_t pixelFormatFlags_;
    uint32_t fourCC_;
    uint32_t rgbBitCount_;
    uint32_t redMask_;
    uint32_t greenMask_;
    uint32_t blueMask_;
    uint32_t alphaMask_;
    uint32_t caps_[4];
    uint32_t reserved2_;
    uint32_t formatCode_;
};

} // namespace KorvaneEngine
