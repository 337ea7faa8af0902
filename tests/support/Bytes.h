#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace TestSupport {

// Spells a file byte by byte for tests that state a format's layout
// themselves instead of trusting the project's writers: little-endian
// numbers, raw characters and the binary formats' string record (one byte n =
// characters + 1, the characters, a zero). Each call appends and returns the
// builder, so a test reads like the format's table.
class Bytes {
public:
    Bytes& U8(uint32_t v)
    {
        data.push_back(uint8_t(v));
        return *this;
    }
    Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    Bytes& F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    Bytes& Vec(float x, float y, float z) { return F32(x).F32(y).F32(z); }
    // The characters alone, no terminator (magics).
    Bytes& Chars(const std::string& s)
    {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& String(const std::string& s) { return U8(uint32_t(s.size() + 1)).Chars(s).U8(0); }
    Bytes& Zeros(size_t n)
    {
        data.insert(data.end(), n, 0);
        return *this;
    }
    Bytes& Append(const std::vector<uint8_t>& more)
    {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    // Overwrites four bytes at offset (a size field known only at the end).
    Bytes& PatchU32(size_t offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data[offset + i] = uint8_t(v >> (8 * i));
        return *this;
    }
    // The common header of the engine's formats: u32 total size (patched by
    // Done), five magic characters, u32 version.
    Bytes& Header(const std::string& magic, uint32_t version) { return U32(0).Chars(magic).U32(version); }
    // The bytes, with the header's size field set to their length.
    std::vector<uint8_t> Done()
    {
        PatchU32(0, uint32_t(data.size()));
        return data;
    }
    size_t Size() const { return data.size(); }

    std::vector<uint8_t> data;
};

} // namespace TestSupport
