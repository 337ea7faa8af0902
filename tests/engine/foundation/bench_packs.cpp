// Reads the same 50 MB of files loose and from a pack through the file manager
// and prints the time ratio. Not a test: run it by hand under Wine.
//   bench_packs.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/PackFile.h"
#include "engine/foundation/PackWriter.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;

namespace {

const uint32_t kTotal = 50u << 20;
const uint32_t kChunk = 64u << 10;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Reads every file; cacheLimit 0 streams them in chunks as images and sounds
// do, a larger limit reads each whole at opening as models and shaders do.
double ReadAll(FileManager& fm, const std::vector<std::string>& names, uint32_t cacheLimit, uint64_t& checksum)
{
    std::vector<uint8_t> buffer(kChunk);
    checksum = 0;
    double start = Now();
    for (const std::string& name : names) {
        std::unique_ptr<FileBinary> file(fm.OpenFile(name, false, cacheLimit));
        uint32_t done = 0;
        do {
            file->Read(buffer.data(), kChunk, &done);
            for (uint32_t i = 0; i < done; i += 4096)
                checksum = checksum * 31 + buffer[i];
        } while (done == kChunk);
    }
    return Now() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1)
        rounds = 1;
    std::string looseRoot = TestSupport::MakeTempDir("bench_loose");
    std::string packRoot = TestSupport::MakeTempDir("bench_pack");
    CreateDirectories(looseRoot + "\\data\\bench\\");
    CreateDirectories(packRoot + "\\data\\");

    // Files of 32 KB to 1 MB, like the game's pictures, sounds and models.
    std::vector<std::string> names;
    std::vector<PackInput> inputs;
    uint32_t total = 0;
    for (uint32_t i = 0; total < kTotal; ++i) {
        uint32_t size = ((i * 7) % 32 + 1) * (32u << 10);
        if (size > kTotal - total)
            size = kTotal - total;
        std::vector<unsigned char> bytes(size);
        for (uint32_t j = 0; j < size; ++j)
            bytes[j] = static_cast<unsigned char>((i * 131 + j * 7) & 0xFF);
        std::string name = "bench\\file_" + std::to_string(i) + ".bin";
        if (!TestSupport::WriteFileBytes(looseRoot + "\\data\\" + name, bytes)) {
            std::printf("cannot write the loose files\n");
            return 1;
        }
        inputs.push_back({name, looseRoot + "\\data\\" + name, {}});
        names.push_back("data\\" + name);
        total += size;
    }
    std::string error;
    if (!WritePackFile(packRoot + "\\data\\bench.pak", inputs, &error)) {
        std::printf("cannot write the pack: %s\n", error.c_str());
        return 1;
    }
    std::printf("%u files, %.1f MB, best of %d rounds\n", static_cast<unsigned>(names.size()), total / 1048576.0, rounds);

    struct Case {
        const char* what;
        uint32_t packCache;
        uint32_t fileCache;
    };
    // 16 MiB is the game's pack cache limit: a 50 MB pack is then streamed.
    const Case cases[] = {
        {"streamed pack, files read in 64 KB chunks", 16u << 20, 0},
        {"streamed pack, each file read whole at opening", 16u << 20, 8u << 20},
        {"pack held in memory, files read in 64 KB chunks", 64u << 20, 0},
    };
    int worst = 0;
    for (const Case& c : cases) {
        double loose = 1e9, packed = 1e9;
        uint64_t looseSum = 0, packSum = 0;
        try {
            FileManager looseManager(looseRoot, false, "data", c.packCache);
            FileManager packManager(packRoot, true, "data", c.packCache);
            if (packManager.GetPackCount() != 1) {
                std::printf("the pack was not opened\n");
                return 1;
            }
            for (int r = 0; r < rounds; ++r) {
                double t = ReadAll(looseManager, names, c.fileCache, looseSum);
                loose = t < loose ? t : loose;
                t = ReadAll(packManager, names, c.fileCache, packSum);
                packed = t < packed ? t : packed;
            }
        } catch (const Error& e) {
            std::printf("failed: %s\n", e.GetMessage().c_str());
            return 1;
        }
        if (looseSum != packSum) {
            std::printf("the pack gave other bytes than the loose files\n");
            return 1;
        }
        double ratio = packed / loose;
        std::printf("%-50s loose %7.1f ms (%6.0f MB/s)  pack %7.1f ms (%6.0f MB/s)  pack/loose %.2fx\n", c.what,
            loose * 1000, total / 1048576.0 / loose, packed * 1000, total / 1048576.0 / packed, ratio);
        if (ratio > 1.2)
            worst = 2;
    }
    TestSupport::RemoveTree(looseRoot);
    TestSupport::RemoveTree(packRoot);
    std::printf(worst ? "pack slower than 1.2x loose\n" : "pack within 1.2x of loose\n");
    return worst;
}
