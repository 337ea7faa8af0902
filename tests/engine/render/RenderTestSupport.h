#pragma once
// Shared by the render tests: brings up the engine services the render system
// stands on (log, configuration, window) and a real Direct3D 7 device.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/Image.h"
#include "engine/render/d3d7/IndexBuffer_D3D7.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "engine/render/d3d7/VertexBuffer_D3D7.h"

namespace RenderTest {

using namespace KorvaneEngine;

struct Services {
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<Config> config;
    std::unique_ptr<Window> window;
    std::unique_ptr<RenderSystem_D3D7> render;

    // The log keeps its history only; the window is sized from the mode.
    void Start(const std::string& mode, bool fullscreen, bool allowAnyWindowSize = false, bool useStencil = false)
    {
        log.reset(new MessageManager("Render test", false, false, "", ""));
        config.reset(new Config("", "render_test", true, mode, true, fullscreen));
        config->vsync = false;
        uint32_t w, h;
        ParseVideoMode(mode, &w, &h, nullptr);
        window.reset(new Window("Render test", nullptr, 0, w, h, fullscreen, true, Vector2i(0, 0)));
        render.reset(new RenderSystem_D3D7(useStencil, allowAnyWindowSize));
    }

    void Stop()
    {
        render.reset();
        window.reset();
        config.reset();
        log.reset();
    }

    ~Services() { Stop(); }

    std::vector<std::string> History() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            lines.push_back(log->GetHistoryRecord(i)->text);
        return lines;
    }

    // Index of the first record at or after from whose text equals text, or -1.
    int Find(const std::string& text, int from = 0) const
    {
        for (int i = from; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->text == text)
                return i;
        return -1;
    }

    int Count(const std::string& text) const
    {
        int n = 0;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            n += log->GetHistoryRecord(i)->text == text;
        return n;
    }

    int CountLevel(uint32_t level) const
    {
        int n = 0;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            n += log->GetHistoryRecord(i)->level == level;
        return n;
    }
};

// Projection that keeps x and y as they are: after the view's z flip a vertex
// at z in -1..0 lands at depth 0..1, and x, y in -1..1 cover the viewport
// (y upwards).
inline void UseFlatProjection(RenderSystem& r)
{
    Matrix4::SetIdentity(r.projectionMatrix);
    r.UpdateProjectionMatrix();
    Matrix4 identity;
    Matrix4::SetIdentity(identity);
    r.SetViewMatrix(identity);
    r.SetWorldMatrix(identity);
}


// Pixel (x, y) of the screen, y counted from the top (the image is bottom-up).
inline const uint8_t* ScreenPixel(const Image& image, uint32_t x, uint32_t yFromTop)
{
    return image.GetPixel(x, image.GetHeight() - 1 - yFromTop);
}

inline ::testing::AssertionResult PixelNear(const Image& image, uint32_t x, uint32_t yFromTop, int r, int g, int b,
                                            int tolerance)
{
    const uint8_t* p = ScreenPixel(image, x, yFromTop);
    if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << yFromTop << ") is (" << int(p[0]) << ", "
                                         << int(p[1]) << ", " << int(p[2]) << "), expected (" << r << ", " << g
                                         << ", " << b << ") +-" << tolerance;
}

} // namespace RenderTest
