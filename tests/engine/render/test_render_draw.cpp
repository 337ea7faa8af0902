// The per-frame side of the Direct3D 7 render system on Wine's real device:
// clearing and reading the back buffer back, drawing from system-memory
// buffers, what the cached states become on the device and how often they
// reach it, and the lost-device cycle.
#include <cmath>

#include "RenderTestSupport.h"

using namespace RenderTest;

namespace {

const char* const kScreenMode = "1280x1024x32";

class Draw : public ::testing::Test {
protected:
    void SetUp() override
    {
        s.Start(kScreenMode, false, true);
        r = s.render.get();
        UseFlatProjection(*r);
    }
    void TearDown() override { s.Stop(); }

    DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD v = 0xDEADBEEF;
        EXPECT_EQ(r->device->GetRenderState(state, &v), D3D_OK);
        return v;
    }
    DWORD StageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE state)
    {
        DWORD v = 0xDEADBEEF;
        EXPECT_EQ(r->device->GetTextureStageState(stage, state, &v), D3D_OK);
        return v;
    }
    D3DMATRIX Transform(D3DTRANSFORMSTATETYPE type)
    {
        D3DMATRIX m = {};
        EXPECT_EQ(r->device->GetTransform(type, &m), D3D_OK);
        return m;
    }

    // A rectangle in clip space (x, y in -1..1, y up) of one colour, two triangles.
    void Rectangle(VertexBuffer& vb, uint32_t first, float x0, float y0, float x1, float y1, uint32_t argb,
                   float z = -0.5f)
    {
        ColoredVertex* v = vb.LockColoredVertices(first, 4);
        const float xy[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int i = 0; i < 4; ++i) {
            v[i].position = Vector3(xy[i][0], xy[i][1], z);
            v[i].normal = Vector3(0, 0, 1);
            v[i].color = argb;
            v[i].u = v[i].v = 0;
        }
        vb.Unlock();
    }

    // The back buffer as the screenshot sees it; refreshed by every call.
    const Image& Shot()
    {
        r->TakeScreenshot(shot_);
        return shot_;
    }
    Image shot_;

    Services s;
    RenderSystem_D3D7* r = nullptr;
};

// Follows the cache rule the shader users and models apply to states without
// a setter of their own.
void SetAlphaBlend(RenderSystem& r, bool on)
{
    if (r.forceStateUpdate || r.alphaBlend != on) {
        r.alphaBlend = on;
        r.UpdateAlphaBlend();
    }
}

void SetBlend(RenderSystem& r, uint32_t source, uint32_t destination)
{
    if (r.forceStateUpdate || r.sourceBlend != source || r.destinationBlend != destination) {
        r.sourceBlend = source;
        r.destinationBlend = destination;
        r.UpdateBlend();
    }
}

void SetCull(RenderSystem& r, uint32_t code)
{
    if (r.forceStateUpdate || r.cullMode != code) {
        r.cullMode = code;
        r.UpdateCullMode();
    }
}

} // namespace

TEST_F(Draw, ClearAndReadTheBackBufferBack)
{
    r->clearColor = Color(0.25f, 0.5f, 0.75f, 1.0f);
    r->BeginScene();
    r->EndScene();
    const Image* shot = &Shot();
    ASSERT_EQ(shot->GetWidth(), 1280u);
    ASSERT_EQ(shot->GetHeight(), 1024u);
    ASSERT_EQ(shot->GetBits(), 32u);
    // Each channel x 255, truncated.
    int wrong = 0;
    for (uint32_t y = 0; y < shot->GetHeight(); ++y)
        for (uint32_t x = 0; x < shot->GetWidth(); ++x) {
            const uint8_t* p = shot->GetPixel(x, y);
            wrong += p[0] != 63 || p[1] != 127 || p[2] != 191;
        }
    EXPECT_EQ(wrong, 0);

    // Clear flags 0: nothing is cleared.
    r->clearFlags = 0;
    r->clearColor = Color(1.0f, 0.0f, 0.0f, 1.0f);
    r->BeginScene();
    r->EndScene();
    const Image& again = Shot();
    EXPECT_TRUE(PixelNear(again, 640, 512, 63, 127, 191, 0));

    // Out-of-range channels do not spill into their neighbours.
    r->clearFlags = kClearTarget | kClearDepth;
    r->clearColor = Color(1.5f, -0.5f, 0.5f, 1.0f);
    r->BeginScene();
    r->EndScene();
    EXPECT_TRUE(PixelNear(Shot(), 5, 5, 255, 0, 127, 0));
    EXPECT_EQ(s.CountLevel(3), 0);
}

