#include <algorithm>
#include <cstring>

#include "engine/foundation/Config.h"
#include "engine/foundation/Window.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/render/d3d7/Log_D3D7.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "engine/render/d3d7/Texture2D_D3D7.h"

namespace KorvaneEngine {

namespace {

const char* const kDots = "........................................................";
const DWORD kPlainFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
const DWORD kColoredFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// The indexed draw takes 16-bit indices: one call reaches at most this many vertices.
const uint64_t kMaxDrawVertices = 65536;

// Truncated like the device's own packing, but clamped first so that a
// channel outside 0..1 cannot spill into its neighbours.
uint32_t TruncateChannel(float v)
{
    if (v >= 1.0f)
        return 255;
    if (!(v > 0.0f))
        return 0;
    return static_cast<uint32_t>(v * 255.0f);
}

DWORD PackTruncated(const Color& c)
{
    return TruncateChannel(c.a) << 24 | TruncateChannel(c.r) << 16 | TruncateChannel(c.g) << 8 | TruncateChannel(c.b);
}

D3DCOLORVALUE ColorValue(const Color& c)
{
    D3DCOLORVALUE v;
    v.r = c.r;
    v.g = c.g;
    v.b = c.b;
    v.a = c.a;
    return v;
}

} // namespace

DeviceCallTimer::DeviceCallTimer(RenderSystem_D3D7& r) : render(r)
{
    start.QuadPart = 0;
    if (render.timeDeviceCalls)
        QueryPerformanceCounter(&start);
}

DeviceCallTimer::~DeviceCallTimer()
{
    if (!render.timeDeviceCalls || start.QuadPart == 0)
        return;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    render.counters.deviceTicks += end.QuadPart - start.QuadPart;
}

// -------------------------------------------------------------------- frame

void RenderSystem_D3D7::Refresh()
{
    RenderSystem::Refresh();
    if (!directDraw)
        return;
    const HRESULT result = directDraw->TestCooperativeLevel();
    if (result != DD_OK) {
        surfacesRestored = false;
        if (result == DDERR_WRONGMODE && !videoSettings->fullscreen)
            deviceLost = texturesLost = true;
    } else if (!surfacesRestored) {
        const HRESULT restored = directDraw->RestoreAllSurfaces();
        CheckResult("RenderSystem_D3D7::Refresh", restored);
        if (FAILED(restored))
            deviceLost = texturesLost = true;
        else
            surfacesRestored = true;
    }
}

void RenderSystem_D3D7::BeginScene()
{
    if (!device)
        return;
    if (clearFlags != 0) {
        DWORD flags = 0;
        if (clearFlags & kClearTarget)
            flags |= D3DCLEAR_TARGET;
        if (clearFlags & kClearDepth)
            flags |= D3DCLEAR_ZBUFFER;
        if (stencilPresent)
            flags |= D3DCLEAR_STENCIL;
        HRESULT cleared;
        {
            DeviceCallTimer timer(*this);
            cleared = device->Clear(0, nullptr, flags, PackTruncated(clearColor), 1.0f, 0);
        }
        CheckResult("RenderSystem_D3D7::BeginScene", cleared);
    }
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->BeginScene();
    }
    if (result == DDERR_SURFACELOST) {
        CheckResult("RenderSystem_D3D7::BeginScene", directDraw->RestoreAllSurfaces());
        result = device->BeginScene();
    }
    CheckResult("RenderSystem_D3D7::BeginScene", result);
}

void RenderSystem_D3D7::EndScene()
{
    if (!device)
        return;
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->EndScene();
    }
    if (result == DDERR_SURFACELOST)
        CheckResult("RenderSystem_D3D7::EndScene", directDraw->RestoreAllSurfaces());
    else
        CheckResult("RenderSystem_D3D7::EndScene", result);
}

