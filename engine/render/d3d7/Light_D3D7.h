#pragma once
#include <windows.h>

#include <d3d.h>

#include "engine/render/Light.h"

namespace KorvaneEngine {

// Sends one light to the Direct3D 7 device.
class Light_D3D7 : public Light {
public:
    // Switches its index off on the device.
    ~Light_D3D7() override;
    // device: the render system's device pointer, read at each use.
    Light_D3D7(uint32_t index, IDirect3DDevice7** device);

    void Refresh() override;
    void DisableLight();

    // The device record Refresh sends for the light's current fields.
    D3DLIGHT7 MakeRecord() const;

private:
    IDirect3DDevice7** device_;
};

} // namespace KorvaneEngine
