#include "engine/foundation/FileTextual.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cwctype>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const uint32_t kBufferSize = 1024;
const uint16_t kCR = 0x0D;
const uint16_t kLF = 0x0A;

// Leading one bits of a UTF-8 lead byte.
int LeadingOnes(uint8_t b)
{
    int n = 0;
    while (n < 8 && (b & (0x80 >> n)))
        ++n;
    return n;
}

} // namespace

FileTextual::FileTextual(FileBinary* file, uint32_t mode, uint32_t encoding)
    : mode_(mode), encoding_(encoding <= kUtf8 ? encoding : kAnsi), file_(file), buffer_(kBufferSize)
{
    if (!file_)
        throw FileError("Failed to open \"\" file");
    if (mode_ == kWrite)
        WriteMark();
    else
        DetectEncoding();
}

FileTextual::FileTextual(const std::string& name, uint32_t mode, uint32_t encoding)
    : FileTextual(new FileBinary(name, mode == kWrite, 0, 0, nullptr, true, nullptr, 0), mode, encoding)
{
}

FileTextual::~FileTextual()
{
    if (mode_ == kWrite) {
        try {
            Flush();
        } catch (const Error&) {
            // A destructor cannot report it; writers that care call Flush first.
        }
    }
    delete file_;
}

void FileTextual::DetectEncoding()
{
    markSize_ = 0;
    uint8_t b0 = TakeByte();
    uint8_t b1 = TakeByte();
    if (b0 == 0xFF && b1 == 0xFE) {
        encoding_ = kUtf16LittleEndian;
        markSize_ = 2;
    } else if (b0 == 0xFE && b1 == 0xFF) {
        encoding_ = kUtf16BigEndian;
        markSize_ = 2;
    } else if (b0 == 0xEF && b1 == 0xBB && TakeByte() == 0xBF) {
        encoding_ = kUtf8;
        markSize_ = 3;
    } else {
        encoding_ = kAnsi;
        Rewind();
    }
}

void FileTextual::WriteMark()
{
    if (encoding_ == kUtf16BigEndian || encoding_ == kUtf16LittleEndian)
        PutCharacter(0xFEFF);
    else if (encoding_ == kUtf8) {
        PutByte(0xEF);
        PutByte(0xBB);
        PutByte(0xBF);
    }
}

void FileTextual::Rewind()
{
    if (mode_ == kWrite)
        return;
    file_->Seek(0, 0);
    hasPushback_ = false;
    bufferIndex_ = -1;
    atStart_ = true;
    endOfFile_ = false;
    // The mark is not text: reading again starts after it, as the first time.
    for (uint32_t i = 0; i < markSize_; ++i)
        TakeByte();
}

uint32_t FileTextual::GetLength() const
{
    uint32_t size = file_->GetSize();
    return encoding_ == kUtf16BigEndian || encoding_ == kUtf16LittleEndian ? size / 2 : size;
}

uint8_t FileTextual::TakeByte()
{
    if (bufferIndex_ != -1 && bufferIndex_ != static_cast<int32_t>(kBufferSize) - 1) {
        if (static_cast<uint32_t>(bufferIndex_ + 1) < bufferCount_)
            return buffer_[++bufferIndex_];
        // The last fill was short: the file has ended.
        endOfFile_ = true;
        return 0;
    }
    uint32_t done = 0;
    file_->Read(buffer_.data(), kBufferSize, &done);
    if (done == 0) {
        endOfFile_ = true;
        return 0;
    }
    bufferCount_ = done;
    bufferIndex_ = 0;
    return buffer_[0];
}

uint16_t FileTextual::DecodeCharacter()
{
    switch (encoding_) {
    case kUtf16BigEndian: {
        uint8_t hi = TakeByte();
        uint8_t lo = TakeByte();
        return static_cast<uint16_t>((hi << 8) | lo);
    }
    case kUtf16LittleEndian: {
        uint8_t lo = TakeByte();
        uint8_t hi = TakeByte();
        return static_cast<uint16_t>((hi << 8) | lo);
    }
    case kUtf8: {
        uint8_t b0 = TakeByte();
        switch (LeadingOnes(b0)) {
        case 0:
            return b0;
        case 2: {
            uint8_t b1 = TakeByte();
            return static_cast<uint16_t>(((b0 & 31) << 6) | (b1 & 63));
        }
        case 3: {
            uint8_t b1 = TakeByte();
            uint8_t b2 = TakeByte();
            return static_cast<uint16_t>(((b0 & 15) << 12) | ((b1 & 63) << 6) | (b2 & 63));
        }
        default:
            return 0xFFFD;
        }
    }
    default:
        return TakeByte();
    }
}

uint16_t FileTextual::TakeCharacter()
{
    if (hasPushback_) {
        hasPushback_ = false;
        return pushback_;
    }
    return DecodeCharacter();
}

bool FileTextual::IsSpace(uint16_t ch) const
{
    if (encoding_ == kAnsi)
        return std::isspace(static_cast<unsigned char>(ch)) != 0;
    return std::iswspace(static_cast<wint_t>(ch)) != 0;
}

