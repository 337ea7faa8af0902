#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The pack file layout, and a writer for it. Plain standard C++ so that host
// tools (the content generator) can build it natively as well as the engine.
//
// Layout (little-endian): u32 total size (header included), "KEPAK", u32
// version 100, u32 entry count N, N names as string records (u8 n = length + 1,
// n bytes ending with a zero), N locations (u32 offset from the pack's first
// byte, u32 size), then the entries' data. A pack appended to a program file is
// followed by a trailer: u32 pack size, "APC".

namespace KorvaneEngine {

namespace PackFormat {
const char kMagic[5] = {'K', 'E', 'P', 'A', 'K'};
const uint32_t kVersion = 100;
const uint32_t kHeaderSize = 13;     // total size, magic, version
const uint32_t kDirectoryStart = 17; // after the entry count
const uint32_t kLocationSize = 8;
const uint32_t kMaxNameLength = 254;
const char kTrailerMagic[3] = {'A', 'P', 'C'};
const uint32_t kTrailerSize = 7;
} // namespace PackFormat

// One entry: its name relative to the data folder ("ui\\windows\\main.xml"),
// and its bytes, from sourcePath when that is not empty, else from data.
struct PackInput {
    std::string name;
    std::string sourcePath;
    std::vector<uint8_t> data;
};

// Writes a pack of the inputs, in their order, to path. An existing file is
// replaced only once the new pack is complete. False, with a reason in error,
// for a name that is empty, longer than 254 characters or given twice (names
// are compared lower-cased), an unreadable source, or a pack over 4 GiB.
// On Windows a relative path is taken from the program folder.
bool WritePackFile(const std::string& path, const std::vector<PackInput>& inputs, std::string* error = nullptr);

// Writes the program's bytes, then the pack's, then the trailer, to output.
bool AppendPackToProgram(const std::string& programPath, const std::string& packPath, const std::string& outputPath,
    std::string* error = nullptr);

} // namespace KorvaneEngine
