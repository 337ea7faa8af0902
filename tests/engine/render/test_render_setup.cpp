// Display set-up of the Direct3D 7 render system on Wine's real device:
// enumeration, the choice rules for devices and modes, the log lines, the
// software fall-back, and the result texts.
#include <algorithm>

#include "RenderTestSupport.h"

using namespace RenderTest;

namespace {

const std::string kDots = "........................................................";

// The X screen's own size, taken as asked (any window size allowed): which
// other modes Wine lists outside a virtual desktop depends on its history.
const char* const kScreenMode = "1280x1024x32";

ModeInfo_D3D7* MakeMode(std::vector<DDSURFACEDESC2>& store, size_t i, uint32_t w, uint32_t h, uint32_t bits)
{
    store[i] = DDSURFACEDESC2{};
    store[i].dwSize = sizeof(DDSURFACEDESC2);
    store[i].dwWidth = w;
    store[i].dwHeight = h;
    store[i].ddpfPixelFormat.dwRGBBitCount = bits;
    ModeInfo_D3D7* m = new ModeInfo_D3D7;
    m->width = w;
    m->height = h;
    m->bitsPerPixel = bits == 16 ? 16 : 32;
    m->surfaceDesc = &store[i];
    return m;
}

DeviceInfo_D3D7* MakeDevice(const GUID& guid, bool hardware)
{
    DeviceInfo_D3D7* d = new DeviceInfo_D3D7;
    d->guid = guid;
    d->guidPointer = &d->guid;
    d->hardware = hardware;
    return d;
}

} // namespace

TEST(Setup, LogsEveryStepAndReadsTheDeviceLimits)
{
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;

    const char* steps[] = {"\nInitialization of Direct3D subsystem...\n",
                           "...Level device list...\n",
                           "...Creating DirectDraw...\n",
                           "......Setting cooperative level...\n",
                           "......Creating screen buffers...\n",
                           "...Creating Direct3D...\n",
                           "...Creating Direct3D device...\n",
                           "......Setting viewport...\n",
                           "......Creating Z Buffer...\n"};
    int at = 0;
    for (const char* step : steps) {
        int found = s.Find(step, at);
        ASSERT_GE(found, at) << "missing or out of order: " << step;
        at = found + 1;
    }
    const D3DDEVICEDESC7& caps = r.GetCurrentDevice()->caps;
    const std::string capsLines[] = {
        kDots + "\n", "......Capabilities:\n",
        ".........Maximal texture units: " + std::to_string(std::min<int>(caps.wMaxSimultaneousTextures, 8)) + "\n",
        ".........Maximal texture size: " + std::to_string(caps.dwMaxTextureWidth) + "x" +
            std::to_string(caps.dwMaxTextureHeight) + "\n",
        ".........Maximal texture anisotropy: " + std::to_string(caps.dwMaxAnisotropy) + "\n", " \n"};
    for (const std::string& line : capsLines) {
        ASSERT_EQ(s.Find(line, at), at) << "expected next: " << line;
        ++at;
    }
    EXPECT_EQ(s.CountLevel(3), 0) << "set-up logged an error";

    EXPECT_EQ(r.maxTextureWidth, caps.dwMaxTextureWidth);
    EXPECT_EQ(r.maxAnisotropy, static_cast<int32_t>(caps.dwMaxAnisotropy));
    EXPECT_GE(r.textureStageCount, 1u);
    EXPECT_EQ(r.stageTextures.size(), r.textureStageCount);
    EXPECT_EQ(r.stageTextureMatrix.size(), r.textureStageCount);
    EXPECT_TRUE(r.textureFormatMask & (1u << kTextureFormatA8R8G8B8));
    EXPECT_FALSE(r.textureFormatMask & (1u << 2)) << "code 2 is never produced";
    EXPECT_TRUE(r.surfacesRestored);
    EXPECT_FALSE(r.deviceLost);
    EXPECT_FALSE(r.texturesLost);
    EXPECT_NE(r.depthBuffer, nullptr);
    EXPECT_FALSE(r.stencilPresent);
    EXPECT_EQ(RenderSystem::Instance(), &r);

    // Wine lists a T&L HAL and a HAL device on the primary display: T&L wins.
    EXPECT_TRUE(IsEqualGUID(r.GetCurrentDevice()->guid, IID_IDirect3DTnLHalDevice));
    EXPECT_TRUE(r.IsHalDevice());
    ModeInfo_D3D7* mode = r.GetCurrentMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 1280u);
    EXPECT_EQ(mode->height, 1024u);
    EXPECT_FALSE(r.GetCurrentDevice()->fullscreen);
    EXPECT_EQ(r.backBufferDesc.dwWidth, 1280u);

    s.Stop();
}

