#include "engine/render/Image.h"

#include <cstring>
#include <new>

namespace KorvaneEngine {

namespace {

bool IsSupportedDepth(uint32_t bits)
{
    return bits == 8 || bits == 24 || bits == 32;
}

// Colour channel (0..1) to a byte: scaled, truncated toward zero, low 8 bits kept.
uint8_t ChannelByte(float value)
{
    return static_cast<uint8_t>(static_cast<int64_t>(255.0f * value));
}

uint32_t ClampIndex(int64_t i, uint32_t count)
{
    if (i < 0)
        return 0;
    if (i >= int64_t(count))
        return count - 1;
    return uint32_t(i);
}

// Source index of destination index i when count source cells map onto
// target cells, ends to ends; a single target cell samples index 0.
uint64_t MapScaled(uint32_t count, uint32_t i, uint32_t target, uint32_t scale)
{
    if (target <= 1)
        return 0;
    return (uint64_t(count - 1) * i * scale) / (target - 1);
}

} // namespace

Image::~Image()
{
    Clear();
}

Image::Image() : empty_(1), width_(0), height_(0), bits_(0), size_(0), pixels_(nullptr), capacity_(0) {}

void Image::Clear()
{
    delete[] pixels_;
    pixels_ = nullptr;
    capacity_ = 0;
    width_ = height_ = bits_ = 0;
    size_ = 0;
    empty_ = 1;
}

bool Image::Create(uint32_t width, uint32_t height, uint32_t bits, bool allocate, uint32_t size)
{
    if (!empty_ && (width != width_ || height != height_ || bits != bits_))
        Clear();
    uint64_t natural = uint64_t(width) * height * bits / 8;
    if (width > kMaxSide || height > kMaxSide || !IsSupportedDepth(bits) || natural > 0xFFFFFFFFu) {
        Clear();
        return false;
    }
    width_ = width;
    height_ = height;
    bits_ = bits;
    empty_ = 0;
    size_ = size ? size : uint32_t(natural);
    if (pixels_ && capacity_ < size_) {
        delete[] pixels_;
        pixels_ = nullptr;
        capacity_ = 0;
    }
    if (allocate && !pixels_) {
        pixels_ = new (std::nothrow) uint8_t[size_ ? size_ : 1];
        if (!pixels_) {
            Clear();
            return false;
        }
        capacity_ = size_;
    }
    return true;
}

void Image::CopyFrom(const Image& source)
{
    if (&source == this)
        return;
    if (source.empty_) {
        Clear();
        return;
    }
    if (!Create(source.width_, source.height_, source.bits_, source.pixels_ != nullptr, source.size_))
        return;
    if (source.pixels_ && pixels_)
        std::memcpy(pixels_, source.pixels_, size_);
}

void Image::MoveTo(Image& other)
{
    if (&other == this)
        return;
    other.Clear();
    other.empty_ = empty_;
    other.width_ = width_;
    other.height_ = height_;
    other.bits_ = bits_;
    other.size_ = size_;
    other.pixels_ = pixels_;
    other.capacity_ = capacity_;
    pixels_ = nullptr;
    Clear();
}

bool Image::Crop(uint32_t x, uint32_t y, uint32_t width, uint32_t height, Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (empty_ || !pixels_ || x >= width_ || y >= height_ || width == 0 || height == 0)
        return false;
    uint32_t w = width < width_ - x ? width : width_ - x;
    uint32_t h = height < height_ - y ? height : height_ - y;
    Image temp;
    Image& out = destination ? *destination : temp;
    if (!out.Create(w, h, bits_, true))
        return false;
    uint32_t bpp = bits_ / 8;
    for (uint32_t r = 0; r < h; ++r)
        std::memcpy(out.GetPixel(0, r), GetPixel(x, y + r), size_t(w) * bpp);
    if (!destination)
        temp.MoveTo(*this);
    return true;
}

int32_t Image::CubicInterpolate(int32_t p0, int32_t p1, int32_t p2, int32_t p3, uint32_t t)
{
    // Fixed point with t in 1/128 steps. Computed in 64 bits: extreme inputs
    // overflow 32 bits; for all others the result is the same.
    int64_t T = t;
    int64_t inner = T * (int64_t(p3) - p2 + p1 - p0) + (int64_t(p2) - p3 + 2 * (int64_t(p0) - p1)) * 128;
    int64_t v = ((int64_t(p2) - p0) * 16384 + inner * T) * T + int64_t(p1) * 2097152;
    // Arithmetic shift (floor), also for negative values.
    return int32_t(v >= 0 ? v >> 21 : -((-v + 2097151) >> 21));
}

bool Image::ResizeInto(uint32_t W2, uint32_t H2, uint32_t filter, Image& out) const
{
    const uint32_t W = width_, H = height_, bpp = bits_ / 8;
    if (!out.Create(W2, H2, bits_, true))
        return false;
    const uint8_t* src = pixels_;
    uint8_t* dst = out.pixels_;
    auto P = [&](uint32_t row, uint32_t col, uint32_t c) -> int32_t {
        return src[(size_t(row) * W + col) * bpp + c];
    };

    if (filter == kNearest) {
        for (uint32_t y = 0; y < H2; ++y) {
            uint32_t sy = uint32_t(MapScaled(H, y, H2, 1));
            for (uint32_t x = 0; x < W2; ++x) {
                uint32_t sx = uint32_t(MapScaled(W, x, W2, 1));
                std::memcpy(dst + (size_t(y) * W2 + x) * bpp, src + (size_t(sy) * W + sx) * bpp, bpp);
            }
        }
    } else if (filter == kBilinear) {
        for (uint32_t y = 0; y < H2; ++y) {
            uint64_t fy = MapScaled(H, y, H2, 256);
            // The last row steps back one weight unit so that row r + 1 stays inside.
            if (y == H2 - 1 && fy > 0)
                --fy;
            uint32_t r = uint32_t(fy >> 8), a = uint32_t(fy & 255);
            uint32_t r1 = ClampIndex(int64_t(r) + 1, H);
            for (uint32_t x = 0; x < W2; ++x) {
                uint64_t fx = MapScaled(W, x, W2, 256);
                uint32_t cx = uint32_t(fx >> 8), b = uint32_t(fx & 255);
                uint32_t cx1 = ClampIndex(int64_t(cx) + 1, W);
                uint8_t* d = dst + (size_t(y) * W2 + x) * bpp;
                for (uint32_t c = 0; c < bpp; ++c) {
                    uint32_t v = ((256 - b) * (256 - a) * P(r, cx, c) + (256 - b) * a * P(r1, cx, c) +
                                  (256 - a) * b * P(r, cx1, c) + a * b * P(r1, cx1, c)) >>
                                 16;
                    d[c] = uint8_t(v);
                }
            }
        }
    } else {
        for (uint32_t y = 0; y < H2; ++y) {
            uint64_t fy = MapScaled(H, y, H2, 128);
            int64_t r = int64_t(fy >> 7);
            uint32_t ty = uint32_t(fy & 127);
            for (uint32_t x = 0; x < W2; ++x) {
                uint64_t fx = MapScaled(W, x, W2, 128);
                int64_t cx = int64_t(fx >> 7);
                uint32_t tx = uint32_t(fx & 127);
                uint32_t c0 = ClampIndex(cx - 1, W), c1 = ClampIndex(cx, W), c2 = ClampIndex(cx + 1, W),
                         c3 = ClampIndex(cx + 2, W);
                uint8_t* d = dst + (size_t(y) * W2 + x) * bpp;
                for (uint32_t c = 0; c < bpp; ++c) {
                    auto h = [&](uint32_t row) {
                        return CubicInterpolate(P(row, c0, c), P(row, c1, c), P(row, c2, c), P(row, c3, c), tx);
                    };
                    int32_t hr = h(ClampIndex(r, H));
                    int32_t hr1 = h(ClampIndex(r + 1, H));
                    int32_t hr0 = r == 0 ? hr : h(ClampIndex(r - 1, H));
                    int32_t hr2 = r + 2 >= int64_t(H) ? hr1 : h(ClampIndex(r + 2, H));
                    int32_t v = CubicInterpolate(hr0, hr, hr1, hr2, ty);
                    d[c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
                }
            }
        }
    }
    return true;
}

bool Image::Resize(uint32_t width, uint32_t height, uint32_t filter, Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (empty_ || !pixels_ || width == 0 || height == 0)
        return false;
    if (width == width_ && height == height_) {
        if (destination)
            destination->CopyFrom(*this);
        return true;
    }
    if (!destination)
        return Resize(width, height, filter);
    return ResizeInto(width, height, filter, *destination);
}

bool Image::Resize(uint32_t width, uint32_t height, uint32_t filter)
{
    if (empty_ || !pixels_ || width == 0 || height == 0)
        return false;
    if (width == width_ && height == height_)
        return true;
    Image temp;
    if (!ResizeInto(width, height, filter, temp))
        return false;
    temp.MoveTo(*this);
    return true;
}

void Image::SwapRedBlue(Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (destination)
        destination->CopyFrom(*this);
    Image& out = destination ? *destination : *this;
    if ((out.bits_ != 24 && out.bits_ != 32) || !out.pixels_)
        return;
    uint32_t bpp = out.bits_ / 8;
    size_t count = size_t(out.width_) * out.height_;
    uint8_t* p = out.pixels_;
    for (size_t i = 0; i < count; ++i, p += bpp) {
        uint8_t t = p[0];
        p[0] = p[2];
        p[2] = t;
    }
}

bool Image::ConvertDepthInto(uint32_t bits, Image& out) const
{
    if (!pixels_ || !out.Create(width_, height_, bits, true))
        return false;
    const uint32_t inB = bits_ / 8, outB = bits / 8;
    const size_t count = size_t(width_) * height_;
    const uint8_t* s = pixels_;
    uint8_t* d = out.pixels_;
    for (size_t i = 0; i < count; ++i, s += inB, d += outB) {
        if (bits_ == 8) {
            std::memset(d, s[0], outB);
        } else if (bits == 8) {
            if (bits_ == 32)
                d[0] = s[3];
            else
                d[0] = uint8_t(double(0.222f) * s[0] + double(0.707f) * s[1] + double(0.071f) * s[2]);
        } else {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (outB == 4)
                d[3] = 255;
        }
    }
    return true;
}

bool Image::ConvertDepth(uint32_t bits, Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (!IsSupportedDepth(bits) || empty_)
        return false;
    if (bits == bits_) {
        if (destination)
            destination->CopyFrom(*this);
        return true;
    }
    if (destination)
        return ConvertDepthInto(bits, *destination);
    Image temp;
    if (!ConvertDepthInto(bits, temp))
        return false;
    temp.MoveTo(*this);
    return true;
}

void Image::Fill(const Color& colour, Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (destination && !destination->Create(width_, height_, bits_, true))
        return;
    Image& out = destination ? *destination : *this;
    if (!out.pixels_ || out.empty_)
        return;
    uint8_t v[4];
    uint32_t bpp = out.bits_ / 8;
    if (bpp == 1) {
        v[0] = ChannelByte(Vector4::Dot(colour, Vector4(0.222f, 0.707f, 0.071f, 0)));
    } else {
        v[0] = ChannelByte(colour.r);
        v[1] = ChannelByte(colour.g);
        v[2] = ChannelByte(colour.b);
        v[3] = ChannelByte(colour.a);
    }
    size_t count = size_t(out.width_) * out.height_;
    uint8_t* d = out.pixels_;
    if (bpp == 1) {
        std::memset(d, v[0], count);
        return;
    }
    for (size_t i = 0; i < count; ++i, d += bpp)
        std::memcpy(d, v, bpp);
}

void Image::Paste(uint32_t x, uint32_t y, const Image& source, Image* destination)
{
    if (destination == this)
        destination = nullptr;
    if (destination)
        destination->CopyFrom(*this);
    Image& out = destination ? *destination : *this;
    if (out.empty_ || !out.pixels_ || source.empty_ || !source.pixels_)
        return;
    const Image* src = &source;
    Image converted;
    if (source.bits_ != out.bits_) {
        if (!source.ConvertDepthInto(out.bits_, converted))
            return;
        src = &converted;
    }
    uint32_t w = x < out.width_ ? (src->width_ < out.width_ - x ? src->width_ : out.width_ - x) : 0;
    uint32_t h = y < out.height_ ? (src->height_ < out.height_ - y ? src->height_ : out.height_ - y) : 0;
    if (w == 0 || h == 0)
        return;
    uint32_t bpp = out.bits_ / 8;
    for (uint32_t r = 0; r < h; ++r)
        std::memcpy(out.GetPixel(x, y + r), src->GetPixel(0, r), size_t(w) * bpp);
}

void Image::MakeDefault()
{
    Clear();
    if (!Create(64, 64, 24, true))
        return;
    Fill(Color(0, 0, 0, 1));
    Image tile;
    if (!tile.Create(8, 8, 32, true))
        return;
    tile.Fill(Color(1, 1, 0, 1));
    for (uint32_t i = 0; i < 8; ++i)
        for (uint32_t j = 0; j < 8; ++j)
            if ((i + j) % 2 == 0)
                Paste(8 * i, 8 * j, tile);
}

} // namespace KorvaneEngine
