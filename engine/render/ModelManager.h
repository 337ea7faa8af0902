#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class Model;
class ShaderDescriptor;

// Owns the registered models and draws them once a frame: opaque models front
// to back, then the others back to front. Unregistered models (file and box
// models, unregistered clones) belong to their caller and are not drawn here.
class ModelManager : public GlobalPointerHolder<ModelManager> {
public:
    virtual ~ModelManager();
    ModelManager();
    ModelManager(const ModelManager&) = delete;
    ModelManager& operator=(const ModelManager&) = delete;

    // A procedural model, registered.
    Model* CreateModel(uint32_t flags, uint32_t vertexCount, uint32_t indexCount, uint32_t frameCount,
        const ShaderDescriptor* shader, Camera* camera, bool shaderFlag);
    // A box model, not registered.
    Model* CreateModelUnregistered(const Vector3& minimum, const Vector3& maximum, const ShaderDescriptor* shader,
        Camera* camera, uint32_t extraFlags);
    // A model from its file, not registered; a file that cannot be loaded
    // gives a box from (-1, -1, -1) to (1, 1, 1) under the requested name.
    Model* LoadModelUnregistered(const std::string& name, Camera* camera, uint32_t extraFlags, bool shaderFlag);
    Model* CloneModel(const Model* source, Camera* camera, uint32_t extraFlags);
    Model* CloneModelUnregistered(const Model* source, Camera* camera, uint32_t extraFlags);
    // Removes and deletes a registered model; an unregistered one is left alone.
    void DeleteModel(Model* model);

    // The draw pass: every registered model updated, sorted and drawn between
    // the render system's begin and end of scene.
    void Render();
    // Shows the frame when the device is ready.
    void PresentFrame();

    uint32_t GetModelCount() const { return registry_.GetCount(); }
    const std::vector<Model*>& GetModels() const { return registry_.GetObjects(); }
    // The lists of the last pass, in drawing order.
    const std::vector<Model*>& GetOpaqueList() const { return opaque_; }
    const std::vector<Model*>& GetBlendedList() const { return blended_; }

    // Statistics of the last pass.
    uint32_t visiblePrimitives = 0;
    uint32_t drawnPrimitives = 0;
    uint32_t visibleModels = 0;
    uint32_t drawnModels = 0;

private:
    ObjectManager<Model> registry_;
    std::vector<Model*> opaque_;
    std::vector<Model*> blended_;
};

} // namespace KorvaneEngine
