#include "engine/render/FileDDS.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/render/DeviceLimits.h"
#include "engine/render/Image.h"
#include "engine/render/PictureFile.h"

namespace KorvaneEngine {

namespace {

const uint32_t kDxt1 = FileDDS::MakeFourCC('D', 'X', 'T', '1');
const uint32_t kDxt2 = FileDDS::MakeFourCC('D', 'X', 'T', '2');
const uint32_t kDxt3 = FileDDS::MakeFourCC('D', 'X', 'T', '3');
const uint32_t kDxt4 = FileDDS::MakeFourCC('D', 'X', 'T', '4');
const uint32_t kDxt5 = FileDDS::MakeFourCC('D', 'X', 'T', '5');

uint32_t Halve(uint32_t v, uint32_t times)
{
    for (uint32_t i = 0; i < times && v > 1; ++i)
        v >>= 1;
    return v;
}

// Trailing zero bits of a mask, and the run of one bits that follows.
void MaskShape(uint32_t mask, uint32_t& shift, uint32_t& count)
{
    shift = count = 0;
    if (!mask)
        return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++count;
    }
}

uint8_t WidenChannel(uint32_t pixel, uint32_t shift, uint32_t count)
{
    if (count == 0)
        return 0;
    uint32_t v = (pixel >> shift) & (count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1);
    if (count < 8)
        return uint8_t((v << (8 - count)) | FileDDS::ReplicateBits(v, count, 8 - count));
    return uint8_t(v >> (count - 8));
}

} // namespace

FileDDS::~FileDDS()
{
    delete file_;
}

FileDDS::FileDDS(const std::string& file)
    : name_(file), file_(nullptr), magic_(0), headerSize_(0), flags_(0), height_(0), width_(0),
      pitchOrLinearSize_(0), depth_(0), mipCount_(0), pixelFormatSize_(0), pixelFormatFlags_(0), fourCC_(0),
      rgbBitCount_(0), redMask_(0), greenMask_(0), blueMask_(0), alphaMask_(0), reserved2_(0), formatCode_(0)
{
    std::memset(reserved_, 0, sizeof reserved_);
    std::memset(caps_, 0, sizeof caps_);
    try {
        file_ = OpenPictureFile(file);
        ReadHeader();
        Validate();
    } catch (...) {
        delete file_;
        file_ = nullptr;
        throw;
    }

    const uint32_t mask = DeviceTextureFormatMask();
    if (pixelFormatFlags_ & kFourCC) {
        const uint32_t codes[5][2] = {{kDxt1, 6}, {kDxt2, 7}, {kDxt3, 8}, {kDxt4, 9}, {kDxt5, 10}};
        formatCode_ = 3; // decoded in software unless the device samples the format itself
        for (const auto& c : codes)
            if (fourCC_ == c[0] && (mask & (1u << c[1])))
                formatCode_ = c[1];
    } else if (pixelFormatFlags_ & kRGB) {
        formatCode_ = alphaMask_ ? 3 : 1;
    }
}

void FileDDS::ReadHeader()
{
    uint8_t h[128];
    file_->Read(h, sizeof h);
    magic_ = ReadU32(h + 0);
    headerSize_ = ReadU32(h + 4);
    flags_ = ReadU32(h + 8);
    height_ = ReadU32(h + 12);
    width_ = ReadU32(h + 16);
    pitchOrLinearSize_ = ReadU32(h + 20);
    depth_ = ReadU32(h + 24);
    mipCount_ = ReadU32(h + 28);
    std::memcpy(reserved_, h + 32, sizeof reserved_);
    pixelFormatSize_ = ReadU32(h + 76);
    pixelFormatFlags_ = ReadU32(h + 80);
    fourCC_ = ReadU32(h + 84);
    rgbBitCount_ = ReadU32(h + 88);
    redMask_ = ReadU32(h + 92);
    greenMask_ = ReadU32(h + 96);
    blueMask_ = ReadU32(h + 100);
    alphaMask_ = ReadU32(h + 104);
    for (int i = 0; i < 4; ++i)
        caps_[i] = ReadU32(h + 108 + 4 * i);
    reserved2_ = ReadU32(h + 124);
}

