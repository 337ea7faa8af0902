#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/PackFile.h"
#include "engine/foundation/PackWriter.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;
using Strings = std::vector<std::string>;

namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

void PutU32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void SetU32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The layout written out by hand, independently of the writer.
Bytes HandPack(const std::vector<std::pair<std::string, Bytes>>& entries, uint32_t version = 100)
{
    Bytes names, locations, data;
    size_t directory = 17;
    for (const auto& e : entries)
        directory += 1 + e.first.size() + 1 + 8;
    for (const auto& e : entries) {
        names.push_back(static_cast<unsigned char>(e.first.size() + 1));
        names.insert(names.end(), e.first.begin(), e.first.end());
        names.push_back(0);
        PutU32(locations, static_cast<uint32_t>(directory + data.size()));
        PutU32(locations, static_cast<uint32_t>(e.second.size()));
        data.insert(data.end(), e.second.begin(), e.second.end());
    }
    Bytes pack;
    PutU32(pack, static_cast<uint32_t>(directory + data.size()));
    pack.insert(pack.end(), {'K', 'E', 'P', 'A', 'K'});
    PutU32(pack, version);
    PutU32(pack, static_cast<uint32_t>(entries.size()));
    pack.insert(pack.end(), names.begin(), names.end());
    pack.insert(pack.end(), locations.begin(), locations.end());
    pack.insert(pack.end(), data.begin(), data.end());
    return pack;
}

Bytes Big(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>((i * 31 + i / 251) & 0xFF);
    return b;
}

std::vector<PackInput> SampleInputs()
{
    return {
        {"UI\\Windows\\Main.xml", "", B("<window/>")},
        {"ui\\a.xml", "", B("a")},
        {"themes\\forest\\a.jpg", "", B("fa")},
        {"themes\\forest\\b.jpg", "", B("fb")},
        {"themes\\sea\\deep\\c.jpg", "", B("sdc")},
        {"readme.txt", "", B("")},
        {"models\\big.bin", "", Big(300000)},
    };
}

// Reads an entry the way the file manager serves it.
Bytes ReadEntry(const PackFile& pack, const std::string& name, uint32_t cacheLimit = 0)
{
    const uint8_t* memory = nullptr;
    bool own = true;
    FILE* stream = nullptr;
    uint32_t offset = 0, size = 0;
    EXPECT_TRUE(pack.Locate(name, memory, own, stream, offset)) << name;
    EXPECT_TRUE(pack.GetEntrySize(name, size));
    EXPECT_FALSE(own);
    std::unique_ptr<FileBinary> file(memory ? new FileBinary(name, false, cacheLimit, size, const_cast<uint8_t*>(memory), false)
                                            : new FileBinary(name, false, cacheLimit, size, nullptr, true, stream, offset));
    Bytes out(size);
    if (size)
        file->Read(out.data(), size);
    return out;
}

std::string OpenError(const std::string& path, uint32_t base = 0, uint32_t expected = 0)
{
    try {
        PackFile pack(path, base, expected, 1u << 30);
    } catch (const FileError& e) {
        return e.GetMessage();
    }
    return "";
}

class PackFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = TestSupport::MakeTempDir("pack_file"); }
    void TearDown() override { TestSupport::RemoveTree(dir); }
    std::string Put(const Bytes& bytes, const std::string& name = "p.pak")
    {
        std::string path = dir + "\\" + name;
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        return path;
    }
    std::string dir;
};

TEST_F(PackFileTest, WriterProducesTheLayout)
{
    std::string path = dir + "\\w.pak";
    std::string error;
    ASSERT_TRUE(WritePackFile(path, {{"Dir\\One.txt", "", B("111")}, {"two", "", B("22")}}, &error)) << error;
    EXPECT_EQ(HandPack({{"Dir\\One.txt", B("111")}, {"two", B("22")}}), TestSupport::ReadFileBytes(path));
    EXPECT_FALSE(TestSupport::FileExists(path + ".tmp"));

    // Sources from disk give the same bytes.
    TestSupport::WriteFileBytes(dir + "\\src.bin", B("111"));
    ASSERT_TRUE(WritePackFile(dir + "\\w2.pak", {{"Dir\\One.txt", dir + "\\src.bin", {}}, {"two", "", B("22")}}));
    EXPECT_EQ(TestSupport::ReadFileBytes(path), TestSupport::ReadFileBytes(dir + "\\w2.pak"));
}

TEST_F(PackFileTest, WriterRefusesWhatCannotBeReadBack)
{
    std::string path = Put(B("old"), "keep.pak");
    std::string error;
    EXPECT_FALSE(WritePackFile(path, {{"a", "", B("1")}, {"A", "", B("2")}}, &error));
    EXPECT_NE(std::string::npos, error.find("twice"));
    EXPECT_FALSE(WritePackFile(path, {{std::string(255, 'n'), "", B("1")}}, &error));
    EXPECT_FALSE(WritePackFile(path, {{"", "", B("1")}}, &error));
    EXPECT_FALSE(WritePackFile(path, {{"x", dir + "\\missing.bin", {}}}, &error));
    // A failed write leaves the old file alone.
    EXPECT_EQ(B("old"), TestSupport::ReadFileBytes(path));
    EXPECT_FALSE(TestSupport::FileExists(path + ".tmp"));
    EXPECT_TRUE(WritePackFile(path, {{std::string(254, 'n'), "", B("1")}}, &error));
}

