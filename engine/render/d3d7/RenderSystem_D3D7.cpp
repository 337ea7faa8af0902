#include "engine/render/d3d7/RenderSystem_D3D7.h"

#include <algorithm>
#include <cstring>

#include "engine/foundation/Config.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/Window.h"
#include "engine/render/d3d7/Camera_D3D7.h"
#include "engine/render/d3d7/IndexBuffer_D3D7.h"
#include "engine/render/d3d7/Light_D3D7.h"
#include "engine/render/d3d7/Log_D3D7.h"
#include "engine/render/d3d7/Texture2D_D3D7.h"
#include "engine/render/d3d7/VertexBuffer_D3D7.h"

namespace KorvaneEngine {

namespace {

const char* const kDots = "........................................................";

HWND WindowHandle()
{
    Window* window = Window::Instance();
    return window ? window->GetHandle() : nullptr;
}

template <class T> void ReleaseInterface(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

struct DepthFormatSearch {
    DWORD depth;
    DWORD stencil;
    bool found;
    DDPIXELFORMAT format;
};

} // namespace

AdapterInfo_D3D7::~AdapterInfo_D3D7()
{
    if (directDraw)
        directDraw->Release();
}

IDirectDraw7* AdapterInfo_D3D7::TakeDirectDraw()
{
    IDirectDraw7* object = directDraw;
    directDraw = nullptr;
    return object;
}

void AdapterInfo_D3D7::KeepDirectDraw(IDirectDraw7* object)
{
    if (directDraw)
        directDraw->Release();
    directDraw = object;
}

DeviceInfo_D3D7::~DeviceInfo_D3D7() = default;
ModeInfo_D3D7::~ModeInfo_D3D7() = default;

RenderSystem_D3D7::RenderSystem_D3D7(bool useStencil_, bool allowAnyWindowSize_)
    : RenderSystem(useStencil_, allowAnyWindowSize_)
{
    RenderLog::Message("\nInitialization of Direct3D subsystem...");
    EnumerateAdapters();
    CreateDevice(true);
    AllocateTextureStageStates();
    RenderLog::Message(" ");
}

RenderSystem_D3D7::~RenderSystem_D3D7()
{
    RenderLog::Message("\nDirect3D Subsystem destroying:");
    // Textures still alive here would keep DirectDraw referenced; their
    // surfaces are worthless without the device anyway.
    for (Texture2D_D3D7* texture : textures)
        texture->ReleaseSurface();
    try {
        ReleaseDevice();
    } catch (const FatalError&) {
        // Already logged; a destructor must not throw.
    }
    textures.clear();
}

bool RenderSystem_D3D7::IsHalDevice() const
{
    const DeviceInfo_D3D7* d = GetCurrentDevice();
    return d && (IsEqualGUID(d->guid, IID_IDirect3DHALDevice) || IsEqualGUID(d->guid, IID_IDirect3DTnLHalDevice));
}

// ---------------------------------------------------------------- enumeration

void RenderSystem_D3D7::EnumerateAdapters()
{
    RenderLog::Message("...Level device list...");
    DirectDrawEnumerateExA(EnumAdapterCallback, this,
                           DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                               DDENUM_NONDISPLAYDEVICES);
    if (adapters.empty() || adapters.front()->devices.empty())
        RenderLog::Fatal("RenderSystem_D3D7: Failed to find any compatible Direct3D devices");
}

BOOL WINAPI RenderSystem_D3D7::EnumAdapterCallback(GUID* guid, LPSTR description, LPSTR driverName, LPVOID context,
                                                   HMONITOR monitor)
{
    RenderSystem_D3D7* self = static_cast<RenderSystem_D3D7*>(context);
    if (guid && self->CopyAdapterOfSameDisplay(*guid, description, monitor))
        return TRUE;
    IDirectDraw7* dd = nullptr;
    if (FAILED(DirectDrawCreateEx(guid, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr)) || !dd)
        return TRUE;
    IDirect3D7* d3d = nullptr;
    if (FAILED(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d))) || !d3d) {
        dd->Release();
        return TRUE;
    }