void RenderSystem_D3D7::SwapBuffers()
{
    if (!surfacesRestored || !primarySurface || !backBuffer)
        return;
    Window* window = Window::Instance();
    if (!window)
        return;
    HRESULT result;
    DeviceCallTimer timer(*this);
    if (window->IsFullscreen()) {
        result = primarySurface->Flip(nullptr, DDFLIP_WAIT | (videoSettings->vsync ? 0 : DDFLIP_NOVSYNC));
    } else {
        const HWND hwnd = window->GetHandle();
        RECT client;
        GetClientRect(hwnd, &client);
        POINT topLeft = {client.left, client.top}, bottomRight = {client.right, client.bottom};
        ClientToScreen(hwnd, &topLeft);
        ClientToScreen(hwnd, &bottomRight);
        RECT target = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        if (videoSettings->vsync)
            directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        result = primarySurface->Blt(&target, backBuffer, nullptr, DDBLT_WAIT, nullptr);
    }
    if (result == DDERR_SURFACELOST)
        CheckResult("RenderSystem_D3D7::SwapBuffers", directDraw->RestoreAllSurfaces());
}

void RenderSystem_D3D7::CheckVideoMode()
{
    RenderSystem::CheckVideoMode();
    texturesLost = true;
}

void RenderSystem_D3D7::ResetDevice(uint32_t flags)
{
    if (flags & 1) {
        RenderLog::Message("\nReseting Direct3D device:");
        if (texturesLost)
            for (Texture2D_D3D7* texture : textures)
                texture->ReleaseSurface();
        RenderLog::Message(kDots);
        ReleaseDevice();
        RenderLog::Message(kDots);
        CreateDevice(false);
        RenderLog::Message(kDots);
        SetDefaultStates();
    }
    if ((flags & 2) && texturesLost)
        for (Texture2D_D3D7* texture : textures)
            if (!texture->IsDeferred())
                texture->CreateSurface();
    RenderSystem::ResetDevice(flags);
}

// ------------------------------------------------------------------ drawing

void RenderSystem_D3D7::DrawChunk(bool strip, const uint16_t* indices, uint32_t indexCount, const uint8_t* vertices,
                                  uint32_t vertexCount, uint32_t format)
{
    ++counters.draws;
    counters.lastIndexCount = indexCount;
    counters.lastVertexCount = vertexCount;
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->DrawIndexedPrimitive(strip ? D3DPT_TRIANGLESTRIP : D3DPT_TRIANGLELIST, format,
                                              const_cast<uint8_t*>(vertices), vertexCount,
                                              const_cast<uint16_t*>(indices), indexCount, 0);
    }
    CheckResult("RenderSystem_D3D7::DrawIndexedPrimitive", result);
}

