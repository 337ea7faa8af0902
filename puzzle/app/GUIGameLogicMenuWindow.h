#pragma once
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
class GUIScroll;
} // namespace KorvaneEngine

namespace Puzzle {

// The in-game menu ("window_game_logic_menu"): sound and music volume (live,
// 0..1000), full screen, and 18 leave to the main menu, 17 restart, 19
// resume. Dragging the sound slider plays "volume_slider" (sound id 0) while
// it is held.
//
// Opened from play (mode 17) it appears with the delays its description
// gives; coming back from a confirmation its panel appears at once and the
// controls keep their delay relative to it. Controls whose fader is named
// "game_logic_window" take the first delay, those named "game_logic_control"
// the second.
class GUIGameLogicMenuWindow : public GameFramework::GUIGameLogicMenuWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicMenuWindow(GameFramework::SoundController* sound, GameFramework::ProfileManagerBase* profileManager,
                           GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                           KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicMenuWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

    float GetWindowShowOffset() const { return windowShowOffset; }
    float GetControlShowOffset() const { return controlShowOffset; }

private:
    KorvaneEngine::GUIScroll* soundScroll;
    KorvaneEngine::GUIScroll* musicScroll;
    KorvaneEngine::GUICheckBox* fullscreenCheckBox;
    KorvaneEngine::GUIButton* buttons[3] = {};
    float windowShowOffset = 0.0f;
    float controlShowOffset = 0.0f;
};

} // namespace Puzzle
