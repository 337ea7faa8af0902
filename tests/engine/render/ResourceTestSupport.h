#pragma once
// Shared by the sprite-group, particle-system and resource-registry tests: the
// scene services of SceneTestSupport.h plus the sprite-group and
// particle-system managers, in the engine's order, and its frame.
#include <memory>
#include <string>

#include "SceneTestSupport.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"

namespace ResourceTest {

using namespace KorvaneEngine;

struct ResourceScene : SceneTest::Scene {
    std::unique_ptr<SpriteGroupManager> spriteGroups;
    std::unique_ptr<ParticleSystemManager> particleSystems;

    void StartResources(const std::string& name)
    {
        StartScene(name);
        spriteGroups.reset(new SpriteGroupManager);
        SpriteGroupManager::Instance(spriteGroups.get());
        particleSystems.reset(new ParticleSystemManager);
        ParticleSystemManager::Instance(particleSystems.get());
        // Cameras have their axes after their first update.
        cameras->UpdateCameras();
    }

    void StopResources()
    {
        particleSystems.reset();
        spriteGroups.reset();
        StopScene();
    }

    ~ResourceScene() { StopResources(); }

    // The engine's update step: cameras, particle systems, sprite groups,
    // lights, shaders, then the draw pass.
    void ResourceFrame()
    {
        render->Refresh();
        cameras->UpdateCameras();
        particleSystems->Update();
        spriteGroups->Update();
        lights->Refresh();
        shaders->Update();
        models->Render();
    }
};

} // namespace ResourceTest
