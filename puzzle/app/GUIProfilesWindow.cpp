#include "puzzle/app/GUIProfilesWindow.h"

#include "engine/foundation/StringUtils.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUIControl.h"
#include "gui/GUIScroll.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

GUIProfilesWindow::GUIProfilesWindow(GameFramework::SoundController* sound, GameFramework::ProfileManagerBase* profiles,
                                     GameData* data, GUITools::GUIToolManager* toolManager,
                                     GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIProfilesWindowBase(profiles), GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_profiles")
{
    // Row 0 is the control numbered 11: the rows are laid out bottom up.
    for (uint32_t i = 0; i < kRowCount; ++i) {
        const std::string key = GetName() + "/window/text_area/button_profile_" +
                                KorvaneEngine::UnsignedToString(kRowCount - 1 - i, 2);
        rowControls.push_back(GetControl(key));
        rowButtons.push_back(GetGUIButton(key));
        rowTitles.push_back(GetTextControl(key + "/title"));
    }
    scroll = GetGUIScroll(GetName() + "/window/scroll");
    if (scroll)
        scroll->inverted = true;
    createButton = GetGUIButton(GetName() + "/window/create");
    renameButton = GetGUIButton(GetName() + "/window/rename");
    deleteButton = GetGUIButton(GetName() + "/window/delete");
    doneButton = GetGUIButton(GetName() + "/window/done");
}

GUIProfilesWindow::~GUIProfilesWindow() {}

void GUIProfilesWindow::Show(int32_t m)
{
    GUIProfilesWindowBase::Show(m);
    GameFramework::ProfileBase* current = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    names.assign(1, current ? current->GetDisplayName() : std::wstring());
    const uint32_t count = profileManager ? static_cast<uint32_t>(profileManager->GetProfiles().size()) : 0;
    if (profileManager)
        for (GameFramework::ProfileBase* p : profileManager->GetProfiles())
            if (p != current)
                names.push_back(p->GetDisplayName());
    for (uint32_t i = 0; i < kRowCount; ++i)
        SetControlEnabled(rowControls[i], i < count);
    if (scroll) {
        scroll->SetEnabled(count > kRowCount);
        scroll->SetValueCount(count > kRowCount ? count - kRowCount + 1 : 2);
        scroll->SetValue(0);
    }
    GUIMenuWindow::SetVisible(true);
}

void GUIProfilesWindow::Hide()
{
    GUIProfilesWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIProfilesWindow::Update()
{
    GUIProfilesWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    const size_t first = scroll ? scroll->value : 0;
    for (size_t i = 0; i < kRowCount && first + i < names.size(); ++i)
        MenuControls::SetLiteralText(rowTitles[i], names[first + i]);

    GameFramework::ProfileBase* current = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    for (size_t i = 0; i < kRowCount; ++i) {
        KorvaneEngine::GUIButton* button = rowButtons[i];
        if (!button || !button->IsVisible() || first + i >= names.size())
            break;
        const std::wstring& rowName = names[first + i];
        if (button->clicked && profileManager) {
            if (GameFramework::ProfileBase* chosen = profileManager->FindProfile(rowName)) {
                profileManager->SetCurrentProfile(chosen, true);
                current = chosen;
            }
        }
        const bool isCurrent = current && current->GetDisplayName() == rowName;
        MenuControls::SetButtonEnabled(button, !isCurrent);
        MenuControls::SetFont(rowTitles[i], isCurrent ? "common_1" : button->mouseOver ? "common_2" : "common_0");
    }

    if (MenuControls::Clicked(createButton))
        eventCode = 6;
    if (MenuControls::Clicked(renameButton)) {
        eventCode = 7;
        profileName = current ? current->GetDisplayName() : std::wstring();
    }
    if (MenuControls::Clicked(deleteButton)) {
        eventCode = 8;
        profileName = current ? current->GetDisplayName() : std::wstring();
    }
    if (MenuControls::Clicked(doneButton))
        eventCode = 3;
}

} // namespace Puzzle
