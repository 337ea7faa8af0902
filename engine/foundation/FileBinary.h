#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace KorvaneEngine {

// The engine's one byte stream. It reads a file on disk, a region of a pack
// file (sharing the pack's stream) or a block of memory through the same Read
// and Seek. Sources up to the caller's cache limit are read whole at opening so
// later reads are memory copies.
//
// Strings in every binary format are length-prefixed records: one byte
// n = characters + 1, then the n characters including the terminating zero
// (wide characters as little-endian UTF-16 units).
class FileBinary {
public:
    virtual ~FileBinary();

    // A relative name is taken from the program folder (never the current
    // directory). With memory given the object reads that block in place and
    // releases it (delete[] of uint8_t) when ownMemory is set. With packStream
    // given it reads size bytes at packOffset of that shared stream.
    // Throws FileError when a disk file cannot be opened or cached.
    FileBinary(const std::string& name, bool write, uint32_t cacheLimit = 0, uint32_t size = 0,
        void* memory = nullptr, bool ownMemory = true, FILE* packStream = nullptr, uint32_t packOffset = 0);

    FileBinary(const FileBinary&) = delete;
    FileBinary& operator=(const FileBinary&) = delete;

    // Copies up to count bytes. Without done, reading fewer than count bytes
    // throws FileError after the available bytes were copied.
    void Read(void* data, uint32_t count, uint32_t* done = nullptr);
    // Throws the FileError a short Read would give when fewer than count bytes
    // are left after the position: a reader checks a size a header declares
    // before allocating for it.
    void Require(uint64_t count) const;
    // Without done, a short write throws FileError.
    void Write(const void* data, uint32_t count, uint32_t* done = nullptr);
    // origin 0 from the start, 1 back from the end, 2 from the current position.
    // Returns true when the new position lies within the source; otherwise the
    // position is clamped (to the last byte when past it, 0 before the start).
    bool Seek(uint32_t origin, int32_t offset);

    void ReadString(std::string& out);
    void ReadWideString(std::wstring& out);
    // Texts longer than kMaxStringLength characters are cut to that length.
    void WriteString(const char* text);
    void WriteWideString(const wchar_t* text);
    void WriteWideString(const std::wstring& text);

    // Pushes buffered written bytes to the file; throws FileError when that
    // fails, so a writer can know its file is complete before relying on it.
    void Flush();

    const std::string& GetName() const { return name_; }
    uint32_t GetSize() const { return size_; }
    uint32_t GetPosition() const { return position_; }
    bool IsWriting() const { return writing_; }

    // The whole source is in memory (cached or given): its first byte, else null.
    const uint8_t* GetMemory() const { return memory_; }
    // The open stream (own or shared), or null when served from memory.
    FILE* GetStream() const { return stream_; }

    static const uint32_t kMaxStringLength = 254;

private:
    uint32_t BytesLeft() const { return position_ < size_ ? size_ - position_ : 0; }
    void CacheFromStream(uint64_t streamOffset);

    std::string name_;
    FILE* stream_ = nullptr;
    bool writing_ = false;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
    uint8_t* memory_ = nullptr;
    bool ownsMemory_ = true;
    bool sharedStream_ = false;
    uint32_t baseOffset_ = 0;
};

// Full path of a name as the file classes open it: a drive or network path
// unchanged, anything else under the program folder.
std::string FullFilePath(const std::string& name);

// Little-endian fields of the engine's binary formats; a short read throws
// FileError like Read without done.
uint32_t ReadU32(FileBinary& f);
float ReadF32(FileBinary& f);

} // namespace KorvaneEngine
