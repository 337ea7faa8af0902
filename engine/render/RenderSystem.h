#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Matrix.h"
#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class Config;
class Image;
class IndexBuffer;
class Light;
class Texture2D;
class VertexBuffer;

// Texture format codes; the device offers code n when bit n of the render
// system's textureFormatMask is set. Code 2 is not used.
enum TextureFormatCode : uint32_t {
    kTextureFormatNone = 0,
    kTextureFormatRGB24 = 1, // pictures without alpha; never a device format
    kTextureFormatA8R8G8B8 = 3,
    kTextureFormatA4R4G4B4 = 4,
    kTextureFormatR5G6B5 = 5,
    kTextureFormatDXT1 = 6,
    kTextureFormatDXT2 = 7,
    kTextureFormatDXT3 = 8,
    kTextureFormatDXT4 = 9,
    kTextureFormatDXT5 = 10,
};

// Codes of the cached states, as the back-end translates them.
enum CullCode : uint32_t { kCullNone = 0, kCullClockwise = 1, kCullCounterClockwise = 2 };
enum AddressCode : uint32_t { kAddressClamp = 0, kAddressWrap = 1 };
enum FilterCode : uint32_t { kFilterPoint = 0, kFilterLinear = 1, kFilterMipMapped = 2 };
enum BlendCode : uint32_t {
    kBlendZero = 0,
    kBlendOne = 1,
    kBlendDestinationColor = 2,
    kBlendInverseDestinationColor = 3,
    kBlendSourceAlpha = 4,
    kBlendInverseSourceAlpha = 5,
    kBlendDestinationAlpha = 6,
    kBlendInverseDestinationAlpha = 7,
    kBlendSourceAlphaSaturated = 8,
    kBlendSourceColor = 9,
    kBlendInverseSourceColor = 10,
};
// What BeginScene clears.
enum ClearFlag : uint32_t { kClearTarget = 1, kClearDepth = 2 };

// A display mode a device can render to. 24-bit modes are listed as 32.
class ModeInfo {
public:
    virtual ~ModeInfo();
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0; // 16 or 32
};

class DeviceInfo {
public:
    virtual ~DeviceInfo();
    std::vector<ModeInfo*> modes; // owned
    ModeInfo* currentMode = nullptr;
    bool fullscreen = false;
};

class AdapterInfo {
public:
    virtual ~AdapterInfo();
    std::vector<DeviceInfo*> devices; // owned
    DeviceInfo* currentDevice = nullptr;
};

// The device-independent face of the renderer. It owns the adapter list that
// the back-end fills, caches every render state the engine changes so that
// the device only hears about real changes, and carries the device-lost flags
// the frame loop reacts to.
//
// States with a setter below go through it. For the others (projection,
// blending, per-stage texture, anisotropy, filter and address modes, culling,
// lighting, normalisation) the caller compares with the cached field itself,
// writes it and calls the matching Update, under the same rule: exact for
// integers, flags and pointers, 0.0001 for floats and matrices, and always
// while forceStateUpdate is set.
class RenderSystem : public GlobalPointerHolder<RenderSystem> {
public:
    virtual ~RenderSystem();

    virtual void Refresh();
    virtual void BeginScene() {}
    virtual void EndScene() {}
    virtual void SwapBuffers() {}
    virtual void CheckVideoMode();
    // Bit 0: the device was rebuilt; bit 1: the textures were remade.
    virtual void ResetDevice(uint32_t flags);
    virtual void DrawIndexedPrimitive(bool strip, IndexBuffer* indices, VertexBuffer* vertices,
                                      uint32_t primitiveCount)
    {
    }

    // Cameras, lights, buffers and textures are owned by the caller.
    virtual Camera* CreateCamera(bool orthographic) = 0;
    virtual Light* CreateLight(uint32_t index) = 0;
    virtual VertexBuffer* CreateVertexBuffer(uint32_t usage, uint32_t hasColor, uint32_t vertexCount) = 0;
    virtual VertexBuffer* CreateVertexBufferCopy(uint32_t usage, uint32_t hasColor, const VertexBuffer& source) = 0;
    virtual VertexBuffer* CloneVertexBuffer(const VertexBuffer& source) = 0;
    virtual IndexBuffer* CreateIndexBuffer(uint32_t usage, uint32_t count) = 0;
    virtual IndexBuffer* CreateIndexBufferCopy(uint32_t usage, const IndexBuffer& source) = 0;
    virtual IndexBuffer* CloneIndexBuffer(const IndexBuffer& source) = 0;
    // Takes ownership of both pictures (opacity may be null).
    virtual Texture2D* CreateTextureFromImages(const std::string& name, Image* diffuse, Image* opacity, bool mips,
                                               bool deferred) = 0;
    virtual Texture2D* CreateTextureFromFiles(const std::string& name, const std::string& diffuse,
                                              const std::string& opacity, bool mips, bool deferred) = 0;

