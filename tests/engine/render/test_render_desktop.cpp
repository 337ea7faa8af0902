// Display modes other than the X screen's: under Wine these exist only inside
// a virtual desktop, so this program runs its InDesktop tests again inside one.
#include <cstring>

#include "RenderTestSupport.h"
#include "engine/render/d3d7/Texture2D_D3D7.h"
#include "support/TestSupport.h"

using namespace RenderTest;

namespace {

#define SKIP_OUTSIDE_DESKTOP()                                  \
    if (!TestSupport::InVirtualDesktop())                       \
    GTEST_SKIP() << "runs inside the virtual desktop only"

COLORREF FrontPixel(RenderSystem_D3D7& r, LONG x, LONG y)
{
    DDSURFACEDESC2 d = {};
    d.dwSize = sizeof(d);
    RECT one = {x, y, x + 1, y + 1};
    if (r.primarySurface->Lock(&one, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
        return 1;
    const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface);
    COLORREF c = RGB(p[2], p[1], p[0]);
    r.primarySurface->Unlock(&one);
    return c;
}

void ClearTo(RenderSystem_D3D7& r, const Color& c)
{
    r.clearColor = c;
    r.BeginScene();
    r.EndScene();
}

bool UniformShot(RenderSystem_D3D7& r, uint32_t w, uint32_t h, uint8_t red, uint8_t green, uint8_t blue)
{
    Image shot;
    r.TakeScreenshot(shot);
    EXPECT_EQ(shot.GetWidth(), w);
    EXPECT_EQ(shot.GetHeight(), h);
    if (shot.GetWidth() != w || shot.GetHeight() != h)
        return false;
    for (uint32_t y = 0; y < h; y += 7)
        for (uint32_t x = 0; x < w; x += 7) {
            const uint8_t* p = shot.GetPixel(x, y);
            if (p[0] != red || p[1] != green || p[2] != blue)
                return false;
        }
    return true;
}

} // namespace

TEST(VirtualDesktop, ModesOtherThanTheScreensSetUp)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_render_modes", 1280, 1024, "InDesktop.*"));
}

TEST(InDesktop, Windowed800x600)
{
    SKIP_OUTSIDE_DESKTOP();
    Services s;
    s.Start("800x600x32", false);
    RenderSystem_D3D7& r = *s.render;
    ModeInfo_D3D7* mode = r.GetCurrentMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 800u);
    EXPECT_EQ(mode->height, 600u);
    EXPECT_FALSE(r.GetCurrentDevice()->fullscreen);
    EXPECT_FALSE(s.window->IsFullscreen());
    EXPECT_EQ(r.backBufferDesc.dwWidth, 800u);
    EXPECT_EQ(r.backBufferDesc.dwHeight, 600u);
    RECT client;
    GetClientRect(s.window->GetHandle(), &client);
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);
    EXPECT_GE(s.Find("......Creating screen buffers...\n"), 0);
    EXPECT_GE(s.Find(" \n"), 0);
    EXPECT_EQ(s.CountLevel(3), 0);

    ClearTo(r, Color(0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_TRUE(UniformShot(r, 800, 600, 0, 255, 0));
    r.SwapBuffers();
    POINT p = {400, 300};
    ClientToScreen(s.window->GetHandle(), &p);
    EXPECT_EQ(FrontPixel(r, p.x, p.y), RGB(0, 255, 0)) << "blitted into the window";
    s.Stop();
}

TEST(InDesktop, FullScreen1024x768)
{
    SKIP_OUTSIDE_DESKTOP();
    Services s;
    s.Start("1024x768x32", true);
    RenderSystem_D3D7& r = *s.render;
    ModeInfo_D3D7* mode = r.GetCurrentMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 1024u);
    EXPECT_EQ(mode->height, 768u);
    EXPECT_TRUE(r.GetCurrentDevice()->fullscreen);
    EXPECT_TRUE(s.window->IsFullscreen());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the display was switched";
    EXPECT_EQ(r.backBufferDesc.dwWidth, 1024u);
    EXPECT_TRUE(r.backBufferDesc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER) << "a flip chain";
    EXPECT_EQ(s.CountLevel(3), 0);

    ClearTo(r, Color(1.0f, 0.0f, 1.0f, 1.0f));
    r.SwapBuffers();
    EXPECT_EQ(FrontPixel(r, 512, 384), RGB(255, 0, 255)) << "flipped to the front";
    ClearTo(r, Color(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_TRUE(UniformShot(r, 1024, 768, 0, 0, 255));

    // Screenshots keep the picture's proportions on a desktop that is not 4:3:
    // a band of 40 rows at the top mostly leaves the picture when rows are cropped.
    std::unique_ptr<VertexBuffer> vb(r.CreateVertexBuffer(0, 1, 4));
    std::unique_ptr<IndexBuffer> ib(r.CreateIndexBuffer(0, 6));
    const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
    ib->SetIndices(0, 6, idx);
    ColoredVertex* v = vb->LockColoredVertices(0, 4);
    const float bottom = 1.0f - 2.0f * 40.0f / 768.0f;
    const float xy[4][2] = {{-1, bottom}, {1, bottom}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        v[i].position = Vector3(xy[i][0], xy[i][1], -0.5f);
        v[i].color = 0xFF00FF00;
    }
    vb->Unlock();
    UseFlatProjection(r);
    r.clearColor = Color(0, 0, 0, 1);
    r.BeginScene();
    r.DrawIndexedPrimitive(false, ib.get(), vb.get(), 2);
    r.EndScene();
    Image shot;
    r.TakeScreenshot(shot);
    std::printf("desktop aspect %f, wide %d, narrow %d\n", s.window->GetDesktopAspect(), s.window->IsDesktopWide(),
                s.window->IsDesktopNarrow());
    const uint8_t* row20 = ScreenPixel(shot, 512, 20);
    const uint8_t* row45 = ScreenPixel(shot, 512, 45);
    if (s.window->IsDesktopNarrow()) {
        EXPECT_EQ(row20[1], 0) << "the top rows were cropped away";
        EXPECT_EQ(row45[1], 0);
    } else {
        EXPECT_EQ(row20[1], 255);
    }
    EXPECT_EQ(shot.GetWidth(), 1024u);
    EXPECT_EQ(shot.GetHeight(), 768u);
    s.Stop();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280) << "the desktop mode came back";
}

TEST(InDesktop, WindowTooLargeForTheScreenTakes1024x768)
{
    SKIP_OUTSIDE_DESKTOP();
    Services s;
    s.Start("1280x1024x32", false);
    ModeInfo_D3D7* mode = s.render->GetCurrentMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 1024u);
    EXPECT_EQ(mode->height, 768u);
    EXPECT_FALSE(s.render->GetCurrentDevice()->fullscreen);
    EXPECT_EQ(s.config->videoMode, "1280x1024x32");
    s.Stop();
}

