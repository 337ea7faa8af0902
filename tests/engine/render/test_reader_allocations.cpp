// Readers fed a few bytes whose header declares a huge picture or mesh: each
// must refuse the file with a logged error before it allocates for what the
// header claims. This program replaces operator new to see every request,
// also those that fail.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <zlib.h>

#include "SceneTestSupport.h"
#include "engine/render/FileDDS.h"
#include "support/Bytes.h"

using namespace KorvaneEngine;
using TestSupport::Bytes;

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};
const size_t kHeader = 16; // keeps the block aligned for any type

void* Counted(size_t n)
{
    if (n == 0)
        n = 1;
    // The peak counts the request before it is tried: a request that fails
    // still shows what the reader asked for.
    const size_t wanted = g_live.load() + n;
    size_t peak = g_peak.load();
    while (wanted > peak && !g_peak.compare_exchange_weak(peak, wanted)) {
    }
    if (n > size_t(-1) - kHeader)
        return nullptr;
    char* block = static_cast<char*>(std::malloc(n + kHeader));
    if (!block)
        return nullptr;
    *reinterpret_cast<size_t*>(block) = n;
    g_live += n;
    return block + kHeader;
}

void Release(void* p)
{
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kHeader;
    g_live -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(size_t n)
{
    if (void* p = Counted(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n)
{
    if (void* p = Counted(n))
        return p;
    throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Counted(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Counted(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace {

class ReaderAllocations : public ::testing::Test {
protected:
    void SetUp() override { scene.StartScene("reader_allocations"); }
    void TearDown() override { scene.StopScene(); }

    // Full name of a file of this test's data folder.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        scene.PutFile(name, bytes);
        return scene.root + "\\data\\" + scene.Path(name);
    }

    // Runs a read and returns the most it had allocated at once beyond what
    // lived before.
    template <class F> size_t PeakOf(F read)
    {
        const size_t before = g_live.load();
        g_peak = before;
        read();
        return g_peak.load() - before;
    }

    // What a reader may take for a file: a small multiple of its bytes, plus
    // the names, file object and log lines every read makes.
    static size_t Allowance(size_t fileSize) { return 16 * fileSize + 2048; }

    // One error logged since mark, naming the file.
    bool LoggedError(int mark, const std::string& file) const
    {
        for (int i = mark; i < scene.log->GetHistorySize(); ++i) {
            const LogRecord* r = scene.log->GetHistoryRecord(i);
            if (r->level == 3 && r->text.find(file) != std::string::npos)
                return true;
        }
        return false;
    }

    SceneTest::Scene scene;
};

const uint32_t kSide = 16384;

uint32_t Crc(const std::vector<uint8_t>& bytes, size_t from)
{
    return uint32_t(crc32(0, bytes.data() + from, uInt(bytes.size() - from)));
}

// A PNG chunk: u32 length (big-endian), type, data, CRC of type and data.
void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    const uint32_t n = uint32_t(data.size());
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(n >> s));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    const uint32_t crc = Crc(body, 0);
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(crc >> s));
}

std::vector<uint8_t> HugePng()
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    for (uint32_t v : {kSide, kSide})
        for (int s = 24; s >= 0; s -= 8)
            ihdr.push_back(uint8_t(v >> s));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
    PngChunk(png, "IHDR", ihdr);
    PngChunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00});
    PngChunk(png, "IEND", {});
    return png;
}

// A DDS header alone: 16384 x 16384, one level, the given four-character code.
std::vector<uint8_t> HugeDds(const char* fourCC)
{
    Bytes b;
    b.Chars("DDS ").U32(124).U32(0x1007).U32(kSide).U32(kSide).U32(0).U32(0).U32(1).Zeros(44);
    b.U32(32).U32(4).Chars(fourCC).Zeros(20).U32(0x1000).Zeros(16);
    return b.data;
}

} // namespace

TEST_F(ReaderAllocations, PicturesDeclaringHugeSizesAreRefusedBeforeTheirPixelsAreMade)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    {
        // BITMAPFILEHEADER and BITMAPINFOHEADER of a 24-bit picture, six bytes of pixels.
        Bytes b;
        b.U16(19778).U32(60).U32(0).U32(54).U32(40).U32(kSide).U32(kSide).U16(1).U16(24).U32(0).Zeros(20).Zeros(6);
        cases.push_back({"huge.bmp", b.data});
    }
    for (uint32_t type : {2u, 10u}) {
        // TGA header: no id, no colour map, type 2 (raw) or 10 (run-length), 32 bits.
        Bytes b;
        b.U8(0).U8(0).U8(type).Zeros(5).U16(0).U16(0).U16(kSide).U16(kSide).U8(32).U8(8);
        for (int i = 0; i < 32; ++i)
            b.U8(type == 10 ? 0xFF : 0); // run-length: 128-pixel runs of one pixel
        cases.push_back({type == 2 ? "huge_raw.tga" : "huge_rle.tga", b.data});
    }
    cases.push_back({"huge.png", HugePng()});

    for (const Case& c : cases) {
        const std::string file = Put(c.name, c.bytes);
        const int mark = scene.log->GetHistorySize();
        Image image;
        bool loaded = true;
        const size_t peak = PeakOf([&] { loaded = image.Load(file, true); });
        std::printf("%s: %u bytes, at most %u bytes allocated\n", c.name, unsigned(c.bytes.size()), unsigned(peak));
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_TRUE(image.IsEmpty()) << c.name;
        EXPECT_LE(peak, Allowance(c.bytes.size())) << c.name;
        EXPECT_TRUE(LoggedError(mark, c.name)) << c.name;
    }

    // A header-only read still learns the size without allocating pixels.
    Image header;
    ASSERT_TRUE(header.Load(Put("huge_header.tga", cases[1].bytes), false));
    EXPECT_EQ(header.GetWidth(), kSide);
    EXPECT_EQ(header.GetHeight(), kSide);
}

