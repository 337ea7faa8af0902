#pragma once
#include <cstdint>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;

// Owns every camera, refreshes them once a frame from the window's size,
// applies the camera a model asks for (skipping repeats) and turns screen
// points into world points for picking.
class CameraManager : public GlobalPointerHolder<CameraManager> {
public:
    struct Viewport {
        uint32_t x = 0, y = 0, width = 0, height = 0;
    };

    virtual ~CameraManager();
    CameraManager();
    CameraManager(const CameraManager&) = delete;
    CameraManager& operator=(const CameraManager&) = delete;

    // Made by the render system's factory; reuses the slot freed last.
    Camera* CreateCamera(bool orthographic);
    // A camera the manager does not hold is ignored.
    void DeleteCamera(Camera* camera);
    // Viewport = the window's client size; every camera updated; the next
    // SetCamera applies again.
    void UpdateCameras();
    void SetCamera(Camera* camera, bool zBiased);
    // The world point under (x, y) in pixels at depth 0 (near) .. 1 (far).
    Vector3& ScreenPointToRay(Vector3& out, Camera* camera, const Vector3& screenPoint) const;

    Camera* GetDefaultCamera() const { return defaultCamera_; }
    Camera* GetCurrentCamera() const { return currentCamera_; }
    const std::vector<uint32_t>& GetActiveIndices() const { return active_; }
    Camera* GetCamera(uint32_t slot) const { return slot < slots_.size() ? slots_[slot] : nullptr; }

    // Set by UpdateCameras from the window; without a window it keeps what
    // was set here.
    Viewport viewport;

private:
    std::vector<uint32_t> free_;
    std::vector<uint32_t> active_;
    std::vector<Camera*> slots_;
    Camera* defaultCamera_ = nullptr;
    Camera* currentCamera_ = nullptr;
    bool currentZBiased_ = false;
};

} // namespace KorvaneEngine
