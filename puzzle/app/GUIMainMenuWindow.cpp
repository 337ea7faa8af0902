#include "puzzle/app/GUIMainMenuWindow.h"

#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

namespace {

// Buttons and captions in update order.
enum { kStart, kOptions, kChangePlayer, kCredits, kExit };
const char* const kButtonNames[] = {"start", "options", "change_player", "credits", "exit"};

} // namespace

GUIMainMenuWindow::GUIMainMenuWindow(GameFramework::ProfileManagerBase* profiles,
                                     GameFramework::SoundController* sound, GameData* data,
                                     GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                     KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_main_menu"), profileManager(profiles)
{
    for (int i = 0; i < kButtonCount; ++i) {
        const std::string key = GetName() + "/window/" + kButtonNames[i];
        buttons[i] = GetGUIButton(key);
        titles[i] = GetTextControl(key + "/title");
    }
}

GUIMainMenuWindow::~GUIMainMenuWindow() {}

bool GUIMainMenuWindow::IsRelayMode(int32_t m) { return m == 7 || (m >= 22 && m <= 26); }

void GUIMainMenuWindow::Show(int32_t m)
{
    GUIMainMenuWindowBase::Show(m);
    if (IsRelayMode(m)) {
        // From the high scores or the end of a level or game: straight on to
        // the game, in the next dispatch round.
        eventCode = 24;
        handled = false;
        return;
    }
    GUIMenuWindow::SetVisible(true);
    GameFramework::ProfileBase* profile = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    if (titleControl)
        titleControl->SetTextVariable(L"PROFILE_NAME", profile ? profile->GetDisplayName() : std::wstring());
}

void GUIMainMenuWindow::Hide()
{
    GUIMainMenuWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIMainMenuWindow::Update()
{
    GUIMainMenuWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    for (int i = 0; i < kButtonCount; ++i) {
        if (!buttons[i])
            continue;
        const int32_t state = buttons[i]->GetState();
        MenuControls::SetFont(titles[i], state == KorvaneEngine::GUIButton::kMouseOver ? "main_menu_1"
                                         : state == KorvaneEngine::GUIButton::kPressed ? "main_menu_2"
                                                                                        : "main_menu_0");
    }
    // Later hits win.
    if (MenuControls::Clicked(buttons[kChangePlayer]))
        eventCode = 5;
    if (MenuControls::Clicked(buttons[kStart]))
        eventCode = 24;
    if (MenuControls::Clicked(buttons[kOptions]))
        eventCode = 11;
    if (MenuControls::Clicked(buttons[kExit]))
        eventCode = 4;
    if (MenuControls::Clicked(buttons[kCredits]))
        eventCode = 12;
}

} // namespace Puzzle
