#pragma once
#include "framework/GUIRenameProfileWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUIEditBox;
} // namespace KorvaneEngine

namespace Puzzle {

// Renaming a player ("window_rename_profile"); the field starts with the old
// name when it is taken. Codes: 9 name taken, 5 profiles.
class GUIRenameProfileWindow : public GameFramework::GUIRenameProfileWindowBase, public GUIMenuWindow {
public:
    GUIRenameProfileWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                           GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                           KorvaneEngine::GUIWindow* parentWidget);
    ~GUIRenameProfileWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;
    void ShowWithProfileName(int32_t mode, bool takeName, const std::wstring& name) override;

private:
    KorvaneEngine::GUIEditBox* nameEdit;
    KorvaneEngine::GUIButton* okButton;
    KorvaneEngine::GUIButton* cancelButton;
};

} // namespace Puzzle
