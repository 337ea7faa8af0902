#pragma once
#include <cstdint>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// One device light; the back-end class sends it to the device.
class Light {
public:
    enum Type : uint32_t { kDirectional = 0, kSpot = 1, kPoint = 2 };

    virtual ~Light();
    explicit Light(uint32_t index);
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    // Sends the light (or switches its index off when disabled).
    virtual void Refresh();
    virtual void Restore();

    uint32_t index;
    bool enabled = true;
    uint32_t type = kPoint;
    Vector3 position;
    Vector3 direction{0, 0, -1};
    // Unlimited: the square root of the largest float.
    float range;
    Color ambient{1, 1, 1, 1};
    Color diffuse{1, 1, 1, 1};
    Color specular{1, 1, 1, 1};
    float attenuation0 = 1.0f, attenuation1 = 0.0f, attenuation2 = 0.0f;
    // Inner and outer cone angles of a spot light, in radians.
    float theta = 0.0f, phi = 0.0f;
};

} // namespace KorvaneEngine
