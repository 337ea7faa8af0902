#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class HighScoreEntry;
class HighScoresTable;

// The framework side of the high-score list: the table, and the entry the
// game-over or game-complete handler has just added (to be marked).
class GUIHighScoresWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIHighScoresWindowBase(HighScoresTable* table);
    ~GUIHighScoresWindowBase() override;

    // The entry is the table's (null: none to mark).
    virtual void ShowWithEntry(int32_t mode, HighScoreEntry* entry);

    HighScoresTable* GetTable() const { return table; }
    HighScoreEntry* GetEntry() const { return entry; }

protected:
    HighScoresTable* table;
    HighScoreEntry* entry = nullptr;
};

} // namespace GameFramework