    // Fills image with the back buffer, bottom row first.
    virtual void TakeScreenshot(Image& image) = 0;

    virtual void AllocateTextureStageStates();
    virtual void SetDefaultStates();
    virtual void SetMaterial(const Color& ambient, const Color& diffuse, const Color& specular,
                             const Color& emissive, float power) = 0;

    virtual void UpdateProjectionMatrix() = 0;
    virtual void UpdateViewMatrix() = 0;
    virtual void UpdateWorldMatrix() = 0;
    virtual void UpdateAmbientColor() = 0;
    virtual void UpdateAlphaBlend() = 0;
    virtual void UpdateBlend() = 0;
    virtual void UpdateTexture(uint32_t stage) = 0;
    virtual void UpdateMaxTextureAnisotropy(uint32_t stage) = 0;
    virtual void UpdateTextureFilter(uint32_t stage) = 0;
    virtual void UpdateTextureAdressU(uint32_t stage) = 0;
    virtual void UpdateTextureAdressV(uint32_t stage) = 0;
    virtual void UpdateTextureMatrix(uint32_t stage) = 0;
    virtual void UpdateCullMode() = 0;
    virtual void UpdateLighting() = 0;
    virtual void UpdatenormalizeNormals() = 0;
    virtual void UpdateZ() = 0;
    virtual void UpdateZWrite() = 0;
    virtual void UpdateStencil() = 0;

    // Cached setters: the device is told only about a changed value, or about
    // every value while forceStateUpdate is set.
    void SetViewMatrix(const Matrix4& matrix);
    void SetWorldMatrix(const Matrix4& matrix);
    void SetAmbientColor(const Color& color);
    void SetTextureMatrix(uint32_t stage, float scaleU, float scaleV, float offsetU, float offsetV);
    void SetZEnable(bool enable);
    void SetZWriteEnable(bool enable);
    void SetStencilEnable(bool enable);

    // Crops a full-screen screenshot to the picture's proportions on a
    // desktop that is not 4:3 and scales it back to its size.
    void ScreenshotAspectFit(Image& image);

    Config* videoSettings; // v_mode, v_fullscreen, v_vsync, r_texture_anisotropy
    std::vector<AdapterInfo*> adapters; // owned
    AdapterInfo* currentAdapter = nullptr;
    bool useStencil;
    bool stencilPresent = false;
    bool allowAnyWindowSize;
    uint32_t clearFlags = kClearTarget | kClearDepth;
    Color clearColor;
    uint32_t maxTextureWidth = 0, maxTextureHeight = 0;
    uint32_t textureStageCount = 0;
    int32_t maxAnisotropy = 0;
    uint32_t textureFormatMask = 0;
    bool surfacesRestored = false;
    bool deviceLost = false;
    bool texturesLost = false;
    bool forceStateUpdate = false;

    Matrix4 projectionMatrix, viewMatrix, worldMatrix;
    Color ambientColor;
    bool alphaBlend = false;
    uint32_t sourceBlend = kBlendZero, destinationBlend = kBlendZero;
    std::vector<Texture2D*> stageTextures; // not owned
    std::vector<uint32_t> stageAnisotropy;
    std::vector<uint32_t> stageFilter;
    std::vector<uint32_t> stageAddressU, stageAddressV;
    std::vector<Vector4> stageTextureMatrix; // scale u, scale v, offset u, offset v
    uint32_t cullMode = kCullNone;
    bool lighting = false;
    bool normalizeNormals = false;
    bool depthTest = false;
    bool depthWrite = false;
    bool stencil = false;
    bool lightsNeedRestore = false;

    // The device current at the moment, or null before one is selected.
    DeviceInfo* GetCurrentDevice() const { return currentAdapter ? currentAdapter->currentDevice : nullptr; }
    ModeInfo* GetCurrentMode() const
    {
        DeviceInfo* d = GetCurrentDevice();
        return d ? d->currentMode : nullptr;
    }

protected:
    RenderSystem(bool useStencil, bool allowAnyWindowSize);
    RenderSystem(const RenderSystem&) = delete;
    RenderSystem& operator=(const RenderSystem&) = delete;
};

} // namespace KorvaneEngine
