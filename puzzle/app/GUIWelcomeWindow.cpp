#include "puzzle/app/GUIWelcomeWindow.h"

#include "framework/ProfileBase.h"
#include "gui/GUIButton.h"
#include "gui/GUIEditBox.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIWelcomeWindow::GUIWelcomeWindow(GameFramework::ProfileManagerBase* profiles, GameFramework::SoundController* sound,
                                   GameData* data, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                   KorvaneEngine::GUIWindow* parentWidget)
    : GUIWelcomeWindowBase(profiles), GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_welcome"),
      nameEdit(GetGUIEditBox(GetName() + "/window/name")), exitButton(GetGUIButton(GetName() + "/window/button_0")),
      okButton(GetGUIButton(GetName() + "/window/button_1"))
{
}

GUIWelcomeWindow::~GUIWelcomeWindow() {}

void GUIWelcomeWindow::Show(int32_t m)
{
    GUIWelcomeWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
    if (nameEdit)
        nameEdit->SetText(std::wstring());
}

void GUIWelcomeWindow::Hide()
{
    GUIWelcomeWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIWelcomeWindow::Update()
{
    GUIWelcomeWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    std::wstring name;
    const bool confirmed = MenuControls::NameConfirmed(nameEdit, okButton, &name);
    if (MenuControls::Clicked(exitButton))
        eventCode = 4;
    if (confirmed) {
        CreateProfile(GameFramework::ProfileBase::MakeDisplayName(name));
        eventCode = 3;
    }
}

} // namespace Puzzle
