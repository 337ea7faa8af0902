#include "puzzle/app/GUIContinueGameLogicWindow.h"

namespace Puzzle {

GUIContinueGameLogicWindow::GUIContinueGameLogicWindow() {}

GUIContinueGameLogicWindow::~GUIContinueGameLogicWindow() {}

void GUIContinueGameLogicWindow::Show(int32_t m)
{
    GUIContinueGameLogicWindowBase::Show(m);
    eventCode = 13;
    // Read in the next dispatch round of this frame.
    handled = false;
}

} // namespace Puzzle
