#pragma once
#include "framework/GUILoadingWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace GameFramework {
class LevelManagerBase;
}

namespace Puzzle {

// The start-up loading screen: loads the game data one step a frame and
// reports 1 in the frame whose step finished it. Nothing loads before the
// window's title ("/title") has printed in full (or, without a title, before
// its second visible frame), nor while the window still waits for its turn.
class GUIGameLoadingWindow : public GameFramework::GUILoadingWindowBase, public GUIMenuWindow {
public:
    GUIGameLoadingWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
                         GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLoadingWindow() override;

    void Update() override;
    void Hide() override;
    // The keeper is not owned.
    void ShowWithData(int32_t mode, GameTools::DataKeeper* keeper) override;

    bool IsReady() const { return ready; }

private:
    bool TitleDone() const;

    bool ready = false;
};

} // namespace Puzzle