void RenderSystem_D3D7::DrawIndexedPrimitive(bool strip, IndexBuffer* indexBuffer, VertexBuffer* vertexBuffer,
                                             uint32_t primitiveCount)
{
    if (!device || !indexBuffer || !vertexBuffer)
        return;
    vertexBuffer->Apply();
    indexBuffer->Apply();

    // Never read past the indices the buffer holds.
    const uint32_t held = indexBuffer->indexCount;
    const uint32_t fits = strip ? (held >= 3 ? held - 2 : 0) : held / 3;
    if (primitiveCount > fits)
        primitiveCount = fits;
    if (primitiveCount == 0)
        return;
    const uint32_t indexCount = strip ? primitiveCount + 2 : primitiveCount * 3;

    const uint32_t minIndex = indexBuffer->GetMinIndex();
    const uint32_t range = indexBuffer->GetIndexRange();
    // range 0 with indices present means the full 32-bit span wrapped.
    const uint64_t vertexCount = static_cast<uint64_t>(minIndex) + (range ? range : (uint64_t(1) << 32));
    if (vertexCount > vertexBuffer->vertexCount) {
        RenderLog::Error("Direct3D Subsystem (RenderSystem_D3D7::DrawIndexedPrimitive): an index reaches past the " +
                         std::to_string(vertexBuffer->vertexCount) + " vertices of its buffer");
        return;
    }
    const DWORD format = vertexBuffer->hasColor ? kColoredFormat : kPlainFormat;
    const uint8_t* vertices = vertexBuffer->vertices;

    if (!indexBuffer->is32Bit) {
        DrawChunk(strip, reinterpret_cast<const uint16_t*>(indexBuffer->indices), indexCount, vertices,
                  static_cast<uint32_t>(vertexCount), format);
        return;
    }

    // 32-bit indices: narrowed into a scratch array. Everything within reach of
    // 16-bit indices goes in one call; larger meshes are drawn as triangle
    // lists in pieces, each rebased to its own lowest vertex.
    if (vertexCount <= kMaxDrawVertices) {
        indexScratch.resize(indexCount);
        for (uint32_t i = 0; i < indexCount; ++i)
            indexScratch[i] = static_cast<uint16_t>(indexBuffer->GetIndex(i));
        DrawChunk(strip, indexScratch.data(), indexCount, vertices, static_cast<uint32_t>(vertexCount), format);
        return;
    }

    const uint32_t stride = vertexBuffer->stride;
    uint32_t batchMin = 0, batchMax = 0;
    std::vector<uint32_t> batch;
    auto flush = [&]() {
        if (batch.empty())
            return;
        indexScratch.resize(batch.size());
        for (size_t i = 0; i < batch.size(); ++i)
            indexScratch[i] = static_cast<uint16_t>(batch[i] - batchMin);
        DrawChunk(false, indexScratch.data(), static_cast<uint32_t>(batch.size()),
                  vertices + static_cast<size_t>(batchMin) * stride, batchMax - batchMin + 1, format);
        batch.clear();
    };
    for (uint32_t t = 0; t < primitiveCount; ++t) {
        uint32_t a, b, c;
        if (strip) {
            a = indexBuffer->GetIndex(t);
            b = indexBuffer->GetIndex(t + 1);
            c = indexBuffer->GetIndex(t + 2);
            if (t & 1)
                std::swap(a, b); // odd strip triangles are wound the other way
        } else {
            a = indexBuffer->GetIndex(3 * t);
            b = indexBuffer->GetIndex(3 * t + 1);
            c = indexBuffer->GetIndex(3 * t + 2);
        }
        const uint32_t lo = std::min(a, std::min(b, c)), hi = std::max(a, std::max(b, c));
        const uint32_t newMin = batch.empty() ? lo : std::min(batchMin, lo);
        const uint32_t newMax = batch.empty() ? hi : std::max(batchMax, hi);
        if (!batch.empty() && static_cast<uint64_t>(newMax) - newMin >= kMaxDrawVertices) {
            flush();
            batchMin = lo;
            batchMax = hi;
        } else {
            batchMin = newMin;
            batchMax = newMax;
        }
        batch.push_back(a);
        batch.push_back(b);
        batch.push_back(c);
    }
    flush();
}

// --------------------------------------------------------------- screenshot

void RenderSystem_D3D7::TakeScreenshot(Image& image)
{
    ModeInfo_D3D7* mode = GetCurrentMode();
    if (!mode || !directDraw || !backBuffer)
        throw Error("Error creating temporary surface!");
    if (!image.Create(mode->width, mode->height, mode->bitsPerPixel == 32 ? 32 : 24, true))
        throw Error("Error creating temporary surface!");

    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = backBufferDesc.dwWidth;
    desc.dwHeight = backBufferDesc.dwHeight;
    desc.ddpfPixelFormat = backBufferDesc.ddpfPixelFormat;
    IDirectDrawSurface7* temporary = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &temporary, nullptr)) || !temporary)
        throw Error("Error creating temporary surface!");

    CheckResult("RenderSystem_D3D7::TakeScreenshot", temporary->Blt(nullptr, backBuffer, nullptr, DDBLT_WAIT, nullptr));
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (FAILED(temporary->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
        temporary->Release();
        throw Error("Error creating temporary surface!");
    }

    const uint32_t surfaceBits = locked.ddpfPixelFormat.dwRGBBitCount;
    const uint32_t width = std::min<uint32_t>(image.GetWidth(), locked.dwWidth);
    const uint32_t rows = std::min<uint32_t>(image.GetHeight(), locked.dwHeight);
    const uint32_t out = image.GetBytesPerPixel();
    const uint8_t* base = static_cast<const uint8_t*>(locked.lpSurface);
    for (uint32_t y = 0; y < rows; ++y) {
        // Image row 0 is the bottom line: the surface's last row.
        const uint8_t* src = base + static_cast<size_t>(locked.dwHeight - 1 - y) * locked.lPitch;
        uint8_t* dst = image.GetPixel(0, y);
        for (uint32_t x = 0; x < width; ++x, dst += out) {
            if (surfaceBits == 32) {
                const uint8_t* p = src + 4 * x;
                dst[0] = p[2];
                dst[1] = p[1];
                dst[2] = p[0];
                if (out == 4)
                    dst[3] = static_cast<uint8_t>(255 - p[3]);
            } else if (surfaceBits == 24) {
                const uint8_t* p = src + 3 * x;
                dst[0] = p[2];
                dst[1] = p[1];
                dst[2] = p[0];
                if (out == 4)
                    dst[3] = 255;
            } else {
                // No conversion from 16-bit pixels is defined.
                std::memset(dst, 255, out);
            }
        }
    }
    CheckResult("RenderSystem_D3D7::TakeScreenshot", temporary->Unlock(nullptr));
    temporary->Release();
    ScreenshotAspectFit(image);
}

