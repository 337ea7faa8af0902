#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/PackFile.h"
#include "engine/foundation/PackWriter.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;
using Strings = std::vector<std::string>;

namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string ReadAllOf(FileBinary* file)
{
    std::unique_ptr<FileBinary> owned(file);
    std::string text(file->GetSize(), '\0');
    if (!text.empty())
        file->Read(&text[0], file->GetSize());
    return text;
}

int CountErrors(const MessageManager& log)
{
    int n = 0;
    for (int i = 0; i < log.GetHistorySize(); ++i)
        n += log.GetHistoryRecord(i)->level == 3;
    return n;
}

// A game folder: loose files under data\ and packs beside them.
class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestSupport::MakeTempDir("file_manager");
        CreateDirectoryA((root + "\\data").c_str(), nullptr);
        CreateDirectories(root + "\\data\\ui\\windows\\");
        TestSupport::WriteFileText(root + "\\data\\ui\\a.xml", "loose a");
        TestSupport::WriteFileText(root + "\\data\\ui\\windows\\w1.xml", "loose w1");
        TestSupport::WriteFileText(root + "\\data\\ui\\windows\\w3.xml", "loose w3");
        ASSERT_TRUE(WritePackFile(root + "\\data\\base.pak",
            {{"ui\\a.xml", "", B("pack a")}, {"UI\\B.xml", "", B("pack b")},
                {"ui\\windows\\w1.xml", "", B("pack w1")}, {"ui\\windows\\w2.xml", "", B("pack w2")},
                {"ui\\fonts\\deep\\f.fnt", "", B("font")}, {"sounds\\s.wav", "", B(std::string(5000, 's'))},
                {"sounds\\t.wav", "", B(std::string(3000, 't'))}}));
        // A second pack: for names both hold, the first in name order wins.
        ASSERT_TRUE(WritePackFile(root + "\\data\\extra.pak", {{"ui\\b.xml", "", B("extra b")}, {"x.txt", "", B("x")}}));
        log.reset(new MessageManager("test", false, false, "", ""));
    }
    void TearDown() override
    {
        manager.reset();
        log.reset();
        TestSupport::RemoveTree(root);
    }
    FileManager& Make(uint32_t cacheLimit = 0, bool usePacks = true, const std::string& data = "data")
    {
        manager.reset();
        manager.reset(new FileManager(root, usePacks, data, cacheLimit));
        return *manager;
    }
    std::string root;
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<FileManager> manager;
};

class FileManagerCaching : public FileManagerTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(FileManagerCaching, LooseFilesWinOverPackEntries)
{
    FileManager& fm = Make(GetParam());
    EXPECT_EQ(&fm, FileManager::Instance());
    ASSERT_EQ(2u, fm.GetPackCount());
    EXPECT_EQ(GetParam() > 0, fm.GetPack(0)->IsInMemory());
    EXPECT_EQ("loose a", ReadAllOf(fm.OpenFile("data\\ui\\a.xml", false, 0)));
    EXPECT_EQ("loose w1", ReadAllOf(fm.OpenFile("data\\ui\\windows\\w1.xml", false, 1024)));
    EXPECT_EQ("pack w2", ReadAllOf(fm.OpenFile("data\\ui\\windows\\w2.xml", false, 0)));
    EXPECT_EQ("pack b", ReadAllOf(fm.OpenFile("data\\ui\\b.xml", false, 0)));
    EXPECT_EQ("x", ReadAllOf(fm.OpenFile("data\\x.txt", false, 0)));
    DeleteFileA((root + "\\data\\ui\\a.xml").c_str());
    EXPECT_EQ("pack a", ReadAllOf(fm.OpenFile("data\\ui\\a.xml", false, 0)));
}