    AdapterInfo_D3D7* adapter = new AdapterInfo_D3D7;
    self->adapters.push_back(adapter);
    lstrcpynA(adapter->description, description ? description : "", sizeof(adapter->description));
    adapter->driverCaps.dwSize = sizeof(DDCAPS);
    adapter->emulationCaps.dwSize = sizeof(DDCAPS);
    self->CheckResult("RenderSystem_D3D7::EnumAdapterCallback", dd->GetCaps(&adapter->driverCaps, &adapter->emulationCaps));
    if (guid) {
        adapter->guid = *guid;
        adapter->guidPointer = &adapter->guid;
    }
    adapter->canRenderWindowed = !guid && (adapter->driverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0;

    adapter->desktopMode.dmSize = sizeof(DEVMODEA);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &adapter->desktopMode);

    self->CheckResult("RenderSystem_D3D7::EnumAdapterCallback", dd->EnumDisplayModes(0, nullptr, adapter, EnumModeCallback));
    std::stable_sort(adapter->displayModes.begin(), adapter->displayModes.end(), CompareModes);

    self->CheckResult("RenderSystem_D3D7::EnumAdapterCallback", d3d->EnumDevices(EnumDeviceCallback, adapter));
    d3d->Release();
    // Only an adapter that renders windowed can be chosen for the device.
    if (adapter->canRenderWindowed && !adapter->devices.empty())
        adapter->KeepDirectDraw(dd);
    else
        dd->Release();
    return TRUE;
}

bool RenderSystem_D3D7::CopyAdapterOfSameDisplay(const GUID& guid, const char* description, HMONITOR monitor)
{
    // With a single display, the primary display driver (listed first, without
    // a GUID) and the driver listed with the GUID of the primary monitor are
    // one driver of one display. With more displays the primary display
    // driver may stand for the whole desktop, so each is asked for itself.
    if (!monitor || GetSystemMetrics(SM_CMONITORS) != 1 ||
        monitor != MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY))
        return false;
    const AdapterInfo_D3D7* primary = nullptr;
    for (AdapterInfo* a : adapters)
        if (!static_cast<AdapterInfo_D3D7*>(a)->guidPointer)
            primary = static_cast<AdapterInfo_D3D7*>(a);
    if (!primary)
        return false;

    AdapterInfo_D3D7* adapter = new AdapterInfo_D3D7;
    adapters.push_back(adapter);
    lstrcpynA(adapter->description, description ? description : "", sizeof(adapter->description));
    adapter->driverCaps = primary->driverCaps;
    adapter->emulationCaps = primary->emulationCaps;
    adapter->guid = guid;
    adapter->guidPointer = &adapter->guid;
    adapter->canRenderWindowed = false; // it has a GUID
    adapter->desktopMode.dmSize = sizeof(DEVMODEA);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &adapter->desktopMode);
    adapter->displayModes = primary->displayModes;
    // The devices as the driver reported them, through the same filter: a
    // device's modes must refer to this adapter's own list.
    for (const DeviceInfo* d : primary->devices) {
        const DeviceInfo_D3D7* device = static_cast<const DeviceInfo_D3D7*>(d);
        char deviceDescription[sizeof(device->description)], name[sizeof(device->name)];
        std::memcpy(deviceDescription, device->description, sizeof(deviceDescription));
        std::memcpy(name, device->name, sizeof(name));
        D3DDEVICEDESC7 caps = device->caps;
        EnumDeviceCallback(deviceDescription, name, &caps, adapter);
    }
    return true;
}

HRESULT WINAPI RenderSystem_D3D7::EnumModeCallback(LPDDSURFACEDESC2 desc, LPVOID context)
{
    if (desc->dwWidth >= 640 && desc->dwHeight >= 400)
        static_cast<AdapterInfo_D3D7*>(context)->displayModes.push_back(*desc);
    return DDENUMRET_OK;
}

bool RenderSystem_D3D7::CompareModes(const DDSURFACEDESC2& a, const DDSURFACEDESC2& b)
{
    if (a.dwWidth != b.dwWidth)
        return a.dwWidth > b.dwWidth;
    if (a.dwHeight != b.dwHeight)
        return a.dwHeight > b.dwHeight;
    return a.ddpfPixelFormat.dwRGBBitCount > b.ddpfPixelFormat.dwRGBBitCount;
}

