#pragma once
#include "framework/GUIHighScoresWindowBase.h"

namespace Puzzle {

// No screen of its own: the high scores answer 3 at once (the main menu
// then relays to the game).
class GUIHighScoresWindow : public GameFramework::GUIHighScoresWindowBase {
public:
    explicit GUIHighScoresWindow(GameFramework::HighScoresTable* table);
    ~GUIHighScoresWindow() override;

    void ShowWithEntry(int32_t mode, GameFramework::HighScoreEntry* entry) override;
};

} // namespace Puzzle
