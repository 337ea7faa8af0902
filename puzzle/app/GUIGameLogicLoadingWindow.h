#pragma once
#include "framework/GUILoadingWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace GameFramework {
class LevelManagerBase;
}

namespace Puzzle {

// the level loading screen: one level's resources in a single call, then 1 in the same frame. Nothing loads before the window's title ("/title") has printed in
// full (or, without a title, before its second visible frame), nor while the
// window still waits for its turn.
class GUIGameLogicLoadingWindow : public GameFramework::GUILoadingWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicLoadingWindow(GameFramework::LevelManagerBase* levelManager, GameFramework::SoundController* sound,
                              GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                              KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicLoadingWindow() override;

    void Update() override;
    void Hide() override;
    // The keeper is not owned.
    void ShowWithData(int32_t mode, GameTools::DataKeeper* keeper) override;

    bool IsReady() const { return ready; }

private:
    bool TitleDone() const;

    GameFramework::LevelManagerBase* levelManager;
    bool ready = false;
};

} // namespace Puzzle
