#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/SafeSave.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Sequence(size_t n, unsigned seed = 0)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
    return b;
}

std::string ReadError(FileBinary& f, uint32_t count)
{
    std::vector<unsigned char> buffer(count + 1);
    try {
        f.Read(buffer.data(), count);
    } catch (const FileError& e) {
        return e.GetMessage();
    }
    return "";
}

class FileBinaryTest : public ::testing::Test {
protected:
    void SetUp() override { dir = TestSupport::MakeTempDir("file_binary"); }
    void TearDown() override { TestSupport::RemoveTree(dir); }
    std::string Put(const std::string& name, const Bytes& bytes)
    {
        std::string path = dir + "\\" + name;
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        return path;
    }
    std::string dir;
};

// The same behaviour must hold whether the file was cached at opening or is streamed.
class TenByteFile : public FileBinaryTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(TenByteFile, ThirdReadOfFourCopiesTwoThenThrows)
{
    std::string path = Put("ten.bin", Sequence(10));
    FileBinary f(path, false, GetParam());
    EXPECT_EQ(10u, f.GetSize());
    unsigned char buf[4];
    f.Read(buf, 4);
    f.Read(buf, 4);
    std::memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ("Failed to read 4 bytes from \"" + path + "\" file", ReadError(f, 4));
    EXPECT_EQ(10u, f.GetPosition());
    // The two bytes that existed were copied before the error.
    unsigned char again[4];
    f.Seek(0, 8);
    f.Read(again, 2);
    EXPECT_EQ(Sequence(10)[8], again[0]);
    EXPECT_EQ(Sequence(10)[9], again[1]);
}

TEST_P(TenByteFile, ReadWithDoneStoresShortCountWithoutThrowing)
{
    FileBinary f(Put("ten.bin", Sequence(10)), false, GetParam());
    unsigned char buf[4] = {0, 0, 0, 0};
    uint32_t done = 99;
    f.Read(buf, 4, &done);
    EXPECT_EQ(4u, done);
    f.Read(buf, 4, &done);
    f.Read(buf, 4, &done);
    EXPECT_EQ(2u, done);
    EXPECT_EQ(Sequence(10)[8], buf[0]);
    EXPECT_EQ(Sequence(10)[9], buf[1]);
    f.Read(buf, 4, &done);
    EXPECT_EQ(0u, done);
    f.Read(buf, 0, &done);
    EXPECT_EQ(0u, done);
    EXPECT_EQ(10u, f.GetPosition());
}

TEST_P(TenByteFile, SeekResultsAndReadsFollowThePosition)
{
    Bytes data = Sequence(10);
    FileBinary f(Put("ten.bin", data), false, GetParam());
    unsigned char b = 0;

    EXPECT_FALSE(f.Seek(0, 10));
    EXPECT_EQ(9u, f.GetPosition());
    f.Read(&b, 1);
    EXPECT_EQ(data[9], b);

    EXPECT_FALSE(f.Seek(1, 11));
    EXPECT_EQ(0u, f.GetPosition());
    f.Read(&b, 1);
    EXPECT_EQ(data[0], b);

    EXPECT_TRUE(f.Seek(1, 3));
    EXPECT_EQ(7u, f.GetPosition());
    f.Read(&b, 1);
    EXPECT_EQ(data[7], b);

    EXPECT_TRUE(f.Seek(2, -5));
    EXPECT_EQ(3u, f.GetPosition());
    f.Read(&b, 1);
    EXPECT_EQ(data[3], b);

    // Before the start: clamped to the first byte, not wrapped to the end.
    EXPECT_FALSE(f.Seek(2, -100));
    EXPECT_EQ(0u, f.GetPosition());
    EXPECT_FALSE(f.Seek(0, -1));
    EXPECT_EQ(0u, f.GetPosition());

    EXPECT_FALSE(f.Seek(1, 0));
    EXPECT_EQ(9u, f.GetPosition());
    EXPECT_TRUE(f.Seek(0, 9));
    // An unknown origin keeps the position.
    EXPECT_TRUE(f.Seek(7, 0));
    EXPECT_EQ(9u, f.GetPosition());
}

TEST_P(TenByteFile, EmptyFileHasNothingLeftAfterAnySeek)
{
    FileBinary f(Put("empty.bin", Bytes()), false, GetParam());
    EXPECT_EQ(0u, f.GetSize());
    EXPECT_FALSE(f.Seek(0, 5));
    EXPECT_EQ(0u, f.GetPosition());
    EXPECT_FALSE(f.Seek(1, 0));
    EXPECT_EQ(0u, f.GetPosition());
    unsigned char buf[8];
    uint32_t done = 99;
    f.Read(buf, 8, &done);
    EXPECT_EQ(0u, done);
    EXPECT_EQ("Failed to read 8 bytes from \"" + f.GetName() + "\" file", ReadError(f, 8));
    EXPECT_EQ(0u, f.GetPosition());
}

