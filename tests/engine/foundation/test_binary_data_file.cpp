#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/PackWriter.h"
#include "support/TestSupport.h"

using namespace GameTools;
using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Header(uint32_t length, const char* magic, uint32_t version)
{
    Bytes b(13);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(length >> (8 * i));
        b[9 + i] = static_cast<unsigned char>(version >> (8 * i));
    }
    for (int i = 0; i < 5; ++i)
        b[4 + i] = static_cast<unsigned char>(magic[i]);
    return b;
}

// A container image with a body of n bytes 0, 1, 2, ...
Bytes Image(const char* magic, uint32_t version, size_t n)
{
    Bytes b = Header(static_cast<uint32_t>(13 + n), magic, version);
    for (size_t i = 0; i < n; ++i)
        b.push_back(static_cast<unsigned char>(i));
    return b;
}

std::string OpenError(const std::string& name, uint32_t version = 105, bool any = false, uint32_t* stored = nullptr)
{
    BinaryDataFile f("PZPRF", version);
    try {
        f.Open(name, BinaryDataFile::kRead, any, stored);
    } catch (const FileError& e) {
        return e.GetMessage();
    }
    return "";
}

class BinaryDataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestSupport::MakeTempDir("binary_data_file");
        CreateDirectoryA((root + "\\data").c_str(), nullptr);
        files.reset(new FileManager(root, true, "data", 0));
    }
    void TearDown() override
    {
        files.reset();
        TestSupport::RemoveTree(root);
    }
    std::string Path(const std::string& name) const { return root + "\\" + name; }

    std::string root;
    std::unique_ptr<FileManager> files;
};

} // namespace

TEST_F(BinaryDataFileTest, RoundTripAndHeaderBytes)
{
    {
        BinaryDataFile f("PZPRF", 105);
        f.Open("profiles\\a.prf", BinaryDataFile::kWrite); // the folder is made
        ASSERT_NE(f.GetFile(), nullptr);
        unsigned char body[20];
        for (int i = 0; i < 20; ++i)
            body[i] = static_cast<unsigned char>(i);
        f.GetFile()->Write(body, 20);
        f.GetFile()->WriteString("ab");
        // Nothing replaces the target before the container is closed.
        EXPECT_FALSE(TestSupport::FileExists(Path("profiles\\a.prf")));
        f.Close();
        EXPECT_EQ(f.GetFile(), nullptr);
        f.Close(); // a second close does nothing
    }
    Bytes expect = Image("PZPRF", 105, 20);
    expect.insert(expect.end(), {3, 'a', 'b', 0});
    expect[0] = 37;
    EXPECT_EQ(TestSupport::ReadFileBytes(Path("profiles\\a.prf")), expect);
    EXPECT_FALSE(TestSupport::FileExists(Path("profiles\\a.prf.tmp")));

    BinaryDataFile r("PZPRF", 105);
    r.Open("profiles\\a.prf", BinaryDataFile::kRead);
    unsigned char body[20];
    r.GetFile()->Read(body, 20);
    EXPECT_EQ(body[19], 19);
    std::string s;
    r.GetFile()->ReadString(s);
    EXPECT_EQ(s, "ab");
    // Reading past the body is the byte stream's error.
    try {
        r.GetFile()->Read(body, 1);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(e.GetMessage(), "Failed to read 1 bytes from \"" + Path("profiles\\a.prf") + "\" file");
    }
    r.Close();
    r.Close();
}

TEST_F(BinaryDataFileTest, TwentyByteBodyGivesThirtyThree)
{
    BinaryDataFile f("GFHSF", 101);
    f.Open("high_scores.hsf", BinaryDataFile::kWrite);
    Bytes body(20, 0xAB);
    f.GetFile()->Write(body.data(), 20);
    f.Close();
    Bytes b = TestSupport::ReadFileBytes(Path("high_scores.hsf"));
    ASSERT_EQ(b.size(), 33u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 13), Header(33, "GFHSF", 101));
}

TEST_F(BinaryDataFileTest, AWriterThatPatchesBackKeepsTheFullLength)
{
    BinaryDataFile f("VQPMF", 100);
    f.Open("list.pmf", BinaryDataFile::kWrite);
    uint32_t count = 0;
    f.GetFile()->Write(&count, 4);
    f.GetFile()->WriteString("one");
    f.GetFile()->WriteString("two");
    count = 2;
    f.GetFile()->Seek(0, 13);
    f.GetFile()->Write(&count, 4); // the writer now stands inside the file
    f.Close();
    Bytes b = TestSupport::ReadFileBytes(Path("list.pmf"));
    ASSERT_EQ(b.size(), 13u + 4 + 5 + 5);
    EXPECT_EQ(b[0], b.size());
    BinaryDataFile r("VQPMF", 100);
    r.Open("list.pmf", BinaryDataFile::kRead);
    r.GetFile()->Read(&count, 4);
    EXPECT_EQ(count, 2u);
}

