#pragma once
#include <cstdint>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Light;

// The scene's ambient colour and lights: pushed to the render system once a
// frame, and the lighting switch set for every model drawn.
class LightManager : public GlobalPointerHolder<LightManager> {
public:
    virtual ~LightManager();
    LightManager();
    LightManager(const LightManager&) = delete;
    LightManager& operator=(const LightManager&) = delete;

    // A light for the next device index, made by the render system's factory;
    // reuses the slot freed last.
    Light* CreateLight(uint32_t index);
    // A light the manager does not hold is ignored.
    void DeleteLight(Light* light);

    // Ambient colour to the render system, then every light refreshed.
    void Refresh();
    // Lighting on or off for the next draw; lights the device lost are
    // restored when lighting goes on.
    void SetLighting(bool on);

    const std::vector<uint32_t>& GetActiveIndices() const { return active_; }
    Light* GetLight(uint32_t slot) const { return slot < slots_.size() ? slots_[slot] : nullptr; }

    Color ambientColor{0, 0, 0, 1};

private:
    std::vector<uint32_t> free_;
    std::vector<uint32_t> active_;
    std::vector<Light*> slots_;
};

} // namespace KorvaneEngine
