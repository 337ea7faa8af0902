#include "puzzle/app/GUIGameCompleteWindow.h"

namespace Puzzle {

GUIGameCompleteWindow::GUIGameCompleteWindow() {}

GUIGameCompleteWindow::~GUIGameCompleteWindow() {}

void GUIGameCompleteWindow::Show(int32_t m)
{
    GUIGameCompleteWindowBase::Show(m);
    eventCode = 1;
    // Read in the next dispatch round of this frame.
    handled = false;
}

} // namespace Puzzle