HRESULT WINAPI RenderSystem_D3D7::EnumDeviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc,
                                                     LPVOID context)
{
    AdapterInfo_D3D7* adapter = static_cast<AdapterInfo_D3D7*>(context);
    DeviceInfo_D3D7* device = new DeviceInfo_D3D7;
    device->guid = desc->deviceGUID;
    device->guidPointer = &device->guid;
    lstrcpynA(device->description, description ? description : "", sizeof(device->description));
    lstrcpynA(device->name, name ? name : "", sizeof(device->name));
    device->caps = *desc;
    device->hardware = (desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;

    // Secondary displays are only worth using with hardware rasterisation.
    if (adapter->guidPointer && !device->hardware) {
        delete device;
        return D3DENUMRET_OK;
    }

    const DWORD depths = desc->dwDeviceRenderBitDepth;
    for (const DDSURFACEDESC2& mode : adapter->displayModes) {
        const DWORD bits = mode.ddpfPixelFormat.dwRGBBitCount;
        if (!((bits == 32 && (depths & DDBD_32)) || (bits == 24 && (depths & DDBD_24)) ||
              (bits == 16 && (depths & DDBD_16))))
            continue;
        ModeInfo_D3D7* info = new ModeInfo_D3D7;
        info->width = mode.dwWidth;
        info->height = mode.dwHeight;
        info->bitsPerPixel = bits == 16 ? 16 : 32;
        info->surfaceDesc = &mode;
        device->modes.push_back(info);
    }
    if (device->modes.empty())
        delete device;
    else
        adapter->devices.push_back(device);
    return D3DENUMRET_OK;
}

// ------------------------------------------------------------ device choice

void RenderSystem_D3D7::SelectDevice(bool softwareOnly)
{
    struct Choice {
        AdapterInfo* adapter = nullptr;
        DeviceInfo* device = nullptr;
    } tnlHal, hal, software, reference;

    for (AdapterInfo* a : adapters) {
        AdapterInfo_D3D7* adapter = static_cast<AdapterInfo_D3D7*>(a);
        if (!adapter->canRenderWindowed)
            continue;
        for (DeviceInfo* d : adapter->devices) {
            DeviceInfo_D3D7* device = static_cast<DeviceInfo_D3D7*>(d);
            Choice* kind;
            if (device->hardware)
                kind = IsEqualGUID(device->guid, IID_IDirect3DTnLHalDevice) ? &tnlHal : &hal;
            else
                kind = IsEqualGUID(device->guid, IID_IDirect3DRefDevice) ? &reference : &software;
            kind->adapter = adapter;
            kind->device = device;
        }
    }

    const Choice* order[4] = {&tnlHal, &hal, &software, &reference};
    for (int i = softwareOnly ? 2 : 0; i < 4; ++i) {
        if (order[i]->device) {
            currentAdapter = order[i]->adapter;
            currentAdapter->currentDevice = order[i]->device;
            return;
        }
    }
    RenderLog::Fatal("RenderSystem_D3D7: Failed to find any compatible Direct3D devices");
}

void RenderSystem_D3D7::CreateDevice(bool logCapabilities)
{
    if (!currentAdapter)
        SelectDevice(false);
    if (InitDevice(logCapabilities))
        return;
    if (GetCurrentDevice()->hardware) {
        RenderLog::Warning("......RenderSystem_D3D7: Switching to the software rasterizer");
        SelectDevice(true);
        CreateDevice(true);
    } else {
        RenderLog::Fatal("RenderSystem_D3D7: Failed to create Direct3D device");
    }
}

void RenderSystem_D3D7::ChooseVideoMode()
{
    AdapterInfo_D3D7* adapter = GetCurrentAdapter();
    DeviceInfo_D3D7* device = GetCurrentDevice();
    Window* window = Window::Instance();
    Config* config = videoSettings;
    const Vector2i workArea = window ? window->GetWorkAreaSize() : Vector2i(0, 0);

    // The chain is requested -> default -> 640x480x16 -> fatal; the bound keeps
    // a configuration whose reset changes nothing from looping for ever.
    for (int attempt = 0;; ++attempt) {
        const std::string lower = ToLowerCopy(config->videoMode);
        uint32_t width, height, bits;
        if (lower == "desktop") {
            width = adapter->desktopMode.dmPelsWidth;
            height = adapter->desktopMode.dmPelsHeight;
            bits = adapter->desktopMode.dmBitsPerPel;
            config->fullscreen = true;
        } else {
            ParseVideoMode(config->videoMode, &width, &height, &bits);
        }

        ModeInfo* chosen = nullptr;
        const bool fits = static_cast<int64_t>(width) < workArea.x && static_cast<int64_t>(height) < workArea.y;
        if (!config->fullscreen && !allowAnyWindowSize && !fits) {
            // A window that would not fit: the desktop size or a 4:3 mode that fits.
            const uint32_t deskW = adapter->desktopMode.dmPelsWidth, deskH = adapter->desktopMode.dmPelsHeight;
            const uint32_t deskBits = adapter->desktopMode.dmBitsPerPel;
            ModeInfo *desktop = nullptr, *m640 = nullptr, *m800 = nullptr, *m1024 = nullptr;
            for (ModeInfo* mode : device->modes) {
                if (mode->bitsPerPixel != deskBits)
                    continue;
                const bool isDesktop = mode->width == deskW && mode->height == deskH;
                const bool isSmall43 = mode->width % 4 == 0 && mode->height % 3 == 0 &&
                                       mode->width / 4 == mode->height / 3 &&
                                       static_cast<int64_t>(mode->width) < workArea.x &&
                                       static_cast<int64_t>(mode->height) < workArea.y;
                if (!isDesktop && !isSmall43)
                    continue;
                if (isDesktop)
                    desktop = mode;
                if (mode->width == 640 && mode->height == 480)
                    m640 = mode;
                if (mode->width == 800 && mode->height == 600)
                    m800 = mode;
                if (mode->width == 1024 && mode->height == 768)
                    m1024 = mode;
            }
            if (m1024)
                chosen = m1024;
            else if (m800)
                chosen = m800;
            else if (m640)
                chosen = m640;
            else if (!desktop)
                chosen = device->modes.empty() ? nullptr : device->modes.front();
            else
                chosen = desktop;
        } else {
            for (ModeInfo* mode : device->modes) {
                if (mode->width == width && mode->height == height && mode->bitsPerPixel == bits) {
                    chosen = mode;
                    break;
                }
            }
        }

        if (chosen) {
            device->currentMode = chosen;
            break;
        }

        const std::string defaultMode = ToLowerCopy(config->GetDefaultValue("v_mode"));
        if (lower == defaultMode || lower == "640x480x16" || attempt >= 3) {
            if (lower == "640x480x16" || attempt >= 3)
                RenderLog::Fatal("RenderSystem_D3D7: Failed to find compatible video mode");
            config->videoMode = "640x480x16";
        } else {
            config->ResetVariable("v_mode");
        }
    }
    device->fullscreen = config->fullscreen && !(window && window->GetHost());
}

// ---------------------------------------------------------------- set-up

bool RenderSystem_D3D7::InitDevice(bool logCapabilities)
{
    try {
        ChooseVideoMode();
        AdapterInfo_D3D7* adapter = GetCurrentAdapter();
        DeviceInfo_D3D7* deviceInfo = GetCurrentDevice();
        const ModeInfo_D3D7& mode = *GetCurrentMode();
        const bool fullscreen = deviceInfo->fullscreen;
        const HWND hwnd = WindowHandle();

        RenderLog::Message("...Creating DirectDraw...");
        // The object that listed the adapter at start-up; a reset or the
        // fall-back makes a new one.
        directDraw = adapter->TakeDirectDraw();
        if (!directDraw &&
            (FAILED(DirectDrawCreateEx(adapter->guidPointer, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                                       nullptr)) ||
             !directDraw)) {
            directDraw = nullptr;
            throw Error("Failed to create DirectDraw");
        }

        RenderLog::Message("......Setting cooperative level...");
        const DWORD level =
            (fullscreen ? DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE : DDSCL_NORMAL) | DDSCL_FPUSETUP;
        if (FAILED(directDraw->SetCooperativeLevel(hwnd, level)))
            throw Error("Failed to set DirectDraw cooperative level");

        DDSURFACEDESC2 display = {};
        display.dwSize = sizeof(display);
        if (FAILED(directDraw->GetDisplayMode(&display)) || display.ddpfPixelFormat.dwRGBBitCount <= 8)
            throw Error("Invalid DirectDraw display mode");

        RenderLog::Message("......Creating screen buffers...");
        if (Window* window = Window::Instance())
            window->ChangeMode(mode.width, mode.height, fullscreen);
        CreateScreenSurfaces(mode, fullscreen);

        RenderLog::Message("...Creating Direct3D...");
        if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D))) || !direct3D) {
            direct3D = nullptr;
            throw Error("Failed to create Direct3D");
        }

        RenderLog::Message("...Creating Direct3D device...");
        if (FAILED(direct3D->CreateDevice(deviceInfo->guid, backBuffer, &device)) || !device) {
            device = nullptr;
            throw Error("Failed to create Direct3D device");
        }

        RenderLog::Message("......Setting viewport...");
        D3DVIEWPORT7 viewport = {0, 0, mode.width, mode.height, 0.0f, 1.0f};
        if (FAILED(device->SetViewport(&viewport)))
            throw Error("Failed to set viewport");

        RenderLog::Message("......Creating Z Buffer...");
        if (!(deviceInfo->caps.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR))
            CreateDepthBuffer();

        if (FAILED(device->SetRenderTarget(backBuffer, 0)))
            throw Error("Failed to set render target");

        const D3DDEVICEDESC7& caps = deviceInfo->caps;
        // The counters and the fixed-function pipeline know eight stages at most.
        textureStageCount = std::min<uint32_t>(caps.wMaxSimultaneousTextures, 8);
        maxTextureWidth = caps.dwMaxTextureWidth;
        maxTextureHeight = caps.dwMaxTextureHeight;
        maxAnisotropy = static_cast<int32_t>(caps.dwMaxAnisotropy);
        if (logCapabilities) {
            RenderLog::Message(kDots);
            RenderLog::Message("......Capabilities:");
            RenderLog::Message(".........Maximal texture units: " + std::to_string(textureStageCount));
            RenderLog::Message(".........Maximal texture size: " + std::to_string(maxTextureWidth) + "x" +
                               std::to_string(maxTextureHeight));
            RenderLog::Message(".........Maximal texture anisotropy: " + std::to_string(maxAnisotropy));
        }

        textureFormatMask = 0;
        CheckResult("RenderSystem_D3D7::InitDevice", device->EnumTextureFormats(EnumTextureFormatCallback, this));
        return true;
    } catch (const FatalError&) {
        ReleaseDevice();
        throw;
    } catch (const Error& e) {
        ReleaseDevice();
        RenderLog::Error("RenderSystem_D3D7: " + e.GetMessage());
        return false;
    }
}

