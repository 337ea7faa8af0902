#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Paths.h"

namespace KorvaneEngine {

class FileBinary;
class FileTextual;
class PackFile;

// The single entry point for opening game data by name. A loose file on disk
// always wins over a pack entry of the same name; listings merge disk and packs
// into one sorted view. Names beginning with the data folder ("data\...") are
// looked up in the packs with the data folder removed, lower-cased.
class FileManager : public GlobalPointerHolder<FileManager> {
public:
    virtual ~FileManager();
    // root empty: the program folder. With usePacks, the pack appended to the
    // program file and every "*.pak" under the data folder are opened; bad
    // packs are left out with an error in the log. Packs up to cacheLimit bytes
    // are held in memory.
    FileManager(const std::string& root, bool usePacks, const std::string& dataFolder, uint32_t cacheLimit);
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // A new FileBinary, owned by the caller, named by its full path. Writing
    // creates the missing folders. Throws FileError "Failed to open \"<full
    // path>\" file" when the name is neither on disk nor in a pack.
    FileBinary* OpenFile(const std::string& name, bool write, uint32_t cacheLimit);
    // A new FileTextual over OpenFile(name, mode != 0, 1 MiB), owned by the caller.
    FileTextual* OpenTextFile(const std::string& name, uint32_t mode, uint32_t encoding);

    // The name is an entry of some pack; the outputs (each may be null) say
    // where its bytes are, as PackFile::Locate.
    bool Locate(const std::string& name, uint32_t* size, const uint8_t** memory, bool* ownMemory, FILE** stream,
        uint32_t* offset) const;
    bool FileExists(const std::string& name) const;
    bool DirectoryExists(const std::string& name) const;
    // Sub-folder and file paths below folder ("<folder>\<name>", lower-cased),
    // disk and packs merged, sorted, each once. The file search takes the mask
    // on disk (descending only into folders whose names match it too) and as a
    // substring in the packs.
    void ListSubdirectories(const std::string& folder, std::vector<std::string>& out) const;
    void FindFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const;

    // The path OpenFile uses for a name: unchanged with a drive, else root\name.
    // Savers build their SafeSave from it.
    std::string GetFullPath(const std::string& name) const;
    const std::string& GetRoot() const { return root_; }
    const std::string& GetDataFolder() const { return dataFolder_; }
    size_t GetPackCount() const { return packs_.size(); }
    const PackFile* GetPack(size_t i) const { return i < packs_.size() ? packs_[i] : nullptr; }

private:
    void OpenAppendedPack(uint32_t cacheLimit);

    std::string root_;
    std::string dataFolder_;
    std::vector<PackFile*> packs_;
};

} // namespace KorvaneEngine
