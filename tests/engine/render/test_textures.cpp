// Device textures on Wine's real Direct3D 7 device and the texture manager:
// formats, levels, uploads, surfaces dropped and made again, sharing and
// ageing, and a textured, vertex-coloured, blended draw read back.
#include <cstring>

#include "RenderTestSupport.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/FileDDS.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureManager.h"
#include "engine/render/d3d7/Texture2D_D3D7.h"
#include "support/TestSupport.h"

using namespace RenderTest;

namespace {

const char* const kScreenMode = "1280x1024x32";

// A picture whose pixel (x, y) (y from the bottom) is given by f.
template <class F> Image* MakePicture(uint32_t w, uint32_t h, uint32_t bits, F f)
{
    Image* image = new Image;
    image->Create(w, h, bits, true);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            f(x, y, image->GetPixel(x, y));
    return image;
}

// Counts its own destruction, to see which pictures the manager deletes.
struct CountedImage : Image {
    explicit CountedImage(int* deaths_) : deaths(deaths_) { Create(4, 4, 24, true); }
    ~CountedImage() override { ++*deaths; }
    int* deaths;
};

std::vector<unsigned char> Tga24(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<unsigned char> t(18, 0);
    t[2] = 2;
    t[12] = static_cast<unsigned char>(w);
    t[13] = static_cast<unsigned char>(w >> 8);
    t[14] = static_cast<unsigned char>(h);
    t[15] = static_cast<unsigned char>(h >> 8);
    t[16] = 24;
    for (uint32_t i = 0; i < w * h; ++i) {
        t.push_back(b);
        t.push_back(g);
        t.push_back(r);
    }
    return t;
}

void Put32(std::vector<unsigned char>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = static_cast<unsigned char>(x >> (8 * i));
}

// A DXT1 file with a full mip chain; level bytes are numbered so each level
// can be recognised on the device.
std::vector<unsigned char> Dxt1File(uint32_t size, uint32_t levels)
{
    std::vector<unsigned char> f(128, 0);
    f[0] = 'D';
    f[1] = 'D';
    f[2] = 'S';
    f[3] = ' ';
    Put32(f, 4, 124);
    Put32(f, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000);
    Put32(f, 12, size);
    Put32(f, 16, size);
    Put32(f, 20, ((size + 3) / 4) * ((size + 3) / 4) * 8);
    Put32(f, 28, levels);
    Put32(f, 76, 32);
    Put32(f, 80, 0x4);
    f[84] = 'D';
    f[85] = 'X';
    f[86] = 'T';
    f[87] = '1';
    Put32(f, 108, 0x1000 | 0x400000 | 0x8);
    for (uint32_t level = 0, s = size; level < levels; ++level, s = s > 1 ? s / 2 : 1) {
        uint32_t bytes = ((s + 3) / 4) * ((s + 3) / 4) * 8;
        for (uint32_t i = 0; i < bytes; ++i)
            f.push_back(static_cast<unsigned char>(level * 40 + i));
    }
    return f;
}

class Textures : public ::testing::Test {
protected:
    void SetUp() override
    {
        s.Start(kScreenMode, false, true);
        r = s.render.get();
        UseFlatProjection(*r);
        dir = TestSupport::MakeTempDir("textures");
    }
    void TearDown() override { s.Stop(); }

    // Number of levels in the surface's mip chain, each locked and handed to f.
    template <class F> uint32_t WalkLevels(IDirectDrawSurface7* top, F f)
    {
        uint32_t n = 0;
        IDirectDrawSurface7* level = top;
        level->AddRef();
        while (level) {
            DDSURFACEDESC2 d = {};
            d.dwSize = sizeof(d);
            EXPECT_EQ(level->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
            f(n, d);
            level->Unlock(nullptr);
            ++n;
            DDSCAPS2 caps = {};
            caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP;
            IDirectDrawSurface7* next = nullptr;
            if (FAILED(level->GetAttachedSurface(&caps, &next)))
                next = nullptr;
            level->Release();
            level = next;
        }
        return n;
    }

    void Bind(uint32_t stage, Texture2D* texture)
    {
        r->stageTextures[stage] = texture;
        r->UpdateTexture(stage);
    }

    Services s;
    RenderSystem_D3D7* r = nullptr;
    std::string dir;
};

} // namespace

TEST_F(Textures, TexturedVertexColouredTrianglesBlendOverTheBackground)
{
    // 4 x 4 picture: four 2 x 2 quadrants, bottom-left red, bottom-right green,
    // top-left blue, top-right white; alpha from an opacity picture.
    Image* picture = MakePicture(4, 4, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
        const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        const uint8_t* c = colours[(y >= 2) * 2 + (x >= 2)];
        std::memcpy(p, c, 3);
    });
    Image* opacity = MakePicture(4, 4, 8, [](uint32_t x, uint32_t y, uint8_t* p) { *p = x >= 2 ? 255 : 128; });
    Texture2D* texture = r->CreateTextureFromImages("quadrants", picture, opacity, false, false);