void RenderSystem_D3D7::CreateScreenSurfaces(const ModeInfo_D3D7& mode, bool fullscreen)
{
    if (fullscreen) {
        const DDSURFACEDESC2& real = *mode.surfaceDesc;
        if (FAILED(directDraw->SetDisplayMode(mode.width, mode.height, real.ddpfPixelFormat.dwRGBBitCount,
                                              real.dwRefreshRate, 0)))
            throw Error("Failed to set display mode");
    }

    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (fullscreen) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    }
    if (FAILED(directDraw->CreateSurface(&desc, &primarySurface, nullptr)) || !primarySurface) {
        primarySurface = nullptr;
        throw Error("Failed to create primary surface");
    }

    if (fullscreen) {
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        if (FAILED(primarySurface->GetAttachedSurface(&caps, &backBuffer)) || !backBuffer) {
            backBuffer = nullptr;
            throw Error("Failed to create back buffer");
        }
        backBuffer->AddRef();
    } else {
        IDirectDrawClipper* clipper = nullptr;
        if (FAILED(directDraw->CreateClipper(0, &clipper, nullptr)) || !clipper)
            throw Error("Failed to create clipper");
        CheckResult("RenderSystem_D3D7::InitDevice", clipper->SetHWnd(0, WindowHandle()));
        CheckResult("RenderSystem_D3D7::InitDevice", primarySurface->SetClipper(clipper));
        clipper->Release();

        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        desc.dwWidth = mode.width;
        desc.dwHeight = mode.height;
        if (FAILED(directDraw->CreateSurface(&desc, &backBuffer, nullptr)) || !backBuffer) {
            backBuffer = nullptr;
            throw Error("Failed to create back buffer");
        }
    }
    backBufferDesc = {};
    backBufferDesc.dwSize = sizeof(backBufferDesc);
    CheckResult("RenderSystem_D3D7::InitDevice", backBuffer->GetSurfaceDesc(&backBufferDesc));
}