TEST_F(Draw, ScreenshotIsBottomUpAndCarriesAlpha)
{
    r->clearColor = Color(0, 0, 0, 1);
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 4));
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 6));
    const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
    ib->SetIndices(0, 6, idx);
    Rectangle(*vb, 0, -1, 0, 1, 1, 0xFF00FF00); // the upper half of the screen
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 2);
    r->EndScene();
    const Image* shot = &Shot();
    EXPECT_TRUE(PixelNear(*shot, 640, 100, 0, 255, 0, 0));
    EXPECT_TRUE(PixelNear(*shot, 640, 900, 0, 0, 0, 0));
    // Image row 0 is the bottom line of the screen.
    EXPECT_EQ(shot->GetPixel(640, 0)[1], 0);
    EXPECT_EQ(shot->GetPixel(640, 1023)[1], 255);
    // 255 minus the surface's alpha byte.
    DDPIXELFORMAT pf = r->backBufferDesc.ddpfPixelFormat;
    std::printf("back buffer: %lu bits, alpha mask %08lx\n", pf.dwRGBBitCount, pf.dwRGBAlphaBitMask);
    if (pf.dwRGBAlphaBitMask == 0) {
        r->clearColor = Color(0, 0, 0, 0);
        r->BeginScene();
        r->EndScene();
        DDSURFACEDESC2 d = {};
        d.dwSize = sizeof(d);
        ASSERT_EQ(r->backBuffer->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
        const uint8_t alphaByte = static_cast<const uint8_t*>(d.lpSurface)[3];
        r->backBuffer->Unlock(nullptr);
        EXPECT_EQ(Shot().GetPixel(3, 3)[3], 255 - alphaByte);
    }
    // Windowed: no aspect correction.
    EXPECT_EQ(shot->GetWidth(), 1280u);
}

TEST_F(Draw, VertexColouredTrianglesBlendWithAlpha)
{
    r->clearColor = Color(0.0f, 0.0f, 1.0f, 1.0f);
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 8));
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 12));
    const uint32_t idx[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    ib->SetIndices(0, 12, idx);
    Rectangle(*vb, 0, -1, -1, 0, 1, 0x80FF0000);   // left half: red at half alpha
    Rectangle(*vb, 4, 0, -1, 1, 1, 0x4000FF00);    // right half: green at quarter alpha
    SetAlphaBlend(*r, true);
    SetBlend(*r, kBlendSourceAlpha, kBlendInverseSourceAlpha);
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    r->EndScene();
    const Image* shot = &Shot();
    // red 255 x 128/255 over blue x 127/255
    EXPECT_TRUE(PixelNear(*shot, 320, 512, 128, 0, 127, 2));
    EXPECT_TRUE(PixelNear(*shot, 960, 512, 0, 64, 191, 2));
    EXPECT_EQ(r->GetDeviceCallCounters().lastIndexCount, 12u);
    EXPECT_EQ(r->GetDeviceCallCounters().lastVertexCount, 8u);

    // Without blending the same triangles are opaque.
    SetAlphaBlend(*r, false);
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    r->EndScene();
    shot = &Shot();
    EXPECT_TRUE(PixelNear(*shot, 320, 512, 255, 0, 0, 0));
    EXPECT_TRUE(PixelNear(*shot, 960, 512, 0, 255, 0, 0));
    EXPECT_EQ(s.CountLevel(3), 0);
}

