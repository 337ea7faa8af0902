#include "gui/GUIManager.h"

#include "framework/GUIGameCursorBase.h"

#include "engine/audio_input/Controls.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/Window.h"
#include "gui/GUICursor.h"

namespace GameFramework {

namespace {
const char kCustomCursorVariable[] = "ui_custom_cursor";
} // namespace

GUIGameCursorBase::GUIGameCursorBase()
{
    if (KorvaneEngine::Config* config = KorvaneEngine::Config::Instance())
        config->Register(kCustomCursorVariable, KorvaneEngine::kConfigBool, false, true, &customSetting, "1", true);
    customInEffect = customSetting;
    currentId = -1;
    current = nullptr;
    SetVisible(false);
}

GUIGameCursorBase::~GUIGameCursorBase()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        for (auto& c : cursors)
            gui->DestroyCursor(c.second.custom);
    if (KorvaneEngine::Config* config = KorvaneEngine::Config::Instance())
        config->UnregisterVariable(kCustomCursorVariable);
    cursors.clear();
    current = nullptr;
}

void GUIGameCursorBase::AddCursor(int32_t id, uint16_t resourceId, KorvaneEngine::GUICursor* custom)
{
    if (custom)
        custom->visible = false;
    Entry entry;
    if (KorvaneEngine::Window* window = KorvaneEngine::Window::Instance())
        entry.system = window->LoadCursor(resourceId);
    entry.custom = custom;
    cursors.insert(std::make_pair(id, entry));
}

bool GUIGameCursorBase::IsVisible() const
{
    if (customInEffect && current && current->custom)
        return current->custom->visible;
    const KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    return controls && controls->IsCursorVisible();
}

void GUIGameCursorBase::SetVisible(bool visible)
{
    if (customInEffect && current && current->custom) {
        current->custom->visible = visible;
        return;
    }
    if (KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance())
        controls->ShowCursor(visible);
}

void GUIGameCursorBase::SetCursor(int32_t id)
{
    if (id == currentId)
        return;
    currentId = id;
    auto it = cursors.find(id);
    if (it == cursors.end())
        return;
    Entry* next = &it->second;
    if (customInEffect && current && IsVisible()) {
        if (current->custom)
            current->custom->visible = false;
        if (next->custom)
            next->custom->visible = true;
    }
    current = next;
    if (KorvaneEngine::Window* window = KorvaneEngine::Window::Instance())
        window->SetCursor(current->system);
}

bool GUIGameCursorBase::Update()
{
    if (!IsVisible())
        return false;
    KorvaneEngine::Config* config = KorvaneEngine::Config::Instance();
    if (config && config->IsVariableChanged(kCustomCursorVariable)) {
        const bool wasVisible = IsVisible();
        SetVisible(false);
        customInEffect = customSetting;
        if (wasVisible)
            SetVisible(true);
    }
    return true;
}

} // namespace GameFramework
