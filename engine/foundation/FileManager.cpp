#include "engine/foundation/FileManager.h"

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/PackFile.h"
#include "engine/foundation/PackWriter.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const uint32_t kTextCacheLimit = 1048576;

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

std::string WithoutBackslash(std::string folder)
{
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string ProgramPath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size() || buffer.size() >= 32768)
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

bool IsDots(const char* name) { return std::string(name) == "." || std::string(name) == ".."; }

// Sub-folders of the folder at path; reported as "<shown>\<name>", lower-cased.
void DiskFolders(const std::string& path, const std::string& shown, std::vector<std::string>& out)
{
    _finddata_t found;
    intptr_t search = _findfirst((WithoutBackslash(FullFilePath(path)) + "\\*.*").c_str(), &found);
    if (search == -1)
        return;
    do {
        if ((found.attrib & _A_SUBDIR) && !IsDots(found.name))
            out.push_back(ToLowerCopy(Join(shown, found.name)));
    } while (_findnext(search, &found) == 0);
    _findclose(search);
}

// Files matching mask in the folder at path, and in its sub-folders whose own
// names match the mask, reported below shown, lower-cased.
void DiskFiles(const std::string& path, const std::string& shown, const std::string& mask, std::vector<std::string>& out)
{
    const std::string absolute = WithoutBackslash(FullFilePath(path));
    _finddata_t found;
    intptr_t search = _findfirst((absolute + "\\" + mask).c_str(), &found);
    if (search == -1)
        return;
    std::vector<std::string> folders;
    do {
        if (!(found.attrib & _A_SUBDIR))
            out.push_back(ToLowerCopy(Join(shown, found.name)));
        else if (!IsDots(found.name))
            folders.push_back(found.name);
    } while (_findnext(search, &found) == 0);
    _findclose(search);
    for (const std::string& folder : folders)
        DiskFiles(absolute + "\\" + folder, Join(shown, folder), mask, out);
}

void SortUnique(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

} // namespace

FileManager::FileManager(const std::string& root, bool usePacks, const std::string& dataFolder, uint32_t cacheLimit)
{
    Instance(this);
    LogMessageIfOpen("Initialization of File Manager...");
    root_ = root.empty() ? GetExecutableDirectory() : root;

    if (usePacks)
        OpenAppendedPack(cacheLimit);

    dataFolder_ = ToLowerCopy(dataFolder);
    if (!dataFolder_.empty() && dataFolder_.back() != '\\')
        dataFolder_ += '\\';

    if (usePacks) {
        std::vector<std::string> found;
        DiskFiles(Join(root_, dataFolder_), Join(root_, dataFolder_), "*.pak", found);
        // The order decides which pack wins for a name they share: make it the
        // same on every file system.
        std::sort(found.begin(), found.end());
        for (const std::string& path : found) {
            try {
                packs_.push_back(new PackFile(path, 0, 0, cacheLimit));
            } catch (const Error& e) {
                LogErrorIfOpen("Pack file " + path + " left out: " + e.GetMessage());
            }
        }
    }
}

void FileManager::OpenAppendedPack(uint32_t cacheLimit)
{
    const std::string program = ProgramPath();
    if (program.empty())
        return;
    uint32_t length = 0, size = 0;
    try {
        FileBinary file(program, false, 0);
        length = file.GetSize();
        if (length < PackFormat::kTrailerSize)
            return;
        char magic[3];
        file.Seek(1, 3);
        file.Read(magic, 3);
        if (magic[0] != 'A' || magic[1] != 'P' || magic[2] != 'C')
            return;
        uint8_t bytes[4];
        file.Seek(1, PackFormat::kTrailerSize);
        file.Read(bytes, 4);
        size = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    } catch (const Error&) {
        return; // the program file cannot be read: no appended pack
    }
    if (size > length - PackFormat::kTrailerSize) {
        LogErrorIfOpen("Pack appended to " + program + " left out: Incorrect pack file format");
        return;
    }
    try {
        packs_.push_back(new PackFile(program, length - size - PackFormat::kTrailerSize, size, cacheLimit));
    } catch (const Error& e) {
        LogErrorIfOpen("Pack appended to " + program + " left out: " + e.GetMessage());
    }
}