TEST_F(Draw, DepthTestKeepsTheNearerSurface)
{
    r->clearColor = Color(0, 0, 0, 1);
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 8));
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 12));
    const uint32_t idx[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    ib->SetIndices(0, 12, idx);
    Rectangle(*vb, 0, -1, -1, 1, 1, 0xFFFF0000, -0.2f); // near, drawn first
    Rectangle(*vb, 4, -1, -1, 1, 1, 0xFF00FF00, -0.8f); // far, drawn second
    r->SetZEnable(true);
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    r->EndScene();
    EXPECT_TRUE(PixelNear(Shot(), 640, 512, 255, 0, 0, 0));
    r->SetZEnable(false); // the default: the last one drawn wins
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    r->EndScene();
    EXPECT_TRUE(PixelNear(Shot(), 640, 512, 0, 255, 0, 0));
}

TEST_F(Draw, IndexAndVertexCountsOfADraw)
{
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 8));
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 12));
    const uint32_t idx[12] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3};
    ib->SetIndices(0, 12, idx);
    const DeviceCallCounters& c = r->GetDeviceCallCounters();
    r->BeginScene();
    r->DrawIndexedPrimitive(true, ib.get(), vb.get(), 1);
    EXPECT_EQ(c.lastIndexCount, 3u);
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 1);
    EXPECT_EQ(c.lastIndexCount, 3u);
    r->DrawIndexedPrimitive(true, ib.get(), vb.get(), 4);
    EXPECT_EQ(c.lastIndexCount, 6u);
    EXPECT_EQ(c.lastVertexCount, 8u);

    // Indices all 7: vertex count 8.
    const uint32_t sevens[12] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    ib->SetIndices(0, 12, sevens);
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    EXPECT_EQ(c.lastVertexCount, 8u);

    // More primitives than the indices hold are cut to what they hold.
    const uint32_t drawsBefore = c.draws;
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 1000);
    EXPECT_EQ(c.lastIndexCount, 12u);
    r->DrawIndexedPrimitive(true, ib.get(), vb.get(), 1000);
    EXPECT_EQ(c.lastIndexCount, 12u);
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 0);
    EXPECT_EQ(c.draws, drawsBefore + 2);

    // An index past the vertex buffer is refused with an error, not drawn.
    const uint32_t beyond = 8;
    ib->SetIndices(5, 1, &beyond);
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    EXPECT_EQ(c.draws, drawsBefore + 2);
    EXPECT_EQ(s.CountLevel(3), 1);
    r->EndScene();
}

