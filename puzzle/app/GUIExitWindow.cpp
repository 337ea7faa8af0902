#include "puzzle/app/GUIExitWindow.h"

#include "gui/GUIButton.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIExitWindow::GUIExitWindow(GameFramework::SoundController* sound, GameData* data,
                             GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                             KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_exit"),
      backButton(GetGUIButton(GetName() + "/window/button_0")), quitButton(GetGUIButton(GetName() + "/window/button_1"))
{
}

GUIExitWindow::~GUIExitWindow() {}

void GUIExitWindow::Show(int32_t m)
{
    GUIExitWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIExitWindow::Hide()
{
    GUIExitWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIExitWindow::Update()
{
    GUIExitWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(quitButton))
        eventCode = 23;
    if (MenuControls::Clicked(backButton)) {
        if (mode == 4)
            eventCode = 2;
        else if (mode == 6)
            eventCode = 3;
        else if (mode == 11)
            eventCode = 6;
    }
}

} // namespace Puzzle