    r->clearColor = Color(0.0f, 0.0f, 0.0f, 1.0f); // black background
    r->stageFilter[0] = kFilterPoint;
    r->UpdateTextureFilter(0);
    r->stageAddressU[0] = r->stageAddressV[0] = kAddressClamp;
    r->UpdateTextureAdressU(0);
    r->UpdateTextureAdressV(0);
    Bind(0, texture);
    r->alphaBlend = true;
    r->UpdateAlphaBlend();
    r->sourceBlend = kBlendSourceAlpha;
    r->destinationBlend = kBlendInverseSourceAlpha;
    r->UpdateBlend();

    // One quad over the whole screen; v = 0 at the bottom, so the picture
    // stands upright. Vertex colours: half-grey at the bottom, full at the top,
    // alpha full everywhere.
    std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 4));
    ColoredVertex* v = vb->LockColoredVertices(0, 4);
    const float corners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        v[i].position = Vector3(corners[i][0], corners[i][1], -0.5f);
        v[i].normal = Vector3(0, 0, 1);
        v[i].u = corners[i][2];
        v[i].v = corners[i][3];
    }
    v[0].color = v[1].color = 0xFF808080;
    v[2].color = v[3].color = 0xFF808080;
    vb->Unlock();
    std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 6));
    const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
    ib->SetIndices(0, 6, idx);

    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 2);
    r->EndScene();
    Image shot;
    r->TakeScreenshot(shot);

    // texel x vertex colour (128/255), times alpha (texel alpha x 1), over black.
    const int half = 128, quarter = 64; // 255 x 128/255 and that x 128/255
    EXPECT_TRUE(PixelNear(shot, 320, 768, quarter, 0, 0, 3)) << "bottom-left: red at half alpha";
    EXPECT_TRUE(PixelNear(shot, 960, 768, 0, half, 0, 3)) << "bottom-right: green, opaque";
    EXPECT_TRUE(PixelNear(shot, 320, 256, 0, 0, quarter, 3)) << "top-left: blue at half alpha";
    EXPECT_TRUE(PixelNear(shot, 960, 256, half, half, half, 3)) << "top-right: white, opaque";

    // Over a grey background the half-transparent quadrants mix with it.
    r->clearColor = Color(0.5f, 0.5f, 0.5f, 1.0f);
    r->BeginScene();
    r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 2);
    r->EndScene();
    r->TakeScreenshot(shot);
    EXPECT_TRUE(PixelNear(shot, 320, 768, 64 + 63, 63, 63, 3));
    EXPECT_TRUE(PixelNear(shot, 960, 768, 0, 128, 0, 3));
    EXPECT_EQ(s.CountLevel(3), 0);

    Bind(0, nullptr);
    delete texture;
    EXPECT_TRUE(r->GetTextures().empty());
}

TEST_F(Textures, ColourPictureBecomesOpaqueA8R8G8B8)
{
    Image* picture = MakePicture(8, 8, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 30);
        p[1] = static_cast<uint8_t>(y * 30);
        p[2] = 7;
    });
    std::unique_ptr<Texture2D_D3D7> t(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromImages("colour", picture, nullptr, false, false)));
    ASSERT_NE(t->surface, nullptr);
    EXPECT_EQ(t->GetWidth(), 8u);
    EXPECT_EQ(t->GetMemorySize(), 8u * 8u * 4u);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    t->surface->GetSurfaceDesc(&desc);
    EXPECT_EQ(RenderSystem_D3D7::ClassifyPixelFormat(desc.ddpfPixelFormat), 3u);
    EXPECT_TRUE(desc.ddsCaps.dwCaps2 & DDSCAPS2_TEXTUREMANAGE) << "managed on a HAL device";
    uint32_t levels = WalkLevels(t->surface, [](uint32_t, const DDSURFACEDESC2& d) {
        const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + 5 * d.lPitch; // picture row 5
        const uint8_t* p = row + 4 * 3;                                                // x = 3
        EXPECT_EQ(p[0], 7);   // blue
        EXPECT_EQ(p[1], 150); // green = y x 30
        EXPECT_EQ(p[2], 90);  // red = x x 30
        EXPECT_EQ(p[3], 255); // no alpha: opaque
    });
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(r->GetTextures().size(), 1u);
}

