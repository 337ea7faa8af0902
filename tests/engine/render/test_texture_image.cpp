#include "ImageTestSupport.h"

#include "engine/foundation/Config.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureImage.h"

using namespace KorvaneEngine;
using namespace PictureWriters;

namespace {

class TextureTest : public PictureTest {
protected:
    void SetUp() override
    {
        PictureTest::SetUp();
        config_ = std::make_unique<Config>(dir_, "tex", false, "", false, false);
    }
    void TearDown() override
    {
        config_.reset();
        PictureTest::TearDown();
    }
    std::unique_ptr<Config> config_;
};

using TextureImageTest = TextureTest;
using MakeHalfTest = PictureTest;

// A texture for the device-independent parts: no surface to drop.
class PlainTexture : public Texture2D {
public:
    using Texture2D::Texture2D;
    ~PlainTexture() override = default;
    void ReleaseSurface() override { ++releases; }
    int releases = 0;
};

Image* Solid(uint32_t w, uint32_t h, uint32_t bits, uint8_t value)
{
    Image* img = new Image;
    img->Create(w, h, bits, true);
    std::memset(img->GetPixels(), value, img->GetSize());
    return img;
}

std::vector<uint8_t> Dxt1File(uint32_t w, uint32_t h, uint32_t mips, uint32_t dropBytes = 0)
{
    DdsHeader d;
    d.width = w;
    d.height = h;
    d.fourCC = FourCC("DXT1");
    d.flags |= 0x20000;
    d.mipCount = mips;
    std::vector<uint8_t> data;
    for (uint32_t level = 0; level < mips; ++level) {
        uint32_t lw = std::max(1u, w >> level), lh = std::max(1u, h >> level);
        uint32_t blocks = ((lw + 3) / 4) * ((lh + 3) / 4);
        for (uint32_t b = 0; b < blocks; ++b) {
            Put16(data, 0xF800); // red
            Put16(data, 0);
            Put32(data, 0);
        }
    }
    data.resize(data.size() - dropBytes);
    return EncodeDds(d, data);
}

} // namespace

TEST(PowerOfTwo, Limits)
{
    EXPECT_TRUE(IsPowerOfTwo(0));
    EXPECT_TRUE(IsPowerOfTwo(1));
    EXPECT_TRUE(IsPowerOfTwo(2));
    EXPECT_TRUE(IsPowerOfTwo(1024));
    EXPECT_TRUE(IsPowerOfTwo(65536));
    EXPECT_FALSE(IsPowerOfTwo(131072));
    EXPECT_FALSE(IsPowerOfTwo(3));
    EXPECT_FALSE(IsPowerOfTwo(96));
    EXPECT_FALSE(IsPowerOfTwo(0xFFFFFFFFu));
    EXPECT_FALSE(IsPowerOfTwo(0x80000000u));
}

TEST_F(TextureImageTest, FitsToTheNearestPowerOfTwoAfterAWarning)
{
    std::string file = Write("a.png", EncodePng(Pattern(100, 60, 3)));
    TextureImage t(file, "", false);
    t.Load();
    EXPECT_EQ(t.GetWidth(), 128u);
    EXPECT_EQ(t.GetHeight(), 64u);
    EXPECT_EQ(t.GetDiffuse()->GetWidth(), 128u);
    EXPECT_EQ(t.GetDepth(), 24u);
    EXPECT_EQ(t.GetFormatCode(), 1u);
    EXPECT_TRUE(Logged("Warning: Texture Image: \"" + file + "\" image size should be power of two!"));
    EXPECT_TRUE(t.GetLevels().empty());

    // A tie (96 between 64 and 128) goes up; 40 is nearer 32.
    TextureImage tie(new Image, nullptr, false);
    tie.GetDiffuse()->Create(96, 40, 32, true);
    std::memset(tie.GetDiffuse()->GetPixels(), 7, tie.GetDiffuse()->GetSize());
    tie.Load();
    EXPECT_EQ(tie.GetWidth(), 128u);
    EXPECT_EQ(tie.GetHeight(), 32u);
    EXPECT_EQ(tie.GetDepth(), 32u);
    EXPECT_EQ(tie.GetFormatCode(), 3u);
    EXPECT_EQ(tie.GetDiffuse()->GetPixel(127, 31)[0], 7);

    int warnings = Warnings();
    TextureImage exact(Solid(64, 16, 24, 1), nullptr, false);
    exact.Load();
    EXPECT_EQ(Warnings(), warnings);
    EXPECT_EQ(exact.GetWidth(), 64u);
}

