// What the display set-up asks of the driver on Wine's real device: every
// DirectDraw object costs the driver a whole set-up of its own, so the
// display is listed once and the device is made from the object that listed
// it. The calls are counted through this program's own imports.
#include <algorithm>

#include "RenderTestSupport.h"
#include "support/TestSupport.h"

using namespace RenderTest;

namespace {

const char* const kScreenMode = "1280x1024x32";

using CreateFunction = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
using EnumerateFunction = HRESULT(WINAPI*)(LPDDENUMCALLBACKEXA, LPVOID, DWORD);

CreateFunction realCreate = nullptr;
EnumerateFunction realEnumerate = nullptr;
std::vector<void*> created;
int enumerations = 0;

HRESULT WINAPI CountingCreate(GUID* guid, LPVOID* object, REFIID iid, IUnknown* outer)
{
    const HRESULT result = realCreate(guid, object, iid, outer);
    if (SUCCEEDED(result))
        created.push_back(*object);
    return result;
}

HRESULT WINAPI CountingEnumerate(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags)
{
    ++enumerations;
    return realEnumerate(callback, context, flags);
}

class Enumeration : public ::testing::Test {
protected:
    void SetUp() override
    {
        created.clear();
        enumerations = 0;
        realCreate = reinterpret_cast<CreateFunction>(
            TestSupport::PatchImport("ddraw.dll", "DirectDrawCreateEx", reinterpret_cast<void*>(&CountingCreate)));
        realEnumerate = reinterpret_cast<EnumerateFunction>(
            TestSupport::PatchImport("ddraw.dll", "DirectDrawEnumerateExA",
                                     reinterpret_cast<void*>(&CountingEnumerate)));
        ASSERT_NE(realCreate, nullptr);
        ASSERT_NE(realEnumerate, nullptr);
    }
    void TearDown() override
    {
        if (realCreate)
            TestSupport::PatchImport("ddraw.dll", "DirectDrawCreateEx", reinterpret_cast<void*>(realCreate));
        if (realEnumerate)
            TestSupport::PatchImport("ddraw.dll", "DirectDrawEnumerateExA", reinterpret_cast<void*>(realEnumerate));
    }
};

} // namespace

TEST_F(Enumeration, OneDirectDrawObjectListsTheDisplayAndMakesTheDevice)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 1) << "the test display has one screen";
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;

    EXPECT_EQ(enumerations, 1);
    // Wine lists the one display twice: as the primary display driver and by
    // its GUID. Neither entry nor the device may ask for another object.
    ASSERT_GE(r.adapters.size(), 2u);
    ASSERT_EQ(created.size(), 1u) << "one DirectDraw object for one display";
    EXPECT_EQ(static_cast<void*>(r.directDraw), created[0]) << "the device is made from the listing's object";
    EXPECT_EQ(r.currentAdapter, r.adapters.front());
    EXPECT_EQ(s.Count("...Level device list...\n"), 1);
    EXPECT_EQ(s.Count("...Creating DirectDraw...\n"), 1);
    EXPECT_EQ(s.CountLevel(3), 0);

    // A reset makes the device anew from an object of its own, the listing's
    // one all released, and the device draws.
    r.ResetDevice(1);
    r.ResetDevice(2);
    EXPECT_EQ(s.CountLevel(4), 0) << "an object was still referenced";
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(static_cast<void*>(r.directDraw), created[1]);
    EXPECT_EQ(s.Count("...Level device list...\n"), 1) << "a reset never lists the hardware again";
    r.clearColor = Color(0.0f, 1.0f, 0.0f, 1.0f);
    r.BeginScene();
    r.EndScene();
    Image shot;
    r.TakeScreenshot(shot);
    EXPECT_TRUE(PixelNear(shot, 5, 5, 0, 255, 0, 0));

    s.log->ClearHistory();
    s.render.reset();
    EXPECT_EQ(s.CountLevel(4), 0) << "an object was still referenced";
    EXPECT_EQ(created.size(), 2u);
}

