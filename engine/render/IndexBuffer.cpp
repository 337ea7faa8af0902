#include "engine/render/IndexBuffer.h"

#include <cstddef>
#include <cstring>

namespace KorvaneEngine {

IndexBuffer::IndexBuffer(uint32_t usage_, uint32_t count)
    : usage(usage_), is32Bit(count >= 65536 ? 1u : 0u), indexSize(count >= 65536 ? 4u : 2u), capacity(count),
      indexCount(count), indices(nullptr), rangeDirty(true), minIndex(0), indexRange(0)
{
    Allocate();
}

IndexBuffer::IndexBuffer(uint32_t usage_, const IndexBuffer& source)
    : usage(usage_), is32Bit(source.is32Bit), indexSize(source.indexSize), capacity(source.capacity),
      indexCount(source.indexCount), indices(nullptr), rangeDirty(source.rangeDirty), minIndex(source.minIndex),
      indexRange(source.indexRange)
{
    Allocate();
}

IndexBuffer::IndexBuffer(const IndexBuffer& source) : IndexBuffer(source.usage, source) {}

IndexBuffer::~IndexBuffer() { delete[] indices; }

void IndexBuffer::Allocate()
{
    // At most 2^32 - 1 slots of 4 bytes: 64-bit sizes never wrap, and a 32-bit
    // build fails the allocation instead of getting a short array.
    indices = new uint8_t[static_cast<size_t>(static_cast<uint64_t>(capacity) * indexSize)];
}

uint8_t* IndexBuffer::Lock(uint32_t first, uint32_t count)
{
    locked = true;
    lockFirst = first;
    lockCount = count;
    rangeDirty = true;
    return indices + static_cast<size_t>(first) * indexSize;
}

void IndexBuffer::Unlock() { locked = false; }

void IndexBuffer::Apply() {}

void IndexBuffer::SetIndices(uint32_t first, uint32_t count, const uint32_t* source)
{
    if (first >= capacity)
        return;
    if (count > capacity - first)
        count = capacity - first;
    uint8_t* p = Lock(first, count);
    if (is32Bit) {
        std::memcpy(p, source, static_cast<size_t>(count) * 4);
    } else {
        uint16_t* d = reinterpret_cast<uint16_t*>(p);
        for (uint32_t i = 0; i < count; ++i)
            d[i] = static_cast<uint16_t>(source[i]);
    }
    Unlock();
}

void IndexBuffer::SetIndexCount(uint32_t count)
{
    // More indices than slots would make the range scan and the draw read
    // past the array.
    indexCount = count <= capacity ? count : capacity;
    rangeDirty = true;
}

void IndexBuffer::UpdateRange()
{
    if (!rangeDirty)
        return;
    rangeDirty = false;
    if (indexCount == 0) {
        minIndex = indexRange = 0;
        return;
    }
    uint32_t lo = GetIndex(0), hi = lo;
    for (uint32_t i = 1; i < indexCount; ++i) {
        uint32_t v = GetIndex(i);
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
    }
    minIndex = lo;
    indexRange = hi - lo + 1;
}

uint32_t IndexBuffer::GetMinIndex()
{
    UpdateRange();
    return minIndex;
}

uint32_t IndexBuffer::GetIndexRange()
{
    UpdateRange();
    return indexRange;
}

} // namespace KorvaneEngine