HRESULT WINAPI RenderSystem_D3D7::EnumZBufferFormatCallback(LPDDPIXELFORMAT format, LPVOID context)
{
    DepthFormatSearch* search = static_cast<DepthFormatSearch*>(context);
    if (format->dwZBufferBitDepth == search->depth && format->dwStencilBitDepth >= search->stencil) {
        search->format = *format;
        search->found = true;
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

void RenderSystem_D3D7::CreateDepthBuffer()
{
    DeviceInfo_D3D7* deviceInfo = GetCurrentDevice();
    DDSURFACEDESC2 desc = backBufferDesc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.ddsCaps = DDSCAPS2{};
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (IsHalDevice() ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);

    DepthFormatSearch search = {};
    search.stencil = useStencil ? 1 : 0;
    search.depth = backBufferDesc.ddpfPixelFormat.dwRGBBitCount;
    CheckResult("RenderSystem_D3D7::InitDevice",
                direct3D->EnumZBufferFormats(deviceInfo->guid, EnumZBufferFormatCallback, &search));
    if (!search.found) {
        search.depth = 16;
        CheckResult("RenderSystem_D3D7::InitDevice",
                    direct3D->EnumZBufferFormats(deviceInfo->guid, EnumZBufferFormatCallback, &search));
    }
    if (!search.found && useStencil) {
        search.depth = 16;
        search.stencil = 0;
        CheckResult("RenderSystem_D3D7::InitDevice",
                    direct3D->EnumZBufferFormats(deviceInfo->guid, EnumZBufferFormatCallback, &search));
    }
    if (!search.found)
        throw Error("Failed to create Z Buffer");
    stencilPresent = search.stencil > 0;
    desc.ddpfPixelFormat = search.format;
    if (FAILED(directDraw->CreateSurface(&desc, &depthBuffer, nullptr)) || !depthBuffer) {
        depthBuffer = nullptr;
        throw Error("Failed to create Z Buffer");
    }
    if (FAILED(backBuffer->AddAttachedSurface(depthBuffer)))
        throw Error("Failed to create Z Buffer");
}

HRESULT WINAPI RenderSystem_D3D7::EnumTextureFormatCallback(LPDDPIXELFORMAT format, LPVOID context)
{
    RenderSystem_D3D7* self = static_cast<RenderSystem_D3D7*>(context);
    self->textureFormatMask |= 1u << ClassifyPixelFormat(*format);
    return D3DENUMRET_OK;
}

uint32_t RenderSystem_D3D7::ClassifyPixelFormat(const DDPIXELFORMAT& f)
{
    const DWORD rgbAlpha = DDPF_RGB | DDPF_ALPHAPIXELS;
    if (f.dwFlags == rgbAlpha && f.dwRGBBitCount == 32 && f.dwRGBAlphaBitMask == 0xFF000000 &&
        f.dwRBitMask == 0xFF0000 && f.dwGBitMask == 0xFF00 && f.dwBBitMask == 0xFF)
        return kTextureFormatA8R8G8B8;
    if (f.dwFlags == rgbAlpha && f.dwRGBBitCount == 16 && f.dwRGBAlphaBitMask == 0xF000 && f.dwRBitMask == 0x0F00 &&
        f.dwGBitMask == 0xF0 && f.dwBBitMask == 0xF)
        return kTextureFormatA4R4G4B4;
    if (f.dwFlags == DDPF_RGB && f.dwRGBBitCount == 16 && f.dwRGBAlphaBitMask == 0 && f.dwRBitMask == 0xF800 &&
        f.dwGBitMask == 0x7E0 && f.dwBBitMask == 0x1F)
        return kTextureFormatR5G6B5;
    static const DWORD fourCCs[5] = {MAKEFOURCC('D', 'X', 'T', '1'), MAKEFOURCC('D', 'X', 'T', '2'),
                                     MAKEFOURCC('D', 'X', 'T', '3'), MAKEFOURCC('D', 'X', 'T', '4'),
                                     MAKEFOURCC('D', 'X', 'T', '5')};
    for (uint32_t i = 0; i < 5; ++i)
        if (f.dwFourCC == fourCCs[i])
            return kTextureFormatDXT1 + i;
    return kTextureFormatNone;
}

void RenderSystem_D3D7::ReleaseDevice()
{
    if (directDraw)
        CheckResult("RenderSystem_D3D7::ReleaseDevice", directDraw->SetCooperativeLevel(WindowHandle(), DDSCL_NORMAL));

    RenderLog::Message("...Releasing device...");
    ULONG deviceCount = 0;
    if (device) {
        deviceCount = device->Release();
        device = nullptr;
    }
    RenderLog::Message("...Releasing surfaces...");
    ReleaseInterface(backBuffer);
    ReleaseInterface(depthBuffer);
    ReleaseInterface(primarySurface);
    RenderLog::Message("...Releasing Direct3D...");
    ReleaseInterface(direct3D);
    RenderLog::Message("...Releasing DirectDraw...");
    ULONG directDrawCount = 0;
    if (directDraw) {
        directDrawCount = directDraw->Release();
        directDraw = nullptr;
    }
    if (deviceCount != 0)
        RenderLog::Fatal("RenderSystem_D3D7: device object is still referenced");
    if (directDrawCount != 0)
        RenderLog::Fatal("RenderSystem_D3D7: DirectDraw object is still referenced");
}

void RenderSystem_D3D7::CheckResult(const char* where, HRESULT result)
{
    if (result >= 0)
        return;
    RenderLog::Error(std::string("Direct3D Subsystem (") + where + "): " + GetResultText(result));
}

// ----------------------------------------------------------------- factories

VertexBuffer* RenderSystem_D3D7::CreateVertexBuffer(uint32_t usage, uint32_t hasColor, uint32_t vertexCount)
{
    return new VertexBuffer_D3D7(usage, hasColor, vertexCount);
}

VertexBuffer* RenderSystem_D3D7::CreateVertexBufferCopy(uint32_t usage, uint32_t hasColor, const VertexBuffer& source)
{
    return new VertexBuffer_D3D7(usage, hasColor, source);
}

VertexBuffer* RenderSystem_D3D7::CloneVertexBuffer(const VertexBuffer& source) { return new VertexBuffer_D3D7(source); }

IndexBuffer* RenderSystem_D3D7::CreateIndexBuffer(uint32_t usage, uint32_t count)
{
    return new IndexBuffer_D3D7(usage, count);
}

IndexBuffer* RenderSystem_D3D7::CreateIndexBufferCopy(uint32_t usage, const IndexBuffer& source)
{
    return new IndexBuffer_D3D7(usage, source);
}

IndexBuffer* RenderSystem_D3D7::CloneIndexBuffer(const IndexBuffer& source) { return new IndexBuffer_D3D7(source); }

Camera* RenderSystem_D3D7::CreateCamera(bool orthographic)
{
    return new Camera_D3D7(orthographic, &device);
}

Light* RenderSystem_D3D7::CreateLight(uint32_t index)
{
    return new Light_D3D7(index, &device);
}

Texture2D* RenderSystem_D3D7::CreateTextureFromImages(const std::string& name, Image* diffuse, Image* opacity,
                                                      bool mips, bool deferred)
{
    return new Texture2D_D3D7(name, diffuse, opacity, mips, deferred);
}

Texture2D* RenderSystem_D3D7::CreateTextureFromFiles(const std::string& name, const std::string& diffuse,
                                                     const std::string& opacity, bool mips, bool deferred)
{
    return new Texture2D_D3D7(name, diffuse, opacity, mips, deferred);
}

void RenderSystem_D3D7::AddTexture(Texture2D_D3D7* texture) { textures.push_back(texture); }

void RenderSystem_D3D7::RemoveTexture(Texture2D_D3D7* texture)
{
    auto it = std::find(textures.begin(), textures.end(), texture);
    if (it == textures.end())
        RenderLog::Fatal("RenderSystem_D3D7: Failed to remove texture \"" + texture->GetName() + "\"");
    textures.erase(it);
}

} // namespace KorvaneEngine
