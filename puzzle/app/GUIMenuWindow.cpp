#include "puzzle/app/GUIMenuWindow.h"

#include "framework/SoundController.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GameData.h"

namespace Puzzle {

namespace {

const int32_t kAppearSound = 1;
const int32_t kDisappearSound = 2;

} // namespace

GUIMenuWindow::GUIMenuWindow(GameFramework::SoundController* sound, GameData* data,
                             GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* windows,
                             KorvaneEngine::GUIWindow* parentWidget, const std::string& windowName)
    : GUITools::GUIWindowBase(data, toolManager, parentWidget, windowName),
      soundController(sound), gameData(data), manager(windows)
{
    if (manager)
        manager->AddWindow(this);
    // Probed first, so a screen without one of them logs nothing.
    const std::string& n = GetName();
    if (HasWindowControl(n + "/window"))
        windowControl = GUIWindowBase::GetWindowControl(n + "/window");
    if (HasTextControl(n + "/title"))
        titleControl = GetTextControl(n + "/title");
    if (HasTextControl(n + "/window/text"))
        textControl = GetTextControl(n + "/window/text");
    if (HasWindowControl(n + "/title_mount_animated"))
        titleMountAnimated = GUIWindowBase::GetWindowControl(n + "/title_mount_animated");
    if (HasWindowControl(n + "/title_mount_static"))
        titleMountStatic = GUIWindowBase::GetWindowControl(n + "/title_mount_static");
    if (manager)
        manager->SetupAdditionalLogos(this);
}

GUIMenuWindow::~GUIMenuWindow() {}

void GUIMenuWindow::Update() {}

void GUIMenuWindow::SetVisible(bool visible)
{
    if (visible) {
        showPending = true;
    } else if (showPending) {
        // Never appeared: nothing to hide and nothing to sound.
        showPending = false;
    } else if (shown) {
        GUIWindowBase::SetVisible(false);
        if (windowControl)
            soundPending = true;
    }
    shown = visible;
}

bool GUIMenuWindow::IsVisible() const { return shown && GUIWindowBase::IsVisible(); }

bool GUIMenuWindow::IsStillHiding() const
{
    if (windowControl && windowControl->IsVisible())
        return true;
    if (titleMountAnimated && titleMountAnimated->IsVisible())
        return true;
    // A heading that is still being typed out or erased is waited for; one
    // that stands complete is not.
    return titleControl && titleControl->IsVisible() && !titleControl->IsPrintingDone();
}

void GUIMenuWindow::UpdateTransition()
{
    if (showPending && manager && (manager->IsTurnFree() || manager->GetTurnHolder() == this)) {
        showPending = false;
        manager->TakeTurn(this);
        GUIWindowBase::SetVisible(true);
        if (windowControl)
            soundPending = true;
    } else if (showPending && !manager) {
        showPending = false;
        GUIWindowBase::SetVisible(true);
        if (windowControl)
            soundPending = true;
    }

    GUIWindowBase::Update();

    if (!shown && manager && !manager->IsTurnFree()) {
        GUIMenuWindow* holder = manager->GetTurnHolder();
        if ((holder == this || !holder) && !IsStillHiding()) {
            if (holder == this)
                manager->ReleaseTurn();
            if (rootWidget)
                rootWidget->ClearFlags(KorvaneEngine::GUIWindow::kShown);
        }
    }

    // The cue of the transition asked for: while the panel is still fading
    // out it reports itself visible, which is no appearance.
    if (soundPending && windowControl) {
        KorvaneEngine::GUIWindow* widget = windowControl->GetWidget();
        const bool widgetShown = widget && widget->IsVisible();
        if (shown && windowControl->IsVisible() && widgetShown) {
            if (soundController)
                soundController->PlaySound(kAppearSound);
            soundPending = false;
        } else if (!shown && !windowControl->IsVisible() && !widgetShown) {
            if (soundController)
                soundController->PlaySound(kDisappearSound);
            soundPending = false;
        }
    }
}

} // namespace Puzzle
