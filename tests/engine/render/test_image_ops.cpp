#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/render/Image.h"

using namespace KorvaneEngine;

namespace {

// An image whose pixel bytes are given row by row from row 0 (the bottom).
void MakeImage(Image& img, uint32_t w, uint32_t h, uint32_t bits, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(img.Create(w, h, bits, true));
    ASSERT_EQ(bytes.size(), img.GetSize());
    std::memcpy(img.GetPixels(), bytes.data(), bytes.size());
}

// Grey ramp: pixel (x, y) = base + 16 * y + x in every channel.
void MakeRamp(Image& img, uint32_t w, uint32_t h, uint32_t bits, uint8_t base = 0)
{
    ASSERT_TRUE(img.Create(w, h, bits, true));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < bits / 8; ++c)
                img.GetPixel(x, y)[c] = uint8_t(base + 16 * y + x + c);
}

std::vector<uint8_t> Px(const Image& img, uint32_t x, uint32_t y)
{
    const uint8_t* p = img.GetPixel(x, y);
    return std::vector<uint8_t>(p, p + img.GetBytesPerPixel());
}

} // namespace

TEST(ImageBasics, CreateClearAndSizes)
{
    Image img;
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(img.GetPixels(), nullptr);
    ASSERT_TRUE(img.Create(3, 2, 24, true));
    EXPECT_FALSE(img.IsEmpty());
    EXPECT_EQ(img.GetSize(), 18u);
    uint8_t* block = img.GetPixels();
    img.GetPixels()[0] = 77;
    // Same dimensions keep the block and its contents.
    ASSERT_TRUE(img.Create(3, 2, 24, true));
    EXPECT_EQ(img.GetPixels(), block);
    EXPECT_EQ(img.GetPixels()[0], 77);
    // Other dimensions start over.
    ASSERT_TRUE(img.Create(4, 2, 32, false));
    EXPECT_EQ(img.GetPixels(), nullptr);
    EXPECT_EQ(img.GetSize(), 32u);
    // An explicit size larger than the held block gets a block that large.
    ASSERT_TRUE(img.Create(1, 1, 32, true));
    ASSERT_TRUE(img.Create(1, 1, 32, true, 64));
    EXPECT_EQ(img.GetSize(), 64u);
    std::memset(img.GetPixels(), 1, 64);
    img.Clear();
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_EQ(img.GetBits(), 0u);
}

TEST(ImageBasics, RefusesSizesThatWouldWrapOrExceedTheSideLimit)
{
    Image img;
    // 65536 x 65536 x 32 bits would wrap a 32-bit byte count to 0.
    EXPECT_FALSE(img.Create(65536, 65536, 32, true));
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(img.GetPixels(), nullptr);
    EXPECT_FALSE(img.Create(Image::kMaxSide + 1, 1, 8, false));
    EXPECT_FALSE(img.Create(1, 1, 16, true));
    EXPECT_TRUE(img.Create(Image::kMaxSide, 1, 8, false));
    EXPECT_EQ(img.GetSize(), Image::kMaxSide);
}

TEST(ImageOps, CropKeepsRowsAndRefusesOutside)
{
    Image src, out;
    MakeRamp(src, 8, 8, 24);
    ASSERT_TRUE(src.Crop(2, 3, 4, 2, &out));
    EXPECT_EQ(out.GetWidth(), 4u);
    EXPECT_EQ(out.GetHeight(), 2u);
    EXPECT_EQ(Px(out, 0, 0), Px(src, 2, 3));
    EXPECT_EQ(Px(out, 3, 1), Px(src, 5, 4));
    // Clipped at the far edges.
    ASSERT_TRUE(src.Crop(6, 6, 10, 10, &out));
    EXPECT_EQ(out.GetWidth(), 2u);
    EXPECT_EQ(out.GetHeight(), 2u);
    EXPECT_EQ(Px(out, 1, 1), Px(src, 7, 7));
    // Outside the picture: refused, destination untouched.
    EXPECT_FALSE(src.Crop(8, 0, 1, 1, &out));
    EXPECT_FALSE(src.Crop(0, 9, 1, 1, &out));
    EXPECT_FALSE(src.Crop(100000, 100000, 1, 1, &out));
    EXPECT_EQ(out.GetWidth(), 2u);
    // In place.
    ASSERT_TRUE(src.Crop(1, 1, 2, 2));
    EXPECT_EQ(src.GetWidth(), 2u);
    EXPECT_EQ(src.GetPixel(0, 0)[0], 16 + 1);
}

