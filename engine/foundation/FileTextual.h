#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KorvaneEngine {

class FileBinary;

// Line-oriented text over a FileBinary. On reading the encoding is recognised
// by its byte-order mark alone; lines are handed out narrow or wide whatever
// the file holds. Line ends are CR LF, LF or CR alone.
class FileTextual {
public:
    enum Mode : uint32_t { kRead = 0, kWrite = 1 };
    enum Encoding : uint32_t { kAnsi = 0, kUtf16BigEndian = 1, kUtf16LittleEndian = 2, kUtf8 = 3 };

    virtual ~FileTextual();
    // Takes ownership of file. Reading detects the encoding (the argument is
    // then ignored); writing puts the encoding's mark first.
    FileTextual(FileBinary* file, uint32_t mode, uint32_t encoding);
    // Opens a disk file itself, streamed, from the program folder (never a pack).
    FileTextual(const std::string& name, uint32_t mode, uint32_t encoding);
    FileTextual(const FileTextual&) = delete;
    FileTextual& operator=(const FileTextual&) = delete;

    // The next line, or with wordMode the next white-space separated word.
    // stripComments cuts the text at the first "//" (in word mode a word that
    // starts a comment takes the rest of its line). False at the end of the file.
    bool ReadLine(std::string& out, bool stripComments, bool wordMode);
    bool ReadLine(std::wstring& out, bool stripComments, bool wordMode);
    // The rest of the file, its lines joined with CR LF.
    void ReadAll(std::wstring& out, bool stripComments);

    void Write(const std::string& text);
    void WriteNewLine();
    // Writes out the buffered bytes; throws FileError when the file takes
    // fewer. The destructor flushes too but cannot report a failure, so a
    // writer that must know its file is complete calls this first.
    void Flush();

    // Back to the first character after the byte-order mark (reading).
    void Rewind();
    // File size in bytes, halved for UTF-16: a hint in characters.
    uint32_t GetLength() const;

    uint32_t GetEncoding() const { return encoding_; }
    bool IsEndOfFile() const { return endOfFile_; }
    FileBinary* GetFile() const { return file_; }

private:
    void DetectEncoding();
    void WriteMark();
    uint8_t TakeByte();
    uint16_t TakeCharacter();
    uint16_t DecodeCharacter();
    bool IsSpace(uint16_t ch) const;
    bool ReadUnits(std::wstring& units, bool stripComments, bool wordMode);
    void PutByte(uint8_t byte);
    void PutCharacter(uint16_t ch);

    uint32_t mode_;
    uint32_t encoding_;
    FileBinary* file_;
    bool endOfFile_ = false;
    std::vector<uint8_t> buffer_;
    int32_t bufferIndex_ = -1;
    uint32_t bufferCount_ = 0;
    char replacement_[2] = {'?', 0};
    bool atStart_ = true;
    bool hasPushback_ = false;
    uint16_t pushback_ = 0;
    uint32_t markSize_ = 0; // bytes of the byte-order mark, skipped by Rewind
};

} // namespace KorvaneEngine
