#pragma once
// Shared by the tests of the player files (profiles, the profile list, the
// high scores) and of the progression and catalogue: the log, the file
// manager, and a user data folder of the test's own under the real
// application-data folder, cleared before and after.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "support/TestSupport.h"

namespace PlayerFilesTest {

using Bytes = std::vector<unsigned char>;

// The company folder every such test uses; the title is the test program's
// own name, so test programs running side by side never share a folder.
inline std::string Company() { return "Pelloria Tests"; }

struct Services {
    std::unique_ptr<KorvaneEngine::MessageManager> ownLog;
    KorvaneEngine::MessageManager* log = nullptr;
    std::unique_ptr<KorvaneEngine::FileManager> files;
    std::string root;     // program folder of the file manager
    std::string userData; // <app data>\<company>\<title>\default

    // With makeLog false the log already running (a device test's) is used.
    void Start(const std::string& name, bool makeLog = true)
    {
        if (makeLog)
            ownLog.reset(new KorvaneEngine::MessageManager("Player files test", false, false, "", ""));
        log = KorvaneEngine::MessageManager::Instance();
        ASSERT_NE(log, nullptr);
        log->SetLineSpacing(false);
        root = TestSupport::MakeTempDir(name);
        CreateDirectoryA((root + "\\data").c_str(), nullptr);
        const std::string appData = KorvaneEngine::GetAppDataFolder();
        ASSERT_FALSE(appData.empty());
        userData = appData + "\\" + Company() + "\\" + TestSupport::ExecutableName() + "\\default";
        TestSupport::RemoveTree(userData);
        KorvaneEngine::CreateDirectories(userData + "\\");
        ASSERT_TRUE(KorvaneEngine::DiskFileExists(userData));
        OpenFiles();
    }
    // A file manager over the program folder; again after the data changed
    // (packs are found when it is made).
    void OpenFiles(bool usePacks = true)
    {
        files.reset();
        files.reset(new KorvaneEngine::FileManager(root, usePacks, "data", 0));
    }
    void Stop()
    {
        files.reset();
        if (!userData.empty()) {
            TestSupport::RemoveTree(userData);
            // The title folder too, when nothing else is in it.
            RemoveDirectoryA(KorvaneEngine::GetDirectory(userData).c_str());
        }
        if (!root.empty())
            TestSupport::RemoveTree(root);
        root.clear();
        userData.clear();
        ownLog.reset();
        log = nullptr;
    }
    ~Services() { Stop(); }

    std::string User(const std::string& name) const { return userData + "\\" + name; }
    std::string Data(const std::string& name) const { return root + "\\data\\" + name; }
    void PutData(const std::string& name, const std::string& text)
    {
        KorvaneEngine::CreateDirectories(Data(name));
        ASSERT_TRUE(TestSupport::WriteFileText(Data(name), text)) << name;
    }

    int Count(uint32_t level) const
    {
        int n = 0;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            n += log->GetHistoryRecord(i)->level == level;
        return n;
    }
    int Errors() const { return Count(3); }
    // Records of a level whose text contains part.
    int CountWith(uint32_t level, const std::string& part) const
    {
        int n = 0;
        for (int i = 0; i < log->GetHistorySize(); ++i) {
            const KorvaneEngine::LogRecord* r = log->GetHistoryRecord(i);
            n += r->level == level && r->text.find(part) != std::string::npos;
        }
        return n;
    }
    std::string Dump() const
    {
        std::string all;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            all += std::to_string(log->GetHistoryRecord(i)->level) + ": " + log->GetHistoryRecord(i)->text + "\n";
        return all;
    }
};

// Files (not folders) directly in a folder, by name, sorted.
inline std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..")
            names.push_back((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? n + "\\" : n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// The copies kept aside of the file at path (".bad", ".bad.1", ...), as
// ListFiles names them.
inline std::vector<std::string> AsideCopies(const std::string& path)
{
    const std::string stem = KorvaneEngine::GetFileName(path) + ".bad";
    std::vector<std::string> names;
    for (const std::string& n : ListFiles(KorvaneEngine::GetDirectory(path)))
        if (n.compare(0, stem.size(), stem) == 0)
            names.push_back(n);
    return names;
}

inline void RemoveAsideCopies(const std::string& path)
{
    const std::string folder = KorvaneEngine::GetDirectory(path) + "\\";
    for (const std::string& n : AsideCopies(path))
        if (n.back() == '\\')
            RemoveDirectoryA((folder + n).c_str());
        else
            DeleteFileA((folder + n).c_str());
}

inline uint32_t U32At(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

inline void PutU32At(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace PlayerFilesTest

namespace PlayerFilesTest {

// Builds container images by hand, for files the program would never write.
struct Image {
    Bytes b;
    Image(const char* magic, uint32_t version)
    {
        U32(0);
        for (int i = 0; i < 5; ++i)
            b.push_back(static_cast<unsigned char>(magic[i]));
        U32(version);
    }
    Image& U8(uint8_t v)
    {
        b.push_back(v);
        return *this;
    }
    Image& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<unsigned char>(v >> (8 * i)));
        return *this;
    }
    Image& F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    Image& WString(const std::wstring& s)
    {
        b.push_back(static_cast<unsigned char>(s.size() + 1));
        for (wchar_t c : s) {
            b.push_back(static_cast<unsigned char>(c & 0xFF));
            b.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        }
        b.push_back(0);
        b.push_back(0);
        return *this;
    }
    // The header's length made right.
    Bytes Done() const
    {
        Bytes out = b;
        PutU32At(out, 0, static_cast<uint32_t>(out.size()));
        return out;
    }
};

} // namespace PlayerFilesTest
