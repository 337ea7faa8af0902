#include "puzzle/app/GUIRenameProfileWindow.h"

#include "framework/ProfileBase.h"
#include "gui/GUIButton.h"
#include "gui/GUIEditBox.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIRenameProfileWindow::GUIRenameProfileWindow(GameFramework::ProfileManagerBase* profiles,
                                               GameFramework::SoundController* sound, GameData* data,
                                               GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                               KorvaneEngine::GUIWindow* parentWidget)
    : GUIRenameProfileWindowBase(profiles),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_rename_profile"),
      nameEdit(GetGUIEditBox(GetName() + "/window/name")), okButton(GetGUIButton(GetName() + "/window/button_1")),
      cancelButton(GetGUIButton(GetName() + "/window/button_0"))
{
}

GUIRenameProfileWindow::~GUIRenameProfileWindow() {}

void GUIRenameProfileWindow::Show(int32_t m)
{
    GUIRenameProfileWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUIRenameProfileWindow::ShowWithProfileName(int32_t m, bool takeName, const std::wstring& name)
{
    GUIRenameProfileWindowBase::ShowWithProfileName(m, takeName, name);
    if (takeName && nameEdit)
        nameEdit->SetText(name);
}

void GUIRenameProfileWindow::Hide()
{
    GUIRenameProfileWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIRenameProfileWindow::Update()
{
    GUIRenameProfileWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    std::wstring name;
    const bool confirmed = MenuControls::NameConfirmed(nameEdit, okButton, &name);
    if (MenuControls::Clicked(cancelButton))
        eventCode = 5;
    if (confirmed)
        eventCode = RenameProfile(GameFramework::ProfileBase::MakeDisplayName(name)) ? 5 : 9;
}

} // namespace Puzzle
