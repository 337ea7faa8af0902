#include "ImageTestSupport.h"

#include <windows.h>

#include "engine/foundation/PackWriter.h"

using namespace KorvaneEngine;
using namespace PictureWriters;

using BmpReader = PictureTest;
using TgaReader = PictureTest;
using JpegReader = PictureTest;
using PngReader = PictureTest;
using PictureLoad = PictureTest;

namespace {

// A picture of few colours, for the palette BMP.
Picture FewColours(uint32_t w, uint32_t h)
{
    Picture p = Pattern(w, h, 3);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                p.At(x, y)[c] = uint8_t(((x + 2 * y) % 5) * 60 + c * 10);
    return p;
}

} // namespace

TEST_F(BmpReader, TwentyFourAndThirtyTwoBitsBottomUpAndTopDown)
{
    for (uint32_t channels : {3u, 4u}) {
        for (uint32_t w : {1u, 3u, 5u, 8u}) {
            Picture p = Pattern(w, 7, channels);
            Image bottomUp, topDown;
            ASSERT_TRUE(bottomUp.Load(Write("a.bmp", EncodeBmp(p)), true));
            EXPECT_TRUE(SamePixels(bottomUp, p)) << channels << " " << w;
            ASSERT_TRUE(topDown.Load(Write("b.bmp", EncodeBmp(p, true)), true));
            EXPECT_TRUE(SamePixels(topDown, p)) << channels << " " << w;
        }
    }
    EXPECT_EQ(Errors(), 0);
}

TEST_F(BmpReader, PaletteOfWidthThreeMatchesTheTwentyFourBitFile)
{
    Picture p = FewColours(3, 4);
    Image indexed, direct;
    ASSERT_TRUE(indexed.Load(Write("p8.bmp", EncodeBmp8(p)), true));
    ASSERT_TRUE(direct.Load(Write("p24.bmp", EncodeBmp(p)), true));
    EXPECT_EQ(indexed.GetBits(), 24u);
    EXPECT_TRUE(SamePixels(indexed, p));
    ASSERT_EQ(indexed.GetSize(), direct.GetSize());
    EXPECT_EQ(0, std::memcmp(indexed.GetPixels(), direct.GetPixels(), direct.GetSize()));
}

TEST_F(BmpReader, HeaderOnlyAndRefusals)
{
    Picture p = Pattern(6, 2, 4);
    std::string file = Write("h.bmp", EncodeBmp(p));
    Image img;
    ASSERT_TRUE(img.Load(file, false));
    EXPECT_EQ(img.GetWidth(), 6u);
    EXPECT_EQ(img.GetHeight(), 2u);
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(img.GetPixels(), nullptr);

    std::vector<uint8_t> bytes = EncodeBmp(p);
    bytes[0] = 'X';
    EXPECT_FALSE(img.Load(Write("m.bmp", bytes), true));
    EXPECT_TRUE(Logged("Error: Incorrect \"" + Path("m.bmp") + "\" file format!"));
    EXPECT_TRUE(img.IsEmpty());

    bytes = EncodeBmp(p);
    bytes[28] = 16; // 16-bit files are not decoded
    EXPECT_FALSE(img.Load(Write("u.bmp", bytes), true));
    EXPECT_TRUE(Logged("Unsupported \"" + Path("u.bmp") + "\" file format"));

    bytes = EncodeBmp8(FewColours(4, 4));
    bytes[30] = 1; // run-length palette files are not decoded
    EXPECT_FALSE(img.Load(Write("r.bmp", bytes), true));
    EXPECT_TRUE(Logged("Unsupported \"" + Path("r.bmp") + "\" file format"));
}

TEST_F(TgaReader, RawDepthsAndBothOrientations)
{
    for (uint32_t channels : {1u, 3u, 4u}) {
        Picture p = Pattern(5, 4, channels);
        Image fromBottom, fromTop;
        ASSERT_TRUE(fromBottom.Load(Write("a.tga", EncodeTga(p, false, false, "an id field")), true));
        ASSERT_TRUE(fromTop.Load(Write("b.tga", EncodeTga(p, false, true)), true));
        EXPECT_TRUE(SamePixels(fromBottom, p)) << channels;
        EXPECT_TRUE(SamePixels(fromTop, p)) << channels;
    }
}

