#include "engine/foundation/FileTextual.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>

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

namespace {

// ReadAll decodes in blocks of this many bytes.
const size_t kBlock = 65536;

// Writes what joining ReadLine's lines gives for a stream of characters:
// line ends (CR LF, LF or CR) become CR LF, and with stripComments each line
// is cut at its first "//". It writes through a pointer into the string;
// Reserve before each block keeps room for it.
class LineJoiner {
public:
    // skipBreak: the characters begin with the end of a line already handed
    // out, which is dropped.
    LineJoiner(std::wstring& out, size_t expected, bool skipBreak, bool stripComments)
        : out_(out), pending_(skipBreak ? kSkipBreak : 0), strip_(stripComments)
    {
        out_.resize(expected);
        w_ = &out_[0];
        limit_ = w_ + out_.size();
    }
    // Room for n more characters: each may be a line end of two.
    void Reserve(size_t n)
    {
        if (size_t(limit_ - w_) >= 2 * n + 2)
            return;
        const size_t at = size_t(w_ - out_.data());
        out_.resize(at + 2 * n + 2 + out_.size() / 2);
        w_ = &out_[0] + at;
        limit_ = out_.data() + out_.size();
    }
    void Put(wchar_t c)
    {
        // Neither a line end nor a slash: most characters.
        if (c != kCR && c != kLF && c != L'/') {
            pending_ = 0;
            if (!dropping_)
                *w_++ = c;
            return;
        }
        PutRare(c);
    }
    // A byte that gives no character still separates a CR from an LF.
    void Skip() { pending_ = 0; }
    // The rest of the line is not text (after a zero in a code-page file).
    void DropRestOfLine()
    {
        pending_ = 0;
        dropping_ = true;
    }
    bool Dropping() const { return dropping_; }
    void Finish() { out_.resize(size_t(w_ - out_.data())); }

private:
    enum : uint8_t { kAfterCR = 1, kSkipBreak = 2, kSlash = 4 };

    void PutRare(wchar_t c)
    {
        const uint8_t pending = pending_;
        pending_ = 0;
        if (c == kLF && (pending & kAfterCR))
            return;
        if (c == kCR || c == kLF) {
            if (!(pending & kSkipBreak)) {
                *w_++ = kCR;
                *w_++ = kLF;
            }
            if (c == kCR)
                pending_ = kAfterCR;
            dropping_ = false;
            return;
        }
        if (dropping_)
            return;
        if (c == L'/' && strip_) {
            if (pending & kSlash) {
                --w_; // the first slash of the comment goes too
                dropping_ = true;
                return;
            }
            pending_ = kSlash;
        }
        *w_++ = c;
    }

