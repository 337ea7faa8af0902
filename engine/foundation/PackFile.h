#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace KorvaneEngine {

class FileBinary;

// One read-only pack: a "*.pak" file of its own, or a pack appended to the
// program file. The directory is read once; entry names are relative to the
// data folder and compared lower-cased. The layout is in PackWriter.h.
class PackFile {
public:
    virtual ~PackFile();
    // baseOffset: where the pack starts in its file. expectedSize: the pack's
    // size when known (an appended pack), 0 to check against the file's size.
    // Packs not larger than cacheLimit are read into memory whole. Throws
    // FileError "Incorrect pack file format" for a bad header or directory,
    // "Incorrect pack file version, current is 100" for another version.
    PackFile(const std::string& path, uint32_t baseOffset, uint32_t expectedSize, uint32_t cacheLimit);
    PackFile(const PackFile&) = delete;
    PackFile& operator=(const PackFile&) = delete;

    // Where an entry's bytes are: in memory (the cached pack, not owned by the
    // caller) or at offset of the pack's shared stream. Outputs unchanged and
    // false when the name is not an entry.
    bool Locate(const std::string& name, const uint8_t*& memory, bool& ownMemory, FILE*& stream,
        uint32_t& offset) const;
    bool GetEntrySize(const std::string& name, uint32_t& size) const;
    bool HasEntry(const std::string& name) const;
    // Some folder that directly holds entries contains the text.
    bool HasFolder(const std::string& text) const;
    // Appends the entries under folder, at any depth, whose name after the
    // folder contains the mask reduced to a plain substring ("*.xml" -> ".xml").
    void ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const;
    // Appends "<folder>\<sub>" once per entry lying directly in a subfolder.
    void ListSubfolders(const std::string& folder, std::vector<std::string>& out) const;

    const std::string& GetPath() const { return path_; }
    uint32_t GetBaseOffset() const { return baseOffset_; }
    const std::vector<std::string>& GetEntryNames() const { return entryNames_; }
    bool IsInMemory() const;

private:
    struct Entry {
        uint32_t offset;
        uint32_t size;
    };

    std::string path_;
    uint32_t baseOffset_;
    FileBinary* file_ = nullptr;
    std::map<std::string, Entry> entries_;
    std::vector<std::string> entryNames_;
    std::vector<std::string> folderNames_;
};

} // namespace KorvaneEngine