TEST_P(FileManagerCaching, PackNamesFoldCaseButNotSlashes)
{
    FileManager& fm = Make(GetParam());
    std::unique_ptr<FileBinary> f(fm.OpenFile("DATA\\UI\\B.XML", false, 0));
    EXPECT_EQ(root + "\\DATA\\UI\\B.XML", f->GetName());
    EXPECT_EQ("pack b", ReadAllOf(f.release()));
    EXPECT_EQ("pack w2", ReadAllOf(fm.OpenFile("data\\\\ui\\\\windows\\\\w2.xml", false, 0)));
    try {
        delete fm.OpenFile("data/ui/b.xml", false, 0);
        FAIL() << "forward slashes found a pack entry";
    } catch (const FileError& e) {
        EXPECT_EQ("Failed to open \"" + root + "\\data/ui/b.xml\" file", e.GetMessage());
    }
    EXPECT_THROW(delete fm.OpenFile("ui\\b.xml", false, 0), FileError); // not under the data folder
    uint32_t size = 0;
    EXPECT_TRUE(fm.Locate("data\\sounds\\s.wav", &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(5000u, size);
    EXPECT_FALSE(fm.Locate("data\\sounds\\none.wav", &size, nullptr, nullptr, nullptr, nullptr));
}

TEST_P(FileManagerCaching, EntriesOfOneStreamedPackReadInterleaved)
{
    FileManager& fm = Make(GetParam());
    std::unique_ptr<FileBinary> s(fm.OpenFile("data\\sounds\\s.wav", false, 0));
    std::unique_ptr<FileBinary> t(fm.OpenFile("data\\sounds\\t.wav", false, 0));
    std::string a(100, '\0'), b(100, '\0');
    for (int i = 0; i < 30; ++i) {
        s->Read(&a[0], 100);
        t->Read(&b[0], 100);
        ASSERT_EQ(std::string(100, 's'), a);
        ASSERT_EQ(std::string(100, 't'), b);
    }
    uint32_t done = 0;
    t->Read(&b[0], 100, &done);
    EXPECT_EQ(0u, done);
    // With a cache limit of its own the entry is copied into memory.
    std::unique_ptr<FileBinary> c(fm.OpenFile("data\\sounds\\t.wav", false, 1 << 20));
    EXPECT_NE(nullptr, c->GetMemory());
}

INSTANTIATE_TEST_SUITE_P(CachedAndStreamed, FileManagerCaching, ::testing::Values(0u, 1u << 24));

TEST_F(FileManagerTest, ExistenceAndListingsMergeDiskAndPacks)
{
    FileManager& fm = Make();
    EXPECT_TRUE(fm.FileExists("data\\ui\\a.xml"));
    EXPECT_TRUE(fm.FileExists("data\\ui\\windows\\w2.xml"));
    EXPECT_FALSE(fm.FileExists("data\\ui\\windows\\w9.xml"));
    EXPECT_TRUE(fm.DirectoryExists("data\\ui\\windows"));
    EXPECT_TRUE(fm.DirectoryExists("data\\fonts")); // a pack folder containing it
    EXPECT_TRUE(fm.DirectoryExists("data\\sounds"));
    EXPECT_FALSE(fm.DirectoryExists("data\\music"));

    Strings out = {"stale"};
    fm.FindFiles("data\\ui\\windows", "*.xml", out);
    EXPECT_EQ((Strings{"data\\ui\\windows\\w1.xml", "data\\ui\\windows\\w2.xml", "data\\ui\\windows\\w3.xml"}), out);
    fm.FindFiles("data\\ui", "*.fnt", out);
    EXPECT_EQ((Strings{"data\\ui\\fonts\\deep\\f.fnt"}), out);
    fm.FindFiles("data\\sounds", "*", out);
    EXPECT_EQ((Strings{"data\\sounds\\s.wav", "data\\sounds\\t.wav"}), out);

    // "fonts" holds only a deeper folder, no entries of its own: not reported.
    fm.ListSubdirectories("data\\ui", out);
    EXPECT_EQ((Strings{"data\\ui\\windows"}), out);
    CreateDirectoryA((root + "\\data\\ui\\Skins").c_str(), nullptr);
    fm.ListSubdirectories("data\\ui", out);
    EXPECT_EQ((Strings{"data\\ui\\skins", "data\\ui\\windows"}), out);
    fm.ListSubdirectories("data\\ui\\fonts", out);
    EXPECT_EQ((Strings{"data\\ui\\fonts\\deep"}), out);
    // Absolute folders are searched on disk as given.
    fm.FindFiles(root + "\\data\\ui\\windows", "*.xml", out);
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ("w1.xml", GetFileName(out[0]));
}

TEST_F(FileManagerTest, WithoutPacksOnlyTheDiskCounts)
{
    FileManager& fm = Make(0, false);
    EXPECT_EQ(0u, fm.GetPackCount());
    EXPECT_FALSE(fm.FileExists("data\\ui\\b.xml"));
    EXPECT_THROW(delete fm.OpenFile("data\\ui\\b.xml", false, 0), FileError);
    EXPECT_EQ("loose a", ReadAllOf(fm.OpenFile("data\\ui\\a.xml", false, 0)));
}

TEST_F(FileManagerTest, BadPacksAreLeftOutWithAnError)
{
    TestSupport::WriteFileBytes(root + "\\data\\broken.pak", B("KEPAK but nothing else here"));
    Bytes cut = TestSupport::ReadFileBytes(root + "\\data\\extra.pak");
    cut.resize(cut.size() - 1);
    TestSupport::WriteFileBytes(root + "\\data\\cut.pak", cut);
    FileManager& fm = Make();
    EXPECT_EQ(2u, fm.GetPackCount());
    EXPECT_EQ(2, CountErrors(*log));
    EXPECT_EQ("pack b", ReadAllOf(fm.OpenFile("data\\ui\\b.xml", false, 0)));
}

TEST_F(FileManagerTest, PackSearchDescendsOnlyIntoFoldersMatchingTheMask)
{
    CreateDirectories(root + "\\data\\sub\\");
    CreateDirectories(root + "\\data\\more.pak\\");
    ASSERT_TRUE(WritePackFile(root + "\\data\\sub\\hidden.pak", {{"h.txt", "", B("h")}}));
    ASSERT_TRUE(WritePackFile(root + "\\data\\more.pak\\found.pak", {{"f.txt", "", B("f")}}));
    FileManager& fm = Make();
    EXPECT_EQ(3u, fm.GetPackCount());
    EXPECT_TRUE(fm.FileExists("data\\f.txt"));
    EXPECT_FALSE(fm.FileExists("data\\h.txt"));
}

TEST_F(FileManagerTest, WritingCreatesFoldersAndTextGoesThroughTheLookup)
{
    FileManager& fm = Make();
    {
        std::unique_ptr<FileBinary> out(fm.OpenFile("data\\new\\deep\\f.bin", true, 0));
        out->Write("abc", 3);
    }
    EXPECT_EQ(B("abc"), TestSupport::ReadFileBytes(root + "\\data\\new\\deep\\f.bin"));
    {
        std::unique_ptr<FileTextual> text(fm.OpenTextFile("data\\new\\t.txt", 1, FileTextual::kUtf8));
        text->Write("k v");
        text->WriteNewLine();
    }
    std::unique_ptr<FileTextual> in(fm.OpenTextFile("data\\ui\\windows\\w2.xml", 0, 0));
    std::wstring all;
    in->ReadAll(all, false);
    EXPECT_EQ(L"pack w2", all);
    std::unique_ptr<FileTextual> back(fm.OpenTextFile("data\\new\\t.txt", 0, 0));
    EXPECT_EQ(FileTextual::kUtf8, back->GetEncoding());
    EXPECT_EQ(root + "\\data\\new\\t.txt", fm.GetFullPath("data\\new\\t.txt"));
    EXPECT_EQ("c:\\x", fm.GetFullPath("c:\\x"));
}

TEST_F(FileManagerTest, EmptyRootIsTheProgramFolder)
{
    manager.reset(new FileManager("", false, "Data\\", 0));
    EXPECT_EQ(GetExecutableDirectory(), manager->GetRoot());
    EXPECT_EQ("data\\", manager->GetDataFolder());
    EXPECT_TRUE(manager->FileExists("tmp_file_manager\\data\\ui\\a.xml"));
}

// The copy of this program with a pack appended runs this test as a child.
TEST(AppendedPackChild, ReadsThePackOfItsOwnProgramFile)
{
    const char* expect = std::getenv("PELLORIA_APPENDED_PACK");
    if (!expect)
        GTEST_SKIP() << "runs only inside a program copy with a pack";
    MessageManager log("child", false, false, "", "");
    FileManager fm("", true, "data", std::atoi(std::getenv("PELLORIA_CACHE_LIMIT")));
    if (std::string(expect) == "none") {
        EXPECT_EQ(0u, fm.GetPackCount());
        EXPECT_EQ(1, CountErrors(log));
        return;
    }
    ASSERT_EQ(1u, fm.GetPackCount());
    EXPECT_EQ("inside the program", ReadAllOf(fm.OpenFile("data\\ui\\inside.txt", false, 0)));
    EXPECT_EQ(std::string(100000, 'z'), ReadAllOf(fm.OpenFile("data\\big.bin", false, 0)));
    Strings out;
    fm.FindFiles("data\\ui", "*.txt", out);
    EXPECT_EQ((Strings{"data\\ui\\inside.txt"}), out);
}

DWORD RunChild(const std::string& program, const std::string& expect, uint32_t cacheLimit)
{
    SetEnvironmentVariableA("PELLORIA_APPENDED_PACK", expect.c_str());
    SetEnvironmentVariableA("PELLORIA_CACHE_LIMIT", std::to_string(cacheLimit).c_str());
    std::string command = "\"" + program + "\" --gtest_filter=AppendedPackChild.*";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
        &startup, &process);
    SetEnvironmentVariableA("PELLORIA_APPENDED_PACK", nullptr);
    SetEnvironmentVariableA("PELLORIA_CACHE_LIMIT", nullptr);
    if (!started)
        return 9999;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 9998;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(AppendedPack, AProgramCopyReadsItsAppendedPack)
{
    std::string dir = TestSupport::MakeTempDir("appended_pack");
    ASSERT_TRUE(WritePackFile(dir + "\\content.pak",
        {{"UI\\Inside.txt", "", B("inside the program")}, {"big.bin", "", B(std::string(100000, 'z'))}}));
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(AppendPackToProgram(self, dir + "\\content.pak", dir + "\\game.exe"));
    EXPECT_EQ(0u, RunChild(dir + "\\game.exe", "entry", 0));
    EXPECT_EQ(0u, RunChild(dir + "\\game.exe", "entry", 1u << 30)); // the whole program file cached

    // A trailer whose size does not match the pack is refused, and the program runs on.
    Bytes bytes = TestSupport::ReadFileBytes(dir + "\\game.exe");
    bytes[bytes.size() - 7] ^= 1;
    TestSupport::WriteFileBytes(dir + "\\bad.exe", bytes);
    EXPECT_EQ(0u, RunChild(dir + "\\bad.exe", "none", 0));
    // A size larger than the whole file.
    bytes[bytes.size() - 4] = 0x7F;
    TestSupport::WriteFileBytes(dir + "\\huge.exe", bytes);
    EXPECT_EQ(0u, RunChild(dir + "\\huge.exe", "none", 0));
    TestSupport::RemoveTree(dir);
}

TEST(Paths, NamesAndExtensions)
{
    EXPECT_EQ("c:\\x.txt", GetDataPath("c:\\x.txt"));
    EXPECT_EQ("data\\ui\\a.xml", GetDataPath("ui\\a.xml"));
    EXPECT_EQ("ui\\a.xml", RemoveDataPrefix("data\\ui\\a.xml"));
    EXPECT_EQ("DATA\\ui", RemoveDataPrefix("DATA\\ui"));
    EXPECT_EQ("c:\\data\\x", RemoveDataPrefix("c:\\data\\x"));
    EXPECT_EQ("noslash", GetFileName("noslash"));
    EXPECT_EQ("", GetDirectory("noslash"));
    EXPECT_EQ("c.txt", GetFileName("a\\b\\c.txt"));
    EXPECT_EQ("a\\b", GetDirectory("a\\b\\c.txt"));
    EXPECT_EQ("txt", GetExtension("a.b\\c.txt"));
    EXPECT_EQ("", GetExtension("abc"));
    EXPECT_TRUE(HasExtension("A.XmL", "xml"));
    EXPECT_FALSE(HasExtension("a.xml2", "xml"));

    std::string p = "a.b\\file";
    ChangeExtension(p, "xml");
    EXPECT_EQ("a.xml", p); // the last dot of the whole path counts
    p = "file";
    ChangeExtension(p, "");
    EXPECT_EQ("file", p);
    ChangeExtension(p, "srf");
    EXPECT_EQ("file.srf", p);
    p = "model.kemlf";
    ChangeExtension(p, "srf");
    EXPECT_EQ("model.srf", p);
    ChangeExtension(p, "");
    EXPECT_EQ("model", p);

    EXPECT_EQ("z:\\a", MakeAbsolute("z:\\a"));
    EXPECT_EQ(GetExecutableDirectory() + "\\a\\b", MakeAbsolute("a\\b"));
}

TEST(Paths, CombineFoldsParentFolders)
{
    EXPECT_EQ("data\\models\\a", CombinePath("data\\ui", "..\\models\\a"));
    EXPECT_EQ("data\\ui\\x", CombinePath("data\\ui\\", "x"));
    EXPECT_EQ("x", CombinePath("", "x"));
    EXPECT_EQ("", CombinePath("a", ""));
    EXPECT_EQ("a\\c", CombinePath("a\\b", "..\\c"));
    EXPECT_EQ("y", CombinePath("x", "..\\y"));
    EXPECT_EQ("a\\d", CombinePath("a\\b\\c", "..\\..\\d"));
    EXPECT_EQ("..\\y", CombinePath("..", "y"));
    EXPECT_EQ("a", CombinePath("a\\b", ".."));
}

TEST(Paths, DiskFoldersAndFiles)
{
    std::string dir = TestSupport::MakeTempDir("paths");
    CreateDirectories("tmp_paths\\one\\two\\file.txt");
    EXPECT_TRUE(DiskFileExists("tmp_paths\\one\\two"));
    EXPECT_FALSE(DiskFileExists("tmp_paths\\one\\two\\file.txt"));
    EXPECT_TRUE(DiskFileExists(dir + "\\one"));
    CreateDirectories("tmp_paths/three\\four/file.txt");
    EXPECT_TRUE(DiskFileExists(dir + "\\three\\four"));
    CreateDirectories(dir + "\\five\\six\\"); // a full path, ending in its folder
    EXPECT_TRUE(DiskFileExists(dir + "\\five\\six"));
    EXPECT_FALSE(DiskFileExists(""));
    TestSupport::RemoveTree(dir);

    std::string appData = GetAppDataFolder();
    ASSERT_FALSE(appData.empty());
    EXPECT_TRUE(DiskFileExists(appData));
}

TEST(Paths, DeleteDirectoryTreeOnlyInsideUserData)
{
    MessageManager log("paths", false, false, "", "");
    std::string mine = GetAppDataFolder() + "\\Pelloria Test Company";
    CreateDirectories(mine + "\\Game\\profiles\\deep\\");
    TestSupport::WriteFileText(mine + "\\Game\\profiles\\deep\\p.prf", "x");
    TestSupport::WriteFileText(mine + "\\Game\\profiles\\a.prf", "x");
    EXPECT_TRUE(DeleteDirectoryTree(mine + "\\Game\\profiles"));
    EXPECT_FALSE(DiskFileExists(mine + "\\Game\\profiles"));
    EXPECT_TRUE(DiskFileExists(mine + "\\Game"));

    std::string outside = TestSupport::MakeTempDir("not_user_data");
    TestSupport::WriteFileText(outside + "\\keep.txt", "keep");
    int refusals = 0;
    for (const std::string& path : {std::string(), std::string("c:\\"), std::string("C:"), GetExecutableDirectory(),
             GetExecutableDirectory() + "\\..", outside, std::string("tmp_not_user_data"), GetAppDataFolder(),
             GetAppDataFolder() + "\\", mine + "\\..\\..\\..", std::string("\\\\server\\share")}) {
        EXPECT_FALSE(DeleteDirectoryTree(path)) << path;
        ++refusals;
    }
    EXPECT_TRUE(TestSupport::FileExists(outside + "\\keep.txt"));
    EXPECT_TRUE(DiskFileExists(GetAppDataFolder()));
    EXPECT_EQ(refusals, CountErrors(log));
    EXPECT_TRUE(DeleteDirectoryTree(mine));
    EXPECT_FALSE(DiskFileExists(mine));
    TestSupport::RemoveTree(outside);
}

} // namespace
