#include "puzzle/app/GUINewProfileWindow.h"

#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUIEditBox.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUINewProfileWindow::GUINewProfileWindow(GameFramework::ProfileManagerBase* profiles,
                                         GameFramework::SoundController* sound, GameData* data,
                                         GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                         KorvaneEngine::GUIWindow* parentWidget)
    : GUINewProfileWindowBase(profiles),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_new_profile"),
      nameEdit(GetGUIEditBox(GetName() + "/window/name")), okButton(GetGUIButton(GetName() + "/window/button_1")),
      cancelButton(GetGUIButton(GetName() + "/window/button_0")),
      cancelTitle(GetTextControl(GetName() + "/window/button_0/title"))
{
}

GUINewProfileWindow::~GUINewProfileWindow() {}

void GUINewProfileWindow::Show(int32_t m)
{
    GUINewProfileWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUINewProfileWindow::ShowWithReset(int32_t m, bool clearName)
{
    GUINewProfileWindowBase::ShowWithReset(m, clearName);
    if (clearName && nameEdit)
        nameEdit->SetText(std::wstring());
    noProfiles = !profileManager || profileManager->GetProfiles().empty();
    if (cancelTitle)
        cancelTitle->SetText(noProfiles ? "common/exit" : "common/cancel");
}

void GUINewProfileWindow::Hide()
{
    GUINewProfileWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUINewProfileWindow::Update()
{
    GUINewProfileWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    std::wstring name;
    const bool confirmed = MenuControls::NameConfirmed(nameEdit, okButton, &name);
    if (MenuControls::Clicked(cancelButton))
        eventCode = noProfiles ? 4 : 5;
    if (confirmed)
        eventCode = CreateProfile(GameFramework::ProfileBase::MakeDisplayName(name)) ? 5 : 9;
}

} // namespace Puzzle
