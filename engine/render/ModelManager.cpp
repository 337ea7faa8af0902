#include "engine/render/ModelManager.h"

#include <algorithm>
#include <new>

#include "engine/foundation/Error.h"
#include "engine/render/Frustum.h"
#include "engine/render/Model.h"
#include "engine/render/RenderSystem.h"

namespace KorvaneEngine {

namespace {
// The device can draw: its surfaces are there and it needs no reset.
bool DeviceReady(const RenderSystem* rs)
{
    return rs && rs->surfacesRestored && !rs->deviceLost;
}
} // namespace

ModelManager::ModelManager() {}

ModelManager::~ModelManager()
{
    opaque_.clear();
    blended_.clear();
    ResetInstance(this);
}

Model* ModelManager::CreateModel(uint32_t flags, uint32_t vertexCount, uint32_t indexCount, uint32_t frameCount,
    const ShaderDescriptor* shader, Camera* camera, bool shaderFlag)
{
    Model* model = new (std::nothrow) Model(flags, vertexCount, indexCount, frameCount, shader, camera, shaderFlag);
    registry_.AddObject(model);
    return model;
}

Model* ModelManager::CreateModelUnregistered(const Vector3& minimum, const Vector3& maximum,
    const ShaderDescriptor* shader, Camera* camera, uint32_t extraFlags)
{
    return new (std::nothrow) Model(minimum, maximum, shader, camera, extraFlags);
}

Model* ModelManager::LoadModelUnregistered(const std::string& name, Camera* camera, uint32_t extraFlags,
    bool shaderFlag)
{
    try {
        return new (std::nothrow) Model(name, camera, extraFlags, shaderFlag);
    } catch (const Error&) {
        // Already logged by the model: a box stands in for it.
    }
    Model* box = CreateModelUnregistered(Vector3(-1, -1, -1), Vector3(1, 1, 1), nullptr, camera, extraFlags);
    if (box)
        box->name = name;
    return box;
}

Model* ModelManager::CloneModel(const Model* source, Camera* camera, uint32_t extraFlags)
{
    Model* model = CloneModelUnregistered(source, camera, extraFlags);
    registry_.AddObject(model);
    return model;
}

Model* ModelManager::CloneModelUnregistered(const Model* source, Camera* camera, uint32_t extraFlags)
{
    if (!source)
        return nullptr;
    return new (std::nothrow) Model(*source, camera, extraFlags);
}

void ModelManager::DeleteModel(Model* model)
{
    if (model && registry_.RemoveObject(model))
        delete model;
}

void ModelManager::Render()
{
    visiblePrimitives = drawnPrimitives = visibleModels = drawnModels = 0;
    RenderSystem* rs = RenderSystem::Instance();
    if (!DeviceReady(rs))
        return;
    opaque_.clear();
    blended_.clear();
    const std::vector<Model*>& models = registry_.GetObjects();
    if (opaque_.capacity() < models.size())
        opaque_.reserve(models.size());
    if (blended_.capacity() < models.size())
        blended_.reserve(models.size());
    for (Model* m : models) {
        if (!m)
            continue;
        m->Update(true);
        if (m->GetFlags() & ModelFlags::kVisible) {
            visiblePrimitives += m->GetPrimitiveCount();
            drawnPrimitives += m->GetVisiblePrimitiveCount();
            ++visibleModels;
            if (m->GetVisiblePrimitiveCount())
                ++drawnModels;
        }
        if (m->GetVisiblePrimitiveCount()) {
            if (m->GetFlags() & ModelFlags::kOpaque)
                opaque_.push_back(m);
            else
                blended_.push_back(m);
        }
    }
    std::sort(blended_.begin(), blended_.end(), BackToFront<Model>);
    std::sort(opaque_.begin(), opaque_.end(), FrontToBack<Model>);
    rs->BeginScene();
    for (Model* m : opaque_)
        m->Render();
    for (Model* m : blended_)
        m->Render();
    rs->EndScene();
}

void ModelManager::PresentFrame()
{
    RenderSystem* rs = RenderSystem::Instance();
    if (DeviceReady(rs))
        rs->SwapBuffers();
}

} // namespace KorvaneEngine
