// DXT pictures on Wine's Direct3D 7 device: the compressed copy, decoded by
// the device, must show the same picture the same way up as the software
// decode of the same file, alpha included.
#include <cstring>

#include "RenderTestSupport.h"
#include "engine/foundation/FileManager.h"
#include "engine/render/FileDDS.h"
#include "engine/render/TextureImage.h"
#include "engine/render/d3d7/Texture2D_D3D7.h"
#include "PictureWriters.h"
#include "support/TestSupport.h"

using namespace RenderTest;
using namespace PictureWriters;

namespace {

const uint32_t kSide = 16;     // texels; 4 x 4 blocks
const uint32_t kScreenW = 1280, kScreenH = 1024;

// Every block its own colour; its lines take colour 0, 0, black, 0 from the
// top, and alpha that falls line by line, so a block turned the wrong way or
// a lost alpha flip shows in the picture.
std::vector<uint8_t> DxtFile(const char* code)
{
    const char kind = code[3];
    std::vector<uint8_t> data;
    for (uint32_t by = 0; by < 4; ++by)
        for (uint32_t bx = 0; bx < 4; ++bx) {
            uint16_t colour = uint16_t((bx * 8 + 7) << 11 | (by * 16 + 15) << 5 | (31 - bx * 4 - by * 3));
            if (kind == '3') {
                const uint16_t rows[4] = {0xFFFF, 0xAAAA, 0x5555, 0x0000}; // alpha 255, 170, 85, 0
                for (uint16_t r : rows)
                    Put16(data, r);
            } else if (kind == '5') {
                data.push_back(255);
                data.push_back(0);
                // Line indices 0, 1, 2, 7 -> alpha 255, 0, 218, 36.
                const uint64_t lines[4] = {0, 1, 2, 7};
                uint64_t bits = 0;
                for (uint32_t i = 0; i < 16; ++i)
                    bits |= lines[i / 4] << (3 * i);
                for (int i = 0; i < 6; ++i)
                    data.push_back(uint8_t(bits >> (8 * i)));
            }
            Put16(data, colour);
            Put16(data, 0);
            Put32(data, 0x00 | 0x00 << 8 | 0x55 << 16 | 0x00 << 24);
        }
    DdsHeader h;
    h.width = h.height = kSide;
    h.fourCC = FourCC(code);
    return EncodeDds(h, data);
}

class DdsOnDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        s.Start("1280x1024x32", false, true);
        r = s.render.get();
        UseFlatProjection(*r);
        dir = TestSupport::MakeTempDir("dds_device");
        r->clearColor = Color(0, 0, 0, 1);
        r->stageFilter[0] = kFilterPoint;
        r->UpdateTextureFilter(0);
        r->stageAddressU[0] = r->stageAddressV[0] = kAddressClamp;
        r->UpdateTextureAdressU(0);
        r->UpdateTextureAdressV(0);
        r->alphaBlend = true;
        r->UpdateAlphaBlend();
        r->sourceBlend = kBlendSourceAlpha;
        r->destinationBlend = kBlendInverseSourceAlpha;
        r->UpdateBlend();
    }
    void TearDown() override
    {
        r->stageTextures[0] = nullptr;
        r->UpdateTexture(0);
        s.Stop();
        TestSupport::RemoveTree(dir);
    }

    // Draws the texture over the whole screen (v = 0 at the bottom) in white.
    void Draw(Texture2D* texture, Image& shot)
    {
        r->stageTextures[0] = texture;
        r->UpdateTexture(0);
        std::unique_ptr<VertexBuffer> vb(r->CreateVertexBuffer(0, 1, 4));
        ColoredVertex* v = vb->LockColoredVertices(0, 4);
        const float corners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};
        for (int i = 0; i < 4; ++i) {
            v[i].position = Vector3(corners[i][0], corners[i][1], -0.5f);
            v[i].normal = Vector3(0, 0, 1);
            v[i].u = corners[i][2];
            v[i].v = corners[i][3];
            v[i].color = 0xFFFFFFFF;
        }
        vb->Unlock();
        std::unique_ptr<IndexBuffer> ib(r->CreateIndexBuffer(0, 6));
        const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
        ib->SetIndices(0, 6, idx);
        r->BeginScene();
        r->DrawIndexedPrimitive(false, ib.get(), vb.get(), 2);
        r->EndScene();
        r->TakeScreenshot(shot);
    }

    // Every texel's centre on screen against the decoded picture blended over black.
    ::testing::AssertionResult ShowsPicture(const Image& shot, const Image& picture)
    {
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                const uint8_t* t = picture.GetPixel(x, y);
                const uint32_t sx = (2 * x + 1) * kScreenW / (2 * kSide);
                const uint32_t syFromTop = (2 * (kSide - 1 - y) + 1) * kScreenH / (2 * kSide);
                auto result = PixelNear(shot, sx, syFromTop, t[0] * t[3] / 255, t[1] * t[3] / 255,
                                        t[2] * t[3] / 255, 4);
                if (!result)
                    return result << " at texel (" << x << ", " << y << ")";
            }
        return ::testing::AssertionSuccess();
    }

    Services s;
    RenderSystem_D3D7* r = nullptr;
    std::string dir;
};

} // namespace

TEST_F(DdsOnDevice, CompressedCopyShowsTheSoftwarePictureTheSameWayUp)
{
    const uint32_t offered = r->textureFormatMask;
    for (const char* code : {"DXT1", "DXT3", "DXT5"}) {
        const uint32_t formatCode = code[3] == '1' ? 6 : code[3] == '3' ? 8 : 10;
        if (!(offered & (1u << formatCode))) {
            std::printf("the device offers no %s textures: nothing to compare\n", code);
            continue;
        }
        const std::string file = dir + "\\" + code + ".dds";
        ASSERT_TRUE(WriteFile(file, DxtFile(code)));

        // The reference: the software decode of the file, as a device without DXT gets it.
        r->textureFormatMask = offered & ~(0x1Fu << 6);
        Image decoded;
        {
            FileDDS dds(file);
            ASSERT_EQ(dds.GetFormatCode(), 3u);
            ASSERT_TRUE(dds.ReadLevel(0, decoded));
        }
        // Top-left block, top line: colour 0 at full alpha.
        EXPECT_EQ(decoded.GetPixel(0, kSide - 1)[3], 255);
        std::unique_ptr<Texture2D> soft(r->CreateTextureFromFiles(std::string("soft ") + code, file, "", false, false));
        ASSERT_EQ(soft->GetImage()->GetFormatCode(), 3u);
        Image softShot;
        Draw(soft.get(), softShot);
        EXPECT_TRUE(ShowsPicture(softShot, decoded)) << code << " decoded in software";

        r->textureFormatMask = offered;
        std::unique_ptr<Texture2D> packed(r->CreateTextureFromFiles(std::string("packed ") + code, file, "", false, false));
        ASSERT_EQ(packed->GetImage()->GetFormatCode(), formatCode);
        Image packedShot;
        Draw(packed.get(), packedShot);
        EXPECT_TRUE(ShowsPicture(packedShot, decoded)) << code << " decoded by the device";
        r->stageTextures[0] = nullptr;
        r->UpdateTexture(0);
    }
    r->textureFormatMask = offered;
}