TEST_F(Textures, MipChainIsUploadedLevelByLevel)
{
    // 256 x 64 with an opacity picture: 8 software levels below the top.
    Image* picture = MakePicture(256, 64, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y * 4);
        p[2] = static_cast<uint8_t>((x + y) & 1 ? 200 : 0);
    });
    Image* opacity = MakePicture(256, 64, 8, [](uint32_t x, uint32_t, uint8_t* p) { *p = (x & 1) ? 255 : 1; });
    std::unique_ptr<Texture2D_D3D7> t(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromImages("mips", picture, opacity, true, false)));
    ASSERT_TRUE(t->HasMipMaps());
    uint32_t expectedMemory = 0;
    const uint32_t levels = WalkLevels(t->surface, [&](uint32_t n, const DDSURFACEDESC2& d) {
        EXPECT_EQ(d.dwWidth, std::max(1u, 256u >> n));
        EXPECT_EQ(d.dwHeight, std::max(1u, 64u >> n));
        expectedMemory += d.dwWidth * d.dwHeight * 4;
        const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface);
        if (n == 0) {
            // Level 0 takes its alpha from the opacity picture.
            EXPECT_EQ(p[3], 1);
            EXPECT_EQ(p[4 + 3], 255);
            EXPECT_EQ(p[4 * 10 + 2], 10); // red = x
        } else if (n == 1) {
            // Level 1 is the 2 x 2 average, alpha included: (1 + 255 + 1 + 255 + 2) >> 2.
            EXPECT_EQ(p[3], 128);
            EXPECT_EQ(p[2], (0 + 1 + 0 + 1 + 2) >> 2);
            EXPECT_EQ(p[4 * 5 + 2], (10 + 11 + 10 + 11 + 2) >> 2);
        }
    });
    EXPECT_EQ(levels, 9u) << "the top and 8 levels";
    EXPECT_EQ(t->GetMemorySize(), expectedMemory);
}

TEST_F(Textures, SurfaceIsDroppedAndMadeAgainOnUse)
{
    const std::string file = dir + "\\cyan.tga";
    ASSERT_TRUE(TestSupport::WriteFileBytes(file, Tga24(16, 16, 0, 255, 255)));
    std::unique_ptr<Texture2D_D3D7> t(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromFiles("cyan", file, "", false, false)));
    ASSERT_NE(t->surface, nullptr);
    const uint32_t memory = t->GetMemorySize();
    EXPECT_EQ(memory, 16u * 16u * 4u);
    EXPECT_EQ(t->GetImage()->GetDiffuse(), nullptr) << "pictures from files are given back after upload";

    t->ReleaseSurface();
    EXPECT_EQ(t->surface, nullptr);
    EXPECT_EQ(t->GetMemorySize(), 0u);
    t->SetIdleFrames(5);
    Bind(0, t.get());
    EXPECT_NE(t->surface, nullptr) << "binding makes the surface again, reading the file again";
    EXPECT_EQ(t->GetMemorySize(), memory);
    EXPECT_EQ(t->GetIdleFrames(), 0u);
    uint32_t n = WalkLevels(t->surface, [](uint32_t, const DDSURFACEDESC2& d) {
        const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface) + 3 * d.lPitch + 4 * 3;
        EXPECT_EQ(p[0], 255);
        EXPECT_EQ(p[1], 255);
        EXPECT_EQ(p[2], 0);
    });
    EXPECT_EQ(n, 1u);
    Bind(0, nullptr);

    // A deferred texture only knows its size until first use.
    std::unique_ptr<Texture2D_D3D7> d(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromFiles("later", file, "", false, true)));
    EXPECT_EQ(d->surface, nullptr);
    EXPECT_EQ(d->GetWidth(), 16u);
    EXPECT_EQ(d->GetMemorySize(), 0u);
    EXPECT_NE(d->GetSurface(), nullptr);
    EXPECT_EQ(d->GetMemorySize(), memory);

    // A missing file becomes the 64 x 64 checker, with the reader's error logged.
    std::unique_ptr<Texture2D_D3D7> missing(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromFiles("missing", dir + "\\none.tga", "", false, false)));
    EXPECT_EQ(missing->GetWidth(), 64u);
    EXPECT_NE(missing->surface, nullptr);
    EXPECT_GE(s.CountLevel(3), 1);
}