class PackContents : public PackFileTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    void SetUp() override
    {
        PackFileTest::SetUp();
        ASSERT_TRUE(WritePackFile(dir + "\\sample.pak", SampleInputs()));
        pack.reset(new PackFile(dir + "\\sample.pak", 0, 0, GetParam()));
    }
    std::unique_ptr<PackFile> pack;
};

TEST_P(PackContents, EntriesReadWhetherCachedOrStreamed)
{
    EXPECT_EQ(GetParam() > 0, pack->IsInMemory());
    for (const PackInput& input : SampleInputs())
        EXPECT_EQ(input.data, ReadEntry(*pack, input.name)) << input.name;
    // Entries of one streamed pack share its stream: interleaved reads must not mix.
    uint32_t s1 = 0, s2 = 0, o1 = 0, o2 = 0;
    const uint8_t* m1 = nullptr;
    const uint8_t* m2 = nullptr;
    bool own = false;
    FILE* f1 = nullptr;
    FILE* f2 = nullptr;
    pack->GetEntrySize("models\\big.bin", s1);
    pack->GetEntrySize("themes\\sea\\deep\\c.jpg", s2);
    pack->Locate("models\\big.bin", m1, own, f1, o1);
    pack->Locate("themes\\sea\\deep\\c.jpg", m2, own, f2, o2);
    FileBinary big("big", false, 0, s1, const_cast<uint8_t*>(m1), false, f1, o1);
    FileBinary small("small", false, 0, s2, const_cast<uint8_t*>(m2), false, f2, o2);
    Bytes a(1000), b(2);
    big.Seek(0, 5000);
    big.Read(a.data(), 500);
    small.Read(b.data(), 2);
    big.Read(a.data() + 500, 500);
    Bytes whole = Big(300000);
    EXPECT_EQ(Bytes(whole.begin() + 5000, whole.begin() + 6000), a);
    EXPECT_EQ(B("sd"), b);
}

TEST_P(PackContents, LookupsAreCaseInsensitive)
{
    EXPECT_TRUE(pack->HasEntry("ui\\windows\\MAIN.XML"));
    EXPECT_TRUE(pack->HasEntry("UI\\A.XML"));
    EXPECT_FALSE(pack->HasEntry("ui/a.xml"));
    EXPECT_FALSE(pack->HasEntry("ui\\b.xml"));
    uint32_t size = 77;
    EXPECT_FALSE(pack->GetEntrySize("nothing", size));
    EXPECT_EQ(77u, size);
    EXPECT_TRUE(pack->GetEntrySize("Models\\Big.bin", size));
    EXPECT_EQ(300000u, size);
    EXPECT_EQ("ui\\windows\\main.xml", pack->GetEntryNames()[0]);
}

TEST_P(PackContents, ListingFilesAndFolders)
{
    Strings out;
    pack->ListFiles("ui", "*.xml", out);
    EXPECT_EQ((Strings{"ui\\windows\\main.xml", "ui\\a.xml"}), out);
    out.clear();
    pack->ListFiles("UI\\", "*", out);
    EXPECT_EQ((Strings{"ui\\windows\\main.xml", "ui\\a.xml"}), out);
    out.clear();
    pack->ListFiles("themes", "b*.jpg", out); // "b*.jpg" is the substring "b"
    EXPECT_EQ((Strings{"themes\\forest\\b.jpg"}), out);
    out.clear();
    pack->ListFiles("themes", "?.jpg", out);
    EXPECT_EQ(3u, out.size());
    out = {"kept"};
    pack->ListFiles("them", "*", out); // a folder prefix is no folder
    EXPECT_EQ((Strings{"kept"}), out);

    out.clear();
    pack->ListSubfolders("themes", out);
    EXPECT_EQ((Strings{"themes\\forest", "themes\\forest"}), out);
    out.clear();
    pack->ListSubfolders("themes\\sea", out);
    EXPECT_EQ((Strings{"themes\\sea\\deep"}), out);

    EXPECT_TRUE(pack->HasFolder("forest"));
    EXPECT_TRUE(pack->HasFolder("SEA\\deep"));
    EXPECT_TRUE(pack->HasFolder("ui"));
    EXPECT_FALSE(pack->HasFolder("readme"));
}

INSTANTIATE_TEST_SUITE_P(CachedAndStreamed, PackContents, ::testing::Values(0u, 1u << 24));