TEST_F(Draw, WideIndexBuffersAreDrawn)
{
    r->clearColor = Color(0, 0, 0, 1);
    // 65536 indices: a 32-bit buffer. Two rectangles, one at each end of a
    // vertex buffer larger than one 16-bit draw reaches.
    const uint32_t vertexCount = 70000;
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, vertexCount));
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 65536));
    ASSERT_EQ(ib->is32Bit, 1u);
    Rectangle(*vb, 0, -1, -1, 0, 1, 0xFFFF0000);
    Rectangle(*vb, vertexCount - 4, 0, -1, 1, 1, 0xFF00FF00);
    const uint32_t a = 0, b = vertexCount - 4;
    const uint32_t idx[12] = {a, a + 1, a + 2, a, a + 2, a + 3, b, b + 1, b + 2, b, b + 2, b + 3};
    ib->SetIndices(0, 12, idx);
    ib->SetIndexCount(12);
    const DeviceCallCounters& c = r->GetDeviceCallCounters();
    const uint32_t before = c.draws;
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 4);
    r->EndScene();
    EXPECT_EQ(c.draws, before + 2) << "drawn in two pieces";
    const Image* shot = &Shot();
    EXPECT_TRUE(PixelNear(*shot, 320, 512, 255, 0, 0, 0));
    EXPECT_TRUE(PixelNear(*shot, 960, 512, 0, 255, 0, 0));

    // The same as a strip: 0,1,3,2 covers the left rectangle, then two
    // degenerate steps carry it to the right one.
    const uint32_t strip[10] = {a, a + 1, a + 3, a + 2, a + 2, b, b, b + 1, b + 3, b + 2};
    ib->SetIndices(0, 10, strip);
    ib->SetIndexCount(10);
    // The rectangles run counter-clockwise on the screen; culling the
    // clockwise faces keeps them only when every piece keeps the winding.
    SetCull(*r, kCullClockwise);
    r->clearColor = Color(0, 0, 1, 1);
    r->BeginScene();
    r->DrawIndexedPrimitive(true, ib.get(), vb.get(), 8);
    r->EndScene();
    shot = &Shot();
    EXPECT_TRUE(PixelNear(*shot, 320, 512, 255, 0, 0, 0));
    EXPECT_TRUE(PixelNear(*shot, 960, 512, 0, 255, 0, 0));
    SetCull(*r, kCullNone);

    // A small 32-bit mesh goes in one call.
    IndexBuffer_D3D7 wide(0, 70000);
    const uint32_t small[6] = {0, 1, 2, 0, 2, 3};
    wide.SetIndices(0, 6, small);
    wide.SetIndexCount(6);
    const uint32_t mid = c.draws;
    r->BeginScene();
    r->DrawIndexedPrimitive(false, &wide, vb.get(), 2);
    r->EndScene();
    EXPECT_EQ(c.draws, mid + 1);
    EXPECT_EQ(c.lastVertexCount, 4u);
    EXPECT_EQ(s.CountLevel(3), 0);
}

// The cached setters; states the models and shader users compare themselves
// are counted through the draw pass in the scene tests.
TEST_F(Draw, CachedSettersSendEachUnchangedStateOnce)
{
    r->ResetDeviceCallCounters();
    const DeviceCallCounters& c = r->GetDeviceCallCounters();
    Matrix4 world;
    Matrix4::SetTranslation(world, Vector3(1, 2, 3));

    // A hundred objects with the same states in each of ten frames.
    for (int frame = 0; frame < 10; ++frame) {
        r->Refresh();
        r->BeginScene();
        for (int object = 0; object < 100; ++object) {
            r->SetWorldMatrix(world);
            r->SetAmbientColor(Color(0.2f, 0.3f, 0.4f, 1.0f));
            r->SetZEnable(true);
            r->SetZWriteEnable(false);
            r->SetStencilEnable(false);
            r->SetTextureMatrix(0, 2.0f, 2.0f, 0.5f, 0.0f);
        }
        r->EndScene();
    }
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_WORLD], 1u);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_TEXTURE0], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_AMBIENT], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ZENABLE], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ZWRITEENABLE], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_STENCILENABLE], 0u) << "already off";
    EXPECT_EQ(c.textureStageStates[0][D3DTSS_MAXANISOTROPY], 0u) << "the anisotropy did not change";

    // Rounding noise within the tolerance does not reach the device; more does.
    Matrix4 noisy = world;
    noisy.m[3] += 0.00009f;
    noisy.m[14] -= 0.00009f;
    r->SetWorldMatrix(noisy);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_WORLD], 1u);
    noisy = world;
    noisy.m[7] += 0.0002f;
    r->SetWorldMatrix(noisy);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_WORLD], 2u);
    r->SetAmbientColor(Color(0.20005f, 0.3f, 0.4f, 1.0f));
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_AMBIENT], 1u);
    r->SetAmbientColor(Color(0.2f, 0.3f, 0.4f, 0.9f));
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_AMBIENT], 2u);
    r->SetTextureMatrix(0, 2.0001f, 2.0f, 0.5f, 0.0f);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_TEXTURE0], 1u);
    r->SetTextureMatrix(0, 2.0f, 2.0f, 0.5f, 0.001f);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_TEXTURE0], 2u);

    // Forced: the unchanged value goes to the device all the same.
    r->forceStateUpdate = true;
    r->SetZEnable(true);
    r->SetWorldMatrix(noisy);
    r->SetStencilEnable(false);
    r->forceStateUpdate = false;
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ZENABLE], 2u);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_WORLD], 3u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_STENCILENABLE], 1u);
}

