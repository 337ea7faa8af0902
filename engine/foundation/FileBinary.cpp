#include "engine/foundation/FileBinary.h"

#include <cstring>
#include <cwchar>
#include <limits>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

std::string OpenFailure(const std::string& name) { return "Failed to open \"" + name + "\" file"; }

std::string ReadFailure(const std::string& name, uint64_t count)
{
    return "Failed to read " + std::to_string(count) + " bytes from \"" + name + "\" file";
}

std::string WriteFailure(const std::string& name, uint32_t count)
{
    return "Failed to write " + UnsignedToString(count) + " bytes from \"" + name + "\" file";
}

bool SeekStream(FILE* stream, uint64_t offset)
{
    return _fseeki64(stream, static_cast<__int64>(offset), SEEK_SET) == 0;
}

} // namespace

std::string FullFilePath(const std::string& name)
{
    bool drive = name.size() >= 2 && name[1] == ':';
    bool network = name.size() >= 2 && name[0] == '\\' && name[1] == '\\';
    if (drive || network)
        return name;
    return GetExecutableDirectory() + "\\" + name;
}

FileBinary::~FileBinary()
{
    if (ownsMemory_)
        delete[] memory_;
    if (stream_ && !sharedStream_)
        std::fclose(stream_);
}

FileBinary::FileBinary(const std::string& name, bool write, uint32_t cacheLimit, uint32_t size, void* memory,
    bool ownMemory, FILE* packStream, uint32_t packOffset)
    : name_(name), writing_(write)
{
    const std::string path = FullFilePath(name);

    if (write) {
        stream_ = std::fopen(path.c_str(), "wb");
        if (!stream_)
            throw FileError(OpenFailure(name_));
        size_ = 0;
    } else if (memory) {
        sharedStream_ = true;
        size_ = size;
        memory_ = static_cast<uint8_t*>(memory);
        ownsMemory_ = ownMemory;
    } else if (packStream) {
        sharedStream_ = true;
        stream_ = packStream;
        size_ = size;
        baseOffset_ = packOffset;
        if (size_ <= cacheLimit)
            CacheFromStream(baseOffset_);
    } else {
        stream_ = std::fopen(path.c_str(), "rb");
        if (!stream_)
            throw FileError(OpenFailure(name_));
        __int64 length = -1;
        if (_fseeki64(stream_, 0, SEEK_END) == 0)
            length = _ftelli64(stream_);
        // Sizes are 32-bit throughout the engine; a larger file cannot be addressed.
        if (length < 0 || static_cast<uint64_t>(length) > std::numeric_limits<uint32_t>::max()
            || !SeekStream(stream_, 0)) {
            std::fclose(stream_);
            stream_ = nullptr;
            throw FileError(OpenFailure(name_));
        }
        size_ = static_cast<uint32_t>(length);
        if (size_ <= cacheLimit) {
            try {
                CacheFromStream(0);
            } catch (...) {
                if (stream_)
                    std::fclose(stream_);
                stream_ = nullptr;
                throw;
            }
            // CacheFromStream dropped the pointer; the stream was our own.
        }
    }
    position_ = 0;
}

void FileBinary::CacheFromStream(uint64_t streamOffset)
{
    uint8_t* block = size_ ? new uint8_t[size_] : nullptr;
    bool ok = SeekStream(stream_, streamOffset);
    if (ok && size_)
        ok = std::fread(block, 1, size_, stream_) == size_;
    if (!ok) {
        delete[] block;
        throw FileError(ReadFailure(name_, size_));
    }
    if (!sharedStream_)
        std::fclose(stream_);
    stream_ = nullptr;
    memory_ = block;
    ownsMemory_ = true;
}

void FileBinary::Require(uint64_t count) const
{
    if (count > BytesLeft())
        throw FileError(ReadFailure(name_, count));
}

void FileBinary::Read(void* data, uint32_t count, uint32_t* done)
{
    if (count == 0) {
        if (done)
            *done = 0;
        return;
    }
    uint32_t n = count < BytesLeft() ? count : BytesLeft();
    if (n > 0) {
        if (stream_) {
            if (sharedStream_) {
                // Other regions of the pack move the same stream.
                uint64_t wanted = static_cast<uint64_t>(baseOffset_) + position_;
                __int64 at = _ftelli64(stream_);
                if (at < 0 || static_cast<uint64_t>(at) != wanted)
                    if (!SeekStream(stream_, wanted))
                        n = 0;
            }
            if (n > 0)
                n = static_cast<uint32_t>(std::fread(data, 1, n, stream_));
        } else if (memory_) {
            std::memcpy(data, memory_ + position_, n);
        } else {
            n = 0;
        }
    }
    position_ += n;
    if (done)
        *done = n;
    else if (n < count)
        throw FileError(ReadFailure(name_, count));
}