// Refuses headers whose sizes, level count or pixel format would make the
// level arithmetic wrap or describe something no rule decodes.
void FileDDS::Validate() const
{
    const uint32_t w = GetWidth(), h = GetHeight(), d = GetDepth();
    if (w == 0 || h == 0 || d == 0 || w > Image::kMaxSide || h > Image::kMaxSide || d > Image::kMaxSide)
        throw FileError(IncorrectFormat(name_));
    uint32_t maxLevels = 1;
    for (uint32_t s = w > h ? w : h; s > 1; s >>= 1)
        ++maxLevels;
    if (GetMipCount() > maxLevels)
        throw FileError(IncorrectFormat(name_));

    if (pixelFormatFlags_ & kFourCC) {
        if (fourCC_ != kDxt1 && fourCC_ != kDxt2 && fourCC_ != kDxt3 && fourCC_ != kDxt4 && fourCC_ != kDxt5)
            throw FileError(UnsupportedFormat(name_));
    } else if (pixelFormatFlags_ & kRGB) {
        const uint32_t bc = rgbBitCount_;
        if (bc != 8 && bc != 16 && bc != 24 && bc != 32)
            throw FileError(UnsupportedFormat(name_));
        const uint32_t masks[4] = {redMask_, greenMask_, blueMask_, alphaMask_};
        uint32_t seen = 0;
        for (uint32_t m : masks) {
            if ((bc < 32 && (m >> bc) != 0) || (m & seen))
                throw FileError(IncorrectFormat(name_));
            seen |= m;
        }
        if ((redMask_ | greenMask_ | blueMask_) == 0)
            throw FileError(IncorrectFormat(name_));
    } else {
        throw FileError(UnsupportedFormat(name_));
    }

    // Every offset must stay a valid file position.
    uint64_t total = 128;
    for (uint32_t level = 0; level < GetMipCount(); ++level) {
        uint64_t lw = Halve(w, level), lh = Halve(h, level), ld = Halve(d, level);
        if (pixelFormatFlags_ & kFourCC)
            total += uint64_t(GetBlockSize()) * ((lw + 3) >> 2) * ((lh + 3) >> 2);
        else
            total += ((lw * ((rgbBitCount_ + 7) >> 3) + 3) & ~uint64_t(3)) * lh * ld;
    }
    if (total > 0x7FFFFFFFu)
        throw FileError(IncorrectFormat(name_));
}

uint32_t FileDDS::GetWidth() const
{
    return (flags_ & kWidth) ? width_ : 1;
}

uint32_t FileDDS::GetHeight() const
{
    return (flags_ & kHeight) ? height_ : 1;
}

uint32_t FileDDS::GetDepth() const
{
    return (flags_ & kDepth) ? depth_ : 1;
}

uint32_t FileDDS::GetMipCount() const
{
    // A count of 0 with its flag set still means the one level every file has.
    if (flags_ & kMipCount)
        return mipCount_ ? mipCount_ : 1;
    return 1;
}

uint32_t FileDDS::GetBlockSize() const
{
    if (fourCC_ == kDxt1)
        return 8;
    if (fourCC_ == kDxt2 || fourCC_ == kDxt3 || fourCC_ == kDxt4 || fourCC_ == kDxt5)
        return 16;
    return 0;
}

uint32_t FileDDS::GetLevelSize(uint32_t level) const
{
    const uint64_t w = Halve(GetWidth(), level), h = Halve(GetHeight(), level), d = Halve(GetDepth(), level);
    if (!(pixelFormatFlags_ & kFourCC))
        return uint32_t(((w * ((rgbBitCount_ + 7) >> 3) + 3) & ~uint64_t(3)) * h * d);
    return uint32_t(uint64_t(GetBlockSize()) * ((w + 3) >> 2) * ((h + 3) >> 2));
}

uint32_t FileDDS::GetSurfaceSize() const
{
    uint32_t sum = 0;
    for (uint32_t level = 0; level < GetMipCount(); ++level)
        sum += GetLevelSize(level);
    return sum;
}

uint32_t FileDDS::GetOffset(uint32_t face, uint32_t level) const
{
    uint32_t offset = 128 + face * GetSurfaceSize();
    for (uint32_t l = 0; l < level; ++l)
        offset += GetLevelSize(l);
    return offset;
}

bool FileDDS::ReadLevel(uint32_t level, Image& out)
{
    try {
        return ReadLevelOrThrow(level, out);
    } catch (const Error& e) {
        LogPictureError(e.GetMessage());
    } catch (const std::bad_alloc&) {
        LogPictureError(IncorrectFormat(name_));
    }
    out.Clear();
    return false;
}

bool FileDDS::ReadLevelOrThrow(uint32_t level, Image& out)
{
    if (!file_ || level >= GetMipCount())
        throw FileError(IncorrectFormat(name_));
    const uint32_t w = Halve(GetWidth(), level), h = Halve(GetHeight(), level);
    // The bytes this read takes (the first slice of the level) must be in the
    // file before anything is allocated for them: a bare header may declare a
    // level of hundreds of megabytes.
    uint64_t need;
    if (pixelFormatFlags_ & kFourCC)
        need = uint64_t(GetBlockSize()) * ((w + 3) >> 2) * ((h + 3) >> 2);
    else
        need = ((uint64_t(w) * ((rgbBitCount_ + 7) >> 3) + 3) & ~uint64_t(3)) * h;
    // A level past the end leaves the position on the last byte, short of any
    // level's bytes.
    file_->Seek(0, int32_t(GetOffset(0, level)));
    file_->Require(need);
    if (pixelFormatFlags_ & kFourCC) {
        if (formatCode_ >= 6 && formatCode_ <= 10)
            return CopyLevel(level, w, h, out);
        return DecodeLevel(w, h, out);
    }
    return UnpackLevel(w, h, out);
}