TEST_F(Draw, DefaultStatesReachEveryStage)
{
    r->SetZEnable(true);
    SetCull(*r, kCullClockwise);
    r->ResetDeviceCallCounters();
    r->SetDefaultStates();
    const DeviceCallCounters& c = r->GetDeviceCallCounters();
    for (uint32_t stage = 0; stage < r->textureStageCount; ++stage) {
        EXPECT_EQ(c.textures[stage], 1u);
        EXPECT_EQ(c.textureStageStates[stage][D3DTSS_MAXANISOTROPY], 1u);
        EXPECT_EQ(c.textureStageStates[stage][D3DTSS_MAGFILTER], 1u);
        EXPECT_EQ(c.textureStageStates[stage][D3DTSS_ADDRESSU], 1u);
        EXPECT_EQ(c.textureStageStates[stage][D3DTSS_ADDRESSV], 1u);
        EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_TEXTURE0 + stage], 1u);
        EXPECT_EQ(StageState(stage, D3DTSS_ALPHAOP), DWORD(stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE));
        EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(StageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_COUNT2));
        EXPECT_EQ(StageState(stage, D3DTSS_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
        EXPECT_EQ(StageState(stage, D3DTSS_MINFILTER), DWORD(D3DTFN_LINEAR));
        EXPECT_EQ(StageState(stage, D3DTSS_MIPFILTER), DWORD(D3DTFP_NONE));
    }
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_VIEW], 1u);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_WORLD], 1u);
    EXPECT_EQ(c.transforms[D3DTRANSFORMSTATE_PROJECTION], 0u) << "left to the cameras";
    EXPECT_EQ(c.materials, 1u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ZENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ZWRITEENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRENDERSTATE_LIGHTING), 0u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ZFUNC), DWORD(D3DCMP_LESS));
    EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORVERTEX), 1u);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_COLOR1));
    EXPECT_EQ(RenderState(D3DRENDERSTATE_AMBIENT), 0xFF000000u);
    EXPECT_FALSE(r->forceStateUpdate);
    EXPECT_FALSE(r->lightsNeedRestore);
    D3DMATERIAL7 m = {};
    ASSERT_EQ(r->device->GetMaterial(&m), D3D_OK);
    EXPECT_FLOAT_EQ(m.ambient.r, 0.6f);
    EXPECT_FLOAT_EQ(m.diffuse.g, 1.0f);
    EXPECT_FLOAT_EQ(m.emissive.a, 1.0f);
}

