#pragma once
#include <windows.h>

#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/RenderSystem.h"

namespace KorvaneEngine {

class Texture2D_D3D7;
class RenderSystem_D3D7;

// Adds the time of one device call to the counters while timing is on.
class DeviceCallTimer {
public:
    explicit DeviceCallTimer(RenderSystem_D3D7& r);
    ~DeviceCallTimer();

private:
    RenderSystem_D3D7& render;
    LARGE_INTEGER start;
};

class AdapterInfo_D3D7 : public AdapterInfo {
public:
    AdapterInfo_D3D7() = default;
    AdapterInfo_D3D7(const AdapterInfo_D3D7&) = delete;
    AdapterInfo_D3D7& operator=(const AdapterInfo_D3D7&) = delete;
    ~AdapterInfo_D3D7() override;
    // The object that listed the adapter, kept when the adapter can be chosen
    // for the device: every further DirectDraw object costs the driver a whole
    // set-up of its own. Ownership passes to whoever takes it.
    IDirectDraw7* TakeDirectDraw();
    void KeepDirectDraw(IDirectDraw7* object);

    GUID guid = {};
    GUID* guidPointer = nullptr; // null for the primary display driver
    char description[64] = {};
    DDCAPS driverCaps = {};
    DDCAPS emulationCaps = {};
    bool canRenderWindowed = false;
    DEVMODEA desktopMode = {};
    std::vector<DDSURFACEDESC2> displayModes; // at least 640 x 400, largest first

private:
    IDirectDraw7* directDraw = nullptr;
};

class DeviceInfo_D3D7 : public DeviceInfo {
public:
    ~DeviceInfo_D3D7() override;
    GUID guid = {};
    GUID* guidPointer = nullptr;
    char description[64] = {};
    char name[64] = {};
    D3DDEVICEDESC7 caps = {};
    bool hardware = false;
};

class ModeInfo_D3D7 : public ModeInfo {
public:
    ~ModeInfo_D3D7() override;
    // The adapter's display mode: the real depth and refresh rate the display
    // is switched to. The list is complete before any device refers to it.
    const DDSURFACEDESC2* surfaceDesc = nullptr;
};

// How often each kind of state reached the device, so that the effect of the
// state cache can be measured.
struct DeviceCallCounters {
    uint32_t transforms[32] = {};               // by D3DTRANSFORMSTATETYPE
    uint32_t renderStates[256] = {};            // by D3DRENDERSTATETYPE
    uint32_t textureStageStates[8][32] = {};    // by stage and D3DTEXTURESTAGESTATETYPE
    uint32_t textures[8] = {};                  // SetTexture by stage
    uint32_t materials = 0;
    uint32_t draws = 0;          // DrawIndexedPrimitive calls
    uint32_t lastIndexCount = 0;  // of the last draw call
    uint32_t lastVertexCount = 0;
    int64_t deviceTicks = 0;      // performance-counter ticks spent inside device calls, while timed
};

// The Direct3D 7 renderer: display set-up and tear-down, the per-frame side,
// drawing, the render-state back-end and the texture list.
class RenderSystem_D3D7 : public RenderSystem {
    friend class DeviceCallTimer;

public:
    RenderSystem_D3D7(bool useStencil, bool allowAnyWindowSize);
    ~RenderSystem_D3D7() override;

    // Display set-up.
    void EnumerateAdapters();
    void SelectDevice(bool softwareOnly);
    void ChooseVideoMode();
    void CreateDevice(bool logCapabilities);
    bool InitDevice(bool logCapabilities);
    void ReleaseDevice();
    // Logs a failed result with the calling operation's name; never throws.
    void CheckResult(const char* where, HRESULT result);
    // The log text of a result: the table's, or "Unknown error (Code: n)".
    static std::string GetResultText(HRESULT result);
    static uint32_t ClassifyPixelFormat(const DDPIXELFORMAT& format);
    // Largest mode first: by width, then height, then bits per pixel.
    static bool CompareModes(const DDSURFACEDESC2& a, const DDSURFACEDESC2& b);

    // Frame, reset and drawing.
    void Refresh() override;
    void BeginScene() override;
    void EndScene() override;
    void SwapBuffers() override;
    void CheckVideoMode() override;
    void ResetDevice(uint32_t flags) override;
    void DrawIndexedPrimitive(bool strip, IndexBuffer* indices, VertexBuffer* vertices,
                              uint32_t primitiveCount) override;
    void TakeScreenshot(Image& image) override;