TEST_F(TextureImageTest, MipChainOfAWideTexture)
{
    TextureImage t(Solid(256, 64, 24, 90), nullptr, true);
    EXPECT_TRUE(t.UseMipMaps());
    t.Load();
    const uint32_t w[8] = {128, 64, 32, 16, 8, 4, 2, 1}, h[8] = {32, 16, 8, 4, 2, 1, 1, 1};
    ASSERT_EQ(t.GetLevels().size(), 8u);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(t.GetLevels()[i]->GetWidth(), w[i]) << i;
        EXPECT_EQ(t.GetLevels()[i]->GetHeight(), h[i]) << i;
        EXPECT_EQ(t.GetLevels()[i]->GetBits(), 24u);
        EXPECT_EQ(t.GetLevels()[i]->GetPixel(0, 0)[1], 90);
    }
    // Loading again builds the chain again rather than adding to it.
    t.Load();
    EXPECT_EQ(t.GetLevels().size(), 8u);
    TextureImage square(Solid(1, 1, 24, 0), nullptr, true);
    square.Load();
    EXPECT_TRUE(square.GetLevels().empty());
}

TEST_F(TextureImageTest, MipMappingSwitchedOffAndShownInRed)
{
    config_->useMipMapping = false;
    PlainTexture off("t", Solid(16, 16, 24, 50), nullptr, true, false);
    EXPECT_FALSE(off.HasMipMaps());
    off.GetImage()->Load();
    EXPECT_TRUE(off.GetImage()->GetLevels().empty());

    config_->useMipMapping = true;
    config_->showMipMaps = true;
    Image* opacity = Solid(16, 16, 8, 100);
    TextureImage shown(Solid(16, 16, 24, 50), opacity, true);
    shown.Load();
    ASSERT_EQ(shown.GetLevels().size(), 4u);
    const Image* first = shown.GetLevels()[0];
    EXPECT_EQ(first->GetBits(), 32u);
    EXPECT_EQ(std::vector<uint8_t>(first->GetPixel(3, 5), first->GetPixel(3, 5) + 4),
              (std::vector<uint8_t>{255, 0, 0, 100}));
    // Later levels are made from the red one.
    EXPECT_EQ(shown.GetLevels()[3]->GetPixel(0, 0)[0], 255);
    EXPECT_EQ(shown.GetLevels()[3]->GetPixel(0, 0)[1], 0);

    // A grey picture is marked too, without writing past its one byte per pixel.
    TextureImage grey(Solid(8, 8, 8, 10), nullptr, true);
    grey.Load();
    ASSERT_EQ(grey.GetLevels().size(), 3u);
    EXPECT_EQ(grey.GetLevels()[0]->GetBits(), 8u);
    EXPECT_EQ(grey.GetLevels()[0]->GetPixel(3, 3)[0], 255);
}

TEST_F(TextureImageTest, OpacityFilesAndTheirSizes)
{
    Picture colour = Pattern(32, 32, 3);
    std::string diffuse = Write("c.tga", EncodeTga(colour, false, false));
    Picture alpha = Pattern(16, 16, 1);
    std::string opacity = Write("o.tga", EncodeTga(alpha, false, false));
    TextureImage t(diffuse, opacity, true);
    t.Load();
    EXPECT_EQ(t.GetDepth(), 32u);
    EXPECT_EQ(t.GetFormatCode(), 3u);
    ASSERT_NE(t.GetOpacity(), nullptr);
    EXPECT_EQ(t.GetOpacity()->GetWidth(), 32u);
    EXPECT_TRUE(Logged("Texture Image: \"" + opacity + "\" image size should be the same as \"" + diffuse + "\""));
    ASSERT_EQ(t.GetLevels().size(), 5u);
    EXPECT_EQ(t.GetLevels()[0]->GetBits(), 32u);
    EXPECT_EQ(t.GetLevels()[1]->GetBits(), 32u);

    // The same name twice: the diffuse picture is copied, not read again. With
    // a missing file that shows: one failure, and an opacity picture (the checker).
    int errors = Errors();
    std::string missing = Path("missing.tga");
    TextureImage same(missing, missing, false);
    same.Load();
    EXPECT_EQ(Errors(), errors + 1);
    ASSERT_NE(same.GetOpacity(), nullptr);
    EXPECT_EQ(same.GetDepth(), 32u);
    EXPECT_EQ(same.GetWidth(), 64u);

    // An opacity file that cannot be read leaves the texture without one.
    TextureImage noAlpha(diffuse, Path("nothing.png"), false);
    noAlpha.Load();
    EXPECT_EQ(noAlpha.GetOpacity(), nullptr);
    EXPECT_EQ(noAlpha.GetDepth(), 24u);
}

