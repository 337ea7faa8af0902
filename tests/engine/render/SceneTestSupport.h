#pragma once
// Shared by the scene tests: a real Direct3D 7 device (RenderTestSupport.h)
// with the file manager over the program folder, the frame clock and the
// camera, light, shader and model managers in the engine's order.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Shader.h"
#include "engine/render/TextureManager.h"
#include "RenderTestSupport.h"
#include "support/TestSupport.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"

namespace SceneTest {

using namespace KorvaneEngine;

struct Scene : RenderTest::Services {
    std::string root;
    std::string folder;
    std::unique_ptr<FileManager> files;
    std::unique_ptr<TimerManager> timers;
    std::unique_ptr<CameraManager> cameras;
    std::unique_ptr<LightManager> lights;
    std::unique_ptr<ShaderManager> shaders;
    std::unique_ptr<ModelManager> models;

    // A windowed device needs a mode the display lists: the test display's own.
    void StartScene(const std::string& name, const std::string& mode = "1280x1024x32")
    {
        // Picture files are opened from the program folder, so the data sit
        // there, in a folder of this test's own.
        folder = name;
        root = GetExecutableDirectory();
        CreateDirectoryA((root + "\\data").c_str(), nullptr);
        TestSupport::RemoveTree(root + "\\data\\" + folder);
        CreateDirectoryA((root + "\\data\\" + folder).c_str(), nullptr);
        CreateDirectoryA((root + "\\data\\" + folder + "\\models").c_str(), nullptr);
        try {
            Start(mode, false, true);
        } catch (const Error& e) {
            ADD_FAILURE() << "render system: " << e.GetMessage();
            throw;
        }
        files.reset(new FileManager(root, false, "data", 16777216));
        FileManager::Instance(files.get());
        timers.reset(new TimerManager);
        TimerManager::Instance(timers.get());
        RenderSystem::Instance(render.get());
        cameras.reset(new CameraManager);
        CameraManager::Instance(cameras.get());
        lights.reset(new LightManager);
        LightManager::Instance(lights.get());
        shaders.reset(new ShaderManager);
        ShaderManager::Instance(shaders.get());
        models.reset(new ModelManager);
        ModelManager::Instance(models.get());
    }

    void StopScene()
    {
        models.reset();
        shaders.reset();
        lights.reset();
        cameras.reset();
        timers.reset();
        files.reset();
        Stop();
        if (!folder.empty())
            TestSupport::RemoveTree(root + "\\data\\" + folder);
        folder.clear();
    }

    ~Scene() { StopScene(); }

    // A name under the data folder for this test's file name.
    std::string Path(const std::string& name) const { return folder + "\\" + name; }
    void PutFile(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(TestSupport::WriteFileBytes(root + "\\data\\" + Path(name), bytes));
    }

    // The engine's frame: cameras, lights, shaders, the draw pass and the
    // present. Presenting is what lets the device reuse the memory it streamed
    // the frame's vertices through: frames drawn without it pile that memory
    // up until a 32-bit process has no room left.
    void Frame()
    {
        render->Refresh();
        cameras->UpdateCameras();
        lights->Refresh();
        shaders->Update();
        models->Render();
        models->PresentFrame();
    }

    // The back buffer of the last frame (the same image, refilled each call).
    const Image& Screenshot()
    {
        render->TakeScreenshot(shot);
        return shot;
    }
    Image shot;

    int CountErrors() const { return CountLevel(3); }
};

// Window pixel (x from the left, y from the top) of a world point seen
// through a camera.
inline Vector2 WorldToPixel(const Camera& camera, const CameraManager::Viewport& vp, const Vector3& world)
{
    Matrix4 m = camera.view * camera.projection;
    float out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = world.x * m.m[c] + world.y * m.m[4 + c] + world.z * m.m[8 + c] + m.m[12 + c];
    float nx = out[0] / out[3], ny = out[1] / out[3];
    return Vector2((nx + 1) * 0.5f * vp.width, (1 - ny) * 0.5f * vp.height);
}

// A square of side 2 round the origin in the z = 0 plane, facing +z.
inline ContentTools::ModelFile Square(uint32_t flags)
{
    ContentTools::ModelFile m;
    m.flags = flags;
    const float p[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (int i = 0; i < 4; ++i) {
        ContentTools::ModelVertex v;
        v.position = {p[i][0], p[i][1], 0};
        v.normal = {0, 0, 1};
        v.u = (p[i][0] + 1) / 2;
        v.v = (1 - p[i][1]) / 2;
        m.vertices.push_back(v);
    }
    m.indices = {0, 1, 2, 2, 3, 0};
    m.boxes = {ContentTools::BoundsOf(m.vertices)};
    return m;
}

inline ContentTools::ShaderFile TexturedShader(const std::string& diffuse)
{
    ContentTools::ShaderFile s;
    ContentTools::ShaderFileStage stage;
    stage.diffuse = diffuse;
    s.stages.push_back(stage);
    return s;
}

} // namespace SceneTest