    std::wstring& out_;
    wchar_t* w_;
    wchar_t* limit_;
    uint8_t pending_;
    bool strip_;
    bool dropping_ = false;
};

// Each decoder puts the complete characters of n bytes and returns the bytes
// it used. Unless last, a character that continues past them is left for the
// next block; at the end of the file it is dropped, as ReadLine drops it.

size_t DecodeUtf16(const uint8_t* p, size_t n, bool last, bool bigEndian, LineJoiner& lines)
{
    const size_t whole = n & ~size_t(1);
    const int hi = bigEndian ? 0 : 1;
    for (size_t i = 0; i < whole; i += 2)
        lines.Put(static_cast<wchar_t>(p[i + hi] << 8 | p[i + 1 - hi]));
    return last ? n : whole;
}

size_t DecodeUtf8(const uint8_t* p, size_t n, bool last, LineJoiner& lines)
{
    size_t i = 0;
    while (i < n) {
        const uint8_t b0 = p[i];
        if (b0 < 0x80) {
            lines.Put(static_cast<wchar_t>(b0));
            ++i;
            continue;
        }
        // Continuation bytes are taken as they come, unchecked.
        const int ones = LeadingOnes(b0);
        const size_t size = ones == 2 ? 2 : ones == 3 ? 3 : 1;
        if (n - i < size)
            return last ? n : i;
        if (ones == 2)
            lines.Put(static_cast<wchar_t>(((b0 & 31) << 6) | (p[i + 1] & 63)));
        else if (ones == 3)
            lines.Put(static_cast<wchar_t>(((b0 & 15) << 12) | ((p[i + 1] & 63) << 6) | (p[i + 2] & 63)));
        else
            lines.Put(static_cast<wchar_t>(0xFFFD));
        i += size;
    }
    return n;
}

// Code-page bytes, converted as NarrowToWide converts a line: a zero ends
// the line's text, and a character never reaches past the end of its line.
// A comment is found among the bytes before they are converted, so no
// double-byte character takes its first slash.
size_t DecodeAnsi(const uint8_t* p, size_t n, bool last, bool stripComments, LineJoiner& lines)
{
    const size_t most = static_cast<size_t>(MB_CUR_MAX);
    auto endsText = [&](size_t k) {
        return p[k] == kCR || p[k] == kLF || (stripComments && p[k] == '/' && k + 1 < n && p[k + 1] == '/');
    };
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (stripComments && b == '/') {
            if (i + 1 == n && !last)
                return i; // a comment may begin here
            if (i + 1 < n && p[i + 1] == '/') {
                lines.DropRestOfLine();
                i += 2;
                continue;
            }
        }
        if (b < 0x80) {
            if (b == 0)
                lines.DropRestOfLine();
            else
                lines.Put(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        if (lines.Dropping()) {
            lines.Skip();
            ++i;
            continue;
        }
        size_t limit = 0;
        while (limit < most && i + limit < n && !endsText(i + limit))
            ++limit;
        if (!last && i + limit + 1 >= n && limit < most)
            return i; // the character, or what ends it, may go on in the next block
        wchar_t wc = 0;
        const int used = std::mbtowc(&wc, reinterpret_cast<const char*>(p + i), limit);
        if (used <= 0) {
            std::mbtowc(nullptr, nullptr, 0);
            lines.Skip();
            ++i;
            continue;
        }
        lines.Put(wc);
        i += static_cast<size_t>(used);
    }
    return n;
}

} // namespace

// The same text as joining ReadLine's lines, decoded block by block instead
// of a call per character: text files are read several times faster.
void FileTextual::ReadAll(std::wstring& out, bool stripComments)
{
    out.clear();
    if (mode_ == kWrite || endOfFile_)
        return;

    const bool wide = encoding_ == kUtf16BigEndian || encoding_ == kUtf16LittleEndian;
    // The rest of the bytes: what the read-ahead buffer still holds, then the
    // file from its position on.
    const uint32_t buffered = bufferIndex_ != -1 && bufferIndex_ != static_cast<int32_t>(kBufferSize) - 1 &&
                                      static_cast<uint32_t>(bufferIndex_ + 1) < bufferCount_
                                  ? bufferCount_ - static_cast<uint32_t>(bufferIndex_ + 1)
                                  : 0;
    const uint32_t size = file_->GetSize(), position = file_->GetPosition();
    uint32_t left = position < size ? size - position : 0;
    const size_t total = size_t(buffered) + left + 1;
    const size_t expected = wide ? total / 2 + 1 : total;
    LineJoiner lines(out, expected + expected / 16 + 2 * kBlock + 8, !atStart_, stripComments);

    std::unique_ptr<uint8_t[]> block(new uint8_t[kBlock + 8]);
    size_t have = 0;
    if (hasPushback_) {
        // A code-page character may begin with the byte given back.
        if (encoding_ == kAnsi)
            block[have++] = static_cast<uint8_t>(pushback_);
        else
            lines.Put(static_cast<wchar_t>(pushback_));
    }
    std::memcpy(block.get() + have, buffer_.data() + bufferIndex_ + 1, buffered);
    have += buffered;
    std::mbtowc(nullptr, nullptr, 0);
    for (;;) {
        const uint32_t want = static_cast<uint32_t>(kBlock - have) < left ? static_cast<uint32_t>(kBlock - have) : left;
        if (want) {
            uint32_t done = 0;
            file_->Read(block.get() + have, want, &done);
            have += done;
            left = done < want ? 0 : left - done;
        }
        const bool last = left == 0;
        lines.Reserve(wide ? have / 2 + 1 : have);
        size_t used;
        if (wide)
            used = DecodeUtf16(block.get(), have, last, encoding_ == kUtf16BigEndian, lines);
        else if (encoding_ == kUtf8)
            used = DecodeUtf8(block.get(), have, last, lines);
        else
            used = DecodeAnsi(block.get(), have, last, stripComments, lines);
        if (last)
            break;
        std::memmove(block.get(), block.get() + used, have - used);
        have -= used;
    }
    lines.Finish();

    bufferIndex_ = -1;
    endOfFile_ = true;
    atStart_ = false;
    hasPushback_ = false;
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
