#include "puzzle/app/GUIGameLogicGameExitWindow.h"

#include "engine/foundation/StringUtils.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIGameLogicGameExitWindow::GUIGameLogicGameExitWindow(GameFramework::SoundController* sound, GameData* data, GUITools::GUIToolManager* toolManager,
    GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_logic_game_exit")
{
    for (int i = 0; i < 2; ++i)
        buttons[i] = GetGUIButton(GetName() + "/window/button_" + KorvaneEngine::IntToString(i));
    // The title frame is the animated one only.
    SetControlEnabled(titleMountStatic, false);
}

GUIGameLogicGameExitWindow::~GUIGameLogicGameExitWindow() {}

void GUIGameLogicGameExitWindow::Show(int32_t m)
{
    GUIGameLogicGameExitWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIGameLogicGameExitWindow::Hide()
{
    GUIGameLogicGameExitWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIGameLogicGameExitWindow::Update()
{
    GUIGameLogicGameExitWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(buttons[1]))
        eventCode = 23;
    if (MenuControls::Clicked(buttons[0]))
        eventCode = 19;
}

} // namespace Puzzle
