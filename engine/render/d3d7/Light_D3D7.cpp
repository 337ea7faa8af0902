#include "engine/render/d3d7/Light_D3D7.h"

#include <cstring>

#include "engine/render/d3d7/RenderSystem_D3D7.h"

namespace KorvaneEngine {

namespace {

D3DCOLORVALUE ToDevice(const Color& c)
{
    D3DCOLORVALUE v;
    v.r = c.r;
    v.g = c.g;
    v.b = c.b;
    v.a = c.a;
    return v;
}

D3DVECTOR ToDevice(const Vector3& p)
{
    D3DVECTOR v;
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    return v;
}

RenderSystem_D3D7* Checker()
{
    return static_cast<RenderSystem_D3D7*>(RenderSystem::Instance());
}

} // namespace

Light_D3D7::Light_D3D7(uint32_t index_, IDirect3DDevice7** device) : Light(index_), device_(device) {}

Light_D3D7::~Light_D3D7()
{
    DisableLight();
}

void Light_D3D7::DisableLight()
{
    IDirect3DDevice7* device = device_ ? *device_ : nullptr;
    RenderSystem_D3D7* rs = Checker();
    if (!device || !rs)
        return;
    rs->CheckResult("Light_D3D7::DisableLight", device->LightEnable(index, FALSE));
}

D3DLIGHT7 Light_D3D7::MakeRecord() const
{
    D3DLIGHT7 light;
    std::memset(&light, 0, sizeof light);
    light.dcvDiffuse = ToDevice(diffuse);
    light.dcvSpecular = ToDevice(specular);
    light.dcvAmbient = ToDevice(ambient);
    light.dvRange = range;
    switch (type) {
    case kDirectional:
        light.dltType = D3DLIGHT_DIRECTIONAL;
        light.dvDirection = ToDevice(direction);
        break;
    case kSpot:
        light.dltType = D3DLIGHT_SPOT;
        light.dvPosition = ToDevice(position);
        light.dvDirection = ToDevice(direction);
        light.dvAttenuation0 = attenuation0;
        light.dvAttenuation1 = attenuation1;
        light.dvAttenuation2 = attenuation2;
        light.dvTheta = theta;
        light.dvPhi = phi;
        light.dvFalloff = 1.0f;
        break;
    case kPoint:
        light.dltType = D3DLIGHT_POINT;
        light.dvPosition = ToDevice(position);
        light.dvAttenuation0 = attenuation0;
        light.dvAttenuation1 = attenuation1;
        light.dvAttenuation2 = attenuation2;
        break;
    default:
        // No valid device type: the device refuses it and the refusal is logged.
        break;
    }
    return light;
}

void Light_D3D7::Refresh()
{
    if (!enabled) {
        DisableLight();
        return;
    }
    IDirect3DDevice7* device = device_ ? *device_ : nullptr;
    RenderSystem_D3D7* rs = Checker();
    if (!device || !rs)
        return;
    D3DLIGHT7 light = MakeRecord();
    rs->CheckResult("Light_D3D7::Refresh", device->SetLight(index, &light));
    rs->CheckResult("Light_D3D7::Refresh", device->LightEnable(index, TRUE));
}

} // namespace KorvaneEngine
