#include "engine/render/d3d7/IndexBuffer_D3D7.h"

#include <cstring>

namespace KorvaneEngine {

IndexBuffer_D3D7::IndexBuffer_D3D7(uint32_t usage_, uint32_t count) : IndexBuffer(usage_, count) {}

IndexBuffer_D3D7::IndexBuffer_D3D7(uint32_t usage_, const IndexBuffer& source) : IndexBuffer(usage_, source)
{
    std::memcpy(Lock(0, capacity), source.indices, static_cast<size_t>(capacity) * indexSize);
    Unlock();
}

IndexBuffer_D3D7::IndexBuffer_D3D7(const IndexBuffer& source) : IndexBuffer_D3D7(source.usage, source) {}

IndexBuffer_D3D7::~IndexBuffer_D3D7() = default;

uint8_t* IndexBuffer_D3D7::Lock(uint32_t first, uint32_t count) { return IndexBuffer::Lock(first, count); }

void IndexBuffer_D3D7::Unlock() { IndexBuffer::Unlock(); }

void IndexBuffer_D3D7::Apply() { IndexBuffer::Apply(); }

} // namespace KorvaneEngine