    Camera* CreateCamera(bool orthographic) override;
    Light* CreateLight(uint32_t index) override;
    VertexBuffer* CreateVertexBuffer(uint32_t usage, uint32_t hasColor, uint32_t vertexCount) override;
    VertexBuffer* CreateVertexBufferCopy(uint32_t usage, uint32_t hasColor, const VertexBuffer& source) override;
    VertexBuffer* CloneVertexBuffer(const VertexBuffer& source) override;
    IndexBuffer* CreateIndexBuffer(uint32_t usage, uint32_t count) override;
    IndexBuffer* CreateIndexBufferCopy(uint32_t usage, const IndexBuffer& source) override;
    IndexBuffer* CloneIndexBuffer(const IndexBuffer& source) override;
    Texture2D* CreateTextureFromImages(const std::string& name, Image* diffuse, Image* opacity, bool mips,
                                       bool deferred) override;
    Texture2D* CreateTextureFromFiles(const std::string& name, const std::string& diffuse,
                                      const std::string& opacity, bool mips, bool deferred) override;

    void SetDefaultStates() override;
    void SetMaterial(const Color& ambient, const Color& diffuse, const Color& specular, const Color& emissive,
                     float power) override;
    void UpdateProjectionMatrix() override;
    void UpdateViewMatrix() override;
    void UpdateWorldMatrix() override;
    void UpdateAmbientColor() override;
    void UpdateAlphaBlend() override;
    void UpdateBlend() override;
    void UpdateTexture(uint32_t stage) override;
    void UpdateMaxTextureAnisotropy(uint32_t stage) override;
    void UpdateTextureFilter(uint32_t stage) override;
    void UpdateTextureAdressU(uint32_t stage) override;
    void UpdateTextureAdressV(uint32_t stage) override;
    void UpdateTextureMatrix(uint32_t stage) override;
    void UpdateCullMode() override;
    void UpdateLighting() override;
    void UpdatenormalizeNormals() override;
    void UpdateZ() override;
    void UpdateZWrite() override;
    void UpdateStencil() override;

    // Every texture made here registers itself, so a reset reaches them all.
    void AddTexture(Texture2D_D3D7* texture);
    void RemoveTexture(Texture2D_D3D7* texture);
    const std::vector<Texture2D_D3D7*>& GetTextures() const { return textures; }

    // Code tables: what a cached state code becomes on the device.
    static D3DCULL CullModeOf(uint32_t code);
    static D3DTEXTUREADDRESS AddressModeOf(uint32_t code);
    static D3DBLEND BlendFactorOf(uint32_t code);

    const DeviceCallCounters& GetDeviceCallCounters() const { return counters; }
    void ResetDeviceCallCounters() { counters = DeviceCallCounters(); }
    // Measuring the time spent inside the device costs two counter reads per call.
    void SetDeviceCallTiming(bool on) { timeDeviceCalls = on; }

    AdapterInfo_D3D7* GetCurrentAdapter() const { return static_cast<AdapterInfo_D3D7*>(currentAdapter); }
    DeviceInfo_D3D7* GetCurrentDevice() const { return static_cast<DeviceInfo_D3D7*>(RenderSystem::GetCurrentDevice()); }
    ModeInfo_D3D7* GetCurrentMode() const { return static_cast<ModeInfo_D3D7*>(RenderSystem::GetCurrentMode()); }
    // The current device rasterises in hardware through the HAL (managed textures, depth in video memory).
    bool IsHalDevice() const;

    std::vector<Texture2D_D3D7*> textures; // not owned
    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirect3DDevice7* device = nullptr;
    IDirectDrawSurface7* depthBuffer = nullptr;
    IDirectDrawSurface7* primarySurface = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    DDSURFACEDESC2 backBufferDesc = {};

    // Enumeration callbacks handed to DirectDraw and Direct3D.
    static BOOL WINAPI EnumAdapterCallback(GUID* guid, LPSTR description, LPSTR driverName, LPVOID context,
                                           HMONITOR monitor);
    static HRESULT WINAPI EnumModeCallback(LPDDSURFACEDESC2 desc, LPVOID context);
    static HRESULT WINAPI EnumDeviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc, LPVOID context);
    static HRESULT WINAPI EnumZBufferFormatCallback(LPDDPIXELFORMAT format, LPVOID context);
    static HRESULT WINAPI EnumTextureFormatCallback(LPDDPIXELFORMAT format, LPVOID context);

private:
    // The records of a driver that drives the same display as one listed
    // already: copied from it, since asking the driver again gives the same.
    bool CopyAdapterOfSameDisplay(const GUID& guid, const char* description, HMONITOR monitor);
    void CreateScreenSurfaces(const ModeInfo_D3D7& mode, bool fullscreen);
    void CreateDepthBuffer();
    void DrawChunk(bool strip, const uint16_t* indices, uint32_t indexCount, const uint8_t* vertices,
                   uint32_t vertexCount, uint32_t format);

    void SetTransform(const char* where, D3DTRANSFORMSTATETYPE type, const float* matrix);
    void SetRenderState(const char* where, D3DRENDERSTATETYPE state, DWORD value);
    void SetTextureStageState(const char* where, uint32_t stage, D3DTEXTURESTAGESTATETYPE state, DWORD value);

    DeviceCallCounters counters;
    bool timeDeviceCalls = false;
    std::vector<uint16_t> indexScratch; // 32-bit index buffers are drawn through it
};

} // namespace KorvaneEngine