TEST_F(BinaryDataFileTest, Refusals)
{
    TestSupport::WriteFileBytes(Path("good.prf"), Image("PZPRF", 105, 10));
    EXPECT_EQ(OpenError("good.prf"), "");

    TestSupport::WriteFileBytes(Path("magic.prf"), Image("PZPRX", 105, 10));
    EXPECT_EQ(OpenError("magic.prf"), "Incorrect \"magic.prf\" file format");

    Bytes cut = Image("PZPRF", 105, 10);
    cut.pop_back();
    TestSupport::WriteFileBytes(Path("cut.prf"), cut);
    EXPECT_EQ(OpenError("cut.prf"), "Incorrect \"cut.prf\" file format");
    Bytes longer = Image("PZPRF", 105, 10);
    longer.push_back(0);
    TestSupport::WriteFileBytes(Path("long.prf"), longer);
    EXPECT_EQ(OpenError("long.prf"), "Incorrect \"long.prf\" file format");

    TestSupport::WriteFileBytes(Path("old.prf"), Image("PZPRF", 100, 10));
    EXPECT_EQ(OpenError("old.prf"), "Incorrect \"old.prf\" format version (100), current is 105");
    uint32_t stored = 7;
    EXPECT_EQ(OpenError("old.prf", 105, false, &stored), "Incorrect \"old.prf\" format version (100), current is 105");
    EXPECT_EQ(stored, 7u);
    EXPECT_EQ(OpenError("old.prf", 105, true, &stored), "");
    EXPECT_EQ(stored, 100u);
    EXPECT_EQ(OpenError("old.prf", 105, true, nullptr), "");
    // The version check comes after the format check.
    TestSupport::WriteFileBytes(Path("both.prf"), Image("XXXXX", 100, 10));
    EXPECT_EQ(OpenError("both.prf"), "Incorrect \"both.prf\" file format");

    // Shorter than a header, empty, missing.
    TestSupport::WriteFileBytes(Path("tiny.prf"), Bytes{1, 2, 3});
    EXPECT_EQ(OpenError("tiny.prf"), "Failed to read 13 bytes from \"" + Path("tiny.prf") + "\" file");
    TestSupport::WriteFileBytes(Path("empty.prf"), Bytes{});
    EXPECT_EQ(OpenError("empty.prf"), "Failed to read 13 bytes from \"" + Path("empty.prf") + "\" file");
    EXPECT_EQ(OpenError("none.prf"), "Failed to open \"" + Path("none.prf") + "\" file");

    // A refused file is not open: nobody can read its body, and it is released
    // at once (it can be replaced while the container lives). The container
    // still opens the next file.
    for (const char* refused : {"magic.prf", "old.prf", "tiny.prf"}) {
        BinaryDataFile f("PZPRF", 105);
        EXPECT_THROW(f.Open(refused, BinaryDataFile::kRead), FileError) << refused;
        EXPECT_FALSE(f.IsOpen()) << refused;
        EXPECT_EQ(f.GetFile(), nullptr) << refused;
        EXPECT_TRUE(DeleteFileA(Path(refused).c_str())) << refused;
        f.Open("good.prf", BinaryDataFile::kRead);
        EXPECT_TRUE(f.IsOpen());
        EXPECT_EQ(f.GetFile()->GetPosition(), 13u);
    }
}

TEST_F(BinaryDataFileTest, AFailedSaveKeepsTheOldFile)
{
    Bytes old = Image("PZPRF", 105, 5);
    TestSupport::WriteFileBytes(Path("p.prf"), old);
    try {
        BinaryDataFile f("PZPRF", 105);
        f.Open("p.prf", BinaryDataFile::kWrite);
        f.GetFile()->WriteString("half a body");
        EXPECT_TRUE(TestSupport::FileExists(Path("p.prf.tmp")));
        throw std::runtime_error("writer failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(Path("p.prf")), old);
    EXPECT_FALSE(TestSupport::FileExists(Path("p.prf.tmp")));

    // A container left without Close() in the normal flow still saves.
    {
        BinaryDataFile f("PZPRF", 105);
        f.Open("p.prf", BinaryDataFile::kWrite);
        f.GetFile()->WriteString("x");
    }
    Bytes saved = TestSupport::ReadFileBytes(Path("p.prf"));
    EXPECT_EQ(saved.size(), 13u + 3);
    EXPECT_EQ(saved[0], 16);

    // Reopening closes (and so completes) the file open before.
    BinaryDataFile f("PZPRF", 105);
    f.Open("q.prf", BinaryDataFile::kWrite);
    f.Open("p.prf", BinaryDataFile::kRead);
    EXPECT_EQ(TestSupport::ReadFileBytes(Path("q.prf")), Image("PZPRF", 105, 0));
}

TEST_F(BinaryDataFileTest, ReadsFromAPack)
{
    Bytes img = Image("GFTPF", 101, 40);
    ASSERT_TRUE(WritePackFile(Path("data\\packs.pak"), {{"ui\\a.tpf", "", img}}));
    files.reset(new FileManager(root, true, "data", 0)); // streamed pack
    BinaryDataFile f("GFTPF", 101);
    f.Open("data\\ui\\a.tpf", BinaryDataFile::kRead);
    unsigned char body[40];
    f.GetFile()->Read(body, 40);
    EXPECT_EQ(body[39], 39);
    // A pack entry that is not a container is refused like a file.
    f.Close();
    files.reset();
    ASSERT_TRUE(WritePackFile(Path("data\\packs.pak"), {{"ui\\a.tpf", "", Bytes(40, 1)}}));
    files.reset(new FileManager(root, true, "data", 1 << 20)); // pack in memory
    EXPECT_EQ(OpenError("data\\ui\\a.tpf"), "Incorrect \"data\\ui\\a.tpf\" file format");
}

TEST_F(BinaryDataFileTest, WorksWithoutAFileManager)
{
    files.reset();
    BinaryDataFile f("GFHSF", 101);
    f.Open(Path("alone.hsf"), BinaryDataFile::kWrite);
    f.GetFile()->WriteString("z");
    f.Close();
    EXPECT_EQ(OpenError(Path("alone.hsf"), 101), "Incorrect \"" + Path("alone.hsf") + "\" file format"); // PZPRF expected
    BinaryDataFile r("GFHSF", 101);
    r.Open(Path("alone.hsf"), BinaryDataFile::kRead);
    std::string s;
    r.GetFile()->ReadString(s);
    EXPECT_EQ(s, "z");
}