TEST(Setup, AdapterListHoldsOnlyUsableModesLargestFirst)
{
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;
    ASSERT_FALSE(r.adapters.empty());
    AdapterInfo_D3D7* primary = static_cast<AdapterInfo_D3D7*>(r.adapters.front());
    EXPECT_EQ(primary->guidPointer, nullptr);
    EXPECT_TRUE(primary->canRenderWindowed);
    EXPECT_EQ(primary->desktopMode.dmBitsPerPel, 32u);
    for (AdapterInfo* a : r.adapters) {
        AdapterInfo_D3D7* adapter = static_cast<AdapterInfo_D3D7*>(a);
        if (adapter->guidPointer) {
            EXPECT_FALSE(adapter->canRenderWindowed) << "only the primary display renders windowed";
        }
        for (size_t i = 0; i < adapter->displayModes.size(); ++i) {
            EXPECT_GE(adapter->displayModes[i].dwWidth, 640u);
            EXPECT_GE(adapter->displayModes[i].dwHeight, 400u);
            if (i) {
                EXPECT_FALSE(RenderSystem_D3D7::CompareModes(adapter->displayModes[i], adapter->displayModes[i - 1]));
            }
        }
        for (DeviceInfo* d : adapter->devices) {
            EXPECT_FALSE(d->modes.empty());
            for (ModeInfo* m : d->modes)
                EXPECT_TRUE(m->bitsPerPixel == 16 || m->bitsPerPixel == 32);
        }
    }
    s.Stop();
}