TEST_F(PackFileTest, FirstOfDuplicateNamesWins)
{
    PackFile pack(Put(HandPack({{"a.txt", B("first")}, {"A.TXT", B("second")}})), 0, 0, 0);
    EXPECT_EQ(B("first"), ReadEntry(pack, "a.txt"));
    EXPECT_EQ(2u, pack.GetEntryNames().size());
}

TEST_F(PackFileTest, BadHeadersAreRefused)
{
    Bytes good = HandPack({{"x\\y.txt", B("xy")}});
    ASSERT_EQ("", OpenError(Put(good)));

    Bytes longer = good;
    longer.push_back(0); // header total is one less than the file
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(longer)));
    Bytes magic = good;
    magic[8] = 'X';
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(magic)));
    EXPECT_EQ("Incorrect pack file version, current is 100", OpenError(Put(HandPack({{"a", B("1")}}, 101))));
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(good), 0, static_cast<uint32_t>(good.size()) + 1));
    EXPECT_EQ("", OpenError(Put(good), 0, static_cast<uint32_t>(good.size())));
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(good), static_cast<uint32_t>(good.size()) + 10));
    std::string path = Put(Bytes(good.begin(), good.begin() + 5));
    EXPECT_EQ("Failed to read 13 bytes from \"" + path + "\" file", OpenError(path));
    EXPECT_EQ("Failed to open \"" + dir + "\\none.pak\" file", OpenError(dir + "\\none.pak"));
}

TEST_F(PackFileTest, CorruptDirectoriesAreRefused)
{
    Bytes good = HandPack({{"one", B("11111")}, {"two", B("22")}});
    // Entry locations start after 17 + 2 * 5 name bytes.
    const size_t locations = 17 + 5 + 5;

    Bytes past = good;
    SetU32(past, locations + 8 + 4, 3); // "two" one byte longer than the pack
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(past)));
    Bytes wrapped = good;
    SetU32(wrapped, locations, 0xFFFFFFF0u); // offset + size wraps in 32 bits
    SetU32(wrapped, locations + 4, 0x20);
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(wrapped)));
    Bytes count = good;
    SetU32(count, 13, 0xFFFFFFFFu);
    EXPECT_EQ("Incorrect pack file format", OpenError(Put(count)));
    Bytes name = good;
    name[17] = 250; // a name running through the locations and data
    EXPECT_NE("", OpenError(Put(name)));
}

TEST_F(PackFileTest, EveryCutAndEveryCorruptByteIsRefusedOrSafe)
{
    Bytes good = HandPack({{"d\\one", B("11111")}, {"two", B("22")}, {"d\\e\\three", B("333")}});
    std::string path = dir + "\\fuzz.pak";
    for (size_t cut = 0; cut < good.size(); ++cut) {
        TestSupport::WriteFileBytes(path, Bytes(good.begin(), good.begin() + cut));
        EXPECT_NE("", OpenError(path)) << "cut at " << cut;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        for (unsigned char value : {0x00, 0x7F, 0xFF}) {
            Bytes bad = good;
            bad[at] = value;
            TestSupport::WriteFileBytes(path, bad);
            for (uint32_t limit : {0u, 1u << 20}) {
                try {
                    PackFile pack(path, 0, 0, limit);
                    // Accepted: every entry must lie inside the file.
                    for (const std::string& n : pack.GetEntryNames())
                        EXPECT_LE(ReadEntry(pack, n).size(), bad.size());
                } catch (const FileError&) {
                }
            }
        }
    }
}

TEST_F(PackFileTest, PackAppendedToACopyOfAProgram)
{
    std::string pakPath = dir + "\\appended.pak";
    ASSERT_TRUE(WritePackFile(pakPath, SampleInputs()));
    const uint32_t packSize = static_cast<uint32_t>(TestSupport::ReadFileBytes(pakPath).size());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string program = dir + "\\program.exe";
    std::string error;
    ASSERT_TRUE(AppendPackToProgram(self, pakPath, program, &error)) << error;

    Bytes bytes = TestSupport::ReadFileBytes(program);
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    ASSERT_EQ(TestSupport::ReadFileBytes(self).size() + packSize + 7, length);
    EXPECT_EQ(0, std::memcmp(&bytes[length - 3], "APC", 3));
    uint32_t trailer = bytes[length - 7] | (bytes[length - 6] << 8) | (bytes[length - 5] << 16) |
        (static_cast<uint32_t>(bytes[length - 4]) << 24);
    ASSERT_EQ(packSize, trailer);

    for (uint32_t limit : {0u, 1u << 30}) {
        PackFile pack(program, length - packSize - 7, packSize, limit);
        EXPECT_EQ(limit > 0, pack.IsInMemory());
        for (const PackInput& input : SampleInputs())
            EXPECT_EQ(input.data, ReadEntry(pack, input.name)) << input.name;
    }
    // A trailer size that does not match the pack's header.
    EXPECT_EQ("Incorrect pack file format", OpenError(program, length - packSize - 7, packSize - 1));
    EXPECT_EQ("Incorrect pack file format", OpenError(program, length - packSize - 6, packSize));
}

} // namespace
