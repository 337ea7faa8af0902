#pragma once
#include "framework/GUILevelCompleteWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

class LevelManager;
class ProfileManager;

// A won level ("window_level_complete"): the time it took (m:ss), the stars
// it brought and the stars in total. Its button answers 21 when the level was
// the last of its stage (on to the stage-complete step), else 13 (the next
// level starts at once).
class GUILevelCompleteWindow : public GameFramework::GUILevelCompleteWindowBase, public GUIMenuWindow {
public:
    GUILevelCompleteWindow(GameFramework::SoundController* sound, LevelManager* levelManager,
                           ProfileManager* profileManager, GameData* gameData, GUITools::GUIToolManager* toolManager,
                           GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUILevelCompleteWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;
    void ShowWithResult(int32_t mode, const GameFramework::Level& position, float time) override;

    // "m:ss": whole seconds, minutes unpadded.
    static std::wstring FormatTime(float seconds);

private:
    LevelManager* puzzleLevelManager;
    ProfileManager* profileManager;
    GUITools::GUITextControl* timeText;
    GUITools::GUITextControl* starsEarnedText;
    GUITools::GUITextControl* starsTotalText;
    KorvaneEngine::GUIButton* okButton;
};

} // namespace Puzzle
