#pragma once
#include "framework/GUIFrameworkWindow.h"
#include "framework/Level.h"

namespace GameFramework {

class LevelManagerBase;

// The framework side of a finished stage: the position of its last level.
class GUIStageCompleteWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIStageCompleteWindowBase(LevelManagerBase* levelManager);
    ~GUIStageCompleteWindowBase() override;

    virtual void ShowWithPosition(int32_t mode, const Level& position);

    const Level& GetPosition() const { return position; }

protected:
    LevelManagerBase* levelManager;
    Level position;
};

} // namespace GameFramework
