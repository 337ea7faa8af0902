#include "puzzle/app/GUIGameLogicMenuExitWindow.h"

#include "engine/foundation/StringUtils.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIGameLogicMenuExitWindow::GUIGameLogicMenuExitWindow(GameFramework::SoundController* sound, GameData* data, GUITools::GUIToolManager* toolManager,
    GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_logic_menu_exit")
{
    for (int i = 0; i < 2; ++i)
        buttons[i] = GetGUIButton(GetName() + "/window/button_" + KorvaneEngine::IntToString(i));
    // Opened from the in-game menu, whose title frame stays: the static one.
    SetControlEnabled(titleMountAnimated, false);
}

GUIGameLogicMenuExitWindow::~GUIGameLogicMenuExitWindow() {}

void GUIGameLogicMenuExitWindow::Show(int32_t m)
{
    GUIGameLogicMenuExitWindowBase::Show(m);
    SetControlEnabled(titleMountStatic, true);
    GUIMenuWindow::SetVisible(true);
}

void GUIGameLogicMenuExitWindow::Hide()
{
    GUIGameLogicMenuExitWindowBase::Hide();
    // Back to the in-game menu the frame stays on screen for it.
    SetControlEnabled(titleMountStatic, eventCode == 16);
    GUIMenuWindow::SetVisible(false);
}

void GUIGameLogicMenuExitWindow::Update()
{
    GUIGameLogicMenuExitWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(buttons[1]))
        eventCode = 3;
    if (MenuControls::Clicked(buttons[0]))
        eventCode = 16;
}

} // namespace Puzzle