TEST(Setup, EnumerationCallbacksFilterModesAndDevices)
{
    AdapterInfo_D3D7 adapter;
    DDSURFACEDESC2 d = {};
    d.dwSize = sizeof(d);
    const uint32_t sizes[][3] = {{639, 480, 32}, {640, 399, 32}, {640, 400, 32}, {800, 600, 24},
                                 {1024, 768, 32}, {1024, 768, 16}, {800, 600, 8}};
    for (const auto& sz : sizes) {
        d.dwWidth = sz[0];
        d.dwHeight = sz[1];
        d.ddpfPixelFormat.dwRGBBitCount = sz[2];
        EXPECT_EQ(RenderSystem_D3D7::EnumModeCallback(&d, &adapter), DDENUMRET_OK);
    }
    ASSERT_EQ(adapter.displayModes.size(), 5u); // the two too small ones are dropped
    std::stable_sort(adapter.displayModes.begin(), adapter.displayModes.end(), RenderSystem_D3D7::CompareModes);
    EXPECT_EQ(adapter.displayModes[0].dwWidth, 1024u);
    EXPECT_EQ(adapter.displayModes[0].ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(adapter.displayModes[1].ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(adapter.displayModes[2].dwWidth, 800u);
    EXPECT_EQ(adapter.displayModes[4].dwHeight, 400u);

    D3DDEVICEDESC7 desc = {};
    desc.deviceGUID = IID_IDirect3DHALDevice;
    desc.dwDevCaps = D3DDEVCAPS_HWRASTERIZATION;
    desc.dwDeviceRenderBitDepth = DDBD_32 | DDBD_24;
    char text[] = "device";
    RenderSystem_D3D7::EnumDeviceCallback(text, text, &desc, &adapter);
    ASSERT_EQ(adapter.devices.size(), 1u);
    DeviceInfo_D3D7* device = static_cast<DeviceInfo_D3D7*>(adapter.devices[0]);
    EXPECT_TRUE(device->hardware);
    ASSERT_EQ(device->modes.size(), 3u); // 1024x768x32, 800x600x24, 640x400x32; never 16 or 8 bits
    ModeInfo_D3D7* mode24 = static_cast<ModeInfo_D3D7*>(device->modes[1]);
    EXPECT_EQ(mode24->width, 800u);
    EXPECT_EQ(mode24->bitsPerPixel, 32u) << "a 24-bit mode is offered as 32 bits";
    EXPECT_EQ(mode24->surfaceDesc->ddpfPixelFormat.dwRGBBitCount, 24u) << "and switched to with its real depth";

    // A device that renders to no listed depth is not listed.
    desc.dwDeviceRenderBitDepth = DDBD_8;
    RenderSystem_D3D7::EnumDeviceCallback(text, text, &desc, &adapter);
    EXPECT_EQ(adapter.devices.size(), 1u);

    // On a secondary display only hardware devices count.
    AdapterInfo_D3D7 secondary;
    secondary.guidPointer = &secondary.guid;
    secondary.displayModes = adapter.displayModes;
    desc.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    desc.dwDevCaps = 0;
    RenderSystem_D3D7::EnumDeviceCallback(text, text, &desc, &secondary);
    EXPECT_TRUE(secondary.devices.empty());
    desc.dwDevCaps = D3DDEVCAPS_HWRASTERIZATION;
    RenderSystem_D3D7::EnumDeviceCallback(text, text, &desc, &secondary);
    ASSERT_EQ(secondary.devices.size(), 1u);
    EXPECT_EQ(secondary.devices[0]->modes.size(), 3u); // 1024x768 at 32 and 16, 640x400
}

TEST(Setup, DeviceChoicePrefersTransformAndLightingHardware)
{
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;
    AdapterInfo* realAdapter = r.currentAdapter;

    std::vector<AdapterInfo*> fake;
    AdapterInfo_D3D7* other = new AdapterInfo_D3D7; // cannot render windowed: never chosen
    other->devices.push_back(MakeDevice(IID_IDirect3DTnLHalDevice, true));
    AdapterInfo_D3D7* primary = new AdapterInfo_D3D7;
    primary->canRenderWindowed = true;
    DeviceInfo_D3D7* ref = MakeDevice(IID_IDirect3DRefDevice, false);
    DeviceInfo_D3D7* rgb = MakeDevice(IID_IDirect3DRGBDevice, false);
    DeviceInfo_D3D7* hal = MakeDevice(IID_IDirect3DHALDevice, true);
    DeviceInfo_D3D7* tnl = MakeDevice(IID_IDirect3DTnLHalDevice, true);
    primary->devices = {ref, rgb, tnl, hal};
    fake = {other, primary};
    std::swap(r.adapters, fake);

    r.SelectDevice(false);
    EXPECT_EQ(r.currentAdapter, primary);
    EXPECT_EQ(primary->currentDevice, tnl);
    r.SelectDevice(true);
    EXPECT_EQ(primary->currentDevice, rgb) << "software first, the reference device last";

    primary->devices = {ref, hal, rgb};
    r.SelectDevice(false);
    EXPECT_EQ(primary->currentDevice, hal);
    primary->devices = {ref};
    r.SelectDevice(false);
    EXPECT_EQ(primary->currentDevice, ref);
    primary->devices = {hal};
    EXPECT_THROW(r.SelectDevice(true), FatalError);
    EXPECT_EQ(s.Find("PROGRAM ABORTING: RenderSystem_D3D7: Failed to find any compatible Direct3D devices\n") >= 0,
              true);

    primary->devices = {ref, rgb, tnl, hal};
    std::swap(r.adapters, fake);
    DeleteAll(fake);
    r.currentAdapter = realAdapter;
    s.Stop();
}

TEST(Setup, VideoModeChoiceFollowsTheChain)
{
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;
    Config& config = *s.config;
    DeviceInfo_D3D7* device = r.GetCurrentDevice();
    AdapterInfo_D3D7* adapter = r.GetCurrentAdapter();
    const std::vector<ModeInfo*> realModes = device->modes;
    ModeInfo* realCurrent = device->currentMode;
    const DEVMODEA realDesktop = adapter->desktopMode;
    r.allowAnyWindowSize = false;
    const Vector2i work = s.window->GetWorkAreaSize();
    ASSERT_GT(work.x, 1100);
    ASSERT_GT(work.y, 700);

    std::vector<DDSURFACEDESC2> store(7);
    std::vector<ModeInfo*> modes = {MakeMode(store, 0, 1280, 1024, 32), MakeMode(store, 1, 1024, 768, 32),
                                    MakeMode(store, 2, 1024, 600, 32),  MakeMode(store, 3, 800, 600, 32),
                                    MakeMode(store, 4, 640, 480, 32),   MakeMode(store, 5, 640, 480, 16),
                                    MakeMode(store, 6, 800, 600, 24)};
    device->modes = modes;
    adapter->desktopMode.dmPelsWidth = 1280;
    adapter->desktopMode.dmPelsHeight = 1024;
    adapter->desktopMode.dmBitsPerPel = 32;

    auto choose = [&](const std::string& mode, bool fullscreen) -> ModeInfo* {
        config.videoMode = mode;
        config.fullscreen = fullscreen;
        device->currentMode = nullptr;
        r.ChooseVideoMode();
        return device->currentMode;
    };

    // "desktop" in any case: the desktop's size and depth, and full-screen.
    EXPECT_EQ(choose("DeskTop", false), modes[0]);
    EXPECT_TRUE(config.fullscreen);
    EXPECT_TRUE(device->fullscreen);

    // A window of the full screen size does not fit: 1024 x 768 is taken.
    EXPECT_EQ(choose("1280x1024x32", false), modes[1]);
    EXPECT_FALSE(device->fullscreen);
    EXPECT_EQ(config.videoMode, "1280x1024x32") << "the automatic choice leaves the setting alone";
    // Without 1024 x 768: 800 x 600, then 640 x 480.
    device->modes = {modes[0], modes[3], modes[4]};
    EXPECT_EQ(choose("1280x1024x32", false), modes[3]);
    device->modes = {modes[0], modes[4]};
    EXPECT_EQ(choose("1280x1024x32", false), modes[4]);
    // No 4:3 mode that fits: the desktop-size mode, else the first mode.
    device->modes = {modes[2], modes[0]};
    EXPECT_EQ(choose("1280x1024x32", false), modes[0]);
    device->modes = {modes[2], modes[5]};
    EXPECT_EQ(choose("1280x1024x32", false), modes[2]);
    device->modes = modes;

    // A window that fits is taken as asked, 4:3 or not.
    EXPECT_EQ(choose("1024x600x32", false), modes[2]);
    EXPECT_EQ(choose("640x480x16", false), modes[5]);
    // Full-screen needs the exact mode; 24-bit modes are listed as 32.
    EXPECT_EQ(choose("800x600x32", true), modes[3]);
    EXPECT_EQ(choose("800x600x32", true), modes[3]);
    EXPECT_EQ(choose("1024x768x32", true), modes[1]);
    EXPECT_TRUE(device->fullscreen);

    // A missing mode falls back to the default text...
    EXPECT_EQ(choose("999x999x32", true), modes[0]);
    EXPECT_EQ(config.videoMode, kScreenMode);
    // ...then to 640x480x16 when the default is missing too...
    device->modes = {modes[1], modes[5]};
    EXPECT_EQ(choose("999x999x32", true), modes[5]);
    EXPECT_EQ(config.videoMode, "640x480x16");
    // ...and ends the program when that is missing as well.
    device->modes = {modes[1]};
    config.videoMode = "1111x222x32";
    config.fullscreen = true;
    EXPECT_THROW(r.ChooseVideoMode(), FatalError);
    EXPECT_GE(s.Find("PROGRAM ABORTING: RenderSystem_D3D7: Failed to find compatible video mode\n"), 0);

    device->modes = realModes;
    device->currentMode = realCurrent;
    adapter->desktopMode = realDesktop;
    config.videoMode = kScreenMode;
    config.fullscreen = false;
    for (ModeInfo* m : modes)
        delete m;
    s.Stop();
}

TEST(Setup, FailedHardwareDeviceFallsBackToSoftwareOnce)
{
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;

    // Wine marks its RGB device as rasterising in hardware; a real software
    // device does not. Make it look like one. Wine's hardware devices accept
    // any surface, so give them a display mode no back buffer can have: the
    // hardware set-up fails on it, and the software device falls back to the
    // configured default.
    AdapterInfo_D3D7* adapter = r.GetCurrentAdapter();
    DeviceInfo_D3D7* rgb = nullptr;
    std::vector<DDSURFACEDESC2> store(1);
    ModeInfo_D3D7* impossible = MakeMode(store, 0, 0, 0, 32);
    std::vector<std::pair<DeviceInfo*, std::vector<ModeInfo*>>> saved;
    for (DeviceInfo* d : adapter->devices) {
        DeviceInfo_D3D7* device = static_cast<DeviceInfo_D3D7*>(d);
        if (IsEqualGUID(device->guid, IID_IDirect3DRGBDevice)) {
            device->hardware = false;
            rgb = device;
        } else if (device->hardware) {
            saved.emplace_back(device, device->modes);
            device->modes = {impossible};
            device->currentMode = nullptr;
        }
    }
    ASSERT_NE(rgb, nullptr) << "Wine lists an RGB device";
    r.allowAnyWindowSize = true;
    s.config->videoMode = "0x0x32";

    r.ReleaseDevice();
    r.currentAdapter = nullptr;
    s.log->ClearHistory();
    r.CreateDevice(false);

    EXPECT_EQ(r.GetCurrentDevice(), rgb);
    EXPECT_FALSE(r.IsHalDevice());
    EXPECT_EQ(s.Count("\nError: RenderSystem_D3D7: Failed to create back buffer!\n\n"), 1);
    EXPECT_EQ(s.Count("\nWarning: ......RenderSystem_D3D7: Switching to the software rasterizer!\n\n"), 1);
    // The software device is set up with its capabilities logged.
    int warning = s.Find("\nWarning: ......RenderSystem_D3D7: Switching to the software rasterizer!\n\n");
    EXPECT_GT(s.Find("......Capabilities:\n"), warning);
    ASSERT_NE(r.device, nullptr);

    // And it draws.
    r.SetDefaultStates();
    r.clearColor = Color(1.0f, 0.0f, 0.0f, 1.0f);
    r.BeginScene();
    r.EndScene();
    Image shot;
    r.TakeScreenshot(shot);
    EXPECT_TRUE(PixelNear(shot, 10, 10, 255, 0, 0, 0));
    EXPECT_TRUE(PixelNear(shot, shot.GetWidth() - 1, shot.GetHeight() - 1, 255, 0, 0, 0));
    EXPECT_EQ(s.config->videoMode, kScreenMode) << "the software device took the default mode";
    EXPECT_GE(s.Find("\nError: RenderSystem_D3D7: Failed to create back buffer!\n\n"), 0);

    for (auto& entry : saved) {
        entry.first->modes = entry.second;
        entry.first->currentMode = nullptr;
    }
    delete impossible;
    s.Stop();
}

TEST(Setup, StencilIsAskedForWhenWanted)
{
    Services s;
    s.Start(kScreenMode, false, true, true);
    EXPECT_TRUE(s.render->stencilPresent);
    EXPECT_EQ(s.CountLevel(3), 0);
    s.Stop();
}

TEST(Setup, ReleaseLeavesNothingReferenced)
{
    Services s;
    s.Start(kScreenMode, false, true);
    s.log->ClearHistory();
    s.render.reset();
    const char* lines[] = {"\nDirect3D Subsystem destroying:\n", "...Releasing device...\n",
                           "...Releasing surfaces...\n",        "...Releasing Direct3D...\n",
                           "...Releasing DirectDraw...\n"};
    int at = 0;
    for (const char* line : lines) {
        int found = s.Find(line, at);
        ASSERT_GE(found, at) << line;
        at = found + 1;
    }
    EXPECT_EQ(s.CountLevel(4), 0) << "an object was still referenced";
    EXPECT_EQ(RenderSystem::Instance(), nullptr);
    s.Stop();
}

TEST(Results, TextsAndTheUnknownCode)
{
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(DDERR_SURFACELOST),
              "Access to the surface is refused because the surface memory is gone. Call the "
              "IDirectDrawSurface7::Restore method on this surface to restore the memory associated with it.");
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(DDERR_WRONGMODE),
              "This surface cannot be restored because it was created in a different mode.");
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(E_FAIL), "There is an undefined error condition.");
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(E_OUTOFMEMORY),
              "DirectDraw does not have enough memory to perform the operation.");
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(E_INVALIDARG),
              "One or more of the parameters passed to the method are incorrect.");
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(DDERR_WASSTILLDRAWING).rfind("DDERR_WASSTILLDRAWING: ", 0), 0u);
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(DDERR_NOTINITIALIZED).rfind("DDERR_NOTINITIALIZED: ", 0), 0u);
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(static_cast<HRESULT>(0x88760999)), "Unknown error (Code: -2005530215)");
    // Direct3D's own codes are not in the table.
    EXPECT_EQ(RenderSystem_D3D7::GetResultText(static_cast<HRESULT>(0x88760BB8)), "Unknown error (Code: -2005529672)");
}

