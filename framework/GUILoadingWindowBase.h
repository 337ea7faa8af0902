#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameTools {
class DataKeeper;
}

namespace GameFramework {

// The framework side of a loading screen: the resource keeper to load and
// whether it is finished. Loading runs on the main thread, from the game's
// loading windows' Update.
class GUILoadingWindowBase : public GUIFrameworkWindow {
public:
    GUILoadingWindowBase();
    ~GUILoadingWindowBase() override;

    // Forgets the keeper and clears both flags.
    void Hide() override;
    // The keeper is not owned; both flags start clear.
    virtual void ShowWithData(int32_t mode, GameTools::DataKeeper* keeper);

    // Everything at once; finished then. The keeper's own LoadAll leaves its
    // step counter one below complete, so the flag is set here, not read.
    void LoadAll();
    // One step of the keeper; finished once its step counter has reached
    // its step count + 101.
    void LoadNextStep();

    GameTools::DataKeeper* GetKeeper() const { return keeper; }
    bool IsFinished() const { return finished; }
    bool HasStepped() const { return stepped; }

protected:
    GameTools::DataKeeper* keeper = nullptr;
    bool finished = false;
    // Set by either loading call: a step was taken since the show.
    bool stepped = false;
};

} // namespace GameFramework