TEST_F(Draw, CodesBecomeDeviceStates)
{
    SetCull(*r, 0);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_NONE));
    SetCull(*r, kCullClockwise);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_CW));
    SetCull(*r, kCullCounterClockwise);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_CCW));
    SetCull(*r, 5);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_NONE));

    const D3DBLEND factors[11] = {D3DBLEND_ZERO,         D3DBLEND_ONE,          D3DBLEND_DESTCOLOR,
                                  D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA,     D3DBLEND_INVSRCALPHA,
                                  D3DBLEND_DESTALPHA,    D3DBLEND_INVDESTALPHA, D3DBLEND_SRCALPHASAT,
                                  D3DBLEND_SRCCOLOR,     D3DBLEND_INVSRCCOLOR};
    for (uint32_t code = 0; code < 11; ++code)
        EXPECT_EQ(RenderSystem_D3D7::BlendFactorOf(code), factors[code]) << code;
    EXPECT_EQ(RenderSystem_D3D7::BlendFactorOf(11), D3DBLEND_ZERO);
    EXPECT_EQ(RenderSystem_D3D7::BlendFactorOf(1000), D3DBLEND_ZERO);
    SetBlend(*r, kBlendDestinationColor, 11);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_SRCBLEND), DWORD(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(RenderState(D3DRENDERSTATE_DESTBLEND), DWORD(D3DBLEND_ZERO));

    EXPECT_EQ(RenderSystem_D3D7::AddressModeOf(0), D3DTADDRESS_CLAMP);
    EXPECT_EQ(RenderSystem_D3D7::AddressModeOf(1), D3DTADDRESS_WRAP);
    EXPECT_EQ(RenderSystem_D3D7::AddressModeOf(7), D3DTADDRESS_WRAP);
    r->stageAddressV[0] = kAddressClamp;
    r->UpdateTextureAdressV(0);
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSV), DWORD(D3DTADDRESS_CLAMP));

    // Filter 2 is anisotropic only while the setting asks for 2 or more.
    r->stageFilter[0] = kFilterMipMapped;
    s.config->textureAnisotropy = 1;
    r->UpdateTextureFilter(0);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTFG_LINEAR));
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTFP_LINEAR));
    s.config->textureAnisotropy = 2;
    r->UpdateTextureFilter(0);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTFG_ANISOTROPIC));
    EXPECT_EQ(StageState(0, D3DTSS_MINFILTER), DWORD(D3DTFN_ANISOTROPIC));
    r->stageFilter[0] = kFilterPoint;
    r->UpdateTextureFilter(0);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTFG_POINT));
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTFP_NONE));
    r->stageFilter[0] = 9; // unknown: nothing is set
    r->UpdateTextureFilter(0);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTFG_POINT));

    // Matrices in the device's layout.
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = static_cast<float>(i + 1);
    r->SetWorldMatrix(m);
    D3DMATRIX world = Transform(D3DTRANSFORMSTATE_WORLD);
    EXPECT_EQ(world._12, 5.0f); // transposed
    EXPECT_EQ(world._41, 4.0f);
    r->SetViewMatrix(m);
    D3DMATRIX view = Transform(D3DTRANSFORMSTATE_VIEW);
    EXPECT_EQ(view._13, -3.0f); // third column negated
    EXPECT_EQ(view._43, -15.0f);
    EXPECT_EQ(view._12, 2.0f);
    r->projectionMatrix = m;
    r->UpdateProjectionMatrix();
    EXPECT_EQ(Transform(D3DTRANSFORMSTATE_PROJECTION)._34, 12.0f); // storage order
    r->SetTextureMatrix(1, 2.0f, 3.0f, 0.25f, 0.5f);
    D3DMATRIX tex = Transform(D3DTRANSFORMSTATE_TEXTURE1);
    EXPECT_EQ(tex._11, 2.0f);
    EXPECT_EQ(tex._22, 3.0f);
    EXPECT_EQ(tex._31, 0.25f);
    EXPECT_EQ(tex._32, 0.5f);
    EXPECT_EQ(tex._33, 1.0f);
    r->SetAmbientColor(Color(1.0f, 0.5f, 0.0f, 1.0f));
    EXPECT_EQ(RenderState(D3DRENDERSTATE_AMBIENT), 0xFFFF7F00u);
    EXPECT_EQ(s.CountLevel(3), 0);
}

TEST_F(Draw, AnisotropyIsClampedAndWrittenBack)
{
    const DeviceCallCounters& c = r->GetDeviceCallCounters();
    s.config->textureAnisotropy = 0;
    r->ResetDeviceCallCounters();
    r->Refresh();
    EXPECT_EQ(s.config->textureAnisotropy, 1);
    EXPECT_EQ(c.textureStageStates[0][D3DTSS_MAXANISOTROPY], 0u) << "already 1 on every stage";

    s.config->textureAnisotropy = 1000;
    r->Refresh();
    EXPECT_EQ(s.config->textureAnisotropy, r->maxAnisotropy);
    for (uint32_t stage = 0; stage < r->textureStageCount; ++stage) {
        EXPECT_EQ(r->stageAnisotropy[stage], static_cast<uint32_t>(r->maxAnisotropy));
        EXPECT_EQ(c.textureStageStates[stage][D3DTSS_MAXANISOTROPY], 1u);
        EXPECT_EQ(StageState(stage, D3DTSS_MAXANISOTROPY), static_cast<DWORD>(r->maxAnisotropy));
    }
    r->Refresh();
    EXPECT_EQ(c.textureStageStates[0][D3DTSS_MAXANISOTROPY], 1u);
}