TEST(ImageOps, ResizeSameSizeCopiesAndNearestTakesCorners)
{
    Image src, out;
    MakeImage(src, 2, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_TRUE(src.Resize(2, 2, Image::kBilinear, &out));
    EXPECT_EQ(0, std::memcmp(src.GetPixels(), out.GetPixels(), 12));

    MakeRamp(src, 4, 4, 8);
    ASSERT_TRUE(src.Resize(2, 2, Image::kNearest, &out));
    EXPECT_EQ(out.GetPixel(0, 0)[0], src.GetPixel(0, 0)[0]);
    EXPECT_EQ(out.GetPixel(1, 0)[0], src.GetPixel(3, 0)[0]);
    EXPECT_EQ(out.GetPixel(0, 1)[0], src.GetPixel(0, 3)[0]);
    EXPECT_EQ(out.GetPixel(1, 1)[0], src.GetPixel(3, 3)[0]);
}

TEST(ImageOps, BilinearFollowsTheFixedPointRule)
{
    // A 2 x 1 ramp 0..255 stretched to 5 x 1 and a 1 x 2 one to 1 x 5.
    Image h, v, out;
    MakeImage(h, 2, 1, 8, {0, 255});
    ASSERT_TRUE(h.Resize(5, 1, Image::kBilinear, &out));
    // fx = 256 * x / 4: weights 0, 64, 128, 192, then the last column's own pixel.
    std::vector<uint8_t> want = {0, 63, 127, 191, 255};
    for (uint32_t x = 0; x < 5; ++x)
        EXPECT_EQ(out.GetPixel(x, 0)[0], want[x]) << x;
    MakeImage(v, 1, 2, 8, {0, 255});
    ASSERT_TRUE(v.Resize(1, 5, Image::kBilinear, &out));
    // Rows 0..3 as above; the last row steps back one unit: 255 * 255 / 256.
    std::vector<uint8_t> wantV = {0, 63, 127, 191, 254};
    for (uint32_t y = 0; y < 5; ++y)
        EXPECT_EQ(out.GetPixel(0, y)[0], wantV[y]) << y;
}

TEST(ImageOps, ResizeOfOnePixelLinesAndToOnePixelStaysInside)
{
    // Single row and single column sources: the neighbours clamp to the edge.
    for (uint32_t filter = 0; filter < 3; ++filter) {
        Image row, col, out;
        MakeImage(row, 3, 1, 24, {10, 20, 30, 40, 50, 60, 70, 80, 90});
        ASSERT_TRUE(row.Resize(6, 4, filter, &out)) << filter;
        for (uint32_t y = 0; y < 4; ++y) {
            EXPECT_EQ(Px(out, 0, y), Px(row, 0, 0)) << filter;
            EXPECT_EQ(Px(out, 5, y), Px(row, 2, 0)) << filter;
        }
        MakeImage(col, 1, 3, 8, {5, 100, 200});
        ASSERT_TRUE(col.Resize(3, 7, filter, &out)) << filter;
        EXPECT_EQ(out.GetPixel(2, 0)[0], 5) << filter;
        EXPECT_EQ(out.GetPixel(0, 6)[0], filter == Image::kBilinear ? 199 : 200) << filter;
        // A target of one pixel maps everything to index 0 instead of dividing by zero.
        ASSERT_TRUE(col.Resize(1, 1, filter, &out)) << filter;
        EXPECT_EQ(out.GetPixel(0, 0)[0], 5) << filter;
        ASSERT_TRUE(row.Resize(1, 3, filter, &out)) << filter;
        EXPECT_EQ(Px(out, 0, 2), Px(row, 0, 0)) << filter;
    }
    Image img;
    MakeRamp(img, 4, 4, 8);
    EXPECT_FALSE(img.Resize(0, 4, Image::kBilinear));
    EXPECT_EQ(img.GetWidth(), 4u);
}

TEST(ImageOps, BicubicPassesThroughSamplesAndClamps)
{
    EXPECT_EQ(Image::CubicInterpolate(0, 50, 100, 150, 0), 50);
    EXPECT_EQ(Image::CubicInterpolate(0, 50, 100, 150, 64), 75);
    EXPECT_EQ(Image::CubicInterpolate(10, 10, 10, 10, 99), 10);
    // Extreme alternating input: no overflow, the value stays a plausible overshoot.
    int32_t v = Image::CubicInterpolate(-255, 510, -255, 510, 127);
    EXPECT_GT(v, -2000);
    EXPECT_LT(v, 2000);
    // Overshoot below zero rounds toward minus infinity: -63.75 gives -64.
    EXPECT_EQ(Image::CubicInterpolate(255, 0, 0, 255, 64), -64);

    Image src, out;
    MakeImage(src, 4, 1, 8, {0, 255, 0, 255});
    ASSERT_TRUE(src.Resize(7, 1, Image::kBicubic, &out));
    EXPECT_EQ(out.GetPixel(0, 0)[0], 0);
    EXPECT_EQ(out.GetPixel(6, 0)[0], 255);
    // Up-scaling a 4 x 4 ramp: corners are exact.
    MakeRamp(src, 4, 4, 24);
    ASSERT_TRUE(src.Resize(9, 9, Image::kBicubic, &out));
    EXPECT_EQ(Px(out, 0, 0), Px(src, 0, 0));
    EXPECT_EQ(Px(out, 8, 8), Px(src, 3, 3));
    EXPECT_EQ(Px(out, 8, 0), Px(src, 3, 0));
}

TEST(ImageOps, SwapRedBlue)
{
    Image a, out;
    MakeImage(a, 2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8});
    a.SwapRedBlue(&out);
    EXPECT_EQ(Px(out, 0, 0), (std::vector<uint8_t>{3, 2, 1, 4}));
    EXPECT_EQ(Px(a, 0, 0), (std::vector<uint8_t>{1, 2, 3, 4}));
    MakeImage(a, 1, 1, 24, {9, 8, 7});
    a.SwapRedBlue();
    EXPECT_EQ(Px(a, 0, 0), (std::vector<uint8_t>{7, 8, 9}));
    MakeImage(a, 2, 1, 8, {1, 2});
    a.SwapRedBlue(&out);
    EXPECT_EQ(out.GetBits(), 8u);
    EXPECT_EQ(Px(out, 1, 0), (std::vector<uint8_t>{2}));
}

