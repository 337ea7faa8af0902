#pragma once
// Writers of picture files for the tests: BMP, TGA and DDS built byte by
// byte, JPEG and PNG through the encoders of the same libjpeg and libpng the
// engine decodes with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "support/TestSupport.h"

namespace PictureWriters {

// A picture in reading order: line 0 is the TOP line, channels R, G, B(, A)
// or one grey byte.
struct Picture {
    uint32_t width = 0, height = 0, channels = 3;
    std::vector<uint8_t> data;
    uint8_t* At(uint32_t x, uint32_t y) { return data.data() + (size_t(y) * width + x) * channels; }
    const uint8_t* At(uint32_t x, uint32_t y) const { return data.data() + (size_t(y) * width + x) * channels; }
};

// A deterministic colourful picture; every pixel differs from its neighbours.
inline Picture Pattern(uint32_t w, uint32_t h, uint32_t channels, uint32_t seed = 1)
{
    Picture p;
    p.width = w;
    p.height = h;
    p.channels = channels;
    p.data.resize(size_t(w) * h * channels);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                p.At(x, y)[c] = uint8_t((x * 37 + y * 91 + c * 53 + seed * 17 + (x * y) % 7) & 0xFF);
    return p;
}

inline void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}

// 24- or 32-bit BMP (from a 3 or 4 channel picture), bottom-up unless topDown.
inline std::vector<uint8_t> EncodeBmp(const Picture& p, bool topDown = false)
{
    const uint32_t bpp = p.channels, rowBytes = p.width * bpp, padded = (rowBytes + 3) & ~3u;
    std::vector<uint8_t> v;
    Put16(v, 19778);
    Put32(v, 54 + padded * p.height);
    Put32(v, 0);
    Put32(v, 54);
    Put32(v, 40);
    Put32(v, p.width);
    Put32(v, topDown ? uint32_t(-int32_t(p.height)) : p.height);
    Put16(v, 1);
    Put16(v, bpp * 8);
    Put32(v, 0);
    Put32(v, padded * p.height);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, 0);
    Put32(v, 0);
    for (uint32_t k = 0; k < p.height; ++k) {
        uint32_t y = topDown ? k : p.height - 1 - k;
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint8_t* s = p.At(x, y);
            v.push_back(s[2]);
            v.push_back(s[1]);
            v.push_back(s[0]);
            if (bpp == 4)
                v.push_back(s[3]);
        }
        v.insert(v.end(), padded - rowBytes, 0);
    }
    return v;
}

// 8-bit palette BMP of a 3-channel picture that uses at most 256 colours.
inline std::vector<uint8_t> EncodeBmp8(const Picture& p)
{
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint8_t* s = p.At(x, y);
            uint32_t c = s[0] | s[1] << 8 | s[2] << 16;
            size_t i = 0;
            while (i < palette.size() && palette[i] != c)
                ++i;
            if (i == palette.size())
                palette.push_back(c);
            indices.push_back(uint8_t(i));
        }
    palette.resize(256, 0);
    const uint32_t padded = (p.width + 3) & ~3u;
    std::vector<uint8_t> v;
    Put16(v, 19778);
    Put32(v, 54 + 1024 + padded * p.height);
    Put32(v, 0);
    Put32(v, 54 + 1024);
    Put32(v, 40);
    Put32(v, p.width);
    Put32(v, p.height);
    Put16(v, 1);
    Put16(v, 8);
    Put32(v, 0);
    Put32(v, padded * p.height);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, 256);
    Put32(v, 0);
    for (uint32_t c : palette) {
        v.push_back(uint8_t(c >> 16));
        v.push_back(uint8_t(c >> 8));
        v.push_back(uint8_t(c));
        v.push_back(0);
    }
    for (uint32_t k = 0; k < p.height; ++k) {
        uint32_t y = p.height - 1 - k;
        for (uint32_t x = 0; x < p.width; ++x)
            v.push_back(indices[size_t(y) * p.width + x]);
        v.insert(v.end(), padded - p.width, 0);
    }
    return v;
}

// TGA of a picture: depth 8 (grey), 24 or 32 from the channels, or 16 from
// given A1R5G5B5 values. RLE packs runs of equal pixels into repeat packets.
inline std::vector<uint8_t> EncodeTgaPixels(uint32_t w, uint32_t h, uint32_t depth, const std::vector<uint8_t>& filePixels,
                                            bool rle, bool fromTop, const std::string& id = "")
{
    std::vector<uint8_t> v;
    v.push_back(uint8_t(id.size()));
    v.push_back(0);
    v.push_back(uint8_t((depth == 8 ? 3 : 2) | (rle ? 8 : 0)));
    Put16(v, 0);
    Put16(v, 0);
    v.push_back(0);
    Put16(v, 0);
    Put16(v, 0);
    Put16(v, w);
    Put16(v, h);
    v.push_back(uint8_t(depth));
    v.push_back(uint8_t((fromTop ? 32 : 0) | (depth == 32 ? 8 : depth == 16 ? 1 : 0)));
    v.insert(v.end(), id.begin(), id.end());
    const uint32_t b = depth / 8, count = w * h;
    if (!rle) {
        v.insert(v.end(), filePixels.begin(), filePixels.end());
        return v;
    }
    auto same = [&](uint32_t i, uint32_t j) { return std::memcmp(&filePixels[i * b], &filePixels[j * b], b) == 0; };
    uint32_t i = 0;
    while (i < count) {
        uint32_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run > 1) {
            v.push_back(uint8_t(128 | (run - 1)));
            v.insert(v.end(), filePixels.begin() + i * b, filePixels.begin() + (i + 1) * b);
            i += run;
            continue;
        }
        uint32_t n = 1;
        while (i + n < count && n < 128 && !(i + n + 1 < count && same(i + n, i + n + 1)))
            ++n;
        v.push_back(uint8_t(n - 1));
        v.insert(v.end(), filePixels.begin() + i * b, filePixels.begin() + (i + n) * b);
        i += n;
    }
    return v;
}

