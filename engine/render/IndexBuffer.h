#pragma once
#include <cstdint>

namespace KorvaneEngine {

// 16-bit indices below 65536 slots, 32-bit from there on, with the smallest
// index and the index range cached until the indices or their count change.
class IndexBuffer {
public:
    IndexBuffer(uint32_t usage, uint32_t count);
    // Width, size and cached range of the source; the back-end fills the array.
    IndexBuffer(uint32_t usage, const IndexBuffer& source);
    IndexBuffer(const IndexBuffer& source);
    IndexBuffer& operator=(const IndexBuffer&) = delete;
    virtual ~IndexBuffer();

    // The range is not checked: the caller keeps first + count within the capacity.
    virtual uint8_t* Lock(uint32_t first, uint32_t count);
    virtual void Unlock();
    virtual void Apply();

    // Copies count indices from source, each cut to 16 bits in a 16-bit buffer.
    // A range reaching past the capacity is cut at the capacity.
    void SetIndices(uint32_t first, uint32_t count, const uint32_t* source);
    void SetIndexCount(uint32_t count);
    uint32_t GetMinIndex();
    uint32_t GetIndexRange();
    // Index i of the array, whatever its width.
    uint32_t GetIndex(uint32_t i) const
    {
        return is32Bit ? reinterpret_cast<const uint32_t*>(indices)[i] : reinterpret_cast<const uint16_t*>(indices)[i];
    }

    uint32_t usage;
    uint32_t is32Bit;   // 0 or 1
    uint32_t indexSize; // 2 or 4 bytes
    uint32_t capacity;
    uint32_t indexCount;
    uint8_t* indices;
    bool locked = false;
    uint32_t lockFirst = 0, lockCount = 0;
    bool rangeDirty;
    uint32_t minIndex;
    uint32_t indexRange;

private:
    void Allocate();
    void UpdateRange();
};

} // namespace KorvaneEngine
