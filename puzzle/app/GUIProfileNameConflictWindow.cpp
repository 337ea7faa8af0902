#include "puzzle/app/GUIProfileNameConflictWindow.h"

#include "gui/GUIButton.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIProfileNameConflictWindow::GUIProfileNameConflictWindow(GameFramework::SoundController* sound, GameData* data,
                                                           GUITools::GUIToolManager* toolManager,
                                                           GUIMenuWindowManager* manager,
                                                           KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_profile_name_conflict"),
      okButton(GetGUIButton(GetName() + "/window/button_0"))
{
}

GUIProfileNameConflictWindow::~GUIProfileNameConflictWindow() {}

void GUIProfileNameConflictWindow::Show(int32_t m)
{
    GUIProfileNameConflictWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIProfileNameConflictWindow::Hide()
{
    GUIProfileNameConflictWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIProfileNameConflictWindow::Update()
{
    GUIProfileNameConflictWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(okButton) || MenuControls::KeyPressed("ENTER"))
        eventCode = mode == 11 ? 6 : 7;
}

} // namespace Puzzle
