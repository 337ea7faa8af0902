#pragma once
#include "framework/GUIFrameworkWindow.h"
#include "framework/Level.h"

namespace GameFramework {

class LevelManagerBase;

// The framework side of a won level: which level it was and how long it took.
class GUILevelCompleteWindowBase : public GUIFrameworkWindow {
public:
    explicit GUILevelCompleteWindowBase(LevelManagerBase* levelManager);
    ~GUILevelCompleteWindowBase() override;

    virtual void ShowWithResult(int32_t mode, const Level& position, float time);

    const Level& GetPosition() const { return position; }
    float GetTime() const { return time; }

protected:
    LevelManagerBase* levelManager;
    Level position;
    float time = 0.0f;
};

} // namespace GameFramework