bool FileTextual::ReadUnits(std::wstring& out, bool stripComments, bool wordMode)
{
    if (mode_ == kWrite || endOfFile_)
        return false;
    uint16_t ch = TakeCharacter();
    if (atStart_) {
        atStart_ = false;
    } else if (wordMode) {
        // The pushed-back separator of the previous word.
        if (IsSpace(ch))
            ch = TakeCharacter();
    } else if (ch == kCR) {
        ch = TakeCharacter();
        if (ch == kLF)
            ch = TakeCharacter();
    } else if (ch == kLF) {
        ch = TakeCharacter();
    }

    out.clear();
    while (!endOfFile_ && ch != kCR && ch != kLF && !(wordMode && IsSpace(ch))) {
        out.push_back(static_cast<wchar_t>(ch));
        // A comment is taken whole, not word by word.
        if (stripComments && wordMode && out == L"//")
            wordMode = false;
        ch = TakeCharacter();
    }
    hasPushback_ = true;
    pushback_ = ch;

    if (stripComments) {
        size_t comment = out.find(L"//");
        if (comment != std::wstring::npos)
            out.resize(comment);
    }
    return true;
}

bool FileTextual::ReadLine(std::string& out, bool stripComments, bool wordMode)
{
    std::wstring units;
    if (!ReadUnits(units, stripComments, wordMode))
        return false;
    out.clear();
    if (encoding_ == kAnsi) {
        for (wchar_t unit : units)
            out.push_back(static_cast<char>(unit));
        return true;
    }
    char bytes[MB_LEN_MAX];
    std::wctomb(nullptr, 0);
    for (wchar_t unit : units) {
        int n = std::wctomb(bytes, unit);
        if (n > 0)
            out.append(bytes, static_cast<size_t>(n));
        else
            out.append(replacement_, 1);
    }
    return true;
}

bool FileTextual::ReadLine(std::wstring& out, bool stripComments, bool wordMode)
{
    std::wstring units;
    if (!ReadUnits(units, stripComments, wordMode))
        return false;
    if (encoding_ == kAnsi) {
        std::string bytes;
        bytes.reserve(units.size());
        for (wchar_t unit : units)
            bytes.push_back(static_cast<char>(unit));
        out = NarrowToWide(bytes);
    } else {
        out.swap(units);
    }
    return true;
}

void FileTextual::ReadAll(std::wstring& out, bool stripComments)
{
    out.clear();
    if (mode_ == kWrite)
        return;
    out.reserve(static_cast<size_t>(GetLength()) + 2);
    std::wstring line;
    bool first = true;
    while (!endOfFile_) {
        if (!ReadLine(line, stripComments, false))
            break;
        if (!first)
            out += L"\r\n";
        out += line;
        first = false;
    }
}

void FileTextual::PutByte(uint8_t byte)
{
    if (bufferIndex_ + 1 >= static_cast<int32_t>(kBufferSize)) {
        uint32_t n = static_cast<uint32_t>(bufferIndex_ + 1);
        bufferIndex_ = -1;
        file_->Write(buffer_.data(), n);
    }
    buffer_[++bufferIndex_] = byte;
}

void FileTextual::PutCharacter(uint16_t ch)
{
    switch (encoding_) {
    case kUtf16BigEndian:
        PutByte(static_cast<uint8_t>(ch >> 8));
        PutByte(static_cast<uint8_t>(ch & 0xFF));
        break;
    case kUtf16LittleEndian:
        PutByte(static_cast<uint8_t>(ch & 0xFF));
        PutByte(static_cast<uint8_t>(ch >> 8));
        break;
    case kUtf8:
        if (ch <= 127) {
            PutByte(static_cast<uint8_t>(ch));
        } else if (ch <= 2047) {
            PutByte(static_cast<uint8_t>(0xC0 | (ch >> 6)));
            PutByte(static_cast<uint8_t>(0x80 | (ch & 63)));
        } else {
            PutByte(static_cast<uint8_t>(0xE0 | (ch >> 12)));
            PutByte(static_cast<uint8_t>(0x80 | ((ch >> 6) & 63)));
            PutByte(static_cast<uint8_t>(0x80 | (ch & 63)));
        }
        break;
    default:
        PutByte(static_cast<uint8_t>(ch & 0xFF));
        break;
    }
}

void FileTextual::Write(const std::string& text)
{
    if (mode_ != kWrite) {
        // The buffer holds read-ahead bytes: let the file refuse the write.
        file_->Write(text.data(), static_cast<uint32_t>(text.size()));
        return;
    }
    if (encoding_ == kAnsi) {
        for (char c : text)
            PutByte(static_cast<uint8_t>(c));
        return;
    }
    for (wchar_t unit : NarrowToWide(text))
        PutCharacter(static_cast<uint16_t>(unit));
}

void FileTextual::WriteNewLine()
{
    if (mode_ != kWrite) {
        file_->Write("\r\n", 2);
        return;
    }
    PutCharacter(kCR);
    PutCharacter(kLF);
}

void FileTextual::Flush()
{
    if (mode_ != kWrite)
        return;
    if (bufferIndex_ >= 0) {
        uint32_t n = static_cast<uint32_t>(bufferIndex_ + 1);
        bufferIndex_ = -1;
        file_->Write(buffer_.data(), n);
    }
    file_->Flush();
}

} // namespace KorvaneEngine
