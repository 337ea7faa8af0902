#pragma once
#include "engine/render/IndexBuffer.h"

namespace KorvaneEngine {

class IndexBuffer_D3D7 : public IndexBuffer {
public:
    IndexBuffer_D3D7(uint32_t usage, uint32_t count);
    // Copies every slot of the source; the copy's range is recomputed on use.
    IndexBuffer_D3D7(uint32_t usage, const IndexBuffer& source);
    IndexBuffer_D3D7(const IndexBuffer& source);
    IndexBuffer_D3D7(const IndexBuffer_D3D7& source) : IndexBuffer_D3D7(static_cast<const IndexBuffer&>(source)) {}
    ~IndexBuffer_D3D7() override;

    uint8_t* Lock(uint32_t first, uint32_t count) override;
    void Unlock() override;
    void Apply() override;
};

} // namespace KorvaneEngine