TEST(ImageOps, ConvertDepthTable)
{
    Image a, out;
    MakeImage(a, 2, 1, 32, {10, 20, 30, 40, 50, 60, 70, 80});
    ASSERT_TRUE(a.ConvertDepth(8, &out));
    EXPECT_EQ(Px(out, 0, 0), (std::vector<uint8_t>{40}));
    EXPECT_EQ(Px(out, 1, 0), (std::vector<uint8_t>{80}));
    ASSERT_TRUE(a.ConvertDepth(24, &out));
    EXPECT_EQ(Px(out, 1, 0), (std::vector<uint8_t>{50, 60, 70}));

    MakeImage(a, 1, 1, 8, {99});
    ASSERT_TRUE(a.ConvertDepth(32, &out));
    EXPECT_EQ(Px(out, 0, 0), (std::vector<uint8_t>{99, 99, 99, 99}));

    MakeImage(a, 2, 1, 24, {255, 255, 255, 100, 200, 50});
    ASSERT_TRUE(a.ConvertDepth(8, &out));
    // The single-precision weights add up to just over 1 in double: white stays 255.
    EXPECT_EQ(out.GetPixel(0, 0)[0], 255);
    EXPECT_EQ(out.GetPixel(1, 0)[0], uint8_t(double(0.222f) * 100 + double(0.707f) * 200 + double(0.071f) * 50));
    ASSERT_TRUE(a.ConvertDepth(32));
    EXPECT_EQ(a.GetBits(), 32u);
    EXPECT_EQ(Px(a, 1, 0), (std::vector<uint8_t>{100, 200, 50, 255}));
    EXPECT_FALSE(a.ConvertDepth(16));
}

