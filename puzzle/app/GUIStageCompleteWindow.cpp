#include "puzzle/app/GUIStageCompleteWindow.h"

#include "framework/LevelManagerBase.h"

namespace Puzzle {

GUIStageCompleteWindow::GUIStageCompleteWindow(GameFramework::LevelManagerBase* levels)
    : GUIStageCompleteWindowBase(levels)
{
}

GUIStageCompleteWindow::~GUIStageCompleteWindow() {}

void GUIStageCompleteWindow::ShowWithPosition(int32_t m, const GameFramework::Level& p)
{
    GUIStageCompleteWindowBase::ShowWithPosition(m, p);
    eventCode = levelManager && levelManager->IsLastLevel(position) ? 22 : 13;
    // Read in the next dispatch round of this frame.
    handled = false;
}

} // namespace Puzzle