// TGA of a 1, 3 or 4 channel picture, in the file's B, G, R(, A) order.
inline std::vector<uint8_t> EncodeTga(const Picture& p, bool rle, bool fromTop, const std::string& id = "")
{
    std::vector<uint8_t> px;
    for (uint32_t k = 0; k < p.height; ++k) {
        uint32_t y = fromTop ? k : p.height - 1 - k;
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint8_t* s = p.At(x, y);
            if (p.channels == 1) {
                px.push_back(s[0]);
                continue;
            }
            px.push_back(s[2]);
            px.push_back(s[1]);
            px.push_back(s[0]);
            if (p.channels == 4)
                px.push_back(s[3]);
        }
    }
    return EncodeTgaPixels(p.width, p.height, p.channels * 8, px, rle, fromTop, id);
}

// Baseline JPEG through libjpeg's encoder (1 or 3 channels).
inline std::vector<uint8_t> EncodeJpeg(const Picture& p, int quality = 95, bool progressive = false)
{
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = p.width;
    c.image_height = p.height;
    c.input_components = int(p.channels);
    c.in_color_space = p.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(p.At(0, c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

struct PngOptions {
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;  // for palette pictures
    std::vector<uint8_t> trnsAlpha;  // palette alpha entries
    bool trnsColour = false;         // one transparent colour for grey / RGB
    png_color_16 trns = {};
    int compression = 6;
};

inline void PngWriteToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void PngFlushNothing(png_structp) {}

// PNG through libpng's encoder; rows are the file's rows (top first), already
// packed in the file's sample format.
inline std::vector<uint8_t> EncodePngRows(uint32_t w, uint32_t h, const std::vector<std::vector<uint8_t>>& rows,
                                          const PngOptions& o)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngWriteToVector, PngFlushNothing);
    png_set_compression_level(png, o.compression);
    png_set_IHDR(png, info, w, h, o.bitDepth, o.colourType, o.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!o.palette.empty())
        png_set_PLTE(png, info, o.palette.data(), int(o.palette.size()));
    if (!o.trnsAlpha.empty())
        png_set_tRNS(png, info, o.trnsAlpha.data(), int(o.trnsAlpha.size()), nullptr);
    else if (o.trnsColour)
        png_set_tRNS(png, info, nullptr, 0, &o.trns);
    png_write_info(png, info);
    std::vector<png_bytep> ptrs(h);
    for (uint32_t y = 0; y < h; ++y)
        ptrs[y] = const_cast<png_bytep>(rows[y].data());
    png_write_image(png, ptrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// 8-bit grey, grey + alpha, RGB or RGBA PNG of a picture (by its channels).
inline std::vector<uint8_t> EncodePng(const Picture& p, bool interlaced = false, int compression = 6)
{
    PngOptions o;
    o.colourType = p.channels == 1   ? PNG_COLOR_TYPE_GRAY
                   : p.channels == 2 ? PNG_COLOR_TYPE_GRAY_ALPHA
                   : p.channels == 3 ? PNG_COLOR_TYPE_RGB
                                     : PNG_COLOR_TYPE_RGB_ALPHA;
    o.interlaced = interlaced;
    o.compression = compression;
    std::vector<std::vector<uint8_t>> rows(p.height);
    for (uint32_t y = 0; y < p.height; ++y)
        rows[y].assign(p.At(0, y), p.At(0, y) + size_t(p.width) * p.channels);
    return EncodePngRows(p.width, p.height, rows, o);
}

// DDS header (128 bytes) followed by data.
struct DdsHeader {
    uint32_t flags = 0x1007; // caps, height, width, pixel format
    uint32_t width = 0, height = 0, depth = 0, mipCount = 0, linearSize = 0;
    uint32_t pfFlags = 4, fourCC = 0, bitCount = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    uint32_t caps = 0x1000;
};

inline uint32_t FourCC(const char* s)
{
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

inline std::vector<uint8_t> EncodeDds(const DdsHeader& h, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> v;
    Put32(v, FourCC("DDS "));
    Put32(v, 124);
    Put32(v, h.flags);
    Put32(v, h.height);
    Put32(v, h.width);
    Put32(v, h.linearSize);
    Put32(v, h.depth);
    Put32(v, h.mipCount);
    v.insert(v.end(), 44, 0);
    Put32(v, 32);
    Put32(v, h.pfFlags);
    Put32(v, h.fourCC);
    Put32(v, h.bitCount);
    for (uint32_t m : h.masks)
        Put32(v, m);
    Put32(v, h.caps);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    v.insert(v.end(), data.begin(), data.end());
    return v;
}

// Reads a JPEG with libjpeg alone; returns the decoded rows top first.
inline bool DecodeJpegDirect(const std::vector<uint8_t>& file, Picture& out)
{
    jpeg_decompress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, file.data(), (unsigned long)file.size());
    if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&c);
        return false;
    }
    jpeg_start_decompress(&c);
    out.width = c.output_width;
    out.height = c.output_height;
    out.channels = uint32_t(c.output_components);
    out.data.resize(size_t(out.width) * out.height * out.channels);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = out.At(0, c.output_scanline);
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return true;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return TestSupport::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

} // namespace PictureWriters