TEST_F(Enumeration, SecondEntryOfTheOneDisplayHoldsWhatItsDriverSays)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    Services s;
    s.Start(kScreenMode, false, true);
    RenderSystem_D3D7& r = *s.render;
    const AdapterInfo_D3D7* primary = static_cast<AdapterInfo_D3D7*>(r.adapters.front());
    int compared = 0;
    for (AdapterInfo* a : r.adapters) {
        AdapterInfo_D3D7* listed = static_cast<AdapterInfo_D3D7*>(a);
        if (!listed->guidPointer)
            continue;
        EXPECT_FALSE(listed->canRenderWindowed);
        EXPECT_EQ(listed->desktopMode.dmPelsWidth, primary->desktopMode.dmPelsWidth);

        // The driver asked by the entry's GUID, through the same callbacks.
        IDirectDraw7* dd = nullptr;
        ASSERT_TRUE(SUCCEEDED(realCreate(listed->guidPointer, reinterpret_cast<void**>(&dd), IID_IDirectDraw7,
                                         nullptr)));
        IDirect3D7* d3d = nullptr;
        ASSERT_TRUE(SUCCEEDED(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d))));
        AdapterInfo_D3D7 asked;
        asked.guid = listed->guid;
        asked.guidPointer = &asked.guid;
        asked.driverCaps.dwSize = asked.emulationCaps.dwSize = sizeof(DDCAPS);
        ASSERT_TRUE(SUCCEEDED(dd->GetCaps(&asked.driverCaps, &asked.emulationCaps)));
        dd->EnumDisplayModes(0, nullptr, &asked, RenderSystem_D3D7::EnumModeCallback);
        std::stable_sort(asked.displayModes.begin(), asked.displayModes.end(), RenderSystem_D3D7::CompareModes);
        d3d->EnumDevices(RenderSystem_D3D7::EnumDeviceCallback, &asked);
        d3d->Release();
        dd->Release();

        EXPECT_EQ(listed->driverCaps.dwCaps, asked.driverCaps.dwCaps);
        EXPECT_EQ(listed->driverCaps.dwCaps2, asked.driverCaps.dwCaps2);
        EXPECT_EQ(listed->emulationCaps.dwCaps, asked.emulationCaps.dwCaps);
        ASSERT_EQ(listed->displayModes.size(), asked.displayModes.size());
        for (size_t i = 0; i < asked.displayModes.size(); ++i) {
            EXPECT_EQ(listed->displayModes[i].dwWidth, asked.displayModes[i].dwWidth);
            EXPECT_EQ(listed->displayModes[i].dwHeight, asked.displayModes[i].dwHeight);
            EXPECT_EQ(listed->displayModes[i].ddpfPixelFormat.dwRGBBitCount,
                      asked.displayModes[i].ddpfPixelFormat.dwRGBBitCount);
            EXPECT_EQ(listed->displayModes[i].dwRefreshRate, asked.displayModes[i].dwRefreshRate);
        }
        ASSERT_EQ(listed->devices.size(), asked.devices.size());
        for (size_t i = 0; i < asked.devices.size(); ++i) {
            const DeviceInfo_D3D7* mine = static_cast<DeviceInfo_D3D7*>(listed->devices[i]);
            const DeviceInfo_D3D7* theirs = static_cast<DeviceInfo_D3D7*>(asked.devices[i]);
            EXPECT_TRUE(IsEqualGUID(mine->guid, theirs->guid));
            EXPECT_EQ(mine->guidPointer, &mine->guid);
            EXPECT_STREQ(mine->name, theirs->name);
            EXPECT_STREQ(mine->description, theirs->description);
            EXPECT_EQ(mine->hardware, theirs->hardware);
            EXPECT_TRUE(mine->hardware) << "a display with a GUID lists hardware devices only";
            ASSERT_EQ(mine->modes.size(), theirs->modes.size());
            for (size_t m = 0; m < mine->modes.size(); ++m) {
                const ModeInfo_D3D7* mode = static_cast<ModeInfo_D3D7*>(mine->modes[m]);
                EXPECT_EQ(mode->width, theirs->modes[m]->width);
                EXPECT_EQ(mode->height, theirs->modes[m]->height);
                EXPECT_EQ(mode->bitsPerPixel, theirs->modes[m]->bitsPerPixel);
                // Its own list's mode, not the primary entry's.
                EXPECT_TRUE(mode->surfaceDesc >= listed->displayModes.data() &&
                            mode->surfaceDesc < listed->displayModes.data() + listed->displayModes.size());
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 1) << "Wine lists the display by its GUID too";
    EXPECT_EQ(created.size(), 1u) << "only the test asked the driver again";
}
