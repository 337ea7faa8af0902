#pragma once
// Shared by the toolkit tests on a real device: the GUI scene with its files
// taken from a folder of the test's own, the fixture data (texts, a
// block-glyph font table, window descriptions, the windows' art) written
// through the content code and the format writers, a resource registry, and
// frames driven with a fixed frame time.
#include "GUITestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/FileManager.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/GUIToolManager.h"
#include "gui/GUIWindowBase.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/FontFileWriter.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"

namespace ToolkitTest {

using namespace KorvaneEngine;

const float kFrameTime = 0.05f;

// A unit quad with frames (all the same rectangle) and a blended shader file
// of its own; speed is the file's animation speed.
inline ContentTools::ModelFile FramedQuad(uint32_t frames, float speed)
{
    ContentTools::ModelFile m;
    m.flags = (frames > 1 ? ContentTools::ModelFile::kMorph : ContentTools::ModelFile::kStatic) |
              ContentTools::ModelFile::kTriangleList;
    m.frameCount = frames;
    m.speed = speed;
    const float corner[4][4] = {{1, 0, 1, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 1, 0, 1}};
    for (uint32_t f = 0; f < frames; ++f) {
        std::vector<ContentTools::ModelVertex> quad;
        for (const auto& k : corner) {
            ContentTools::ModelVertex v;
            v.position = {k[0], k[1], 0};
            v.normal = {0, 0, 1};
            v.u = k[2];
            v.v = k[3];
            quad.push_back(v);
        }
        m.vertices.insert(m.vertices.end(), quad.begin(), quad.end());
        m.boxes.push_back(ContentTools::BoundsOf(quad));
    }
    m.indices = {0, 1, 2, 2, 1, 3};
    return m;
}

inline ContentTools::ShaderFile BlendedShader(const std::string& picture)
{
    ContentTools::ShaderFile s;
    s.flags = 1;
    s.sourceBlend = 4;
    s.destinationBlend = 5;
    ContentTools::ShaderFileStage stage;
    stage.diffuse = picture;
    stage.addressU = stage.addressV = 0;
    s.stages.push_back(stage);
    return s;
}

struct Toolkit {
    GUITest::GUIScene scene;
    // The registry's default particle system needs them.
    std::unique_ptr<SpriteGroupManager> spriteGroups;
    std::unique_ptr<ParticleSystemManager> particleSystems;
    std::string root;
    Content::ContentSet set;
    std::unique_ptr<GameTools::DataKeeper> registry;
    std::unique_ptr<GUITools::GUIToolManager> tools;
    std::vector<GUITools::GUIWindowBase*> windows;

    void Start(const std::string& name, bool input)
    {
        scene.StartGUI(name, input);
        spriteGroups.reset(new SpriteGroupManager);
        SpriteGroupManager::Instance(spriteGroups.get());
        particleSystems.reset(new ParticleSystemManager);
        ParticleSystemManager::Instance(particleSystems.get());
        root = TestSupport::MakeTempDir(TestSupport::ExecutableName());
        scene.log->SetLineSpacing(false);
    }

    void Stop()
    {
        windows.clear();
        tools.reset();
        registry.reset();
        particleSystems.reset();
        spriteGroups.reset();
        scene.StopGUI();
        if (!root.empty())
            TestSupport::RemoveTree(root);
        root.clear();
    }

    ~Toolkit() { Stop(); }

    // The fixture set written under the test's folder (loose, or packed as
    // the game ships it), which the file manager then serves (replacing the
    // scene's, rooted elsewhere).
    void Open(bool loose = true)
    {
        tools.reset();
        registry.reset();
        scene.files.reset();
        TestSupport::RemoveTree(root + "\\data");
        std::string error;
        ASSERT_TRUE(set.Write(root, loose, &error)) << error;
        scene.files.reset(new FileManager(root, true, "data", 16u << 20));
    }

    // The registry with the windows' art and the test's own, then the tools
    // in a language.
    void Load(const std::string& language, const std::vector<std::string>& resourceLists)
    {
        // The old tools go first: font ids start again at 0, and a font
        // manager that still maps an id hands out the old tool's font, which
        // dies with it.
        tools.reset();
        registry.reset();
        registry.reset(new GameTools::DataKeeper(language));
        for (const std::string& list : resourceLists)
            registry->LoadResourceFile(list, true);
        tools.reset(new GUITools::GUIToolManager(language));
    }

    // One frame with a fixed frame time: input, the windows, the draw.
    void Step(float dt = kFrameTime)
    {
        GUITest::Pump();
        scene.timers->AdvanceFrame(dt);
        scene.window->Update();
        if (scene.controls)
            scene.controls->Update();
        scene.gui->Update();
        for (GUITools::GUIWindowBase* w : windows)
            w->Update();
        scene.gui->Render();
        scene.Frame();
        if (scene.controls)
            scene.controls->ResetState();
    }

    std::vector<std::string> Errors() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < scene.log->GetHistorySize(); ++i)
            if (scene.log->GetHistoryRecord(i)->level >= 3)
                out.push_back(scene.log->GetHistoryRecord(i)->text);
        return out;
    }
    // How many logged errors hold the part.
    int ErrorsWith(const std::string& part) const
    {
        int n = 0;
        for (const std::string& e : Errors())
            n += e.find(part) != std::string::npos;
        return n;
    }
};

// Ink of a colour inside a rectangle of window pixels (y from the top).
inline GUITest::InkBox FindInkIn(const Image& shot, int x0, int y0, int x1, int y1, int r, int g, int b,
                                 int tolerance = 40)
{
    GUITest::InkBox box;
    for (int y = std::max(0, y0); y < std::min(int(shot.GetHeight()), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(int(shot.GetWidth()), x1); ++x) {
            const uint8_t* p = RenderTest::ScreenPixel(shot, uint32_t(x), uint32_t(y));
            if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
                std::abs(p[2] - b) <= tolerance) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    return box;
}

} // namespace ToolkitTest
