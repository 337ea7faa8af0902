// Decodes a 1024 x 512 JPEG and PNG 50 times through Image::Load (file
// manager, file object, the engine's source manager and read callback, rows
// stored bottom-up) and 50 times by calling the library directly on a stdio
// file, and prints the time per image and the ratio of the two.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/Image.h"
#include "PictureWriters.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using namespace PictureWriters;

namespace {

const int kRuns = 50;

double Now()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

// A photograph-like picture: smooth gradients with a little noise.
Picture Photo(uint32_t w, uint32_t h)
{
    Picture p;
    p.width = w;
    p.height = h;
    p.channels = 3;
    p.data.resize(size_t(w) * h * 3);
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            int n = int((noise >> 16) & 15) - 8;
            uint8_t* d = p.At(x, y);
            d[0] = uint8_t(std::clamp(int(x * 255 / w) + n, 0, 255));
            d[1] = uint8_t(std::clamp(int(y * 255 / h) + n, 0, 255));
            d[2] = uint8_t(std::clamp(128 + int((x ^ y) & 63) - 32 + n, 0, 255));
        }
    return p;
}

bool DirectJpeg(const std::string& path, std::vector<uint8_t>& pixels)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    jpeg_decompress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_stdio_src(&c, f);
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    const size_t row = size_t(c.output_width) * c.output_components;
    pixels.assign(row * c.output_height, 0);
    while (c.output_scanline < c.output_height) {
        JSAMPROW r = pixels.data() + row * c.output_scanline;
        jpeg_read_scanlines(&c, &r, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    std::fclose(f);
    return true;
}

bool DirectPng(const std::string& path, std::vector<uint8_t>& pixels)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_read_update_info(png, info);
    const uint32_t h = png_get_image_height(png, info);
    const size_t row = png_get_rowbytes(png, info);
    pixels.assign(row * h, 0);
    rows.resize(h);
    for (uint32_t i = 0; i < h; ++i)
        rows[i] = pixels.data() + row * i;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

// Alternates the two ways in rounds so that both see the same machine state;
// the best of five rounds of kRuns decodes is reported for each.
void Compare(const char* what, const std::function<bool()>& engine, const std::function<bool()>& direct)
{
    engine();
    direct();
    double bestEngine = 1e30, bestDirect = 1e30;
    for (int round = 0; round < 5; ++round) {
        double t0 = Now();
        for (int i = 0; i < kRuns; ++i)
            if (!engine()) {
                std::printf("%s: engine decode failed\n", what);
                return;
            }
        double t1 = Now();
        for (int i = 0; i < kRuns; ++i)
            if (!direct()) {
                std::printf("%s: direct decode failed\n", what);
                return;
            }
        double t2 = Now();
        bestEngine = std::min(bestEngine, (t1 - t0) / kRuns);
        bestDirect = std::min(bestDirect, (t2 - t1) / kRuns);
    }
    std::printf("%s 1024x512: engine %.2f ms per image, library alone %.2f ms, ratio %.3f\n", what, bestEngine,
                bestDirect, bestEngine / bestDirect);
}

} // namespace

int main()
{
    MessageManager log("bench", false, false, "", "");
    std::string dir = TestSupport::MakeTempDir("bench_image_decode");
    FileManager files(dir, false, "data", 0);
    Picture photo = Photo(1024, 512);
    const std::string jpg = dir + "\\photo.jpg", png = dir + "\\photo.png";
    if (!WriteFile(jpg, EncodeJpeg(photo, 90)) || !WriteFile(png, EncodePng(photo))) {
        std::printf("could not write the pictures\n");
        return 1;
    }
    Image image;
    std::vector<uint8_t> pixels;
    Compare(
        "JPEG", [&] { return image.Load(jpg, true); }, [&] { return DirectJpeg(jpg, pixels); });
    Compare(
        "PNG", [&] { return image.Load(png, true); }, [&] { return DirectPng(png, pixels); });
    TestSupport::RemoveTree(dir);
    return 0;
}