TEST_F(TgaReader, RunLengthMatchesRawAndEndsExactlyOnARepeatPacket)
{
    // Runs of equal pixels, ending in a run, so the last packet repeats.
    Picture p = Pattern(9, 6, 4);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            if (x >= 4 || y == 0)
                std::memcpy(p.At(x, y), p.At(3, 1), 4);
    std::vector<uint8_t> rle = EncodeTga(p, true, false);
    ASSERT_GE(rle.size(), 6u);
    ASSERT_TRUE(rle[rle.size() - 5] & 128) << "last packet should be a repeat";
    ASSERT_LT(rle.size(), EncodeTga(p, false, false).size());
    Image img;
    ASSERT_TRUE(img.Load(Write("r.tga", rle), true));
    EXPECT_TRUE(SamePixels(img, p));
    ASSERT_TRUE(img.Load(Write("t.tga", EncodeTga(p, true, true)), true));
    EXPECT_TRUE(SamePixels(img, p));
    Picture grey = Pattern(16, 3, 1);
    ASSERT_TRUE(img.Load(Write("g.tga", EncodeTga(grey, true, false)), true));
    EXPECT_TRUE(SamePixels(img, grey));
}

TEST_F(TgaReader, SixteenBitPixelsShiftAndTakeAlphaFromTheTopBit)
{
    std::vector<uint8_t> px;
    for (uint32_t v : {0x8000u, 0x7FFFu, 0x7C00u, 0x83E0u})
        Put16(px, v);
    Image img;
    ASSERT_TRUE(img.Load(Write("s.tga", EncodeTgaPixels(2, 2, 16, px, false, true)), true));
    EXPECT_EQ(img.GetBits(), 32u);
    // From the top: the first two file pixels are the top row (row 1).
    auto at = [&](uint32_t x, uint32_t y) { return std::vector<uint8_t>(img.GetPixel(x, y), img.GetPixel(x, y) + 4); };
    EXPECT_EQ(at(0, 1), (std::vector<uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(at(1, 1), (std::vector<uint8_t>{248, 248, 248, 0}));
    EXPECT_EQ(at(0, 0), (std::vector<uint8_t>{248, 0, 0, 0}));
    EXPECT_EQ(at(1, 0), (std::vector<uint8_t>{0, 248, 0, 255}));
    Image info;
    ASSERT_TRUE(info.Load(Path("s.tga"), false));
    EXPECT_EQ(info.GetBits(), 32u);
    EXPECT_EQ(info.GetPixels(), nullptr);
}

TEST_F(TgaReader, BadDepthsShortDataAndRunsPastThePictureFail)
{
    Picture p = Pattern(4, 4, 3);
    std::vector<uint8_t> bytes = EncodeTga(p, false, false);
    Image img;
    bytes[16] = 15;
    EXPECT_FALSE(img.Load(Write("d.tga", bytes), true));
    EXPECT_FALSE(img.Load(Path("d.tga"), false));
    EXPECT_TRUE(Logged("Unsupported \"" + Path("d.tga") + "\" file format"));

    bytes = EncodeTga(p, false, false);
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(img.Load(Write("short.tga", bytes), true));
    EXPECT_TRUE(img.IsEmpty());

    // One repeat packet of 128 pixels into a 16-pixel picture.
    bytes = EncodeTga(p, true, false);
    bytes.resize(18);
    bytes.push_back(0xFF);
    bytes.insert(bytes.end(), {1, 2, 3});
    int before = Errors();
    EXPECT_FALSE(img.Load(Write("over.tga", bytes), true));
    EXPECT_EQ(Errors(), before + 1);
    // A colour-map length that skips past the end of the file.
    bytes = EncodeTga(p, false, false);
    bytes[5] = 0xFF;
    bytes[6] = 0xFF;
    bytes[7] = 32;
    EXPECT_FALSE(img.Load(Write("skip.tga", bytes), true));
}

TEST_F(JpegReader, MatchesTheLibraryAndPutsTheFirstLineLast)
{
    Picture p = Pattern(33, 17, 3);
    std::vector<uint8_t> jpg = EncodeJpeg(p, 90);
    Picture direct;
    ASSERT_TRUE(DecodeJpegDirect(jpg, direct));
    Image img;
    ASSERT_TRUE(img.Load(Write("a.jpg", jpg), true));
    EXPECT_TRUE(SamePixels(img, direct));
    EXPECT_EQ(Errors(), 0);
    // A smooth picture comes back near the original, the same way up.
    Picture smooth = Pattern(48, 32, 3);
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 48; ++x) {
            smooth.At(x, y)[0] = uint8_t(x * 5);
            smooth.At(x, y)[1] = uint8_t(y * 7);
            smooth.At(x, y)[2] = uint8_t(128 + x - y);
        }
    ASSERT_TRUE(img.Load(Write("s.jpg", EncodeJpeg(smooth, 95)), true));
    EXPECT_TRUE(SamePixels(img, smooth, 12));

    // First line white, the rest black.
    Picture line;
    line.width = 16;
    line.height = 16;
    line.channels = 3;
    line.data.assign(16 * 16 * 3, 0);
    std::memset(line.At(0, 0), 255, 16 * 3);
    ASSERT_TRUE(img.Load(Write("line.jpg", EncodeJpeg(line, 100)), true));
    for (uint32_t x = 0; x < 16; ++x) {
        EXPECT_GT(img.GetPixel(x, 15)[0], 200);
        EXPECT_LT(img.GetPixel(x, 0)[0], 40);
    }
}

TEST_F(JpegReader, GreyProgressiveAndHeaderOnly)
{
    Picture grey = Pattern(20, 12, 1);
    std::vector<uint8_t> jpg = EncodeJpeg(grey, 85);
    Picture direct;
    ASSERT_TRUE(DecodeJpegDirect(jpg, direct));
    Image img;
    ASSERT_TRUE(img.Load(Write("g.jpeg", jpg), true));
    EXPECT_EQ(img.GetBits(), 8u);
    EXPECT_TRUE(SamePixels(img, direct));

    Picture p = Pattern(40, 24, 3);
    jpg = EncodeJpeg(p, 80, true);
    ASSERT_TRUE(DecodeJpegDirect(jpg, direct));
    ASSERT_TRUE(img.Load(Write("p.JPEG", jpg), true));
    EXPECT_TRUE(SamePixels(img, direct));

    ASSERT_TRUE(img.Load(Path("p.JPEG"), false));
    EXPECT_EQ(img.GetWidth(), 40u);
    EXPECT_EQ(img.GetHeight(), 24u);
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(img.GetPixels(), nullptr);
}

TEST_F(JpegReader, CorruptDataIsAFailureNotAnExit)
{
    Picture p = Pattern(32, 32, 3);
    std::vector<uint8_t> jpg = EncodeJpeg(p, 90);
    Image img;
    std::vector<uint8_t> bad = jpg;
    bad[0] = 0;
    EXPECT_FALSE(img.Load(Write("notjpeg.jpg", bad), true));
    EXPECT_TRUE(Logged("Incorrect \"" + Path("notjpeg.jpg") + "\" file format (Not a JPEG file"));
    // A damaged scan is reported by the library and refused, not shown with grey gaps.
    bad = jpg;
    size_t sos = 0;
    for (size_t i = 2; i + 1 < bad.size() && !sos; ++i)
        if (bad[i] == 0xFF && bad[i + 1] == 0xDA)
            sos = i;
    ASSERT_GT(sos, 0u);
    size_t data = sos + 2 + (size_t(bad[sos + 2]) << 8 | bad[sos + 3]);
    bad[data + 40] = 0xFF; // a marker in the middle of the data
    bad[data + 41] = 0xD0;
    EXPECT_FALSE(img.Load(Write("marker.jpg", bad), true));
    EXPECT_TRUE(Logged("Corrupt JPEG data"));
    // Cut in the middle of the picture data: the missing part is not passed off as grey.
    bad.assign(jpg.begin(), jpg.begin() + jpg.size() * 2 / 3);
    EXPECT_FALSE(img.Load(Write("cut.jpg", bad), true));
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_TRUE(Logged("Premature end of JPEG file"));
    // A progressive file cut between two scans decodes without a complaint
    // from the library: the early end itself is the failure.
    std::vector<uint8_t> prog = EncodeJpeg(p, 90, true);
    size_t scans = 0, cut = 0;
    for (size_t i = 2; i + 1 < prog.size(); ++i)
        if (prog[i] == 0xFF && prog[i + 1] == 0xDA && ++scans == 3)
            cut = i;
    ASSERT_GT(cut, 0u);
    bad.assign(prog.begin(), prog.begin() + cut);
    EXPECT_FALSE(img.Load(Write("scans.jpg", bad), true));
    EXPECT_TRUE(Logged("Premature end of JPEG file"));
    // So is a file without its end-of-image marker.
    bad.assign(jpg.begin(), jpg.end() - 2);
    EXPECT_FALSE(img.Load(Write("noeoi.jpg", bad), true));
}

TEST_F(PngReader, ColourTypesAndDepths)
{
    Image img;
    Picture rgb = Pattern(7, 5, 3);
    ASSERT_TRUE(img.Load(Write("rgb.png", EncodePng(rgb)), true));
    EXPECT_TRUE(SamePixels(img, rgb));

    Picture rgba = Pattern(6, 9, 4);
    ASSERT_TRUE(img.Load(Write("rgba.png", EncodePng(rgba)), true));
    EXPECT_TRUE(SamePixels(img, rgba));

    // Grey gives 24 bits with the value replicated; grey + alpha 32 bits.
    Picture grey = Pattern(5, 3, 1);
    ASSERT_TRUE(img.Load(Write("grey.png", EncodePng(grey)), true));
    Picture greyRgb = Pattern(5, 3, 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            std::memset(greyRgb.At(x, y), grey.At(x, y)[0], 3);
    EXPECT_TRUE(SamePixels(img, greyRgb));
    Picture ga = Pattern(4, 4, 2);
    ASSERT_TRUE(img.Load(Write("ga.png", EncodePng(ga)), true));
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(img.GetPixel(1, 3)[0], ga.At(1, 0)[0]);
    EXPECT_EQ(img.GetPixel(1, 3)[2], ga.At(1, 0)[0]);
    EXPECT_EQ(img.GetPixel(1, 3)[3], ga.At(1, 0)[1]);

    // Interlaced files give the same picture.
    Picture big = Pattern(19, 13, 3);
    ASSERT_TRUE(img.Load(Write("i.png", EncodePng(big, true)), true));
    EXPECT_TRUE(SamePixels(img, big));
    EXPECT_EQ(Errors(), 0);
}

TEST_F(PngReader, PaletteTransparencySixteenAndOneBit)
{
    Image img;
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_PALETTE;
    o.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    std::vector<std::vector<uint8_t>> rows = {{0, 1, 2}, {2, 1, 0}};
    ASSERT_TRUE(img.Load(Write("pal.png", EncodePngRows(3, 2, rows, o)), true));
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(img.GetPixel(0, 1)[0], 255); // top line, first pixel red
    EXPECT_EQ(img.GetPixel(0, 0)[2], 255); // bottom line, first pixel blue

    o.trnsAlpha = {0, 128};
    ASSERT_TRUE(img.Load(Write("palt.png", EncodePngRows(3, 2, rows, o)), true));
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(img.GetPixel(0, 1)[3], 0);
    EXPECT_EQ(img.GetPixel(1, 1)[3], 128);
    EXPECT_EQ(img.GetPixel(2, 1)[3], 255);

    // 16-bit RGB: the high bytes remain.
    PngOptions o16;
    o16.bitDepth = 16;
    rows = {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00}};
    ASSERT_TRUE(img.Load(Write("16.png", EncodePngRows(1, 1, rows, o16)), true));
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(img.GetPixel(0, 0)[0], 0x12);
    EXPECT_EQ(img.GetPixel(0, 0)[1], 0xAB);
    EXPECT_EQ(img.GetPixel(0, 0)[2], 0xFF);

    // 1-bit grey expands to 0 / 255; a tRNS grey value adds alpha.
    PngOptions o1;
    o1.colourType = PNG_COLOR_TYPE_GRAY;
    o1.bitDepth = 1;
    rows = {{0xA0}};
    ASSERT_TRUE(img.Load(Write("1.png", EncodePngRows(4, 1, rows, o1)), true));
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(img.GetPixel(0, 0)[0], 255);
    EXPECT_EQ(img.GetPixel(1, 0)[0], 0);
    EXPECT_EQ(img.GetPixel(2, 0)[1], 255);
    o1.trnsColour = true;
    o1.trns.gray = 0;
    ASSERT_TRUE(img.Load(Write("1t.png", EncodePngRows(4, 1, rows, o1)), true));
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(img.GetPixel(0, 0)[3], 255);
    EXPECT_EQ(img.GetPixel(1, 0)[3], 0);
}

TEST_F(PngReader, HeaderOnlyAndDamage)
{
    Picture p = Pattern(12, 10, 4);
    std::vector<uint8_t> png = EncodePng(p);
    Image img;
    ASSERT_TRUE(img.Load(Write("h.png", png), false));
    EXPECT_EQ(img.GetWidth(), 12u);
    EXPECT_EQ(img.GetHeight(), 10u);
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(img.GetPixels(), nullptr);

    std::vector<uint8_t> bad(png.begin(), png.end() - 20);
    EXPECT_FALSE(img.Load(Write("cut.png", bad), true));
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_TRUE(Logged("Incorrect \"" + Path("cut.png") + "\" file format"));
    bad = png;
    bad[1] = 'Q';
    EXPECT_FALSE(img.Load(Write("sig.png", bad), true));

    // A damaged ancillary chunk is dropped by the library; the picture loads
    // and the log says what was lost.
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_PALETTE;
    o.palette = {{9, 9, 9}, {200, 100, 50}};
    o.trnsAlpha = {0};
    std::vector<uint8_t> pal = EncodePngRows(2, 1, {{0, 1}}, o);
    size_t trns = 0;
    for (size_t i = 8; i + 4 < pal.size(); ++i)
        if (std::memcmp(&pal[i], "tRNS", 4) == 0)
            trns = i;
    ASSERT_GT(trns, 0u);
    pal[trns + 4] ^= 0xFF; // its one alpha entry; the checksum no longer matches
    int warnings = Warnings();
    ASSERT_TRUE(img.Load(Write("trns.png", pal), true));
    EXPECT_EQ(img.GetBits(), 24u);
    EXPECT_EQ(Warnings(), warnings + 1);
    EXPECT_TRUE(Logged("\"" + Path("trns.png") + "\" file: tRNS: CRC error"));
}

TEST_F(PictureLoad, ExtensionsAndMissingFiles)
{
    Picture p = Pattern(4, 4, 3);
    Write("x.gif", EncodeBmp(p));
    Image img;
    img.MakeDefault();
    EXPECT_FALSE(img.Load(Path("x.gif"), true));
    EXPECT_TRUE(Logged("Error: Unknown \"gif\" image file type!"));
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_FALSE(img.Load(Path("noextension"), true));
    EXPECT_TRUE(Logged("Unknown \"\" image file type"));

    // Upper-case extensions are accepted.
    ASSERT_TRUE(img.Load(Write("UP.BMP", EncodeBmp(p)), true));
    ASSERT_TRUE(img.Load(Write("UP.TGA", EncodeTga(p, false, false)), true));
    ASSERT_TRUE(img.Load(Write("UP.PNG", EncodePng(p)), true));
    ASSERT_TRUE(img.Load(Write("UP.JPG", EncodeJpeg(p)), true));

    for (const char* name : {"none.bmp", "none.tga", "none.jpg", "none.png"}) {
        int before = Errors();
        img.MakeDefault();
        EXPECT_FALSE(img.Load(Path(name), true)) << name;
        EXPECT_EQ(Errors(), before + 1) << name;
        EXPECT_TRUE(Logged("Failed to open \"" + Path(name) + "\" file")) << name;
        EXPECT_TRUE(img.IsEmpty()) << name;
    }
}

TEST_F(PictureLoad, FromPacksHeldInMemoryAndStreamed)
{
    Picture rgb = Pattern(16, 8, 3), rgba = Pattern(9, 7, 4);
    std::vector<uint8_t> jpg = EncodeJpeg(rgb, 90);
    Picture jpgPixels;
    ASSERT_TRUE(DecodeJpegDirect(jpg, jpgPixels));
    std::vector<PackInput> inputs = {
        {"pics\\a.bmp", "", EncodeBmp(rgb)},
        {"pics\\b.tga", "", EncodeTga(rgba, true, false)},
        {"pics\\c.jpg", "", jpg},
        {"pics\\d.png", "", EncodePng(rgba)},
    };
    CreateDirectoryA(Path("data").c_str(), nullptr);
    std::string error;
    ASSERT_TRUE(WritePackFile(Path("data\\pics.pak"), inputs, &error)) << error;
    // One pack cached whole (memory mode), then the same streamed through the pack's stream.
    for (uint32_t cacheLimit : {16u << 20, 0u}) {
        files_.reset();
        files_ = std::make_unique<FileManager>(dir_, true, "data", cacheLimit);
        ASSERT_EQ(files_->GetPackCount(), 1u);
        Image img;
        ASSERT_TRUE(img.Load("data\\pics\\a.bmp", true)) << cacheLimit;
        EXPECT_TRUE(SamePixels(img, rgb));
        ASSERT_TRUE(img.Load("data\\pics\\b.tga", true)) << cacheLimit;
        EXPECT_TRUE(SamePixels(img, rgba));
        ASSERT_TRUE(img.Load("data\\pics\\c.jpg", true)) << cacheLimit;
        EXPECT_TRUE(SamePixels(img, jpgPixels));
        ASSERT_TRUE(img.Load("data\\pics\\d.png", true)) << cacheLimit;
        EXPECT_TRUE(SamePixels(img, rgba));
        EXPECT_FALSE(img.Load("data\\pics\\e.png", true));
        EXPECT_TRUE(Logged("Failed to open \"" + dir_ + "\\data\\pics\\e.png\" file"));
    }
}
