#include "engine/render/d3d7/Texture2D_D3D7.h"

#include <algorithm>
#include <cstring>

#include "engine/render/Image.h"
#include "engine/render/TextureImage.h"
#include "engine/render/d3d7/Log_D3D7.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"

namespace KorvaneEngine {

namespace {

RenderSystem_D3D7* Renderer() { return static_cast<RenderSystem_D3D7*>(RenderSystem::Instance()); }

struct FormatSearch {
    DWORD bits;
    bool alpha;
    DWORD fourCC; // 0: any uncompressed format
    bool found;
    DDPIXELFORMAT result;
};

HRESULT WINAPI FindTextureFormatCallback(LPDDPIXELFORMAT format, LPVOID context)
{
    FormatSearch* search = static_cast<FormatSearch*>(context);
    if (search->fourCC) {
        if (format->dwFourCC != search->fourCC)
            return D3DENUMRET_OK;
    } else {
        const bool hasAlpha = (format->dwFlags & DDPF_ALPHAPIXELS) != 0;
        if ((format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) ||
            format->dwRGBAlphaBitMask == 0xF000 || hasAlpha != search->alpha ||
            format->dwRGBBitCount != search->bits || (format->dwFlags & DDPF_FOURCC))
            return D3DENUMRET_OK;
    }
    search->result = *format;
    search->found = true;
    return D3DENUMRET_CANCEL;
}

uint32_t CountBits(uint32_t mask)
{
    uint32_t n = 0;
    for (; mask; mask &= mask - 1)
        ++n;
    return n;
}

uint32_t LowestBit(uint32_t mask)
{
    if (!mask)
        return 0;
    uint32_t n = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++n;
    }
    return n;
}

// One 8-bit channel placed into its mask.
struct ChannelPacker {
    uint32_t mask = 0, bits = 0, shift = 0;
    explicit ChannelPacker(uint32_t m) : mask(m), bits(CountBits(m)), shift(LowestBit(m)) {}
    uint32_t Pack(uint32_t value) const
    {
        if (!mask)
            return 0;
        const uint32_t v = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
        return (v << shift) & mask;
    }
};

void SetRGBFormat(DDPIXELFORMAT& f, DWORD flags, DWORD bits, DWORD a, DWORD r, DWORD g, DWORD b)
{
    f = DDPIXELFORMAT{};
    f.dwSize = sizeof(f);
    f.dwFlags = flags;
    f.dwRGBBitCount = bits;
    f.dwRGBAlphaBitMask = a;
    f.dwRBitMask = r;
    f.dwGBitMask = g;
    f.dwBBitMask = b;
}

} // namespace

Texture2D_D3D7::Texture2D_D3D7(const std::string& name, Image* diffuse, Image* opacity, bool mips, bool deferred)
    : Texture2D(name, diffuse, opacity, mips, deferred)
{
    RenderSystem_D3D7* renderer = Renderer();
    directDrawRef = &renderer->directDraw;
    deviceRef = &renderer->device;
    if (deferred) {
        if (diffuse) {
            width_ = diffuse->GetWidth();
            height_ = diffuse->GetHeight();
        }
    } else {
        CreateSurface();
    }
    renderer->AddTexture(this);
}

Texture2D_D3D7::Texture2D_D3D7(const std::string& name, const std::string& diffuse, const std::string& opacity,
                               bool mips, bool deferred)
    : Texture2D(name, diffuse, opacity, mips, deferred)
{
    RenderSystem_D3D7* renderer = Renderer();
    directDrawRef = &renderer->directDraw;
    deviceRef = &renderer->device;
    if (deferred) {
        image_->ReadInfo();
        width_ = image_->GetWidth();
        height_ = image_->GetHeight();
    } else {
        CreateSurface();
    }
    renderer->AddTexture(this);
}

Texture2D_D3D7::~Texture2D_D3D7()
{
    ReleaseSurface();
    // A texture outliving the render system has nothing left to leave.
    if (RenderSystem_D3D7* renderer = Renderer())
        renderer->RemoveTexture(this);
}

void Texture2D_D3D7::ReleaseSurface()
{
    if (surface) {
        surface->Release();
        surface = nullptr;
    }
    memorySize_ = 0;
}

IDirectDrawSurface7* Texture2D_D3D7::GetSurface()
{
    if (!surface)
        CreateSurface();
    return surface;
}

