// Damaged picture files: cut short at many lengths and with header fields
// set to values no reader can use. Every one must load as a failure with a
// logged error and leave no pixels behind; none may crash or hang. A seeded
// random mutation run then checks that whatever loads is consistent.
#include "ImageTestSupport.h"

#include <functional>
#include <random>

#include <windows.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/PackWriter.h"
#include "engine/render/FileDDS.h"
#include "engine/render/TextureImage.h"

using namespace KorvaneEngine;
using namespace PictureWriters;

namespace {

struct Case {
    std::string label;
    std::vector<uint8_t> bytes;
};

// Cut points from 0 up to (not including) `end`: every byte near the start,
// then an even spread.
std::vector<uint32_t> CutPoints(uint32_t end, uint32_t count)
{
    std::vector<uint32_t> cuts;
    for (uint32_t i = 0; i < end && i < 24; ++i)
        cuts.push_back(i);
    for (uint32_t k = 1; k <= count; ++k) {
        uint32_t c = uint32_t(uint64_t(end) * k / (count + 1));
        if (c >= 24 && c < end && (cuts.empty() || cuts.back() != c))
            cuts.push_back(c);
    }
    if (end > 0 && cuts.back() != end - 1)
        cuts.push_back(end - 1);
    return cuts;
}

void AddCuts(std::vector<Case>& cases, const std::string& name, const std::vector<uint8_t>& bytes, uint32_t end,
             uint32_t count)
{
    for (uint32_t c : CutPoints(end, count))
        cases.push_back({name + " cut at " + std::to_string(c), std::vector<uint8_t>(bytes.begin(), bytes.begin() + c)});
}

void Set16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

uint32_t ReadU32Le(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

Case Mutated(const std::string& label, std::vector<uint8_t> bytes, const std::function<void(std::vector<uint8_t>&)>& f)
{
    f(bytes);
    return {label, bytes};
}

// Offset of the first JPEG marker segment with this code (the byte after 0xFF).
size_t FindMarker(const std::vector<uint8_t>& j, uint8_t code)
{
    size_t i = 2;
    while (i + 4 <= j.size() && j[i] == 0xFF) {
        if (j[i + 1] == code)
            return i;
        i += 2 + (size_t(j[i + 2]) << 8 | j[i + 3]);
    }
    ADD_FAILURE() << "marker " << int(code) << " not found";
    return 0;
}

// Offset of the first PNG chunk of this type.
size_t FindChunk(const std::vector<uint8_t>& p, const char* type)
{
    size_t i = 8;
    while (i + 12 <= p.size()) {
        uint32_t len = uint32_t(p[i]) << 24 | uint32_t(p[i + 1]) << 16 | uint32_t(p[i + 2]) << 8 | p[i + 3];
        if (std::memcmp(&p[i + 4], type, 4) == 0)
            return i;
        i += 12 + len;
    }
    ADD_FAILURE() << "chunk " << type << " not found";
    return 0;
}

class Corpus : public PictureTest {
protected:
    // Loads every case through Image::Load; each must fail with an error logged.
    void ExpectAllFail(const std::string& extension, const std::vector<Case>& cases)
    {
        for (size_t i = 0; i < cases.size(); ++i) {
            std::string file = Write("c" + std::to_string(i) + "." + extension, cases[i].bytes);
            for (bool withPixels : {true, false}) {
                log_->ClearHistory();
                Image img;
                img.MakeDefault();
                bool ok = img.Load(file, withPixels);
                if (!withPixels && ok)
                    continue; // a header-only read may not reach the damage
                EXPECT_FALSE(ok) << cases[i].label;
                EXPECT_TRUE(img.IsEmpty()) << cases[i].label;
                EXPECT_GE(Errors(), 1) << cases[i].label;
            }
            ++total_;
        }
    }

    // The same cases read from a pack held in memory, where the readers use
    // the file's block in place instead of reading through the stream.
    void ExpectAllFailFromMemory(const std::string& extension, const std::vector<Case>& cases)
    {
        std::vector<PackInput> inputs;
        for (size_t i = 0; i < cases.size(); ++i)
            inputs.push_back({"m" + std::to_string(i) + "." + extension, "", cases[i].bytes});
        CreateDirectoryA(Path("data").c_str(), nullptr);
        std::string error;
        ASSERT_TRUE(WritePackFile(Path("data\\damaged.pak"), inputs, &error)) << error;
        files_.reset();
        files_ = std::make_unique<FileManager>(dir_, true, "data", 64u << 20);
        ASSERT_EQ(files_->GetPackCount(), 1u);
        for (size_t i = 0; i < cases.size(); ++i) {
            log_->ClearHistory();
            Image img;
            EXPECT_FALSE(img.Load("data\\" + inputs[i].name, true)) << "in memory: " << cases[i].label;
            EXPECT_TRUE(img.IsEmpty()) << cases[i].label;
            EXPECT_GE(Errors(), 1) << cases[i].label;
            ++total_;
        }
        files_.reset();
        files_ = std::make_unique<FileManager>(dir_, false, "data", 0);
    }

    // Random byte damage: either a logged failure with an empty image, or a
    // picture whose size and pixels agree.
    void Fuzz(const std::string& extension, const std::vector<uint8_t>& base, uint32_t rounds, uint32_t seed)
    {
        std::mt19937 rng(seed);
        for (uint32_t r = 0; r < rounds; ++r) {
            std::vector<uint8_t> b = base;
            uint32_t changes = 1 + rng() % 4;
            for (uint32_t k = 0; k < changes; ++k)
                b[rng() % b.size()] = uint8_t(rng());
            if (rng() % 4 == 0)
                b.resize(rng() % b.size());
            std::string file = Write("f." + extension, b);
            log_->ClearHistory();
            Image img;
            if (img.Load(file, true)) {
                EXPECT_FALSE(img.IsEmpty()) << extension << " round " << r;
                EXPECT_GT(img.GetWidth(), 0u);
                EXPECT_GT(img.GetHeight(), 0u);
                EXPECT_NE(img.GetPixels(), nullptr);
                EXPECT_EQ(img.GetSize(), img.GetWidth() * img.GetHeight() * img.GetBytesPerPixel());
                ++fuzzLoaded_;
            } else {
                EXPECT_TRUE(img.IsEmpty()) << extension << " round " << r;
                EXPECT_GE(Errors(), 1) << extension << " round " << r;
                ++fuzzFailed_;
            }
        }
    }

    static inline int total_ = 0, fuzzLoaded_ = 0, fuzzFailed_ = 0;

public:
    static void TearDownTestSuite()
    {
        std::printf("damaged files: %d refused; random damage: %d refused, %d loaded\n", total_, fuzzFailed_,
                    fuzzLoaded_);
    }
};

} // namespace

TEST_F(Corpus, Bmp)
{
    std::vector<Case> cases;
    std::vector<uint8_t> b24 = EncodeBmp(Pattern(8, 6, 3)); // rows of 24 bytes: no padding
    std::vector<uint8_t> b32 = EncodeBmp(Pattern(5, 5, 4), true);
    std::vector<uint8_t> b8 = EncodeBmp8(Pattern(4, 4, 3));
    AddCuts(cases, "24-bit", b24, uint32_t(b24.size()), 30);
    AddCuts(cases, "32-bit", b32, uint32_t(b32.size()), 20);
    AddCuts(cases, "8-bit", b8, uint32_t(b8.size()), 20);
    for (const auto* base : {&b24, &b8}) {
        cases.push_back(Mutated("magic", *base, [](auto& b) { b[0] = 'M'; }));
        cases.push_back(Mutated("magic 2", *base, [](auto& b) { b[1] = 'B'; }));
        for (uint32_t bits : {0u, 1u, 4u, 16u, 255u, 0xFFFFu})
            cases.push_back(Mutated("bit count " + std::to_string(bits), *base, [&](auto& b) { Set16(b, 28, bits); }));
        cases.push_back(Mutated("width 0", *base, [](auto& b) { Set32(b, 18, 0); }));
        cases.push_back(Mutated("height 0", *base, [](auto& b) { Set32(b, 22, 0); }));
        cases.push_back(Mutated("width huge", *base, [](auto& b) { Set32(b, 18, 0x7FFFFFFF); }));
        cases.push_back(Mutated("width wraps", *base, [](auto& b) { Set32(b, 18, 0x40000001); }));
        cases.push_back(Mutated("height lowest", *base, [](auto& b) { Set32(b, 22, 0x80000000u); }));
        cases.push_back(Mutated("width over the limit", *base, [](auto& b) { Set32(b, 18, Image::kMaxSide + 1); }));
        cases.push_back(Mutated("width past the data", *base, [](auto& b) { Set32(b, 18, 16000); }));
        cases.push_back(Mutated("height past the data", *base, [](auto& b) { Set32(b, 22, 9000); }));
        cases.push_back(Mutated("top-down past the data", *base, [](auto& b) { Set32(b, 22, uint32_t(-9000)); }));
    }
    for (uint32_t c : {1u, 2u, 3u, 4u})
        cases.push_back(Mutated("palette compression " + std::to_string(c), b8, [&](auto& b) { Set32(b, 30, c); }));
    ExpectAllFail("bmp", cases);
    Fuzz("bmp", b24, 60, 11);
    Fuzz("bmp", b8, 40, 12);
}

TEST_F(Corpus, Tga)
{
    std::vector<Case> cases;
    Picture runs = Pattern(12, 8, 4);
    for (uint32_t y = 2; y < 6; ++y)
        for (uint32_t x = 0; x < 12; ++x)
            std::memcpy(runs.At(x, y), runs.At(0, 2), 4);
    std::vector<uint8_t> raw24 = EncodeTga(Pattern(6, 5, 3), false, false, "id");
    std::vector<uint8_t> raw8 = EncodeTga(Pattern(7, 3, 1), false, true);
    std::vector<uint8_t> rle32 = EncodeTga(runs, true, false);
    std::vector<uint8_t> rle24 = EncodeTga(Pattern(9, 4, 3), true, true);
    std::vector<uint8_t> px16;
    for (uint32_t i = 0; i < 20; ++i)
        Put16(px16, i * 3001);
    std::vector<uint8_t> raw16 = EncodeTgaPixels(5, 4, 16, px16, false, false);
    AddCuts(cases, "raw 24", raw24, uint32_t(raw24.size()), 20);
    AddCuts(cases, "raw 8", raw8, uint32_t(raw8.size()), 10);
    AddCuts(cases, "raw 16", raw16, uint32_t(raw16.size()), 10);
    AddCuts(cases, "rle 32", rle32, uint32_t(rle32.size()), 25);
    AddCuts(cases, "rle 24", rle24, uint32_t(rle24.size()), 20);
    for (const auto* base : {&raw24, &rle32}) {
        for (uint32_t depth : {0u, 1u, 4u, 15u, 31u, 48u, 64u, 255u})
            cases.push_back(Mutated("depth " + std::to_string(depth), *base, [&](auto& b) { b[16] = uint8_t(depth); }));
        cases.push_back(Mutated("width 0", *base, [](auto& b) { Set16(b, 12, 0); }));
        cases.push_back(Mutated("height 0", *base, [](auto& b) { Set16(b, 14, 0); }));
        cases.push_back(Mutated("width past the data", *base, [](auto& b) { Set16(b, 12, 4000); }));
        cases.push_back(Mutated("height past the data", *base, [](auto& b) { Set16(b, 14, 65535); }));
        cases.push_back(Mutated("id past the data", *base, [](auto& b) { b[0] = 255; }));
        cases.push_back(Mutated("colour map past the data", *base, [](auto& b) {
            Set16(b, 5, 65535);
            b[7] = 24;
        }));
    }
    // Run-length packets that would write past the picture.
    cases.push_back(Mutated("repeat too long", rle32, [](auto& b) { b[18] = 0xFF; }));
    cases.push_back(Mutated("copy too long", rle24, [](auto& b) { b[18] = 0x7F; }));
    cases.push_back(Mutated("raw data read as runs", raw24, [](auto& b) { b[2] = 10; }));
    ExpectAllFail("tga", cases);
    ExpectAllFailFromMemory("tga", cases);
    Fuzz("tga", rle32, 60, 21);
    Fuzz("tga", raw24, 40, 22);
}

TEST_F(Corpus, Jpeg)
{
    std::vector<Case> cases;
    std::vector<uint8_t> colour = EncodeJpeg(Pattern(40, 24, 3), 85);
    std::vector<uint8_t> grey = EncodeJpeg(Pattern(24, 16, 1), 75);
    std::vector<uint8_t> progressive = EncodeJpeg(Pattern(32, 32, 3), 80, true);
    AddCuts(cases, "colour", colour, uint32_t(colour.size()), 40);
    AddCuts(cases, "grey", grey, uint32_t(grey.size()), 25);
    AddCuts(cases, "progressive", progressive, uint32_t(progressive.size()), 25);
    for (const auto* base : {&colour, &grey}) {
        const size_t sof = FindMarker(*base, 0xC0), dqt = FindMarker(*base, 0xDB), dht = FindMarker(*base, 0xC4),
                     sos = FindMarker(*base, 0xDA);
        cases.push_back(Mutated("start marker", *base, [](auto& b) { b[1] = 0xD9; }));
        cases.push_back(Mutated("not a marker", *base, [](auto& b) { b[0] = 0x00; }));
        cases.push_back(Mutated("precision 12", *base, [&](auto& b) { b[sof + 4] = 12; }));
        cases.push_back(Mutated("precision 0", *base, [&](auto& b) { b[sof + 4] = 0; }));
        cases.push_back(Mutated("height 0", *base, [&](auto& b) { b[sof + 5] = b[sof + 6] = 0; }));
        cases.push_back(Mutated("width 0", *base, [&](auto& b) { b[sof + 7] = b[sof + 8] = 0; }));
        cases.push_back(Mutated("no components", *base, [&](auto& b) { b[sof + 9] = 0; }));
        cases.push_back(Mutated("frame length", *base, [&](auto& b) { b[sof + 3] = 3; }));
        cases.push_back(Mutated("sampling 0", *base, [&](auto& b) { b[sof + 11] = 0; }));
        cases.push_back(Mutated("quant table index", *base, [&](auto& b) { b[sof + 12] = 9; }));
        cases.push_back(Mutated("quant table id", *base, [&](auto& b) { b[dqt + 4] = 0x07; }));
        cases.push_back(Mutated("huffman class", *base, [&](auto& b) { b[dht + 4] = 0x25; }));
        cases.push_back(Mutated("huffman counts", *base, [&](auto& b) {
            for (int i = 0; i < 16; ++i)
                b[dht + 5 + i] = 0xFF;
        }));
        cases.push_back(Mutated("scan components", *base, [&](auto& b) { b[sos + 4] = 0; }));
        cases.push_back(Mutated("scan component id", *base, [&](auto& b) { b[sos + 5] = 0x77; }));
        cases.push_back(Mutated("scan tables", *base, [&](auto& b) { b[sos + 6] = 0x99; }));
        cases.push_back(Mutated("scan marker lost", *base, [&](auto& b) { b[sos + 1] = 0x01; }));
    }
    // Four components (CMYK) are not pictures of this engine.
    std::vector<uint8_t> cmyk;
    {
        jpeg_compress_struct c;
        jpeg_error_mgr e;
        c.err = jpeg_std_error(&e);
        jpeg_create_compress(&c);
        unsigned char* mem = nullptr;
        unsigned long n = 0;
        jpeg_mem_dest(&c, &mem, &n);
        c.image_width = 8;
        c.image_height = 8;
        c.input_components = 4;
        c.in_color_space = JCS_CMYK;
        jpeg_set_defaults(&c);
        jpeg_start_compress(&c, TRUE);
        std::vector<uint8_t> row(32, 100);
        while (c.next_scanline < 8) {
            JSAMPROW r = row.data();
            jpeg_write_scanlines(&c, &r, 1);
        }
        jpeg_finish_compress(&c);
        cmyk.assign(mem, mem + n);
        jpeg_destroy_compress(&c);
        free(mem);
    }
    cases.push_back({"four components", cmyk});
    ExpectAllFail("jpg", cases);
    ExpectAllFailFromMemory("jpg", cases);
    Fuzz("jpg", colour, 80, 31);
    Fuzz("jpg", progressive, 40, 32);
}

TEST_F(Corpus, Png)
{
    std::vector<Case> cases;
    std::vector<uint8_t> rgba = EncodePng(Pattern(6, 5, 4));
    std::vector<uint8_t> interlaced = EncodePng(Pattern(9, 9, 3), true);
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_PALETTE;
    o.bitDepth = 4;
    o.palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    std::vector<uint8_t> palette = EncodePngRows(4, 2, {{0x01, 0x20}, {0x12, 0x00}}, o);
    o.trnsAlpha = {0, 255, 128};
    std::vector<uint8_t> transparent = EncodePngRows(4, 2, {{0x01, 0x20}, {0x12, 0x00}}, o);
    AddCuts(cases, "rgba", rgba, uint32_t(rgba.size()), 30);
    AddCuts(cases, "interlaced", interlaced, uint32_t(interlaced.size()), 20);
    AddCuts(cases, "palette", transparent, uint32_t(transparent.size()), 20);
    // Any one byte changed in a file of critical chunks only: each carries a
    // checksum, so nothing slips through. (A damaged ancillary chunk is only
    // dropped, with a warning; the readers test covers that.)
    for (size_t i = 0; i < palette.size(); ++i)
        cases.push_back(Mutated("palette byte " + std::to_string(i), palette, [&](auto& b) { b[i] ^= 0x5A; }));
    const size_t ihdr = FindChunk(rgba, "IHDR");
    cases.push_back(Mutated("chunk length huge", rgba, [&](auto& b) { b[ihdr] = 0x7F; }));
    ExpectAllFail("png", cases);
    Fuzz("png", rgba, 60, 41);
    Fuzz("png", interlaced, 40, 42);
}

TEST_F(Corpus, Dds)
{
    // DDS files reach the engine through texture images: the reader refuses
    // the file (a file error) or a level (logged), and the texture falls
    // back to the checker with the failure in the log.
    auto dxt = [](const char* code, uint32_t w, uint32_t h, uint32_t mips) {
        DdsHeader d;
        d.width = w;
        d.height = h;
        d.fourCC = FourCC(code);
        d.flags |= 0x20000;
        d.mipCount = mips;
        uint32_t blockSize = std::string(code) == "DXT1" ? 8 : 16, bytes = 0;
        for (uint32_t l = 0; l < mips; ++l)
            bytes += blockSize * ((std::max(1u, w >> l) + 3) / 4) * ((std::max(1u, h >> l) + 3) / 4);
        std::vector<uint8_t> data(bytes);
        for (uint32_t i = 0; i < bytes; ++i)
            data[i] = uint8_t(i * 7 + 3);
        return EncodeDds(d, data);
    };
    DdsHeader rgbHeader;
    rgbHeader.width = 6;
    rgbHeader.height = 4;
    rgbHeader.pfFlags = 0x41;
    rgbHeader.bitCount = 32;
    rgbHeader.masks[0] = 0xFF0000;
    rgbHeader.masks[1] = 0xFF00;
    rgbHeader.masks[2] = 0xFF;
    rgbHeader.masks[3] = 0xFF000000u;
    std::vector<uint8_t> rgb = EncodeDds(rgbHeader, std::vector<uint8_t>(6 * 4 * 4, 0x80));

    std::vector<Case> cases;
    for (const char* code : {"DXT1", "DXT3", "DXT5"}) {
        std::vector<uint8_t> base = dxt(code, 16, 8, 5);
        AddCuts(cases, code, base, uint32_t(base.size()), 25);
        cases.push_back(Mutated(std::string(code) + " fourcc", base, [](auto& b) { b[87] = '9'; }));
        cases.push_back(Mutated(std::string(code) + " no format", base, [](auto& b) { Set32(b, 80, 0); }));
        cases.push_back(Mutated(std::string(code) + " width 0", base, [](auto& b) { Set32(b, 16, 0); }));
        cases.push_back(Mutated(std::string(code) + " height huge", base, [](auto& b) { Set32(b, 12, 0xFFFFFFFFu); }));
        cases.push_back(Mutated(std::string(code) + " mip count", base, [](auto& b) { Set32(b, 28, 6); }));
        cases.push_back(Mutated(std::string(code) + " mip count huge", base, [](auto& b) { Set32(b, 28, 0xFFFFFFFFu); }));
        cases.push_back(Mutated(std::string(code) + " larger than the data", base, [](auto& b) { Set32(b, 16, 64); }));
    }
    AddCuts(cases, "rgb", rgb, uint32_t(rgb.size()), 20);
    for (uint32_t bits : {0u, 1u, 7u, 12u, 33u, 64u})
        cases.push_back(Mutated("bit count " + std::to_string(bits), rgb, [&](auto& b) { Set32(b, 88, bits); }));
    cases.push_back(Mutated("overlapping masks", rgb, [](auto& b) { Set32(b, 96, 0xFFFF00); }));
    cases.push_back(Mutated("mask beyond the bits", rgb, [](auto& b) {
        Set32(b, 88, 16);
        Set32(b, 92, 0xF0000);
    }));
    cases.push_back(Mutated("no colour masks", rgb, [](auto& b) {
        Set32(b, 92, 0);
        Set32(b, 96, 0);
        Set32(b, 100, 0);
    }));
    cases.push_back(Mutated("depth 0", rgb, [](auto& b) {
        Set32(b, 8, ReadU32Le(b, 8) | 0x800000);
        Set32(b, 24, 0);
    }));
    cases.push_back(Mutated("depth huge", rgb, [](auto& b) {
        Set32(b, 8, ReadU32Le(b, 8) | 0x800000);
        Set32(b, 24, 0x10000000);
    }));

    for (size_t i = 0; i < cases.size(); ++i) {
        std::string file = Write("c" + std::to_string(i) + ".dds", cases[i].bytes);
        log_->ClearHistory();
        bool ok = true;
        try {
            FileDDS dds(file);
            for (uint32_t level = 0; level < dds.GetMipCount() && ok; ++level) {
                Image img;
                ok = dds.ReadLevel(level, img);
                if (!ok) {
                    EXPECT_TRUE(img.IsEmpty()) << cases[i].label;
                    EXPECT_EQ(Errors(), 1) << cases[i].label;
                }
            }
        } catch (const FileError& e) {
            ok = false;
            EXPECT_NE(e.GetMessage().find(file), std::string::npos) << cases[i].label;
        }
        EXPECT_FALSE(ok) << cases[i].label;

        log_->ClearHistory();
        TextureImage texture(file, "", true);
        texture.Load();
        EXPECT_EQ(texture.GetWidth(), 64u) << cases[i].label;
        EXPECT_EQ(texture.GetFormatCode(), 1u) << cases[i].label;
        EXPECT_TRUE(Logged(file)) << cases[i].label;
        ++total_;
    }

    // Random damage to the block data decodes to something; damage to the header is refused.
    std::mt19937 rng(51);
    std::vector<uint8_t> base = dxt("DXT5", 16, 16, 5);
    for (uint32_t r = 0; r < 80; ++r) {
        std::vector<uint8_t> b = base;
        for (uint32_t k = 0; k < 1 + rng() % 4; ++k)
            b[rng() % b.size()] = uint8_t(rng());
        if (rng() % 4 == 0)
            b.resize(rng() % b.size());
        std::string file = Write("f.dds", b);
        log_->ClearHistory();
        TextureImage texture(file, "", true);
        texture.Load();
        ASSERT_NE(texture.GetDiffuse(), nullptr);
        EXPECT_GT(texture.GetWidth(), 0u);
        EXPECT_NE(texture.GetDiffuse()->GetPixels(), nullptr);
        if (texture.GetWidth() == 64u && texture.GetFormatCode() == 1u) {
            EXPECT_TRUE(Logged(file)) << r;
            ++fuzzFailed_;
        } else {
            ++fuzzLoaded_;
        }
    }
}
