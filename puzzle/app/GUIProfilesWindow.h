#pragma once
#include <string>
#include <vector>

#include "framework/GUIProfilesWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUIScroll;
} // namespace KorvaneEngine

namespace GUITools {
class GUIControl;
}

namespace Puzzle {

// The player list ("window_profiles"): twelve rows of names, the current
// player first, scrolled by a reversed scroll bar when there are more; a
// click on a row makes that player current. Create, rename and delete lead
// to their windows (rename and delete keep the current player's name for
// them). Codes: 6 new, 7 rename, 8 delete, 3 main menu.
class GUIProfilesWindow : public GameFramework::GUIProfilesWindowBase, public GUIMenuWindow {
public:
    static const uint32_t kRowCount = 12;

    GUIProfilesWindow(GameFramework::SoundController* sound, GameFramework::ProfileManagerBase* profileManager,
                      GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                      KorvaneEngine::GUIWindow* parentWidget);
    ~GUIProfilesWindow() override;

    void Update() override;
    // Rebuilds the names (the current player first) and the rows.
    void Show(int32_t mode) override;
    void Hide() override;

    const std::vector<std::wstring>& GetNames() const { return names; }
    KorvaneEngine::GUIScroll* GetScroll() const { return scroll; }

private:
    std::vector<GUITools::GUIControl*> rowControls;
    std::vector<KorvaneEngine::GUIButton*> rowButtons;
    std::vector<GUITools::GUITextControl*> rowTitles;
    KorvaneEngine::GUIScroll* scroll;
    KorvaneEngine::GUIButton* createButton;
    KorvaneEngine::GUIButton* renameButton;
    KorvaneEngine::GUIButton* deleteButton;
    KorvaneEngine::GUIButton* doneButton;
    std::vector<std::wstring> names;
};

} // namespace Puzzle