TEST_F(ReaderAllocations, DdsHeadersDeclaringHugeLevelsAreRefusedBeforeTheLevelIsMade)
{
    // Both ways a level is read: decoded in software, and copied for a device
    // that samples the blocks itself.
    const uint32_t offered = scene.render->textureFormatMask;
    for (bool deviceSamples : {false, true}) {
        scene.render->textureFormatMask = deviceSamples ? offered | (0x1Fu << 6) : offered & ~(0x1Fu << 6);
        for (const char* code : {"DXT1", "DXT5"}) {
            const std::vector<uint8_t> bytes = HugeDds(code);
            const std::string file = Put(std::string("huge_") + code + ".dds", bytes);
            const int mark = scene.log->GetHistorySize();
            Image level;
            bool read = true;
            const size_t peak = PeakOf([&] {
                FileDDS dds(file);
                EXPECT_EQ(dds.GetFormatCode(), deviceSamples ? (code[3] == '1' ? 6u : 10u) : 3u);
                read = dds.ReadLevel(0, level);
            });
            std::printf("%s%s: %u bytes, at most %u bytes allocated\n", code, deviceSamples ? " (device)" : "",
                unsigned(bytes.size()), unsigned(peak));
            EXPECT_FALSE(read) << code;
            EXPECT_TRUE(level.IsEmpty()) << code;
            EXPECT_LE(peak, Allowance(bytes.size())) << code;
            EXPECT_TRUE(LoggedError(mark, file)) << code;
        }
    }
    scene.render->textureFormatMask = offered;
}

TEST_F(ReaderAllocations, ModelsDeclaringMillionsOfVerticesAreRefusedBeforeTheirBuffersAreMade)
{
    const uint32_t kVertices = 4u << 20;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    // No vertex section (flags 0x40000: visible only), no indices, one box.
    cases.push_back({"bare.kml", Bytes().Header("KEMLF", 202).U32(0x40000).U32(0).U32(kVertices).Zeros(24).Done()});
    cases.push_back(
        {"static.kml", Bytes().Header("KEMLF", 202).U32(0x40001).U32(0).U32(kVertices).Zeros(24).Done()});
    // Skinned: one frame, one bone, its key, then the vertex counts.
    Bytes skinned;
    skinned.Header("KEMLF", 202).U32(0x40004).U32(1).F32(1).U16(1);
    skinned.U8(0).String("b").Zeros(36).U16(0).U16(0).Zeros(40);
    skinned.U32(0).U32(kVertices).Zeros(24);
    cases.push_back({"skinned.kml", skinned.Done()});

    for (const Case& c : cases) {
        const std::string name = scene.Path(std::string("models\\") + c.name);
        scene.PutFile(std::string("models\\") + c.name, c.bytes);
        const int mark = scene.log->GetHistorySize();
        std::string failure;
        const size_t peak = PeakOf([&] {
            try {
                Model m(name, nullptr, 0, false);
                failure = "loaded";
            } catch (const Error& e) {
                failure = e.GetMessage();
            } catch (const std::exception& e) {
                failure = std::string("escaped: ") + e.what();
            }
        });
        std::printf("%s: %u bytes, at most %u bytes allocated: %s\n", c.name, unsigned(c.bytes.size()),
            unsigned(peak), failure.c_str());
        EXPECT_NE(failure.find("Incorrect \"" + name + "\" file format"), std::string::npos) << failure;
        EXPECT_LE(peak, Allowance(c.bytes.size())) << c.name;
        EXPECT_TRUE(LoggedError(mark, name)) << c.name;
    }
}

// A skinned file large enough to pass the size checks, whose vertex and skin
// records would still not fit in a 32-bit process: a plain engine error the
// model manager can answer with its box, never a runtime exception past it.
TEST_F(ReaderAllocations, SkinnedModelsBeyondMemoryFailWithAnEngineError)
{
    const uint32_t kVertices = 16500000; // ten bytes each on file, 164 in memory
    Bytes head;
    head.Header("KEMLF", 202).U32(0x40004).U32(1).F32(1).U16(1);
    head.U8(0).String("b").Zeros(36).U16(0).U16(0).Zeros(40);
    head.U32(0).U32(kVertices);
    const uint64_t total = head.Size() + uint64_t(kVertices) * 10 + 24;
    head.PatchU32(0, uint32_t(total));
    const std::string relative = "models\\giant.kml";
    const std::string path = scene.root + "\\data\\" + scene.Path(relative);
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(head.data.data(), 1, head.Size(), f);
        std::vector<uint8_t> zeros(1 << 20);
        uint64_t left = total - head.Size();
        while (left > 0) {
            const size_t n = left < zeros.size() ? size_t(left) : zeros.size();
            ASSERT_EQ(std::fwrite(zeros.data(), 1, n, f), n);
            left -= n;
        }
        ASSERT_EQ(std::fclose(f), 0);
    }
    const std::string name = scene.Path(relative);
    std::string failure;
    try {
        Model m(name, nullptr, 0, false);
        failure = "loaded";
    } catch (const Error& e) {
        failure = e.GetMessage();
    } catch (const std::exception& e) {
        failure = std::string("escaped: ") + e.what();
    }
    EXPECT_EQ(failure, "Incorrect \"" + name + "\" file format: vertex count 16500000 is more than a skinned model can hold");
    // The model manager's way: the box in its place.
    Model* box = scene.models->LoadModelUnregistered(name, nullptr, 0, false);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->name, name);
    EXPECT_EQ(box->GetVertexBuffer()->vertexCount, 24u);
    delete box;
    DeleteFileA(path.c_str());
}
