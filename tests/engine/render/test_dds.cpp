#include "ImageTestSupport.h"

#include "engine/foundation/Error.h"
#include "engine/render/FileDDS.h"
#include "engine/render/PictureFile.h"

#include <algorithm>

using namespace KorvaneEngine;
using namespace PictureWriters;

using DdsFile = PictureTest;

namespace {

uint16_t C565(uint32_t r5, uint32_t g6, uint32_t b5)
{
    return uint16_t(r5 << 11 | g6 << 5 | b5);
}

// Index rows: line y of the block gets rows[y] (four 2-bit indices, pixel 0 lowest).
uint32_t Indices(uint8_t l0, uint8_t l1, uint8_t l2, uint8_t l3)
{
    return uint32_t(l0) | uint32_t(l1) << 8 | uint32_t(l2) << 16 | uint32_t(l3) << 24;
}

void PutDxt1(std::vector<uint8_t>& v, uint16_t c0, uint16_t c1, uint32_t indices)
{
    Put16(v, c0);
    Put16(v, c1);
    Put32(v, indices);
}

void PutDxt5(std::vector<uint8_t>& v, uint8_t a0, uint8_t a1, uint64_t alphaIndices, uint16_t c0, uint16_t c1,
             uint32_t indices)
{
    v.push_back(a0);
    v.push_back(a1);
    for (int i = 0; i < 6; ++i)
        v.push_back(uint8_t(alphaIndices >> (8 * i)));
    PutDxt1(v, c0, c1, indices);
}

DdsHeader Dxt(const char* code, uint32_t w, uint32_t h, uint32_t mips)
{
    DdsHeader d;
    d.width = w;
    d.height = h;
    d.fourCC = FourCC(code);
    d.pfFlags = 4;
    if (mips) {
        d.flags |= 0x20000;
        d.mipCount = mips;
    }
    return d;
}

DdsHeader Rgb(uint32_t w, uint32_t h, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    DdsHeader d;
    d.width = w;
    d.height = h;
    d.pfFlags = a ? 0x41 : 0x40;
    d.bitCount = bits;
    d.masks[0] = r;
    d.masks[1] = g;
    d.masks[2] = b;
    d.masks[3] = a;
    return d;
}

std::vector<uint8_t> Rgba(const uint8_t* p)
{
    return std::vector<uint8_t>(p, p + 4);
}

} // namespace

TEST_F(DdsFile, LevelSizesOffsetsAndFlags)
{
    FileDDS dds(Write("a.dds", EncodeDds(Dxt("DXT1", 256, 256, 9), {})));
    const uint32_t sizes[9] = {32768, 8192, 2048, 512, 128, 32, 8, 8, 8};
    uint32_t sum = 0;
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(dds.GetLevelSize(i), sizes[i]) << i;
        sum += sizes[i];
    }
    EXPECT_EQ(dds.GetMipCount(), 9u);
    EXPECT_EQ(dds.GetBlockSize(), 8u);
    EXPECT_EQ(dds.GetOffset(0, 3), 128u + 32768 + 8192 + 2048);
    EXPECT_EQ(dds.GetSurfaceSize(), sum);
    EXPECT_EQ(dds.GetOffset(1, 0), 128u + sum);
    // Without a device that samples DXT the level is decoded in software.
    EXPECT_EQ(dds.GetFormatCode(), 3u);

    DdsHeader noMips = Dxt("DXT5", 64, 32, 0);
    noMips.mipCount = 7; // ignored without its flag
    FileDDS b(Write("b.dds", EncodeDds(noMips, {})));
    EXPECT_EQ(b.GetMipCount(), 1u);
    EXPECT_EQ(b.GetBlockSize(), 16u);
    EXPECT_EQ(b.GetDepth(), 1u);
    EXPECT_EQ(b.GetLevelSize(0), 16u * 16 * 8);

    // Uncompressed rows are padded to 4 bytes.
    FileDDS c(Write("c.dds", EncodeDds(Rgb(5, 3, 24, 0xFF0000, 0xFF00, 0xFF, 0), {})));
    EXPECT_EQ(c.GetLevelSize(0), 16u * 3);
    EXPECT_EQ(c.GetFormatCode(), 1u);
    FileDDS d(Write("d.dds", EncodeDds(Rgb(5, 3, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), {})));
    EXPECT_EQ(d.GetFormatCode(), 3u);
}