TEST_F(Textures, CompressedLevelsAreCopiedUnchanged)
{
    if (!(r->textureFormatMask & (1u << kTextureFormatDXT1))) {
        std::printf("the device offers no DXT1 textures: nothing to copy\n");
        return;
    }
    const std::string file = dir + "\\packed.dds";
    const std::vector<unsigned char> bytes = Dxt1File(16, 5);
    ASSERT_TRUE(TestSupport::WriteFileBytes(file, bytes));
    std::unique_ptr<Texture2D_D3D7> t(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromFiles("packed", file, "", true, false)));
    ASSERT_NE(t->surface, nullptr);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    t->surface->GetSurfaceDesc(&desc);
    EXPECT_EQ(desc.ddpfPixelFormat.dwFourCC, MAKEFOURCC('D', 'X', 'T', '1'));
    // The level bytes as the engine holds them (the reader turns the block
    // rows bottom-up like every picture): uploaded without any change.
    FileDDS reader(file);
    uint32_t total = 0;
    const uint32_t levels = WalkLevels(t->surface, [&](uint32_t n, const DDSURFACEDESC2& d) {
        Image level;
        ASSERT_TRUE(reader.ReadLevel(n, level));
        const uint32_t size = std::min<uint32_t>(level.GetSize(), d.dwLinearSize);
        EXPECT_EQ(size, std::max(1u, (16u >> n) / 4) * std::max(1u, (16u >> n) / 4) * 8) << "level " << n;
        EXPECT_EQ(std::memcmp(d.lpSurface, level.GetPixels(), size), 0) << "level " << n;
        total += size;
    });
    EXPECT_EQ(levels, 5u);
    EXPECT_EQ(t->GetMemorySize(), total);
}

TEST_F(Textures, ResetReleasesAndRemakesTextures)
{
    Image* picture = MakePicture(4, 4, 32, [](uint32_t, uint32_t, uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 99; });
    std::unique_ptr<Texture2D_D3D7> eager(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromImages("eager", picture, nullptr, false, false)));
    Image* second = MakePicture(4, 4, 24, [](uint32_t, uint32_t, uint8_t* p) { p[0] = p[1] = p[2] = 1; });
    std::unique_ptr<Texture2D_D3D7> deferred(
        static_cast<Texture2D_D3D7*>(r->CreateTextureFromImages("deferred", second, nullptr, false, true)));
    deferred->GetSurface();
    ASSERT_NE(deferred->surface, nullptr);

    r->CheckVideoMode(); // marks the textures
    r->deviceLost = true;
    r->ResetDevice(1);
    EXPECT_EQ(eager->surface, nullptr);
    EXPECT_EQ(deferred->surface, nullptr);
    EXPECT_EQ(s.CountLevel(4), 0) << "no object left referenced";
    r->ResetDevice(2);
    EXPECT_NE(eager->surface, nullptr) << "made again at once";
    EXPECT_EQ(deferred->surface, nullptr) << "made on first use";
    EXPECT_FALSE(r->texturesLost);
    Bind(1, deferred.get());
    EXPECT_NE(deferred->surface, nullptr);
    Bind(1, nullptr);

    // Removing a texture that is not listed ends the program.
    r->RemoveTexture(eager.get());
    EXPECT_THROW(r->RemoveTexture(eager.get()), FatalError);
    EXPECT_GE(s.Find("PROGRAM ABORTING: RenderSystem_D3D7: Failed to remove texture \"eager\"\n"), 0);
    r->AddTexture(eager.get());
}

TEST_F(Textures, TextureOutlivingTheRenderSystemIsHarmless)
{
    Image* picture = MakePicture(4, 4, 24, [](uint32_t, uint32_t, uint8_t* p) { p[0] = p[1] = p[2] = 5; });
    Texture2D* late = r->CreateTextureFromImages("late", picture, nullptr, false, false);
    s.log->ClearHistory();
    s.render.reset();
    EXPECT_EQ(s.CountLevel(4), 0) << "the living texture does not keep DirectDraw referenced";
    delete late;
}

