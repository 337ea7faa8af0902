// Picture file readers chosen by extension; BMP and TGA are decoded here.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/Image.h"
#include "engine/render/PictureFile.h"

namespace KorvaneEngine {

bool Image::Load(const std::string& file, bool withPixels)
{
    std::string::size_type dot = file.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : ToLowerCopy(file.substr(dot + 1));
    // A header-only load leaves no pixels behind, not even a block of the same size.
    if (!withPixels)
        Clear();
    bool ok = false;
    if (extension == "bmp")
        ok = LoadBmp(file, withPixels);
    else if (extension == "tga")
        ok = LoadTga(file, withPixels);
    else if (extension == "jpg" || extension == "jpeg")
        ok = LoadJpeg(file, withPixels);
    else if (extension == "png")
        ok = LoadPng(file, withPixels);
    else
        LogPictureError("Unknown \"" + extension + "\" image file type");
    // A failed read never leaves half-made pixels behind: callers see an
    // empty image and substitute the default picture.
    if (!ok)
        Clear();
    return ok;
}

bool Image::LoadBmp(const std::string& file, bool withPixels)
{
    try {
        std::unique_ptr<FileBinary> f(OpenPictureFile(file));
        uint8_t h[54];
        f->Read(h, sizeof h);
        if (ReadU16(h) != 19778)
            throw FileError(IncorrectFormat(file));
        uint32_t width = ReadU32(h + 18);
        int32_t height = int32_t(ReadU32(h + 22));
        uint32_t bitCount = ReadU16(h + 28);
        uint32_t compression = ReadU32(h + 30);
        // A negative height marks a file stored from the top line down.
        bool topDown = height < 0;
        uint32_t rows = topDown ? 0u - uint32_t(height) : uint32_t(height);
        if (width == 0 || rows == 0 || width > kMaxSide || rows > kMaxSide)
            throw FileError(IncorrectFormat(file));
        if (bitCount != 8 && bitCount != 24 && bitCount != 32)
            throw FileError(UnsupportedFormat(file));
        if (bitCount == 8 && compression != 0)
            throw FileError(UnsupportedFormat(file));
        // Pixel rows follow the header directly, each padded to 4 bytes.
        const uint32_t rowBytes = width * (bitCount / 8);
        const int32_t padding = int32_t(((rowBytes + 3) & ~3u) - rowBytes);
        // The header's size is checked against the file before the picture is
        // made: a few bytes may not ask for a gigabyte. The last row may lack
        // its padding.
        if (withPixels)
            f->Require((bitCount == 8 ? 1024u : 0u) + uint64_t(rowBytes + padding) * (rows - 1) + rowBytes);
        if (!Create(width, rows, bitCount == 32 ? 32 : 24, withPixels))
            throw FileError(IncorrectFormat(file));
        if (!withPixels)
            return true;

        auto imageRow = [&](uint32_t k) { return GetPixel(0, topDown ? rows - 1 - k : k); };
        if (bitCount == 8) {
            uint8_t palette[1024];
            f->Read(palette, sizeof palette);
            std::vector<uint8_t> indices(rowBytes);
            for (uint32_t k = 0; k < rows; ++k) {
                f->Read(indices.data(), rowBytes);
                f->Seek(2, padding);
                uint8_t* d = imageRow(k);
                for (uint32_t x = 0; x < width; ++x, d += 3) {
                    const uint8_t* e = palette + 4 * indices[x];
                    d[0] = e[2];
                    d[1] = e[1];
                    d[2] = e[0];
                }
            }
        } else {
            for (uint32_t k = 0; k < rows; ++k) {
                f->Read(imageRow(k), rowBytes);
                f->Seek(2, padding);
            }
            SwapRedBlue();
        }
        return true;
    } catch (const Error& e) {
        LogPictureError(e.GetMessage());
    } catch (const std::bad_alloc&) {
        LogPictureError(IncorrectFormat(file));
    }
    return false;
}

namespace {

// Expands TGA run-length data into exactly `total` bytes. Fails when the
// data end first or a packet would run past the picture.
bool ExpandRle(const uint8_t* in, uint32_t inSize, uint32_t pixelBytes, uint8_t* out, uint32_t total)
{
    uint32_t i = 0, o = 0;
    while (o < total) {
        if (i >= inSize)
            return false;
        uint8_t head = in[i++];
        uint32_t n = (head & 127u) + 1;
        uint32_t bytes = n * pixelBytes;
        if (bytes > total - o)
            return false;
        if (head & 128) {
            if (pixelBytes > inSize - i)
                return false;
            for (uint32_t k = 0; k < n; ++k)
                std::memcpy(out + o + k * pixelBytes, in + i, pixelBytes);
            i += pixelBytes;
        } else {
            if (bytes > inSize - i)
                return false;
            std::memcpy(out + o, in + i, bytes);
            i += bytes;
        }
        o += bytes;
    }
    return true;
}

} // namespace

bool Image::LoadTga(const std::string& file, bool withPixels)
{
    try {
        std::unique_ptr<FileBinary> f(OpenPictureFile(file));
        uint8_t h[18];
        f->Read(h, sizeof h);
        uint32_t idLength = h[0];
        uint32_t imageType = h[2];
        uint32_t mapLength = ReadU16(h + 5);
        uint32_t mapEntryBits = h[7];
        uint32_t width = ReadU16(h + 12);
        uint32_t height = ReadU16(h + 14);
        uint32_t depth = h[16];
        uint32_t descriptor = h[17];
        if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
            throw FileError(UnsupportedFormat(file));
        if (width == 0 || height == 0)
            throw FileError(IncorrectFormat(file));
        const uint32_t skip = idLength + mapLength * mapEntryBits / 8;
        const uint32_t fileSize = f->GetSize();
        const uint32_t pixelBytes = depth / 8;
        const uint64_t total = uint64_t(width) * height * pixelBytes;
        if (withPixels) {
            if (uint64_t(18) + skip > fileSize)
                throw FileError(IncorrectFormat(file));
            // Nothing is allocated for more pixels than the data can hold: raw
            // data holds every byte, run-length data at most 128 pixels for
            // each packet of a head byte and one pixel.
            const uint64_t data = fileSize - 18 - skip;
            const bool rle = (imageType & 8) != 0;
            if (rle ? uint64_t(width) * height > data / (1 + pixelBytes) * 128 : total > data)
                throw FileError(IncorrectFormat(file));
        }
        if (!Create(width, height, depth == 16 ? 32 : depth, withPixels))
            throw FileError(IncorrectFormat(file));
        if (!withPixels)
            return true;

        const uint32_t dataSize = fileSize - 18 - skip;
        const uint8_t* data = f->GetMemory() ? f->GetMemory() + 18 + skip : nullptr;
        std::vector<uint8_t> block;
        if (!data) {
            block.resize(dataSize);
            f->Seek(0, int32_t(18 + skip));
            f->Read(block.data(), dataSize);
            data = block.data();
        }

        std::vector<uint8_t> expanded;
        if (imageType & 8) {
            expanded.resize(size_t(total));
            if (!ExpandRle(data, dataSize, pixelBytes, expanded.data(), uint32_t(total)))
                throw FileError(IncorrectFormat(file));
            data = expanded.data();
        }

        const bool fromTop = (descriptor & 32) != 0;
        for (uint32_t k = 0; k < height; ++k) {
            const uint8_t* s = data + size_t(k) * width * pixelBytes;
            uint8_t* d = GetPixel(0, fromTop ? height - 1 - k : k);
            switch (depth) {
            case 8:
                std::memcpy(d, s, width);
                break;
            case 24:
                for (uint32_t x = 0; x < width; ++x, s += 3, d += 3) {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                }
                break;
            case 32:
                for (uint32_t x = 0; x < width; ++x, s += 4, d += 4) {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                    d[3] = s[3];
                }
                break;
            default: // 16: A1R5G5B5, channels shifted up without bit replication
                for (uint32_t x = 0; x < width; ++x, s += 2, d += 4) {
                    uint32_t v = ReadU16(s);
                    d[0] = uint8_t(((v >> 10) & 31) * 8);
                    d[1] = uint8_t(((v >> 5) & 31) * 8);
                    d[2] = uint8_t((v & 31) * 8);
                    d[3] = v > 32767 ? 255 : 0;
                }
                break;
            }
        }
        return true;
    } catch (const Error& e) {
        LogPictureError(e.GetMessage());
    } catch (const std::bad_alloc&) {
        LogPictureError(IncorrectFormat(file));
    }
    return false;
}

} // namespace KorvaneEngine
