#include "puzzle/app/GUIHighScoresWindow.h"

namespace Puzzle {

GUIHighScoresWindow::GUIHighScoresWindow(GameFramework::HighScoresTable* table) : GUIHighScoresWindowBase(table) {}

GUIHighScoresWindow::~GUIHighScoresWindow() {}

void GUIHighScoresWindow::ShowWithEntry(int32_t m, GameFramework::HighScoreEntry* e)
{
    GUIHighScoresWindowBase::ShowWithEntry(m, e);
    eventCode = 3;
    // Read in the next dispatch round of this frame.
    handled = false;
}

} // namespace Puzzle