TEST(Results, FailuresAreLoggedAndSuccessIsNot)
{
    Services s;
    s.Start(kScreenMode, false, true);
    s.log->ClearHistory();
    s.render->CheckResult("RenderSystem_D3D7::BeginScene", DD_OK);
    s.render->CheckResult("RenderSystem_D3D7::BeginScene", S_FALSE);
    EXPECT_EQ(s.log->GetHistorySize(), 0);
    s.render->CheckResult("RenderSystem_D3D7::BeginScene", DDERR_WRONGMODE);
    ASSERT_EQ(s.log->GetHistorySize(), 1);
    EXPECT_EQ(s.log->GetHistoryRecord(0)->level, 3u);
    EXPECT_EQ(s.log->GetHistoryRecord(0)->text,
              "\nError: Direct3D Subsystem (RenderSystem_D3D7::BeginScene): This surface cannot be restored because "
              "it was created in a different mode.!\n\n");
    s.Stop();
}

TEST(PixelFormats, ClassifiedIntoFormatCodes)
{
    auto rgb = [](DWORD flags, DWORD bits, DWORD a, DWORD r, DWORD g, DWORD b) {
        DDPIXELFORMAT f = {};
        f.dwSize = sizeof(f);
        f.dwFlags = flags;
        f.dwRGBBitCount = bits;
        f.dwRGBAlphaBitMask = a;
        f.dwRBitMask = r;
        f.dwGBitMask = g;
        f.dwBBitMask = b;
        return RenderSystem_D3D7::ClassifyPixelFormat(f);
    };
    EXPECT_EQ(rgb(0x41, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF), 3u);
    EXPECT_EQ(rgb(0x41, 16, 0xF000, 0x0F00, 0xF0, 0xF), 4u);
    EXPECT_EQ(rgb(0x40, 16, 0, 0xF800, 0x7E0, 0x1F), 5u);
    EXPECT_EQ(rgb(0x40, 32, 0, 0xFF0000, 0xFF00, 0xFF), 0u) << "X8R8G8B8 is no code";
    EXPECT_EQ(rgb(0x41, 16, 0x8000, 0x7C00, 0x3E0, 0x1F), 0u);
    EXPECT_EQ(rgb(0x41 | 0x20000, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF), 0u) << "flags must match exactly";
    DDPIXELFORMAT f = {};
    f.dwSize = sizeof(f);
    f.dwFourCC = MAKEFOURCC('D', 'X', 'T', '1');
    EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 6u) << "the code is tested whatever the flags say";
    f.dwFlags = DDPF_FOURCC;
    f.dwFourCC = MAKEFOURCC('D', 'X', 'T', '5');
    EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 10u);
    f.dwFourCC = MAKEFOURCC('D', 'X', 'T', '3');
    EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 8u);
    f.dwFourCC = MAKEFOURCC('Y', 'U', 'Y', '2');
    EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 0u);
}
