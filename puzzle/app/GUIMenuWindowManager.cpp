#include "puzzle/app/GUIMenuWindowManager.h"

#include "engine/foundation/StringUtils.h"
#include "engine/render/Shader.h"
#include "gui/GUIControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowBase.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindow.h"
#include "puzzle/app/GameData.h"

namespace Puzzle {

GUIMenuWindowManager::GUIMenuWindowManager(GameData* data) : gameData(data) {}

GUIMenuWindowManager::~GUIMenuWindowManager() {}

void GUIMenuWindowManager::AddWindow(GUIMenuWindow* window)
{
    if (window)
        windows.push_back(window);
}

void GUIMenuWindowManager::TakeTurn(GUIMenuWindow* window)
{
    if (!turnFree)
        return;
    turnFree = false;
    turnHolder = window;
}

void GUIMenuWindowManager::ReleaseTurn()
{
    turnFree = true;
    turnHolder = nullptr;
}

void GUIMenuWindowManager::Update()
{
    for (GUIMenuWindow* w : windows)
        if (!w->IsShown())
            w->UpdateTransition();
    for (GUIMenuWindow* w : windows)
        if (w->IsShown())
            w->UpdateTransition();
}

void GUIMenuWindowManager::BeginFrame() {}

void GUIMenuWindowManager::SetupAdditionalLogos(GUITools::GUIWindowBase* window)
{
    if (!window)
        return;
    for (uint32_t i = 0; i < 2; ++i) {
        const std::string key = window->GetName() + "/logo_additional_" + KorvaneEngine::UnsignedToString(i);
        if (!window->HasWindowControl(key))
            continue;
        GUITools::GUIWindowControl* control = window->GetWindowControl(key);
        KorvaneEngine::ShaderUser* logo = gameData ? gameData->GetSmallLogo(i) : nullptr;
        if (logo && control->GetWidget())
            control->GetWidget()->SetShader(logo);
        else
            window->SetControlEnabled(control, false);
    }
}

} // namespace Puzzle
