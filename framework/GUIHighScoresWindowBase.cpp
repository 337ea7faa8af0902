#include "framework/GUIHighScoresWindowBase.h"

namespace GameFramework {

GUIHighScoresWindowBase::GUIHighScoresWindowBase(HighScoresTable* t) : table(t) {}

GUIHighScoresWindowBase::~GUIHighScoresWindowBase() {}

void GUIHighScoresWindowBase::ShowWithEntry(int32_t m, HighScoreEntry* e)
{
    Show(m);
    entry = e;
}

} // namespace GameFramework