TEST_F(TextureImageTest, UnreadableFilesBecomeTheChecker)
{
    TextureImage missingDds(Path("none.dds"), "", true);
    missingDds.Load();
    ASSERT_NE(missingDds.GetDiffuse(), nullptr);
    EXPECT_EQ(missingDds.GetWidth(), 64u);
    EXPECT_EQ(missingDds.GetHeight(), 64u);
    EXPECT_EQ(missingDds.GetFormatCode(), 1u);
    EXPECT_EQ(missingDds.GetDiffuse()->GetPixel(0, 0)[0], 255);
    EXPECT_EQ(missingDds.GetLevels().size(), 6u);
    EXPECT_TRUE(Logged("Failed to open \"" + Path("none.dds") + "\" file"));

    std::vector<uint8_t> broken = EncodeJpeg(Pattern(16, 16, 3));
    broken.resize(broken.size() / 2);
    TextureImage jpeg(Write("b.jpg", broken), "", false);
    jpeg.Load();
    EXPECT_EQ(jpeg.GetWidth(), 64u);
    EXPECT_EQ(jpeg.GetDiffuse()->GetPixel(8, 0)[0], 0);
    EXPECT_EQ(jpeg.GetDiffuse()->GetPixel(0, 0)[1], 255);

    // A picture given empty is replaced too.
    TextureImage empty(new Image, nullptr, false);
    empty.Load();
    EXPECT_EQ(empty.GetWidth(), 64u);
}

TEST_F(TextureImageTest, DdsLevelsComeFromTheFile)
{
    std::string file = Write("m.dds", Dxt1File(32, 16, 6));
    TextureImage t(file, "", true);
    t.Load();
    EXPECT_EQ(t.GetWidth(), 32u);
    EXPECT_EQ(t.GetHeight(), 16u);
    EXPECT_EQ(t.GetDepth(), 32u);
    EXPECT_EQ(t.GetFormatCode(), 3u); // decoded: no device samples DXT here
    ASSERT_EQ(t.GetLevels().size(), 5u);
    EXPECT_EQ(t.GetLevels()[0]->GetWidth(), 16u);
    EXPECT_EQ(t.GetLevels()[4]->GetWidth(), 1u);
    EXPECT_EQ(t.GetLevels()[4]->GetHeight(), 1u);
    EXPECT_EQ(t.GetLevels()[4]->GetPixel(0, 0)[0], 255);
    EXPECT_EQ(Warnings(), 0);

    TextureImage noMips(file, "", false);
    noMips.Load();
    EXPECT_TRUE(noMips.GetLevels().empty());

    // A level cut short: every level is dropped and the checker takes over.
    TextureImage cut(Write("cut.dds", Dxt1File(32, 16, 6, 4)), "", true);
    cut.Load();
    EXPECT_EQ(cut.GetWidth(), 64u);
    EXPECT_EQ(cut.GetFormatCode(), 1u);
    EXPECT_EQ(cut.GetLevels().size(), 6u);
    EXPECT_EQ(cut.GetLevels()[0]->GetWidth(), 32u);

    // A header the reader refuses: logged as a message, then the checker.
    std::vector<uint8_t> bad = Dxt1File(32, 16, 6);
    bad[84] = 'Z';
    TextureImage refused(Write("bad.dds", bad), "", false);
    refused.Load();
    EXPECT_EQ(refused.GetWidth(), 64u);
    EXPECT_TRUE(Logged("Unsupported \"" + Path("bad.dds") + "\" file format"));
}

TEST_F(TextureImageTest, ReadInfoKeepsNoPixels)
{
    TextureImage png(Write("i.png", EncodePng(Pattern(20, 8, 4))), "", true);
    png.ReadInfo();
    EXPECT_EQ(png.GetWidth(), 20u);
    EXPECT_EQ(png.GetHeight(), 8u);
    EXPECT_EQ(png.GetDepth(), 32u);
    EXPECT_EQ(png.GetFormatCode(), 3u);
    EXPECT_EQ(png.GetDiffuse(), nullptr);
    EXPECT_TRUE(Logged("image size should be power of two"));

    TextureImage dds(Write("i.dds", Dxt1File(64, 32, 1)), "", true);
    dds.ReadInfo();
    EXPECT_EQ(dds.GetWidth(), 64u);
    EXPECT_EQ(dds.GetHeight(), 32u);
    EXPECT_EQ(dds.GetDepth(), 32u);
    EXPECT_EQ(dds.GetFormatCode(), 3u);

    TextureImage missing(Path("gone.bmp"), "", false);
    missing.ReadInfo();
    EXPECT_EQ(missing.GetWidth(), 64u);
    EXPECT_EQ(missing.GetFormatCode(), 1u);
}

