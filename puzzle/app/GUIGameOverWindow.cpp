#include "puzzle/app/GUIGameOverWindow.h"

#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"

namespace Puzzle {

namespace {

// The player's flag that the relax offer has not been made yet.
const int kRelaxOfferFlag = 3;

} // namespace

GUIGameOverWindow::GUIGameOverWindow(ProfileManager* profiles, GameFramework::SoundController* sound, GameData* data,
                                     GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                     KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_over"), profileManager(profiles),
      okButton(GetGUIButton(GetName() + "/window/button_0"))
{
}

GUIGameOverWindow::~GUIGameOverWindow() {}

void GUIGameOverWindow::Show(int32_t m)
{
    GUIGameOverWindowBase::Show(m);
    if (m == 26) {
        // Back from the relax offer: done, in the next dispatch round.
        eventCode = 1;
        handled = false;
        return;
    }
    SetControlEnabled(titleMountAnimated, true);
    SetControlEnabled(titleMountStatic, false);
    GUIMenuWindow::SetVisible(true);
}

void GUIGameOverWindow::Hide()
{
    GUIGameOverWindowBase::Hide();
    // On to the relax offer the frame stays, as the static one.
    SetControlEnabled(titleMountAnimated, eventCode != 25);
    SetControlEnabled(titleMountStatic, eventCode == 25);
    GUIMenuWindow::SetVisible(false);
}

void GUIGameOverWindow::Update()
{
    GUIGameOverWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible() || !MenuControls::Clicked(okButton))
        return;
    Profile* profile = profileManager ? profileManager->GetCurrentPuzzleProfile() : nullptr;
    if (profile && profile->GetFlag(kRelaxOfferFlag) && profile->GetPlayValue() == 0) {
        profile->SetFlag(kRelaxOfferFlag, false);
        profile->Save();
        eventCode = 25;
    } else {
        eventCode = 1;
    }
}

} // namespace Puzzle
