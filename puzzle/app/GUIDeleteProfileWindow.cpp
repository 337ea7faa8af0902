#include "puzzle/app/GUIDeleteProfileWindow.h"

#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIDeleteProfileWindow::GUIDeleteProfileWindow(GameFramework::ProfileManagerBase* profiles,
                                               GameFramework::SoundController* sound, GameData* data,
                                               GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                               KorvaneEngine::GUIWindow* parentWidget)
    : GUIDeleteProfileWindowBase(profiles),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_delete_profile"),
      yesButton(GetGUIButton(GetName() + "/window/button_1")), noButton(GetGUIButton(GetName() + "/window/button_0"))
{
}

GUIDeleteProfileWindow::~GUIDeleteProfileWindow() {}

void GUIDeleteProfileWindow::Show(int32_t m)
{
    GUIDeleteProfileWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIDeleteProfileWindow::ShowWithProfileName(int32_t m, const std::wstring& name)
{
    GUIDeleteProfileWindowBase::ShowWithProfileName(m, name);
    if (textControl)
        textControl->SetTextVariable(L"PROFILE_NAME", L"\"" + name + L"\"");
}

void GUIDeleteProfileWindow::Hide()
{
    GUIDeleteProfileWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIDeleteProfileWindow::Update()
{
    GUIDeleteProfileWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (MenuControls::Clicked(noButton))
        eventCode = 5;
    if (MenuControls::Clicked(yesButton)) {
        DeleteProfile();
        eventCode = profileManager && !profileManager->GetProfiles().empty() ? 5 : 6;
    }
}

} // namespace Puzzle