TEST(InDesktop, ModeChangeResetsTheDevice)
{
    SKIP_OUTSIDE_DESKTOP();
    Services s;
    s.Start("800x600x32", false);
    RenderSystem_D3D7& r = *s.render;
    s.config->videoMode = "800x600x32";
    r.CheckVideoMode();
    EXPECT_FALSE(r.deviceLost) << "unchanged mode";

    s.config->videoMode = "1024x768x32";
    s.config->fullscreen = true;
    r.CheckVideoMode();
    ASSERT_TRUE(r.deviceLost);
    r.ResetDevice(1);
    EXPECT_FALSE(r.deviceLost);
    EXPECT_EQ(r.GetCurrentMode()->width, 1024u);
    EXPECT_TRUE(r.GetCurrentDevice()->fullscreen);
    EXPECT_TRUE(s.window->IsFullscreen());
    ClearTo(r, Color(1, 1, 0, 1));
    EXPECT_TRUE(UniformShot(r, 1024, 768, 255, 255, 0));

    s.config->videoMode = "640x480x32";
    s.config->fullscreen = false;
    r.CheckVideoMode();
    r.ResetDevice(1);
    EXPECT_EQ(r.GetCurrentMode()->width, 640u);
    EXPECT_FALSE(s.window->IsFullscreen());
    ClearTo(r, Color(0, 1, 1, 1));
    EXPECT_TRUE(UniformShot(r, 640, 480, 0, 255, 255));
    EXPECT_EQ(s.CountLevel(3), 0);
    EXPECT_EQ(s.CountLevel(4), 0);
    s.Stop();
}

TEST(InDesktop, SixteenBitDisplayTakesSixteenBitTextures)
{
    SKIP_OUTSIDE_DESKTOP();
    Services s;
    s.Start("1024x768x16", true);
    RenderSystem_D3D7& r = *s.render;
    ASSERT_EQ(r.GetCurrentMode()->bitsPerPixel, 16u);
    std::printf("16-bit device formats: %08x\n", r.textureFormatMask);

    Image* colour = new Image;
    colour->Create(4, 4, 24, true);
    colour->Fill(Color(1.0f, 0.0f, 0.0f, 1.0f));
    std::unique_ptr<Texture2D_D3D7> plain(
        static_cast<Texture2D_D3D7*>(r.CreateTextureFromImages("plain", colour, nullptr, false, false)));
    Image* alpha = new Image;
    alpha->Create(4, 4, 32, true);
    alpha->Fill(Color(0.0f, 1.0f, 0.0f, 0.5f)); // alpha byte 127
    std::unique_ptr<Texture2D_D3D7> blended(
        static_cast<Texture2D_D3D7*>(r.CreateTextureFromImages("blended", alpha, nullptr, false, false)));

    auto firstWord = [](IDirectDrawSurface7* surface, DDPIXELFORMAT& format) {
        DDSURFACEDESC2 d = {};
        d.dwSize = sizeof(d);
        EXPECT_EQ(surface->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
        uint32_t v = 0;
        std::memcpy(&v, d.lpSurface, d.ddpfPixelFormat.dwRGBBitCount / 8);
        format = d.ddpfPixelFormat;
        surface->Unlock(nullptr);
        return v;
    };
    DDPIXELFORMAT f;
    const uint32_t red = firstWord(plain->surface, f);
    if (r.textureFormatMask & (1u << kTextureFormatR5G6B5)) {
        EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 5u);
        EXPECT_EQ(red, 0xF800u);
        EXPECT_EQ(plain->GetMemorySize(), 4u * 4u * 2u);
    }
    const uint32_t green = firstWord(blended->surface, f);
    if (r.textureFormatMask & (1u << kTextureFormatA4R4G4B4)) {
        EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(f), 4u);
        EXPECT_EQ(green, 0x70F0u); // alpha 127 >> 4 = 7, green 255 >> 4 = 15
    }

    // No conversion from 16-bit pixels: the screenshot is white.
    ClearTo(r, Color(0.0f, 0.0f, 1.0f, 1.0f));
    Image shot;
    r.TakeScreenshot(shot);
    EXPECT_EQ(shot.GetBits(), 24u);
    EXPECT_TRUE(PixelNear(shot, 100, 100, 255, 255, 255, 0));
    EXPECT_EQ(s.CountLevel(3), 0);
    plain.reset();
    blended.reset();
    s.Stop();
}
