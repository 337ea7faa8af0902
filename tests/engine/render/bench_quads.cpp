// 500 textured, vertex-coloured, blended quads a frame for 300 frames in a
// 1024 x 768 window, through the engine's cached states and its draw call.
// Prints the time per frame and the share of it spent outside the device
// calls (the engine's own work). Runs itself inside a Wine virtual desktop,
// where the 1024 x 768 mode exists.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/render/VertexBuffer.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;

namespace {

const int kQuads = 500;
const int kFrames = 300;
const int kTextures = 4;

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b, const LARGE_INTEGER& frequency)
{
    return double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
}

int Run()
{
    MessageManager log("Quad benchmark", false, false, "", "");
    Config config("", "bench_quads", true, "1024x768x32", true, false);
    config.vsync = false; // measure the work, not the display's refresh
    Window window("Quad benchmark", nullptr, 0, 1024, 768, false, true, Vector2i(0, 0));
    std::unique_ptr<RenderSystem_D3D7> render(new RenderSystem_D3D7(false, false));
    RenderSystem_D3D7& r = *render;
    const ModeInfo* mode = r.GetCurrentMode();
    std::printf("display: %ux%ux%u %s\n", mode->width, mode->height, mode->bitsPerPixel,
                r.GetCurrentDevice()->fullscreen ? "full-screen" : "windowed");

    TextureManager textures;
    std::vector<Texture2D*> texture;
    for (int t = 0; t < kTextures; ++t) {
        Image* picture = new Image;
        picture->Create(64, 64, 32, true);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                uint8_t* p = picture->GetPixel(x, y);
                p[0] = static_cast<uint8_t>(x * 4);
                p[1] = static_cast<uint8_t>(y * 4);
                p[2] = static_cast<uint8_t>(t * 60);
                p[3] = static_cast<uint8_t>(((x / 8 + y / 8) & 1) ? 255 : 160);
            }
        texture.push_back(
            textures.GetTexture(true, "bench_" + std::to_string(t), "", picture, nullptr, false));
    }

    // One small model per quad, as sprites and widgets are drawn.
    std::vector<std::unique_ptr<VertexBuffer>> vertices;
    std::vector<std::unique_ptr<IndexBuffer>> indices;
    std::vector<Matrix4> placement;
    const uint32_t quadIndices[6] = {0, 1, 2, 0, 2, 3};
    for (int q = 0; q < kQuads; ++q) {
        VertexBuffer* vb = r.CreateVertexBuffer(0, 1, 4);
        ColoredVertex* v = vb->LockColoredVertices(0, 4);
        const float c[4][4] = {{-0.05f, -0.05f, 0, 0}, {0.05f, -0.05f, 1, 0}, {0.05f, 0.05f, 1, 1}, {-0.05f, 0.05f, 0, 1}};
        for (int i = 0; i < 4; ++i) {
            v[i].position = Vector3(c[i][0], c[i][1], 0.0f);
            v[i].normal = Vector3(0, 0, 1);
            v[i].color = 0xC0FFFFFF - static_cast<uint32_t>(q * 0x10101 % 0x404040);
            v[i].u = c[i][2];
            v[i].v = c[i][3];
        }
        vb->Unlock();
        vertices.emplace_back(vb);
        IndexBuffer* ib = r.CreateIndexBuffer(0, 6);
        ib->SetIndices(0, 6, quadIndices);
        indices.emplace_back(ib);
        Matrix4 m;
        Matrix4::SetTranslation(m, Vector3(-0.95f + 0.0375f * float(q % 50), -0.9f + 0.18f * float(q / 50), -0.5f));
        placement.push_back(m);
    }

    Matrix4::SetIdentity(r.projectionMatrix);
    r.UpdateProjectionMatrix();
    r.clearColor = Color(0.1f, 0.1f, 0.2f, 1.0f);

    auto frames = [&]() {
        for (int frame = 0; frame < kFrames; ++frame) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            r.Refresh();
            r.BeginScene();
            for (int q = 0; q < kQuads; ++q) {
                // The states a shader user sets per object, under the cache rule.
                Texture2D* t = texture[q * kTextures / kQuads];
                if (r.forceStateUpdate || r.stageTextures[0] != t) {
                    r.stageTextures[0] = t;
                    r.UpdateTexture(0);
                }
                t->SetIdleFrames(0);
                if (r.forceStateUpdate || !r.alphaBlend) {
                    r.alphaBlend = true;
                    r.UpdateAlphaBlend();
                }
                if (r.forceStateUpdate || r.sourceBlend != kBlendSourceAlpha ||
                    r.destinationBlend != kBlendInverseSourceAlpha) {
                    r.sourceBlend = kBlendSourceAlpha;
                    r.destinationBlend = kBlendInverseSourceAlpha;
                    r.UpdateBlend();
                }
                if (r.forceStateUpdate || r.stageFilter[0] != kFilterMipMapped) {
                    r.stageFilter[0] = kFilterMipMapped;
                    r.UpdateTextureFilter(0);
                }
                r.SetTextureMatrix(0, 1.0f, 1.0f, 0.0f, 0.0f);
                r.SetZEnable(false);
                r.SetWorldMatrix(placement[q]);
                r.DrawIndexedPrimitive(false, indices[q].get(), vertices[q].get(), 2);
            }
            r.EndScene();
            r.SwapBuffers();
            textures.Update();
        }
    };

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    // First without timing the device calls, for the plain frame time, then
    // with it, for the split.
    QueryPerformanceCounter(&start);
    frames();
    QueryPerformanceCounter(&end);
    const double untimed = Seconds(start, end, frequency);
    r.ResetDeviceCallCounters();
    r.SetDeviceCallTiming(true);
    QueryPerformanceCounter(&start);
    frames();
    QueryPerformanceCounter(&end);
    r.SetDeviceCallTiming(false);

    const DeviceCallCounters& c = r.GetDeviceCallCounters();
    const double total = Seconds(start, end, frequency);
    const double device = double(c.deviceTicks) / double(frequency.QuadPart);
    const double perFrame = total * 1000.0 / kFrames;
    std::printf("frames: %d, quads per frame: %d, draw calls: %u\n", kFrames, kQuads, c.draws);
    std::printf("state changes sent: world %u, texture %u, blend %u\n", c.transforms[D3DTRANSFORMSTATE_WORLD],
                c.textures[0], c.renderStates[D3DRENDERSTATE_SRCBLEND]);
    std::printf("ms per frame: %.3f (%.1f frames per second); %.3f with the device calls timed\n",
                untimed * 1000.0 / kFrames, kFrames / untimed, perFrame);
    std::printf("inside device calls: %.3f ms per frame\n", device * 1000.0 / kFrames);
    std::printf("engine's own work: %.3f ms per frame, %.1f%% of the frame\n", (total - device) * 1000.0 / kFrames,
                100.0 * (total - device) / total);
    std::fflush(stdout);

    for (Texture2D* t : texture)
        textures.ReleaseTexture(t);
    vertices.clear();
    indices.clear();
    render.reset();
    return 0;
}

} // namespace

int main()
{
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_quads", 1280, 1024, "", 600000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Run();
    } catch (const Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}
