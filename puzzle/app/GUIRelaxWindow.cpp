#include "puzzle/app/GUIRelaxWindow.h"

#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIRelaxWindow::GUIRelaxWindow(GameFramework::ProfileManagerBase* profiles, GameFramework::SoundController* sound,
                               GameData* data, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                               KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_relax"), profileManager(profiles),
      acceptButton(GetGUIButton(GetName() + "/window/button_1")),
      declineButton(GetGUIButton(GetName() + "/window/button_0"))
{
    // Shown over the game-over window, which keeps its own title frame.
    if (titleMountAnimated)
        SetControlEnabled(titleMountAnimated, false);
}

GUIRelaxWindow::~GUIRelaxWindow() {}

void GUIRelaxWindow::Show(int32_t m)
{
    GUIFrameworkWindow::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIRelaxWindow::Hide()
{
    GUIFrameworkWindow::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIRelaxWindow::Update()
{
    GUIFrameworkWindow::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(acceptButton)) {
        // Without a current player there is nothing to switch; the answer
        // still comes.
        if (GameFramework::ProfileBase* profile = profileManager ? profileManager->GetCurrentProfile() : nullptr) {
            profile->SetPlayValue(kRelaxPlayValue);
            profile->Save();
        }
        eventCode = kAnswered;
    }
    if (MenuControls::Clicked(declineButton))
        eventCode = kAnswered;
}

} // namespace Puzzle