void FileBinary::Write(const void* data, uint32_t count, uint32_t* done)
{
    if (count == 0) {
        if (done)
            *done = 0;
        return;
    }
    uint32_t n = 0;
    if (writing_ && stream_ && count <= std::numeric_limits<uint32_t>::max() - position_)
        n = static_cast<uint32_t>(std::fwrite(data, 1, count, stream_));
    position_ += n;
    if (position_ > size_)
        size_ = position_;
    if (done)
        *done = n;
    else if (n < count)
        throw FileError(WriteFailure(name_, count));
}

void FileBinary::Flush()
{
    if (writing_ && stream_ && std::fflush(stream_) != 0)
        throw FileError(WriteFailure(name_, position_));
}

bool FileBinary::Seek(uint32_t origin, int32_t offset)
{
    int64_t target;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(size_) - offset;
        break;
    case 2:
        target = static_cast<int64_t>(position_) + offset;
        break;
    default:
        target = position_;
        break;
    }

    bool inside = true;
    if (target < 0) {
        target = 0;
        inside = false;
    }
    if (writing_) {
        // The end is where the next bytes are appended: position and stream
        // stay there together instead of disagreeing about the last byte.
        if (target >= static_cast<int64_t>(size_)) {
            inside = false;
            target = size_;
        }
    } else if (size_ == 0) {
        target = 0;
        inside = false;
    } else if (target > static_cast<int64_t>(size_) - 1) {
        target = size_ - 1;
        inside = false;
    }
    position_ = static_cast<uint32_t>(target);

    if (stream_ && !sharedStream_)
        SeekStream(stream_, position_);
    return inside;
}

void FileBinary::WriteString(const char* text)
{
    size_t length = text ? std::strlen(text) : 0;
    if (length > kMaxStringLength)
        length = kMaxStringLength;
    uint8_t record[kMaxStringLength + 2];
    record[0] = static_cast<uint8_t>(length + 1);
    if (length)
        std::memcpy(record + 1, text, length);
    record[1 + length] = 0;
    Write(record, static_cast<uint32_t>(length + 2));
}

void FileBinary::WriteWideString(const wchar_t* text)
{
    size_t length = text ? std::wcslen(text) : 0;
    if (length > kMaxStringLength)
        length = kMaxStringLength;
    uint8_t record[1 + 2 * (kMaxStringLength + 1)];
    record[0] = static_cast<uint8_t>(length + 1);
    for (size_t i = 0; i <= length; ++i) {
        uint16_t unit = i < length ? static_cast<uint16_t>(text[i]) : 0;
        record[1 + 2 * i] = static_cast<uint8_t>(unit & 0xFF);
        record[2 + 2 * i] = static_cast<uint8_t>(unit >> 8);
    }
    Write(record, static_cast<uint32_t>(1 + 2 * (length + 1)));
}

void FileBinary::WriteWideString(const std::wstring& text)
{
    // Up to the first zero, as the character-pointer form would see it.
    WriteWideString(text.c_str());
}

void FileBinary::ReadString(std::string& out)
{
    uint8_t n = 0;
    Read(&n, 1);
    char buffer[256];
    Read(buffer, n);
    size_t length = 0;
    while (length < n && buffer[length] != 0)
        ++length;
    out.assign(buffer, length);
}

void FileBinary::ReadWideString(std::wstring& out)
{
    uint8_t n = 0;
    Read(&n, 1);
    uint8_t bytes[2 * 256];
    Read(bytes, 2u * n);
    out.clear();
    for (uint32_t i = 0; i < n; ++i) {
        uint16_t unit = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit == 0)
            break;
        out.push_back(static_cast<wchar_t>(unit));
    }
}

uint32_t ReadU32(FileBinary& f)
{
    uint8_t b[4];
    f.Read(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

float ReadF32(FileBinary& f)
{
    uint32_t v = ReadU32(f);
    float out;
    static_assert(sizeof out == 4, "f32");
    std::memcpy(&out, &v, 4);
    return out;
}

} // namespace KorvaneEngine
