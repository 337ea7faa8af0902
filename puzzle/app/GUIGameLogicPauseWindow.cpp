#include "puzzle/app/GUIGameLogicPauseWindow.h"

#include "engine/foundation/StringUtils.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIGameLogicPauseWindow::GUIGameLogicPauseWindow(GameFramework::SoundController* sound, GameData* data, GUITools::GUIToolManager* toolManager,
    GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_logic_pause")
{
    for (int i = 0; i < 1; ++i)
        buttons[i] = GetGUIButton(GetName() + "/window/button_" + KorvaneEngine::IntToString(i));
    // The title frame is the animated one only.
    SetControlEnabled(titleMountStatic, false);
}

GUIGameLogicPauseWindow::~GUIGameLogicPauseWindow() {}

void GUIGameLogicPauseWindow::Show(int32_t m)
{
    GUIGameLogicPauseWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIGameLogicPauseWindow::Hide()
{
    GUIGameLogicPauseWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIGameLogicPauseWindow::Update()
{
    GUIGameLogicPauseWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(buttons[0]))
        eventCode = 19;
}

} // namespace Puzzle
