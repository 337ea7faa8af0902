#include "engine/render/LightManager.h"

#include "engine/render/Light.h"
#include "engine/render/RenderSystem.h"

namespace KorvaneEngine {

LightManager::LightManager() {}

LightManager::~LightManager()
{
    free_.clear();
    for (uint32_t index : active_) {
        delete slots_[index];
        slots_[index] = nullptr;
    }
    active_.clear();
    slots_.clear();
    ResetInstance(this);
}

Light* LightManager::CreateLight(uint32_t index)
{
    RenderSystem* render = RenderSystem::Instance();
    Light* light = render ? render->CreateLight(index) : nullptr;
    if (!light)
        return nullptr;
    uint32_t slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else {
        slot = static_cast<uint32_t>(slots_.size());
    }
    active_.push_back(slot);
    if (slot == slots_.size())
        slots_.push_back(light);
    else
        slots_[slot] = light;
    return light;
}

void LightManager::DeleteLight(Light* light)
{
    if (!light)
        return;
    for (size_t i = 0; i < active_.size(); ++i) {
        uint32_t slot = active_[i];
        if (slots_[slot] != light)
            continue;
        delete light;
        slots_[slot] = nullptr;
        free_.push_back(slot);
        active_.erase(active_.begin() + i);
        return;
    }
}

void LightManager::Refresh()
{
    if (RenderSystem* render = RenderSystem::Instance())
        render->SetAmbientColor(ambientColor);
    for (uint32_t slot : active_)
        slots_[slot]->Refresh();
}

void LightManager::SetLighting(bool on)
{
    RenderSystem* render = RenderSystem::Instance();
    if (!render)
        return;
    if (render->forceStateUpdate || render->lighting != on) {
        render->lighting = on;
        render->UpdateLighting();
    }
    if (on && render->lightsNeedRestore) {
        for (uint32_t slot : active_)
            slots_[slot]->Restore();
        render->lightsNeedRestore = false;
    }
}

} // namespace KorvaneEngine
