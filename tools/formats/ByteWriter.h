#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ContentTools {

// Little-endian byte appender shared by the engine-format writers. Strings use
// the engine's length-prefixed record: one byte n = characters + 1, then the
// characters and a terminating zero.
class ByteWriter {
public:
    static const size_t kMaxStringLength = 254;

    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v)
    {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Bytes(const void* data, size_t count)
    {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + count);
    }
    // Texts longer than the record can count are cut, as the engine does.
    void String(const std::string& text)
    {
        size_t n = text.size() < kMaxStringLength ? text.size() : kMaxStringLength;
        U8(static_cast<uint8_t>(n + 1));
        Bytes(text.data(), n);
        U8(0);
    }
    // Overwrites a u32 already written (the total-size field of a header).
    void PatchU32(size_t offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }

    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Data() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Writes bytes to a temporary file beside path and moves it over path only
// when it is complete, so an existing file is never left half written.
bool SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace ContentTools