TEST(ImageOps, FillTruncatesAndKeepsLowBits)
{
    Image a, out;
    ASSERT_TRUE(a.Create(2, 2, 32, true));
    a.Fill(Color(1.0f, 0.5f, 0.0f, 0.999f));
    EXPECT_EQ(Px(a, 1, 1), (std::vector<uint8_t>{255, 127, 0, 254}));
    a.Fill(Color(0.2f, 0.4f, 0.6f, 1.0f), &out);
    EXPECT_EQ(out.GetBits(), 32u);
    EXPECT_EQ(Px(out, 0, 0), (std::vector<uint8_t>{51, 102, 153, 255}));
    EXPECT_EQ(Px(a, 0, 0), (std::vector<uint8_t>{255, 127, 0, 254}));
    ASSERT_TRUE(a.Create(1, 1, 8, true));
    a.Fill(Color(1, 1, 1, 1));
    EXPECT_EQ(a.GetPixel(0, 0)[0], uint8_t(int(255.0f * Vector4::Dot(Color(1, 1, 1, 1), Vector4(0.222f, 0.707f, 0.071f, 0)))));
    a.Fill(Color(0.5f, 0.25f, 1.0f, 0.0f));
    EXPECT_EQ(a.GetPixel(0, 0)[0], uint8_t(int(255.0f * (0.5f * 0.222f + 0.25f * 0.707f + 1.0f * 0.071f))));
    // Out of range values wrap in their low 8 bits rather than clamping.
    ASSERT_TRUE(a.Create(1, 1, 24, true));
    a.Fill(Color(2.0f, 0, 0, 1));
    EXPECT_EQ(a.GetPixel(0, 0)[0], uint8_t(510));
}

TEST(ImageOps, PasteClipsAndConverts)
{
    Image dst, src, out;
    ASSERT_TRUE(dst.Create(12, 4, 24, true));
    dst.Fill(Color(0, 0, 0, 1));
    MakeRamp(src, 10, 2, 24, 100);
    dst.Paste(dst.GetWidth() - 4, 1, src, &out);
    // Four pixels of each source row, taken from the row's start.
    EXPECT_EQ(Px(out, 8, 1), Px(src, 0, 0));
    EXPECT_EQ(Px(out, 11, 1), Px(src, 3, 0));
    EXPECT_EQ(Px(out, 8, 2), Px(src, 0, 1));
    EXPECT_EQ(Px(out, 7, 1), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Px(out, 8, 3), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Px(dst, 8, 1), (std::vector<uint8_t>{0, 0, 0}));
    // Clipped at the top; outside: nothing.
    dst.Paste(0, 3, src);
    EXPECT_EQ(Px(dst, 9, 3), Px(src, 9, 0));
    Image before;
    before.CopyFrom(dst);
    dst.Paste(12, 0, src);
    dst.Paste(0, 4, src);
    EXPECT_EQ(0, std::memcmp(before.GetPixels(), dst.GetPixels(), dst.GetSize()));
    // Another depth is converted first.
    MakeImage(src, 1, 1, 8, {42});
    dst.Paste(5, 0, src);
    EXPECT_EQ(Px(dst, 5, 0), (std::vector<uint8_t>{42, 42, 42}));
    EXPECT_EQ(src.GetBits(), 8u);
}

TEST(ImageOps, DefaultIsTheYellowChecker)
{
    Image img;
    MakeRamp(img, 3, 3, 8);
    img.MakeDefault();
    EXPECT_EQ(img.GetWidth(), 64u);
    EXPECT_EQ(img.GetHeight(), 64u);
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(Px(img, 0, 0), (std::vector<uint8_t>{255, 255, 0}));
    EXPECT_EQ(Px(img, 8, 0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Px(img, 7, 7), (std::vector<uint8_t>{255, 255, 0}));
    EXPECT_EQ(Px(img, 8, 8), (std::vector<uint8_t>{255, 255, 0}));
    EXPECT_EQ(Px(img, 63, 0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Px(img, 63, 63), (std::vector<uint8_t>{255, 255, 0}));
    uint32_t yellow = 0;
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            yellow += img.GetPixel(x, y)[0] == 255;
    EXPECT_EQ(yellow, 64u * 32u);
}