void Texture2D_D3D7::CreateSurface()
{
    if (surface)
        return;
    RenderSystem_D3D7* renderer = Renderer();
    IDirectDraw7* directDraw = *directDrawRef;
    IDirect3DDevice7* device = *deviceRef;
    if (!renderer || !directDraw || !device)
        return;

    memorySize_ = 0;
    image_->Load();
    width_ = image_->GetWidth();
    height_ = image_->GetHeight();
    const uint32_t bytesPerPixel = image_->GetDepth() / 8;
    Image* diffuse = image_->GetDiffuse();
    const std::vector<Image*>& levels = image_->GetLevels();
    const uint32_t levelCount = (diffuse ? 1u : 0u) + static_cast<uint32_t>(levels.size());

    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = width_;
    desc.dwHeight = height_;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    if (levelCount > 1) {
        desc.dwFlags |= DDSD_MIPMAPCOUNT;
        desc.dwMipMapCount = levelCount;
        desc.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    }
    if (renderer->IsHalDevice())
        desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;

    const uint32_t offered = renderer->textureFormatMask;
    uint32_t code = kTextureFormatA8R8G8B8;
    const ModeInfo* mode = renderer->GetCurrentMode();
    if (mode && mode->bitsPerPixel == 16) {
        if (bytesPerPixel == 3 && (offered & (1u << kTextureFormatR5G6B5)))
            code = kTextureFormatR5G6B5;
        else if (bytesPerPixel == 4 && (offered & (1u << kTextureFormatA4R4G4B4)))
            code = kTextureFormatA4R4G4B4;
    }

    DWORD fourCC = 0;
    const uint32_t imageCode = image_->GetFormatCode();
    if (imageCode >= kTextureFormatDXT1 && imageCode <= kTextureFormatDXT5) {
        FormatSearch search = {};
        search.fourCC = MAKEFOURCC('D', 'X', 'T', static_cast<char>('1' + (imageCode - kTextureFormatDXT1)));
        renderer->CheckResult("Texture2D_D3D7::CreateSurface",
                              device->EnumTextureFormats(FindTextureFormatCallback, &search));
        if (search.found) {
            fourCC = search.fourCC;
            code = imageCode;
            desc.ddpfPixelFormat = search.result;
        } else {
            code = kTextureFormatA8R8G8B8;
        }
    }

    if (!fourCC) {
        if (offered & (1u << code)) {
            switch (code) {
            case kTextureFormatA4R4G4B4:
                SetRGBFormat(desc.ddpfPixelFormat, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF000, 0x0F00, 0xF0, 0xF);
                break;
            case kTextureFormatR5G6B5:
                SetRGBFormat(desc.ddpfPixelFormat, DDPF_RGB, 16, 0, 0xF800, 0x7E0, 0x1F);
                break;
            default:
                SetRGBFormat(desc.ddpfPixelFormat, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0xFF0000, 0xFF00,
                             0xFF);
                break;
            }
        } else {
            FormatSearch search = {};
            search.bits = 32;
            search.alpha = image_->GetDepth() == 32;
            renderer->CheckResult("Texture2D_D3D7::CreateSurface",
                                  device->EnumTextureFormats(FindTextureFormatCallback, &search));
            if (!search.found) {
                search.bits = 16;
                renderer->CheckResult("Texture2D_D3D7::CreateSurface",
                                      device->EnumTextureFormats(FindTextureFormatCallback, &search));
            }
            if (!search.found)
                RenderLog::Fatal("Direct3D Subsystem (Texture2D_D3D7::CreateSurface): Failed to find texture format");
            desc.ddpfPixelFormat = search.result;
            code = RenderSystem_D3D7::ClassifyPixelFormat(search.result);
        }
    }

    const HRESULT created = directDraw->CreateSurface(&desc, &surface, nullptr);
    renderer->CheckResult("Texture2D_D3D7::CreateSurface (CreateSurface) (1)", created);
    if (FAILED(created) || !surface) {
        surface = nullptr;
        image_->ReleaseImages();
        return;
    }

    IDirectDrawSurface7* level = surface;
    level->AddRef(); // every level below is released after its upload, the top one too
    for (uint32_t i = 0; i < levelCount && level; ++i) {
        const bool isTop = i == 0 && diffuse;
        const Image* picture = isTop ? diffuse : levels[i - (diffuse ? 1 : 0)];
        UploadLevel(level, *picture, isTop ? image_->GetOpacity() : nullptr, fourCC != 0);

        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
        IDirectDrawSurface7* next = nullptr;
        if (i + 1 >= levelCount || FAILED(level->GetAttachedSurface(&caps, &next)))
            next = nullptr;
        level->Release();
        level = next;
    }
    if (level)
        level->Release();
    image_->ReleaseImages();
}