TEST_F(DdsFile, ColourBlockRules)
{
    uint8_t out[64];
    // Colour 0 (blue) below colour 1 (red) as u16: three colours and transparent black in a DXT1 block.
    FileDDS::ColourBlock block = {C565(0, 0, 31), C565(31, 0, 0), Indices(0xE4, 0, 0, 0)};
    FileDDS::DecodeColourBlock(block, true, out);
    EXPECT_EQ(Rgba(out + 0), (std::vector<uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(Rgba(out + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(Rgba(out + 8), (std::vector<uint8_t>{127, 0, 127, 255}));
    EXPECT_EQ(Rgba(out + 12), (std::vector<uint8_t>{0, 0, 0, 0}));
    // The same colours in a four-colour block.
    FileDDS::DecodeColourBlock(block, false, out);
    EXPECT_EQ(Rgba(out + 8), (std::vector<uint8_t>{85, 0, 170, 255}));
    EXPECT_EQ(Rgba(out + 12), (std::vector<uint8_t>{170, 0, 85, 255}));
    // Bit replication of 5:6:5 and the line layout: line 3, pixel 2.
    block = {C565(16, 32, 1), C565(0, 0, 0), Indices(0, 0, 0, 0x10)};
    FileDDS::DecodeColourBlock(block, true, out);
    EXPECT_EQ(Rgba(out + 4 * 14), (std::vector<uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(Rgba(out + 4 * 13), (std::vector<uint8_t>{132, 130, 8, 255}));

    // DXT5 with colour 0 <= colour 1: still four colours, alpha from its own block.
    std::vector<uint8_t> v;
    PutDxt5(v, 200, 100, 0, C565(0, 0, 31), C565(31, 0, 0), Indices(3, 0, 0, 0));
    FileDDS::AlphaColourBlock ab;
    std::memcpy(ab.alpha, v.data(), 8);
    ab.colour = {C565(0, 0, 31), C565(31, 0, 0), Indices(3, 0, 0, 0)};
    FileDDS::DecodeDxt5Block(ab, out);
    EXPECT_EQ(Rgba(out), (std::vector<uint8_t>{170, 0, 85, 200}));
}

TEST_F(DdsFile, AlphaRules)
{
    uint8_t out[64] = {};
    uint8_t explicitAlpha[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    FileDDS::DecodeExplicitAlpha(explicitAlpha, out);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(out[4 * i + 3], uint8_t(i << 4 | i)) << i;

    // Eight-value table when a0 > a1: indices 0..7 on pixels 0..7.
    uint64_t idx = 0;
    for (uint64_t i = 0; i < 16; ++i)
        idx |= (i & 7) << (3 * i);
    uint8_t a[8] = {210, 70};
    for (int i = 0; i < 6; ++i)
        a[2 + i] = uint8_t(idx >> (8 * i));
    FileDDS::DecodeInterpolatedAlpha(a, out);
    const uint8_t eight[8] = {210, 70, 190, 170, 150, 130, 110, 90};
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(out[4 * i + 3], eight[i & 7]) << i;
    // Six values with 0 and 255 when a0 <= a1.
    a[0] = 50;
    a[1] = 150;
    FileDDS::DecodeInterpolatedAlpha(a, out);
    const uint8_t six[8] = {50, 150, 70, 90, 110, 130, 0, 255};
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(out[4 * i + 3], six[i]) << i;

    EXPECT_EQ(FileDDS::ReplicateBits(31, 5, 3), 7u);
    EXPECT_EQ((31u << 3) | FileDDS::ReplicateBits(31, 5, 3), 255u);
    EXPECT_EQ((63u << 2) | FileDDS::ReplicateBits(63, 6, 2), 255u);
    EXPECT_EQ((1u << 7) | FileDDS::ReplicateBits(1, 1, 7), 255u);
    EXPECT_EQ((2u << 6) | FileDDS::ReplicateBits(2, 2, 6), 0xAAu);
    EXPECT_EQ(FileDDS::ReplicateBits(5, 0, 4), 0u);
}

TEST_F(DdsFile, SoftwareDecodePutsTheTopBlockRowLast)
{
    // 8 x 8: four blocks of distinct colours; the top-left block has a white top line.
    std::vector<uint8_t> data;
    const uint16_t white = C565(31, 63, 31);
    PutDxt1(data, white, C565(31, 0, 0), Indices(0, 0x55, 0x55, 0x55)); // top left: line 0 white, rest red
    PutDxt1(data, C565(0, 63, 0), 0, 0);                                // top right: green
    PutDxt1(data, C565(0, 0, 31), 0, 0);                                // bottom left: blue
    PutDxt1(data, C565(16, 32, 16), 0, 0);                              // bottom right: grey
    FileDDS dds(Write("s.dds", EncodeDds(Dxt("DXT1", 8, 8, 0), data)));
    Image img;
    ASSERT_TRUE(dds.ReadLevel(0, img));
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(Rgba(img.GetPixel(0, 7)), (std::vector<uint8_t>{255, 255, 255, 255}));
    EXPECT_EQ(Rgba(img.GetPixel(3, 6)), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(Rgba(img.GetPixel(3, 4)), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(Rgba(img.GetPixel(4, 7)), (std::vector<uint8_t>{0, 255, 0, 255}));
    EXPECT_EQ(Rgba(img.GetPixel(0, 0)), (std::vector<uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(Rgba(img.GetPixel(7, 3)), (std::vector<uint8_t>{132, 130, 132, 255}));
}

TEST_F(DdsFile, EveryKindDecodesWithItsMipChain)
{
    for (const char* code : {"DXT1", "DXT2", "DXT3", "DXT4", "DXT5"}) {
        const bool dxt1 = std::string(code) == "DXT1";
        // 16 x 8 with 5 levels: 16x8, 8x4, 4x2, 2x1, 1x1. Each level one colour and one alpha.
        std::vector<uint8_t> data;
        const uint32_t levelW[5] = {16, 8, 4, 2, 1}, levelH[5] = {8, 4, 2, 1, 1};
        for (uint32_t level = 0; level < 5; ++level) {
            uint32_t blocks = ((levelW[level] + 3) / 4) * ((levelH[level] + 3) / 4);
            for (uint32_t b = 0; b < blocks; ++b) {
                uint16_t colour = C565(level * 6, 10 + level, 31 - level);
                if (dxt1) {
                    PutDxt1(data, colour, 0, 0);
                } else if (code[3] == '2' || code[3] == '3') {
                    uint8_t nibble = uint8_t(level + 3);
                    for (int i = 0; i < 8; ++i)
                        data.push_back(uint8_t(nibble | nibble << 4));
                    PutDxt1(data, colour, 0, 0);
                } else {
                    PutDxt5(data, uint8_t(40 * level + 20), 0, 0, colour, 0, 0);
                }
            }
        }
        FileDDS dds(Write(std::string(code) + ".dds", EncodeDds(Dxt(code, 16, 8, 5), data)));
        ASSERT_EQ(dds.GetMipCount(), 5u);
        for (uint32_t level = 0; level < 5; ++level) {
            Image img;
            ASSERT_TRUE(dds.ReadLevel(level, img)) << code << level;
            EXPECT_EQ(img.GetWidth(), levelW[level]);
            EXPECT_EQ(img.GetHeight(), levelH[level]);
            // Small levels still hold one whole block's worth of bytes.
            EXPECT_EQ(img.GetSize(), std::max(levelW[level] * levelH[level] * 4, 64u));
            uint32_t r5 = level * 6, g6 = 10 + level, b5 = 31 - level;
            uint8_t alpha = dxt1 ? 255 : (code[3] == '2' || code[3] == '3') ? uint8_t((level + 3) * 17) : uint8_t(40 * level + 20);
            std::vector<uint8_t> want = {uint8_t(r5 << 3 | r5 >> 2), uint8_t(g6 << 2 | g6 >> 4),
                                         uint8_t(b5 << 3 | b5 >> 2), alpha};
            for (uint32_t y = 0; y < levelH[level]; ++y)
                for (uint32_t x = 0; x < levelW[level]; ++x)
                    ASSERT_EQ(Rgba(img.GetPixel(x, y)), want) << code << " level " << level;
        }
    }
    EXPECT_EQ(Errors(), 0);
}

TEST_F(DdsFile, FlippedBlocksShowTheSoftwarePictureTheSameWayUp)
{
    // The copy path stores block rows bottom-up and turns every block over;
    // decoding the stored blocks line by line must give the software picture.
    for (const char* code : {"DXT1", "DXT3", "DXT5"}) {
        const uint32_t fourCC = FourCC(code), size = code[3] == '1' ? 8u : 16u;
        std::vector<uint8_t> blocks;
        for (uint32_t b = 0; b < 4; ++b) {
            uint32_t seed = b * 977 + fourCC;
            for (uint32_t i = 0; i < size; ++i)
                blocks.push_back(uint8_t((seed >> (i % 13)) * 31 + i * 57 + b));
        }
        FileDDS soft(Write("f.dds", EncodeDds(Dxt(code, 8, 8, 0), blocks)));
        Image decoded;
        ASSERT_TRUE(soft.ReadLevel(0, decoded));
        // Store as the copy path does, then decode each stored block with its line 0 at the bottom.
        for (uint32_t i = 0; i < 2; ++i)
            for (uint32_t bc = 0; bc < 2; ++bc) {
                std::vector<uint8_t> block(blocks.begin() + (i * 2 + bc) * size,
                                           blocks.begin() + (i * 2 + bc + 1) * size);
                FileDDS::FlipBlock(block.data(), fourCC);
                uint8_t out[64];
                FileDDS::ColourBlock c = {ReadU16(block.data() + size - 8), ReadU16(block.data() + size - 6),
                                          ReadU32(block.data() + size - 4)};
                FileDDS::AlphaColourBlock ac;
                std::memcpy(ac.alpha, block.data(), 8);
                ac.colour = c;
                if (code[3] == '1')
                    FileDDS::DecodeColourBlock(c, true, out);
                else if (code[3] == '3')
                    FileDDS::DecodeDxt3Block(ac, out);
                else
                    FileDDS::DecodeDxt5Block(ac, out);
                uint32_t storedRow = 1 - i;
                for (uint32_t line = 0; line < 4; ++line)
                    for (uint32_t x = 0; x < 4; ++x)
                        ASSERT_EQ(Rgba(out + 16 * line + 4 * x), Rgba(decoded.GetPixel(4 * bc + x, 4 * storedRow + line)))
                            << code << " block " << i << "," << bc << " line " << line;
            }
    }
}

TEST_F(DdsFile, UncompressedFilesThroughTheirMasks)
{
    // A8R8G8B8, stored top line first.
    std::vector<uint8_t> data;
    for (uint32_t v : {0x80FF0000u, 0x4000FF00u, 0x200000FFu, 0x10123456u})
        Put32(data, v);
    FileDDS argb(Write("argb.dds", EncodeDds(Rgb(2, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), data)));
    Image img;
    ASSERT_TRUE(argb.ReadLevel(0, img));
    EXPECT_EQ(img.GetBits(), 32u);
    EXPECT_EQ(Rgba(img.GetPixel(0, 1)), (std::vector<uint8_t>{255, 0, 0, 0x80}));
    EXPECT_EQ(Rgba(img.GetPixel(1, 1)), (std::vector<uint8_t>{0, 255, 0, 0x40}));
    EXPECT_EQ(Rgba(img.GetPixel(1, 0)), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x10}));

    // R5G6B5: 24-bit result, full channels widen to 255; 3 pixels per row, padded to 8 bytes.
    data.clear();
    for (uint32_t v : {0xF800u, 0x07E0u, 0x001Fu})
        Put16(data, v);
    Put16(data, 0);
    for (uint32_t v : {0xFFFFu, 0x0000u, 0x8410u})
        Put16(data, v);
    Put16(data, 0);
    FileDDS rgb(Write("565.dds", EncodeDds(Rgb(3, 2, 16, 0xF800, 0x7E0, 0x1F, 0), data)));
    ASSERT_TRUE(rgb.ReadLevel(0, img));
    EXPECT_EQ(img.GetBits(), 24u);
    auto px3 = [&](uint32_t x, uint32_t y) { return std::vector<uint8_t>(img.GetPixel(x, y), img.GetPixel(x, y) + 3); };
    EXPECT_EQ(px3(0, 1), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(px3(1, 1), (std::vector<uint8_t>{0, 255, 0}));
    EXPECT_EQ(px3(2, 1), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(px3(0, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(px3(2, 0), (std::vector<uint8_t>{132, 130, 132}));
}

TEST_F(DdsFile, HeadersThatCannotBeReadAreRefused)
{
    auto refused = [&](const DdsHeader& h, const std::string& kind) {
        std::string file = Write("bad.dds", EncodeDds(h, std::vector<uint8_t>(4096, 0)));
        try {
            FileDDS dds(file);
        } catch (const FileError& e) {
            return e.GetMessage() == kind + " \"" + file + "\" file format";
        }
        return false;
    };
    EXPECT_TRUE(refused(Dxt("ATI2", 4, 4, 0), "Unsupported"));
    EXPECT_TRUE(refused(Dxt("DXT6", 4, 4, 0), "Unsupported"));
    EXPECT_TRUE(refused(Rgb(4, 4, 12, 0xF00, 0xF0, 0xF, 0), "Unsupported"));
    EXPECT_TRUE(refused(Rgb(4, 4, 0, 0, 0, 0, 0), "Unsupported"));
    EXPECT_TRUE(refused(Rgb(4, 4, 32, 0xFF0000, 0xFFFF00, 0xFF, 0), "Incorrect"));  // overlapping masks
    EXPECT_TRUE(refused(Rgb(4, 4, 16, 0xFF0000, 0xFF00, 0xFF, 0), "Incorrect"));    // mask beyond the bits
    EXPECT_TRUE(refused(Rgb(4, 4, 32, 0, 0, 0, 0xFF000000u), "Incorrect"));         // no colour at all
    EXPECT_TRUE(refused(Dxt("DXT1", 0, 4, 0), "Incorrect"));
    EXPECT_TRUE(refused(Dxt("DXT1", 4, 100000, 0), "Incorrect"));
    EXPECT_TRUE(refused(Dxt("DXT1", 256, 256, 10), "Incorrect"));  // more levels than halvings
    DdsHeader none = Dxt("DXT1", 4, 4, 0);
    none.pfFlags = 0;
    EXPECT_TRUE(refused(none, "Unsupported"));
    DdsHeader volume = Rgb(16384, 16384, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    volume.flags |= 0x800000;
    volume.depth = 16384; // 16 TiB of slices: the offsets would wrap
    EXPECT_TRUE(refused(volume, "Incorrect"));

    // A mip count of 0 with its flag is the single level every file has.
    DdsHeader z = Dxt("DXT1", 4, 4, 0);
    z.flags |= 0x20000;
    FileDDS zeroFlag(Write("zero2.dds", EncodeDds(z, std::vector<uint8_t>(8, 0))));
    EXPECT_EQ(zeroFlag.GetMipCount(), 1u);

    // A short header and a missing file raise the file error.
    std::vector<uint8_t> shortHeader = EncodeDds(Dxt("DXT1", 4, 4, 0), {});
    shortHeader.resize(100);
    EXPECT_THROW(FileDDS(Write("short.dds", shortHeader)), FileError);
    EXPECT_THROW(FileDDS(Path("missing.dds")), FileError);
}

TEST_F(DdsFile, ShortLevelDataFailsWithALoggedError)
{
    std::vector<uint8_t> data(8 * 8 + 8, 0x55); // level 0 of 16 x 8 DXT1 and one block of level 1's two
    FileDDS dds(Write("t.dds", EncodeDds(Dxt("DXT1", 16, 8, 3), data)));
    Image img;
    ASSERT_TRUE(dds.ReadLevel(0, img));
    EXPECT_FALSE(dds.ReadLevel(1, img));
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(Errors(), 1);
    EXPECT_TRUE(Logged("Failed to read"));
    EXPECT_FALSE(dds.ReadLevel(3, img));
    EXPECT_EQ(Errors(), 2);
}