// ---------------------------------------------------------- device states

void RenderSystem_D3D7::SetTransform(const char* where, D3DTRANSFORMSTATETYPE type, const float* matrix)
{
    if (!device)
        return;
    if (static_cast<uint32_t>(type) < 32)
        ++counters.transforms[type];
    D3DMATRIX m;
    std::memcpy(&m, matrix, sizeof(m));
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->SetTransform(type, &m);
    }
    CheckResult(where, result);
}

void RenderSystem_D3D7::SetRenderState(const char* where, D3DRENDERSTATETYPE state, DWORD value)
{
    if (!device)
        return;
    if (static_cast<uint32_t>(state) < 256)
        ++counters.renderStates[state];
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->SetRenderState(state, value);
    }
    CheckResult(where, result);
}

void RenderSystem_D3D7::SetTextureStageState(const char* where, uint32_t stage, D3DTEXTURESTAGESTATETYPE state,
                                             DWORD value)
{
    if (!device)
        return;
    if (stage < 8 && static_cast<uint32_t>(state) < 32)
        ++counters.textureStageStates[stage][state];
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->SetTextureStageState(stage, state, value);
    }
    CheckResult(where, result);
}

void RenderSystem_D3D7::SetDefaultStates()
{
    RenderSystem::SetDefaultStates();
    const char* where = "RenderSystem_D3D7::SetDefaultStates";
    for (uint32_t stage = 0; stage < textureStageCount; ++stage) {
        SetTextureStageState(where, stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        SetTextureStageState(where, stage, D3DTSS_TEXCOORDINDEX, 0);
        SetTextureStageState(where, stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
        SetTextureStageState(where, stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        SetTextureStageState(where, stage, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        SetTextureStageState(where, stage, D3DTSS_ALPHAOP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    }
    SetRenderState(where, D3DRENDERSTATE_COLORVERTEX, TRUE);
    SetRenderState(where, D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    SetRenderState(where, D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    SetRenderState(where, D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    if (stencilPresent) {
        SetRenderState(where, D3DRENDERSTATE_STENCILFUNC, D3DCMP_EQUAL);
        SetRenderState(where, D3DRENDERSTATE_STENCILREF, 0);
        SetRenderState(where, D3DRENDERSTATE_STENCILMASK, 0xFFFFFFFF);
        SetRenderState(where, D3DRENDERSTATE_STENCILFAIL, D3DSTENCILOP_KEEP);
        SetRenderState(where, D3DRENDERSTATE_STENCILZFAIL, D3DSTENCILOP_KEEP);
        SetRenderState(where, D3DRENDERSTATE_STENCILPASS, D3DSTENCILOP_INCR);
    }
}

void RenderSystem_D3D7::SetMaterial(const Color& ambient, const Color& diffuse, const Color& specular,
                                    const Color& emissive, float power)
{
    if (!device)
        return;
    D3DMATERIAL7 material = {};
    material.diffuse = ColorValue(diffuse);
    material.ambient = ColorValue(ambient);
    material.specular = ColorValue(specular);
    material.emissive = ColorValue(emissive);
    material.power = power;
    ++counters.materials;
    CheckResult("RenderSystem_D3D7::SetMaterial", device->SetMaterial(&material));
}

void RenderSystem_D3D7::UpdateProjectionMatrix()
{
    SetTransform("RenderSystem_D3D7::UpdateProjectionMatrix", D3DTRANSFORMSTATE_PROJECTION, projectionMatrix.m);
}

void RenderSystem_D3D7::UpdateViewMatrix()
{
    // The engine's views look down the other z direction than the device's.
    float m[16];
    std::memcpy(m, viewMatrix.m, sizeof(m));
    m[2] = -m[2];
    m[6] = -m[6];
    m[10] = -m[10];
    m[14] = -m[14];
    SetTransform("RenderSystem_D3D7::UpdateViewMatrix", D3DTRANSFORMSTATE_VIEW, m);
}

void RenderSystem_D3D7::UpdateWorldMatrix()
{
    // World matrices are built for column vectors; the device multiplies rows.
    Matrix4 t = worldMatrix;
    t.Transpose();
    SetTransform("RenderSystem_D3D7::UpdateWorldMatrix", D3DTRANSFORMSTATE_WORLD, t.m);
}

void RenderSystem_D3D7::UpdateAmbientColor()
{
    SetRenderState("RenderSystem_D3D7::UpdateAmbientColor", D3DRENDERSTATE_AMBIENT, PackTruncated(ambientColor));
}

void RenderSystem_D3D7::UpdateAlphaBlend()
{
    SetRenderState("RenderSystem_D3D7::UpdateAlphaBlend", D3DRENDERSTATE_ALPHABLENDENABLE, alphaBlend ? 1 : 0);
}

D3DBLEND RenderSystem_D3D7::BlendFactorOf(uint32_t code)
{
    switch (code) {
    case kBlendOne: return D3DBLEND_ONE;
    case kBlendDestinationColor: return D3DBLEND_DESTCOLOR;
    case kBlendInverseDestinationColor: return D3DBLEND_INVDESTCOLOR;
    case kBlendSourceAlpha: return D3DBLEND_SRCALPHA;
    case kBlendInverseSourceAlpha: return D3DBLEND_INVSRCALPHA;
    case kBlendDestinationAlpha: return D3DBLEND_DESTALPHA;
    case kBlendInverseDestinationAlpha: return D3DBLEND_INVDESTALPHA;
    case kBlendSourceAlphaSaturated: return D3DBLEND_SRCALPHASAT;
    case kBlendSourceColor: return D3DBLEND_SRCCOLOR;
    case kBlendInverseSourceColor: return D3DBLEND_INVSRCCOLOR;
    default: return D3DBLEND_ZERO;
    }
}

void RenderSystem_D3D7::UpdateBlend()
{
    SetRenderState("RenderSystem_D3D7::UpdateBlend", D3DRENDERSTATE_SRCBLEND, BlendFactorOf(sourceBlend));
    SetRenderState("RenderSystem_D3D7::UpdateBlend", D3DRENDERSTATE_DESTBLEND, BlendFactorOf(destinationBlend));
}

void RenderSystem_D3D7::UpdateTexture(uint32_t stage)
{
    if (stage >= stageTextures.size() || !device)
        return;
    IDirectDrawSurface7* surface = nullptr;
    if (Texture2D_D3D7* texture = static_cast<Texture2D_D3D7*>(stageTextures[stage])) {
        texture->SetIdleFrames(0);
        surface = texture->GetSurface();
    }
    if (stage < 8)
        ++counters.textures[stage];
    HRESULT result;
    {
        DeviceCallTimer timer(*this);
        result = device->SetTexture(stage, surface);
    }
    CheckResult("RenderSystem_D3D7::UpdateTexture", result);
}

void RenderSystem_D3D7::UpdateMaxTextureAnisotropy(uint32_t stage)
{
    if (stage >= stageAnisotropy.size())
        return;
    SetTextureStageState("RenderSystem_D3D7::UpdateMaxTextureAnisotropy", stage, D3DTSS_MAXANISOTROPY,
                         stageAnisotropy[stage]);
}

void RenderSystem_D3D7::UpdateTextureFilter(uint32_t stage)
{
    if (stage >= stageFilter.size())
        return;
    DWORD mag, min, mip;
    switch (stageFilter[stage]) {
    case kFilterPoint:
        mag = D3DTFG_POINT;
        min = D3DTFN_POINT;
        mip = D3DTFP_NONE;
        break;
    case kFilterLinear:
        mag = D3DTFG_LINEAR;
        min = D3DTFN_LINEAR;
        mip = D3DTFP_NONE;
        break;
    case kFilterMipMapped:
        if (videoSettings->textureAnisotropy > 1) {
            mag = D3DTFG_ANISOTROPIC;
            min = D3DTFN_ANISOTROPIC;
        } else {
            mag = D3DTFG_LINEAR;
            min = D3DTFN_LINEAR;
        }
        mip = D3DTFP_LINEAR;
        break;
    default:
        return;
    }
    const char* where = "RenderSystem_D3D7::UpdateTextureFilter";
    SetTextureStageState(where, stage, D3DTSS_MAGFILTER, mag);
    SetTextureStageState(where, stage, D3DTSS_MINFILTER, min);
    SetTextureStageState(where, stage, D3DTSS_MIPFILTER, mip);
}

D3DTEXTUREADDRESS RenderSystem_D3D7::AddressModeOf(uint32_t code)
{
    return code == kAddressClamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
}

void RenderSystem_D3D7::UpdateTextureAdressU(uint32_t stage)
{
    if (stage >= stageAddressU.size())
        return;
    SetTextureStageState("RenderSystem_D3D7::UpdateTextureAdressU", stage, D3DTSS_ADDRESSU,
                         AddressModeOf(stageAddressU[stage]));
}

void RenderSystem_D3D7::UpdateTextureAdressV(uint32_t stage)
{
    if (stage >= stageAddressV.size())
        return;
    SetTextureStageState("RenderSystem_D3D7::UpdateTextureAdressV", stage, D3DTSS_ADDRESSV,
                         AddressModeOf(stageAddressV[stage]));
}

void RenderSystem_D3D7::UpdateTextureMatrix(uint32_t stage)
{
    if (stage >= stageTextureMatrix.size())
        return;
    const Vector4& t = stageTextureMatrix[stage];
    Matrix4 m;
    Matrix4::SetIdentity(m);
    m.At(0, 0) = t.x; // (1,1): scale u
    m.At(1, 1) = t.y; // (2,2): scale v
    m.At(2, 0) = t.z; // (3,1): offset u
    m.At(2, 1) = t.w; // (3,2): offset v
    SetTransform("RenderSystem_D3D7::UpdateTextureMatrix",
                 static_cast<D3DTRANSFORMSTATETYPE>(D3DTRANSFORMSTATE_TEXTURE0 + stage), m.m);
}

D3DCULL RenderSystem_D3D7::CullModeOf(uint32_t code)
{
    switch (code) {
    case kCullClockwise: return D3DCULL_CW;
    case kCullCounterClockwise: return D3DCULL_CCW;
    default: return D3DCULL_NONE;
    }
}

void RenderSystem_D3D7::UpdateCullMode()
{
    SetRenderState("RenderSystem_D3D7::UpdateCullMode", D3DRENDERSTATE_CULLMODE, CullModeOf(cullMode));
}

void RenderSystem_D3D7::UpdateLighting()
{
    SetRenderState("RenderSystem_D3D7::UpdateLighting", D3DRENDERSTATE_LIGHTING, lighting ? 1 : 0);
}

void RenderSystem_D3D7::UpdatenormalizeNormals()
{
    SetRenderState("RenderSystem_D3D7::UpdatenormalizeNormals", D3DRENDERSTATE_NORMALIZENORMALS,
                   normalizeNormals ? 1 : 0);
}

void RenderSystem_D3D7::UpdateZ()
{
    SetRenderState("RenderSystem_D3D7::UpdateZ", D3DRENDERSTATE_ZENABLE, depthTest ? 1 : 0);
}

void RenderSystem_D3D7::UpdateZWrite()
{
    SetRenderState("RenderSystem_D3D7::UpdateZWrite", D3DRENDERSTATE_ZWRITEENABLE, depthWrite ? 1 : 0);
}

void RenderSystem_D3D7::UpdateStencil()
{
    SetRenderState("RenderSystem_D3D7::UpdateStencil", D3DRENDERSTATE_STENCILENABLE, stencil ? 1 : 0);
}

} // namespace KorvaneEngine