void Texture2D_D3D7::UploadLevel(IDirectDrawSurface7* level, const Image& picture, const Image* opacity, bool fourCC)
{
    RenderSystem_D3D7* renderer = Renderer();
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    HRESULT result;
    do
        result = level->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    while (result == DDERR_WASSTILLDRAWING);
    if (FAILED(result)) {
        renderer->CheckResult("Texture2D_D3D7::CreateSurface (Lock)", result);
        return;
    }
    uint8_t* out = static_cast<uint8_t*>(locked.lpSurface);

    if (fourCC) {
        // Compressed levels are copied as they are, never past the level's size.
        const uint32_t bytes = std::min<uint32_t>(picture.GetSize(), locked.dwLinearSize);
        if (picture.GetPixels())
            std::memcpy(out, picture.GetPixels(), bytes);
        memorySize_ += bytes;
    } else {
        const uint32_t width = std::min<uint32_t>(picture.GetWidth(), locked.dwWidth);
        const uint32_t height = std::min<uint32_t>(picture.GetHeight(), locked.dwHeight);
        const uint32_t in = picture.GetBytesPerPixel();
        const uint32_t outBits = locked.ddpfPixelFormat.dwRGBBitCount;
        const bool byteOrder = outBits == 32 && locked.ddpfPixelFormat.dwRGBAlphaBitMask == 0xFF000000 &&
                               locked.ddpfPixelFormat.dwRBitMask == 0xFF0000 &&
                               locked.ddpfPixelFormat.dwGBitMask == 0xFF00 && locked.ddpfPixelFormat.dwBBitMask == 0xFF;
        const ChannelPacker a(locked.ddpfPixelFormat.dwRGBAlphaBitMask), r(locked.ddpfPixelFormat.dwRBitMask),
            g(locked.ddpfPixelFormat.dwGBitMask), b(locked.ddpfPixelFormat.dwBBitMask);
        const bool useOpacity = opacity && opacity->GetPixels() && opacity->GetWidth() == picture.GetWidth() &&
                                opacity->GetHeight() == picture.GetHeight();
        const uint32_t opacityBytes = useOpacity ? opacity->GetBytesPerPixel() : 0;
        if (picture.GetPixels()) {
            for (uint32_t y = 0; y < height; ++y) {
                const uint8_t* src = picture.GetPixel(0, y);
                const uint8_t* alphaRow = useOpacity ? opacity->GetPixel(0, y) : nullptr;
                uint8_t* dst = out + static_cast<size_t>(y) * locked.lPitch;
                for (uint32_t x = 0; x < width; ++x, src += in) {
                    uint32_t cr, cg, cb, ca;
                    if (in >= 3) {
                        cr = src[0];
                        cg = src[1];
                        cb = src[2];
                    } else {
                        cr = cg = cb = src[0];
                    }
                    if (alphaRow)
                        ca = opacityBytes == 4 ? alphaRow[4 * x + 3] : alphaRow[opacityBytes * x];
                    else
                        ca = in == 4 ? src[3] : 255;
                    if (byteOrder) {
                        dst[4 * x] = static_cast<uint8_t>(cb);
                        dst[4 * x + 1] = static_cast<uint8_t>(cg);
                        dst[4 * x + 2] = static_cast<uint8_t>(cr);
                        dst[4 * x + 3] = static_cast<uint8_t>(ca);
                    } else {
                        const uint32_t v = a.Pack(ca) + r.Pack(cr) + g.Pack(cg) + b.Pack(cb);
                        if (outBits == 32) {
                            std::memcpy(dst + 4 * x, &v, 4);
                        } else {
                            const uint16_t s = static_cast<uint16_t>(v);
                            std::memcpy(dst + 2 * x, &s, 2);
                        }
                    }
                }
            }
        }
        memorySize_ += static_cast<uint32_t>(static_cast<uint64_t>(locked.dwWidth) * locked.dwHeight * outBits / 8);
    }
    renderer->CheckResult("Texture2D_D3D7::CreateSurface (Unlock)", level->Unlock(nullptr));
}

} // namespace KorvaneEngine