INSTANTIATE_TEST_SUITE_P(CachedAndStreamed, TenByteFile, ::testing::Values(0u, 10u, 1u << 20));

TEST_F(FileBinaryTest, CachingFollowsTheLimit)
{
    std::string path = Put("ten.bin", Sequence(10));
    FileBinary cached(path, false, 10);
    EXPECT_NE(nullptr, cached.GetMemory());
    EXPECT_EQ(nullptr, cached.GetStream());
    FileBinary streamed(path, false, 9);
    EXPECT_EQ(nullptr, streamed.GetMemory());
    EXPECT_NE(nullptr, streamed.GetStream());
}

TEST_F(FileBinaryTest, MissingFileThrowsWithTheGivenName)
{
    try {
        FileBinary f(dir + "\\missing.bin", false, 0);
        FAIL() << "opened a missing file";
    } catch (const FileError& e) {
        EXPECT_EQ("Failed to open \"" + dir + "\\missing.bin\" file", e.GetMessage());
    }
    try {
        FileBinary f("tmp_file_binary\\no_such_folder\\x.bin", true);
        FAIL() << "created a file in a missing folder";
    } catch (const FileError& e) {
        EXPECT_EQ("Failed to open \"tmp_file_binary\\no_such_folder\\x.bin\" file", e.GetMessage());
    }
}

TEST_F(FileBinaryTest, RelativeNamesComeFromTheProgramFolderNotTheCurrentDirectory)
{
    Put("rel.bin", Bytes{'e', 'x', 'e'});
    std::string elsewhere = TestSupport::MakeTempDir("file_binary_cwd");
    CreateDirectoryA((elsewhere + "\\tmp_file_binary").c_str(), nullptr);
    TestSupport::WriteFileBytes(elsewhere + "\\tmp_file_binary\\rel.bin", Bytes{'c', 'w', 'd'});
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(elsewhere.c_str());

    FileBinary f("tmp_file_binary\\rel.bin", false, 0);
    char text[3];
    f.Read(text, 3);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ("exe", std::string(text, 3));
    EXPECT_EQ("tmp_file_binary\\rel.bin", f.GetName());
    TestSupport::RemoveTree(elsewhere);
}