TEST_F(Textures, ManagerSharesByKey)
{
    const std::string file = dir + "\\Stone.TGA";
    ASSERT_TRUE(TestSupport::WriteFileBytes(file, Tga24(8, 8, 10, 20, 30)));
    const std::string lower = dir + "\\stone.tga";
    TextureManager m;
    std::string key;
    TextureManager::MakeKey(key, true, "A\\B.PNG", "");
    EXPECT_EQ(key, "diffuse_a\\b.png_with_mip_mapping");
    TextureManager::MakeKey(key, false, "X.png", "Op.PNG");
    EXPECT_EQ(key, "diffuse_x.png_plus_opacity_op.png");

    Texture2D* a = m.GetTexture(false, file, "", false);
    Texture2D* b = m.GetTexture(false, lower, "", false);
    EXPECT_EQ(a, b) << "names differing only in case share one texture";
    EXPECT_EQ(a->GetReferenceCount(), 2);
    Texture2D* mipped = m.GetTexture(true, file, "", false);
    EXPECT_NE(mipped, a);
    EXPECT_EQ(mipped->GetName(), "diffuse_" + ToLowerCopy(file) + "_with_mip_mapping");
    EXPECT_EQ(a->GetName(), "diffuse_" + ToLowerCopy(file));
    Texture2D* withOpacity = m.GetTexture(false, file, file, false);
    EXPECT_EQ(withOpacity->GetName(), "diffuse_" + ToLowerCopy(file) + "_plus_opacity_" + ToLowerCopy(file));
    EXPECT_EQ(m.GetTextureCount(), 3u);
    EXPECT_EQ(m.GetUsedMemory(), a->GetMemorySize() + mipped->GetMemorySize() + withOpacity->GetMemorySize());
    EXPECT_GT(m.GetUsedMemory(), 0u);

    std::vector<Texture2D*> list = {nullptr};
    m.GetTextures(list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_LT(list[0]->GetName(), list[1]->GetName());
    EXPECT_LT(list[1]->GetName(), list[2]->GetName());

    // Two releases for two references delete it; a foreign or null one is ignored.
    m.ReleaseTexture(nullptr);
    Image* stray = MakePicture(4, 4, 24, [](uint32_t, uint32_t, uint8_t* p) { p[0] = p[1] = p[2] = 0; });
    std::unique_ptr<Texture2D> foreign(r->CreateTextureFromImages(a->GetName(), stray, nullptr, false, false));
    m.ReleaseTexture(foreign.get());
    EXPECT_EQ(a->GetReferenceCount(), 2);
    m.ReleaseTexture(a);
    EXPECT_EQ(m.GetTextureCount(), 3u);
    m.ReleaseTexture(b);
    EXPECT_EQ(m.GetTextureCount(), 2u);
    EXPECT_EQ(r->GetTextures().size(), 3u); // the two left and the foreign one
}

TEST_F(Textures, ManagerTakesPicturesAndAlwaysMipMaps)
{
    TextureManager m;
    int deaths = 0;
    Texture2D* first = m.GetTexture(false, "Built", "", new CountedImage(&deaths), nullptr, false);
    EXPECT_EQ(first->GetName(), "diffuse_built_with_mip_mapping");
    EXPECT_TRUE(first->HasMipMaps());
    EXPECT_EQ(deaths, 0) << "the texture keeps the picture it was made from";
    Texture2D* again =
        m.GetTexture(false, "BUILT", "", new CountedImage(&deaths), new CountedImage(&deaths), false);
    EXPECT_EQ(again, first);
    EXPECT_EQ(deaths, 2) << "a hit deletes both pictures passed";
    EXPECT_EQ(first->GetReferenceCount(), 2);
    Texture2D* nulls = m.GetTexture(true, "built", "", nullptr, nullptr, false);
    EXPECT_EQ(nulls, first);
}

TEST_F(Textures, IdleDeferredTexturesLoseTheirSurfaces)
{
    const std::string file = dir + "\\idle.tga";
    ASSERT_TRUE(TestSupport::WriteFileBytes(file, Tga24(8, 8, 1, 2, 3)));
    TextureManager m;
    Texture2D_D3D7* deferred = static_cast<Texture2D_D3D7*>(m.GetTexture(false, file, "", true));
    Texture2D_D3D7* eager = static_cast<Texture2D_D3D7*>(m.GetTexture(true, file, "", false));
    Bind(0, deferred);
    ASSERT_NE(deferred->surface, nullptr);
    Bind(0, nullptr);

    for (int frame = 1; frame <= 3; ++frame) {
        m.Update();
        EXPECT_NE(deferred->surface, nullptr) << "frame " << frame;
    }
    m.Update();
    EXPECT_EQ(deferred->surface, nullptr) << "released on the fourth update";
    EXPECT_EQ(deferred->GetMemorySize(), 0u);
    deferred->GetSurface(); // made again without being bound: the count still runs
    m.Update();
    EXPECT_EQ(deferred->surface, nullptr) << "and on every update after it";
    EXPECT_NE(eager->surface, nullptr) << "textures that are not deferred stay";
    EXPECT_EQ(eager->GetIdleFrames(), 0u);

    Bind(0, deferred); // drawn again: counted from zero
    m.Update();
    EXPECT_NE(deferred->surface, nullptr);
    Bind(0, nullptr);
}