bool FileDDS::DecodeLevel(uint32_t w, uint32_t h, Image& out)
{
    const uint32_t bw = (w + 3) >> 2, bh = (h + 3) >> 2, blockSize = GetBlockSize();
    const uint64_t natural = uint64_t(w) * h * 4;
    if (!out.Create(w, h, 32, true, uint32_t(natural > 64 ? natural : 64)))
        throw FileError(IncorrectFormat(name_));
    std::vector<uint8_t> row(size_t(bw) * blockSize);
    uint8_t pixels[64];
    for (uint32_t br = 0; br < bh; ++br) {
        file_->Read(row.data(), uint32_t(row.size()));
        for (uint32_t bc = 0; bc < bw; ++bc) {
            const uint8_t* b = row.data() + size_t(bc) * blockSize;
            if (fourCC_ == kDxt1) {
                ColourBlock c = {ReadU16(b), ReadU16(b + 2), ReadU32(b + 4)};
                DecodeColourBlock(c, true, pixels);
            } else {
                AlphaColourBlock a;
                std::memcpy(a.alpha, b, 8);
                a.colour = {ReadU16(b + 8), ReadU16(b + 10), ReadU32(b + 12)};
                if (fourCC_ == kDxt2 || fourCC_ == kDxt3)
                    DecodeDxt3Block(a, pixels);
                else
                    DecodeDxt5Block(a, pixels);
            }
            // Block line 0 is the top: the file's top comes last in the image.
            const uint32_t lines = h - 4 * br < 4 ? h - 4 * br : 4;
            const uint32_t columns = w - 4 * bc < 4 ? w - 4 * bc : 4;
            for (uint32_t r = 0; r < lines; ++r)
                std::memcpy(out.GetPixel(4 * bc, h - 1 - 4 * br - r), pixels + 16 * r, size_t(columns) * 4);
        }
    }
    return true;
}

bool FileDDS::CopyLevel(uint32_t level, uint32_t w, uint32_t h, Image& out)
{
    const uint32_t bw = (w + 3) >> 2, bh = (h + 3) >> 2, blockSize = GetBlockSize();
    const uint32_t rowBytes = bw * blockSize;
    // The first slice only: that is what is read (and all a 2D texture holds).
    const uint32_t sliceSize = bh * rowBytes;
    if (!out.Create(w, h, 32, true, sliceSize))
        throw FileError(IncorrectFormat(name_));
    // Read straight into the picture, then turn the block rows around in
    // place: one copy of the level in memory, not two.
    uint8_t* pixels = out.GetPixels();
    file_->Read(pixels, sliceSize);
    std::vector<uint8_t> swap(rowBytes);
    for (uint32_t i = 0; i < bh / 2; ++i) {
        uint8_t* a = pixels + size_t(i) * rowBytes;
        uint8_t* b = pixels + size_t(bh - 1 - i) * rowBytes;
        std::memcpy(swap.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, swap.data(), rowBytes);
    }
    for (uint32_t i = 0; i < bh * bw; ++i)
        FlipBlock(pixels + size_t(i) * blockSize, fourCC_);
    return true;
}

bool FileDDS::UnpackLevel(uint32_t w, uint32_t h, Image& out)
{
    const uint32_t B = alphaMask_ ? 4 : 3;
    const uint32_t P = (rgbBitCount_ + 7) >> 3;
    const uint32_t rowBytes = (w * P + 3) & ~3u;
    if (!out.Create(w, h, 8 * B, true))
        throw FileError(IncorrectFormat(name_));
    uint32_t shift[4], count[4];
    const uint32_t masks[4] = {redMask_, greenMask_, blueMask_, alphaMask_};
    for (int c = 0; c < 4; ++c)
        MaskShape(masks[c], shift[c], count[c]);
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t k = 0; k < h; ++k) {
        file_->Read(row.data(), rowBytes);
        const uint8_t* s = row.data();
        uint8_t* d = out.GetPixel(0, h - 1 - k);
        for (uint32_t x = 0; x < w; ++x, s += P, d += B) {
            uint32_t p = 0;
            for (uint32_t i = 0; i < P; ++i)
                p |= uint32_t(s[i]) << (8 * i);
            for (uint32_t c = 0; c < B; ++c)
                d[c] = WidenChannel(p, shift[c], count[c]);
        }
    }
    return true;
}

} // namespace KorvaneEngine
