#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace KorvaneEngine {
class FileBinary;
class SafeSave;
} // namespace KorvaneEngine

namespace GameTools {

// The signed container of the program's own binary files: a 13-byte header
// (u32 total length, five-character magic, u32 version; little-endian) before
// a body that the user reads or writes through GetFile(). Readers refuse a
// foreign, cut or outdated file before touching the body.
//
// Writing goes to a temporary file beside the target, renamed over it when
// Close() has completed the header, so a failed save leaves the old file as it
// was. A container destroyed while an exception unwinds discards its file.
class BinaryDataFile {
public:
    enum Mode : uint32_t { kRead = 0, kWrite = 1 };
    static const uint32_t kHeaderSize = 13;

    // The first five characters of magic (padded with zeros when shorter).
    BinaryDataFile(const std::string& magic, uint32_t version);
    ~BinaryDataFile();
    BinaryDataFile(const BinaryDataFile&) = delete;
    BinaryDataFile& operator=(const BinaryDataFile&) = delete;

    // Closes any open file, then opens path through the file manager. Reading
    // checks magic and length ("Incorrect \"<path>\" file format") and, unless
    // anyVersion, the version ("Incorrect \"<path>\" format version (<stored>),
    // current is <expected>"); with anyVersion the stored version goes to
    // *storedVersion when given. Throws FileError.
    void Open(const std::string& path, uint32_t mode, bool anyVersion = false, uint32_t* storedVersion = nullptr);
    // Writing: completes the header and replaces the target; throws FileError
    // when that fails (the target then stays as it was). Reading: releases the
    // file. Nothing when closed.
    void Close();
    KorvaneEngine::FileBinary* GetFile() const { return file_; }
    bool IsOpen() const { return file_ != nullptr; }

private:
    void WriteHeader(uint32_t totalLength);
    void Discard();

    char magic_[5];
    uint32_t version_;
    KorvaneEngine::FileBinary* file_ = nullptr;
    uint32_t mode_ = kRead;
    std::string path_;
    std::unique_ptr<KorvaneEngine::SafeSave> save_;
    int exceptionsAtOpen_ = 0;
};

} // namespace GameTools