TEST_F(TextureImageTest, ReleaseFreesWhatWasReadFromFiles)
{
    TextureImage files(Write("r.bmp", EncodeBmp(Pattern(8, 8, 3))), "", true);
    files.Load();
    ASSERT_NE(files.GetDiffuse(), nullptr);
    EXPECT_EQ(files.GetLevels().size(), 3u);
    files.ReleaseImages();
    EXPECT_EQ(files.GetDiffuse(), nullptr);
    EXPECT_TRUE(files.GetLevels().empty());
    // Loaded again after a release, as a device reset does.
    files.Load();
    EXPECT_EQ(files.GetDiffuse()->GetWidth(), 8u);
    EXPECT_EQ(files.GetLevels().size(), 3u);

    Image* given = Solid(8, 8, 24, 3);
    TextureImage pictures(given, nullptr, true);
    pictures.Load();
    pictures.ReleaseImages();
    EXPECT_EQ(pictures.GetDiffuse(), given);
    EXPECT_TRUE(pictures.GetLevels().empty());
}

TEST_F(MakeHalfTest, AveragesWithRoundingAndTakesAlphaFromOpacity)
{
    Image src, out;
    ASSERT_TRUE(src.Create(2, 2, 24, true));
    const uint8_t values[12] = {0, 10, 255, 1, 10, 255, 2, 11, 254, 4, 11, 254};
    std::memcpy(src.GetPixels(), values, 12);
    TextureImage::MakeHalf(src, nullptr, out);
    ASSERT_EQ(out.GetWidth(), 1u);
    ASSERT_EQ(out.GetBits(), 24u);
    EXPECT_EQ(out.GetPixel(0, 0)[0], 2);   // (0 + 1 + 2 + 4 + 2) >> 2
    EXPECT_EQ(out.GetPixel(0, 0)[1], 11);  // (10 + 10 + 11 + 11 + 2) >> 2
    EXPECT_EQ(out.GetPixel(0, 0)[2], 255); // (255 + 255 + 254 + 254 + 2) >> 2

    Image opacity;
    ASSERT_TRUE(opacity.Create(2, 2, 32, true));
    for (uint32_t i = 0; i < 4; ++i) {
        opacity.GetPixels()[4 * i] = 0;
        opacity.GetPixels()[4 * i + 3] = uint8_t(100 + i);
    }
    TextureImage::MakeHalf(src, &opacity, out);
    ASSERT_EQ(out.GetBits(), 32u);
    EXPECT_EQ(out.GetPixel(0, 0)[3], 102); // (100 + 101 + 102 + 103 + 2) >> 2 from byte 3

    // A grey source with 8-bit opacity: the average goes to R, G and B; alpha from byte 0.
    Image grey, greyAlpha;
    ASSERT_TRUE(grey.Create(2, 1, 8, true));
    grey.GetPixels()[0] = 10;
    grey.GetPixels()[1] = 20;
    ASSERT_TRUE(greyAlpha.Create(2, 1, 8, true));
    greyAlpha.GetPixels()[0] = 200;
    greyAlpha.GetPixels()[1] = 0;
    TextureImage::MakeHalf(grey, &greyAlpha, out);
    ASSERT_EQ(out.GetWidth(), 1u);
    ASSERT_EQ(out.GetHeight(), 1u);
    // One row high: the lower neighbours are the pixels themselves.
    EXPECT_EQ(std::vector<uint8_t>(out.GetPixel(0, 0), out.GetPixel(0, 0) + 4), (std::vector<uint8_t>{15, 15, 15, 100}));

    // One pixel wide: the right neighbour is the pixel itself.
    Image column;
    ASSERT_TRUE(column.Create(1, 4, 8, true));
    const uint8_t c[4] = {0, 8, 100, 200};
    std::memcpy(column.GetPixels(), c, 4);
    TextureImage::MakeHalf(column, nullptr, out);
    ASSERT_EQ(out.GetWidth(), 1u);
    ASSERT_EQ(out.GetHeight(), 2u);
    EXPECT_EQ(out.GetPixel(0, 0)[0], 4);
    EXPECT_EQ(out.GetPixel(0, 1)[0], 150);
}
