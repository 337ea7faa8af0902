#include "engine/render/CameraManager.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/Matrix.h"
#include "engine/foundation/Window.h"
#include "engine/render/Camera.h"
#include "engine/render/RenderSystem.h"

namespace KorvaneEngine {

CameraManager::CameraManager()
{
    defaultCamera_ = CreateCamera(false);
}

CameraManager::~CameraManager()
{
    DeleteCamera(defaultCamera_);
    for (uint32_t index : active_) {
        delete slots_[index];
        slots_[index] = nullptr;
    }
    active_.clear();
    free_.clear();
    slots_.clear();
    ResetInstance(this);
}

Camera* CameraManager::CreateCamera(bool orthographic)
{
    RenderSystem* render = RenderSystem::Instance();
    Camera* camera = render ? render->CreateCamera(orthographic) : nullptr;
    if (!camera)
        return nullptr;
    uint32_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        index = static_cast<uint32_t>(slots_.size());
    }
    active_.push_back(index);
    if (index == slots_.size())
        slots_.push_back(camera);
    else
        slots_[index] = camera;
    return camera;
}

void CameraManager::DeleteCamera(Camera* camera)
{
    if (!camera)
        return;
    for (size_t i = 0; i < active_.size(); ++i) {
        uint32_t index = active_[i];
        if (slots_[index] != camera)
            continue;
        if (currentCamera_ == camera)
            currentCamera_ = nullptr;
        if (defaultCamera_ == camera)
            defaultCamera_ = nullptr;
        delete camera;
        slots_[index] = nullptr;
        free_.push_back(index);
        active_.erase(active_.begin() + i);
        return;
    }
}

void CameraManager::UpdateCameras()
{
    if (Window* window = Window::Instance()) {
        viewport.x = viewport.y = 0;
        viewport.width = window->GetWidth();
        viewport.height = window->GetHeight();
    }
    float aspect = viewport.height ? static_cast<float>(viewport.width) / static_cast<float>(viewport.height) : 0.0f;
    for (uint32_t index : active_)
        slots_[index]->Update(aspect);
    currentCamera_ = nullptr;
}

void CameraManager::SetCamera(Camera* camera, bool zBiased)
{
    if (!camera || (camera == currentCamera_ && zBiased == currentZBiased_))
        return;
    currentCamera_ = camera;
    currentZBiased_ = zBiased;
    if (zBiased)
        camera->ApplyZBiased();
    else
        camera->Apply();
}

Vector3& CameraManager::ScreenPointToRay(Vector3& out, Camera* camera, const Vector3& s) const
{
    Matrix4 m = camera->view * camera->projection;
    m.Invert();
    m.Transpose();
    Vector4 ndc(2.0f * (s.x - static_cast<float>(viewport.x)) / static_cast<float>(viewport.width) - 1.0f,
        2.0f * (s.y - static_cast<float>(viewport.y)) / static_cast<float>(viewport.height) - 1.0f,
        2.0f * s.z - 1.0f, 1.0f);
    Vector4 r = m * ndc;
    if (std::fabs(r.w) >= 0.0001f)
        out = Vector3(r.x / r.w, r.y / r.w, r.z / r.w);
    else
        out = Vector3(0, 0, 0);
    return out;
}

} // namespace KorvaneEngine