TEST_F(FileBinaryTest, StreamedFileCutShortAfterOpeningThrowsOnShortRead)
{
    std::string path = Put("shrinks.bin", Sequence(100));
    FileBinary f(path, false, 0);
    ASSERT_EQ(100u, f.GetSize());
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFilePointer(h, 10, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_EQ("Failed to read 50 bytes from \"" + path + "\" file", ReadError(f, 50));
    EXPECT_EQ(10u, f.GetPosition());
}

// A region of 100 bytes at offset 5000 of a larger file, shared with the owner's stream.
class PackRegion : public FileBinaryTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(PackRegion, ReadsTheRegionFromItsOffset)
{
    Bytes data = Sequence(8000, 3);
    FILE* pack = std::fopen(Put("region.pak", data).c_str(), "rb");
    ASSERT_NE(nullptr, pack);
    {
        FileBinary a("a", false, GetParam(), 100, nullptr, true, pack, 5000);
        FileBinary b("b", false, GetParam(), 100, nullptr, true, pack, 6000);
        EXPECT_EQ(100u, a.GetSize());
        EXPECT_EQ(GetParam() >= 100, a.GetMemory() != nullptr);
        unsigned char x[60], y[60];
        EXPECT_TRUE(a.Seek(0, 0));
        a.Read(x, 30);
        b.Read(y, 30); // moves the shared stream elsewhere
        a.Read(x + 30, 30);
        EXPECT_EQ(0, std::memcmp(x, &data[5000], 60));
        EXPECT_EQ(0, std::memcmp(y, &data[6000], 30));
        EXPECT_EQ(60u, a.GetPosition());

        // The region ends at its size, not at the end of the pack.
        uint32_t done = 0;
        a.Read(x, 60, &done);
        EXPECT_EQ(40u, done);
        EXPECT_EQ(0, std::memcmp(x, &data[5060], 40));
        EXPECT_FALSE(a.Seek(0, 100));
        EXPECT_EQ(99u, a.GetPosition());
        EXPECT_TRUE(a.Seek(1, 10));
        a.Read(x, 1);
        EXPECT_EQ(data[5090], x[0]);
    }
    // The shared stream belongs to the pack and is still usable.
    EXPECT_EQ(0, std::fseek(pack, 0, SEEK_SET));
    unsigned char first = 0;
    EXPECT_EQ(1u, std::fread(&first, 1, 1, pack));
    EXPECT_EQ(data[0], first);
    std::fclose(pack);
}

INSTANTIATE_TEST_SUITE_P(CachedAndStreamed, PackRegion, ::testing::Values(0u, 100u));

TEST_F(FileBinaryTest, RegionBeyondTheEndOfItsFileFailsCachingAndShortReads)
{
    FILE* pack = std::fopen(Put("small.pak", Sequence(200)).c_str(), "rb");
    ASSERT_NE(nullptr, pack);
    EXPECT_THROW(FileBinary("cut", false, 1000, 100, nullptr, true, pack, 150), FileError);
    FileBinary streamed("cut", false, 0, 100, nullptr, true, pack, 150);
    uint32_t done = 0;
    unsigned char buf[100];
    streamed.Read(buf, 100, &done);
    EXPECT_EQ(50u, done);
    std::fclose(pack);
}

TEST_F(FileBinaryTest, MemoryModeReadsTheBlockInPlace)
{
    unsigned char block[6] = {1, 2, 3, 4, 5, 6};
    FileBinary f("mem", false, 0, 6, block, false);
    EXPECT_EQ(block, f.GetMemory());
    unsigned char out[6];
    EXPECT_TRUE(f.Seek(0, 2));
    f.Read(out, 4);
    EXPECT_EQ(0, std::memcmp(out, block + 2, 4));
    EXPECT_EQ("Failed to read 1 bytes from \"mem\" file", ReadError(f, 1));

    // An owned block is released by the object.
    uint8_t* owned = new uint8_t[3]{7, 8, 9};
    FileBinary g("owned", false, 0, 3, owned, true);
    unsigned char c = 0;
    g.Seek(1, 1);
    g.Read(&c, 1);
    EXPECT_EQ(9, c);
}

TEST_F(FileBinaryTest, StringRecordBytes)
{
    std::string path = dir + "\\strings.bin";
    {
        FileBinary f(path, true);
        f.WriteString("");
        f.WriteWideString(L"ab");
        f.WriteString("xyz");
        f.WriteWideString(std::wstring(L"\x20AC"));
    }
    Bytes expected = {0x01, 0x00, 0x03, 0x61, 0x00, 0x62, 0x00, 0x00, 0x00, 0x04, 'x', 'y', 'z', 0x00, 0x02, 0xAC,
        0x20, 0x00, 0x00};
    EXPECT_EQ(expected, TestSupport::ReadFileBytes(path));

    FileBinary in(path, false, 0);
    std::string s = "junk";
    std::wstring w;
    in.ReadString(s);
    EXPECT_EQ("", s);
    in.ReadWideString(w);
    EXPECT_EQ(L"ab", w);
    in.ReadString(s);
    EXPECT_EQ("xyz", s);
    in.ReadWideString(w);
    EXPECT_EQ(L"\x20AC", w);
}

TEST_F(FileBinaryTest, ReadingRecordsWithAndWithoutTerminator)
{
    std::string path = Put("records.bin", Bytes{0x03, 'a', 'b', 0x00, 0x03, 'a', 'b', 'c', 0x04, 'p', 0, 'q', 0, 0x02,
                                                  'w', 0, 'x', 0, 0x00, 0x02, 'z'});
    FileBinary f(path, false, 1024);
    std::string s;
    std::wstring w;
    f.ReadString(s);
    EXPECT_EQ("ab", s);
    f.ReadString(s);
    EXPECT_EQ("abc", s); // no zero: all n characters
    f.ReadString(s);
    EXPECT_EQ("p", s); // up to the first zero
    f.ReadWideString(w);
    EXPECT_EQ(L"wx", w);
    f.ReadString(s); // n = 0: nothing, not even a terminator
    EXPECT_EQ("", s);
    // A record cut short by the end of the file is an error.
    EXPECT_THROW(f.ReadString(s), FileError);
}

TEST_F(FileBinaryTest, OverlongStringsAreCutTo254AndTerminated)
{
    std::string path = dir + "\\long.bin";
    std::string text(300, 'k');
    std::wstring wide(256, L'w');
    {
        FileBinary f(path, true);
        f.WriteString(text.c_str());
        f.WriteWideString(wide);
        f.WriteString(std::string(254, 'm').c_str());
    }
    Bytes bytes = TestSupport::ReadFileBytes(path);
    ASSERT_EQ(256u + 1 + 2 * 255 + 256, bytes.size());
    EXPECT_EQ(255, bytes[0]);
    EXPECT_EQ('k', bytes[254]);
    EXPECT_EQ(0, bytes[255]);
    EXPECT_EQ(255, bytes[256]);
    EXPECT_EQ(0, bytes[256 + 2 * 255 - 1]);
    EXPECT_EQ(0, bytes[256 + 2 * 255]);

    FileBinary in(path, false, 4096);
    std::string s;
    std::wstring w;
    in.ReadString(s);
    EXPECT_EQ(std::string(254, 'k'), s);
    in.ReadWideString(w);
    EXPECT_EQ(std::wstring(254, L'w'), w);
    in.ReadString(s);
    EXPECT_EQ(std::string(254, 'm'), s);
    EXPECT_EQ(in.GetSize(), in.GetPosition());
}

TEST_F(FileBinaryTest, WritingTracksSizeAndSeekKeepsStreamAndPositionTogether)
{
    std::string path = dir + "\\written.bin";
    {
        FileBinary f(path, true);
        EXPECT_EQ(0u, f.GetSize());
        f.Write("0123456789", 10);
        EXPECT_EQ(10u, f.GetSize());
        EXPECT_TRUE(f.Seek(0, 2));
        f.Write("AB", 2);
        EXPECT_EQ(4u, f.GetPosition());
        EXPECT_EQ(10u, f.GetSize());
        // To the end for appending: reported as outside, but the next bytes
        // must not overwrite the last one.
        EXPECT_FALSE(f.Seek(1, 0));
        EXPECT_EQ(10u, f.GetPosition());
        f.Write("Z", 1);
        uint32_t done = 9;
        f.Write("", 0, &done);
        EXPECT_EQ(0u, done);
        EXPECT_EQ(11u, f.GetSize());
        f.Flush();
    }
    EXPECT_EQ("01AB456789Z", std::string(reinterpret_cast<const char*>(TestSupport::ReadFileBytes(path).data()), 11));
}

TEST_F(FileBinaryTest, WritingToAReadingObjectFails)
{
    std::string path = Put("ro.bin", Sequence(4));
    FileBinary f(path, false, 0);
    uint32_t done = 7;
    f.Write("abcd", 4, &done);
    EXPECT_EQ(0u, done);
    try {
        f.Write("abcd", 4);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ("Failed to write 4 bytes from \"" + path + "\" file", e.GetMessage());
    }
    EXPECT_EQ(Sequence(4), TestSupport::ReadFileBytes(path));
}

TEST_F(FileBinaryTest, SafeSaveReplacesOnlyOnCommit)
{
    std::string target = Put("saved.ini", Bytes{'o', 'l', 'd'});
    {
        SafeSave save(target);
        EXPECT_EQ(target + ".tmp", save.GetTemporaryPath());
        FileBinary out(save.GetTemporaryPath(), true);
        out.Write("half", 4);
        // No commit: as if the writer failed half way.
    }
    EXPECT_EQ((Bytes{'o', 'l', 'd'}), TestSupport::ReadFileBytes(target));
    EXPECT_FALSE(TestSupport::FileExists(target + ".tmp"));

    {
        SafeSave save(target);
        {
            FileBinary out(save.GetTemporaryPath(), true);
            out.Write("new!", 4);
            out.Flush();
        }
        save.Commit();
    }
    EXPECT_EQ((Bytes{'n', 'e', 'w', '!'}), TestSupport::ReadFileBytes(target));
    EXPECT_FALSE(TestSupport::FileExists(target + ".tmp"));

    // Relative names are taken from the program folder; a new file is created.
    {
        SafeSave save("tmp_file_binary\\fresh.bin");
        EXPECT_EQ(GetExecutableDirectory() + "\\tmp_file_binary\\fresh.bin", save.GetTargetPath());
        { FileBinary out(save.GetTemporaryPath(), true); out.Write("x", 1); }
        save.Commit();
    }
    EXPECT_EQ(Bytes{'x'}, TestSupport::ReadFileBytes(dir + "\\fresh.bin"));

    // A commit that cannot replace the target reports it and leaves the target alone.
    std::string folder = dir + "\\a_folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    TestSupport::WriteFileBytes(folder + "\\inside", Bytes{1});
    SafeSave save(folder);
    { FileBinary out(save.GetTemporaryPath(), true); out.Write("x", 1); }
    EXPECT_THROW(save.Commit(), FileError);
    EXPECT_TRUE(TestSupport::FileExists(folder + "\\inside"));
}

} // namespace
