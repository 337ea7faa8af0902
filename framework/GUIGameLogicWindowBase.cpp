#include "framework/GUIGameLogicWindowBase.h"

#include "engine/foundation/Config.h"
#include "engine/foundation/Window.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUIGameLogicWindowBase::GUIGameLogicWindowBase(ProfileManagerBase* profiles)
    : videoSettings(KorvaneEngine::Config::Instance()), profileManager(profiles)
{
}

GUIGameLogicWindowBase::~GUIGameLogicWindowBase() {}

void GUIGameLogicWindowBase::Update()
{
    GUIFrameworkWindow::Update();
    // While a switch is pending the configuration holds the mode being
    // switched to (Alt+Enter flips it too).
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        fullscreenCopy = videoSettings->fullscreen;
}

void GUIGameLogicWindowBase::Hide()
{
    GUIFrameworkWindow::Hide();
    profile = nullptr;
    gameLogic = nullptr;
}

void GUIGameLogicWindowBase::ShowWithGameLogic(int32_t m, GameLogicBase* logic)
{
    Show(m);
    gameLogic = logic;
    profile = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    fullscreenCopy = videoSettings && videoSettings->fullscreen;
    SetActive(true);
}

void GUIGameLogicWindowBase::SetActive(bool a) { active = a; }

void GUIGameLogicWindowBase::MinimizeWindow()
{
    if (KorvaneEngine::Window* window = KorvaneEngine::Window::Instance())
        window->Minimize();
}

} // namespace GameFramework