FileManager::~FileManager()
{
    DeleteAll(packs_);
    ResetInstance(this);
}

std::string FileManager::GetFullPath(const std::string& name) const
{
    if (name.size() >= 2 && name[1] == ':')
        return name;
    return root_ + "\\" + name;
}

bool FileManager::Locate(const std::string& name, uint32_t* size, const uint8_t** memory, bool* ownMemory,
    FILE** stream, uint32_t* offset) const
{
    std::string key = ToLowerCopy(name);
    ReplaceAll(key, "\\\\", "\\");
    if (!StartsWith(key, dataFolder_))
        return false;
    key.erase(0, dataFolder_.size());
    for (const PackFile* pack : packs_) {
        uint32_t entrySize = 0;
        if (!pack->GetEntrySize(key, entrySize))
            continue;
        const uint8_t* entryMemory = nullptr;
        bool entryOwned = false;
        FILE* entryStream = nullptr;
        uint32_t entryOffset = 0;
        pack->Locate(key, entryMemory, entryOwned, entryStream, entryOffset);
        if (size)
            *size = entrySize;
        if (memory)
            *memory = entryMemory;
        if (ownMemory)
            *ownMemory = entryOwned;
        if (stream)
            *stream = entryStream;
        if (offset)
            *offset = entryOffset;
        return true;
    }
    return false;
}

FileBinary* FileManager::OpenFile(const std::string& name, bool write, uint32_t cacheLimit)
{
    const std::string path = GetFullPath(name);
    if (write) {
        CreateDirectories(path);
        return new FileBinary(path, true);
    }
    if (DiskFileExists(path))
        return new FileBinary(path, false, cacheLimit);
    uint32_t size = 0, offset = 0;
    const uint8_t* memory = nullptr;
    bool ownMemory = false;
    FILE* stream = nullptr;
    if (Locate(name, &size, &memory, &ownMemory, &stream, &offset)) {
        if (memory)
            return new FileBinary(path, false, cacheLimit, size, const_cast<uint8_t*>(memory), false);
        return new FileBinary(path, false, cacheLimit, size, nullptr, true, stream, offset);
    }
    return new FileBinary(path, false, cacheLimit); // throws "Failed to open"
}

FileTextual* FileManager::OpenTextFile(const std::string& name, uint32_t mode, uint32_t encoding)
{
    std::unique_ptr<FileBinary> file(OpenFile(name, mode != 0, kTextCacheLimit));
    FileTextual* text = new FileTextual(file.get(), mode, encoding);
    file.release();
    return text;
}

bool FileManager::FileExists(const std::string& name) const
{
    return DiskFileExists(GetFullPath(name)) || Locate(name, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool FileManager::DirectoryExists(const std::string& name) const
{
    if (DiskFileExists(GetFullPath(name)))
        return true;
    if (!StartsWith(name, dataFolder_))
        return false;
    const std::string rest = name.substr(dataFolder_.size());
    for (const PackFile* pack : packs_)
        if (pack->HasFolder(rest))
            return true;
    return false;
}

void FileManager::ListSubdirectories(const std::string& folder, std::vector<std::string>& out) const
{
    std::vector<std::string> result;
    const std::string path = folder.find(':') != std::string::npos ? folder : Join(root_, folder);
    DiskFolders(path, folder, result);
    if (StartsWith(folder, dataFolder_)) {
        std::vector<std::string> inPacks;
        for (const PackFile* pack : packs_)
            pack->ListSubfolders(folder.substr(dataFolder_.size()), inPacks);
        for (const std::string& name : inPacks)
            result.push_back(dataFolder_ + name);
    }
    SortUnique(result);
    out.swap(result);
}

void FileManager::FindFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const
{
    std::vector<std::string> result;
    const std::string path = folder.find(':') != std::string::npos ? folder : Join(root_, folder);
    DiskFiles(path, folder, mask, result);
    if (StartsWith(folder, dataFolder_)) {
        std::vector<std::string> inPacks;
        for (const PackFile* pack : packs_)
            pack->ListFiles(folder.substr(dataFolder_.size()), mask, inPacks);
        for (const std::string& name : inPacks)
            result.push_back(dataFolder_ + name);
    }
    SortUnique(result);
    out.swap(result);
}

} // namespace KorvaneEngine
