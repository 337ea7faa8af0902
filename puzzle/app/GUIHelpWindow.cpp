#include "puzzle/app/GUIHelpWindow.h"

#include "engine/foundation/StringUtils.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIHelpWindow::GUIHelpWindow(GameFramework::SoundController* sound, GameData* data, GUITools::GUIToolManager* toolManager,
    GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_credits")
{
    for (int i = 0; i < 1; ++i)
        buttons[i] = GetGUIButton(GetName() + "/window/button_" + KorvaneEngine::IntToString(i));
}

GUIHelpWindow::~GUIHelpWindow() {}

void GUIHelpWindow::Show(int32_t m)
{
    GUIHelpWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIHelpWindow::Hide()
{
    GUIHelpWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIHelpWindow::Update()
{
    GUIHelpWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(buttons[0]))
        eventCode = 3;
}

} // namespace Puzzle