TEST_F(Draw, LostDeviceCycle)
{
    // Same mode, same full-screen flag: not lost, but textures are marked.
    r->CheckVideoMode();
    EXPECT_FALSE(r->deviceLost);
    EXPECT_TRUE(r->texturesLost);
    r->ResetDevice(2);
    EXPECT_FALSE(r->texturesLost);
    EXPECT_FALSE(r->deviceLost);

    r->deviceLost = true;
    r->texturesLost = true;
    r->ResetDevice(2);
    EXPECT_FALSE(r->texturesLost);
    EXPECT_TRUE(r->deviceLost) << "bit 1 alone leaves the device flag";

    // A changed mode loses the device; the reset rebuilds it.
    s.config->fullscreen = true;
    r->CheckVideoMode();
    EXPECT_TRUE(r->deviceLost);
    s.config->fullscreen = false;
    s.log->ClearHistory();
    r->surfacesRestored = false;
    r->ResetDevice(1);
    EXPECT_FALSE(r->deviceLost);
    EXPECT_TRUE(r->surfacesRestored);
    EXPECT_TRUE(r->texturesLost) << "only bit 1 clears it";
    const std::string lines[] = {"\nReseting Direct3D device:\n",
                                 "........................................................\n",
                                 "...Releasing device...\n",
                                 "...Releasing DirectDraw...\n",
                                 "........................................................\n",
                                 "...Creating DirectDraw...\n",
                                 "......Creating Z Buffer...\n",
                                 "........................................................\n"};
    int at = 0;
    for (const std::string& line : lines) {
        int found = s.Find(line, at);
        ASSERT_GE(found, at) << line;
        at = found + 1;
    }
    EXPECT_EQ(s.Find("......Capabilities:\n"), -1) << "capabilities are logged at start-up only";
    EXPECT_EQ(s.CountLevel(3), 0);
    EXPECT_EQ(s.CountLevel(4), 0);

    UseFlatProjection(*r);
    r->clearColor = Color(0, 1, 0, 1);
    r->BeginScene();
    r->EndScene();
    EXPECT_TRUE(PixelNear(Shot(), 100, 100, 0, 255, 0, 0));
}

TEST_F(Draw, RefreshRestoresSurfacesAndSwapWaitsForThem)
{
    r->surfacesRestored = false;
    r->Refresh();
    EXPECT_TRUE(r->surfacesRestored);
    EXPECT_FALSE(r->deviceLost);

    // What reaches the screen: read from the primary surface, which is the screen.
    HWND hwnd = s.window->GetHandle();
    POINT centre = {200, 200};
    ClientToScreen(hwnd, &centre);
    auto screen = [&]() -> COLORREF {
        DDSURFACEDESC2 d = {};
        d.dwSize = sizeof(d);
        RECT one = {centre.x, centre.y, centre.x + 1, centre.y + 1};
        if (r->primarySurface->Lock(&one, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
            return 1;
        const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface);
        COLORREF c = RGB(p[2], p[1], p[0]);
        r->primarySurface->Unlock(&one);
        return c;
    };
    r->clearColor = Color(1, 0, 0, 1);
    r->BeginScene();
    r->EndScene();
    r->SwapBuffers();
    ASSERT_EQ(screen(), RGB(255, 0, 0)) << "the blit reaches the window's place on the screen";
    r->clearColor = Color(0, 0, 1, 1);
    r->BeginScene();
    r->EndScene();
    r->surfacesRestored = false;
    r->SwapBuffers();
    EXPECT_EQ(screen(), RGB(255, 0, 0)) << "nothing is presented while surfaces are lost";
    r->surfacesRestored = true;
    r->SwapBuffers();
    EXPECT_EQ(screen(), RGB(0, 0, 255));
}
