#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <vector>

namespace KorvaneEngine {
class GUIWindow;
}

namespace GameTools {
class DataKeeper;
class RandomSelecter;
} // namespace GameTools

namespace Puzzle {

class Bonus;

// Owns the bonuses of a level, picks each new one's type by weighted chance
// (by how close the queue is to the finish, never the same type twice in a
// row while another has weight) and deletes them once they are gone.
class BonusManager {
public:
    // Weights: tip 20, magnet 16, pause and rollback 0 (raised by CreateBonus
    // outside relax mode). The bonuses' container is at height 210 under parent.
    BonusManager(GameTools::DataKeeper* registry, bool relax, KorvaneEngine::GUIWindow* parent);
    virtual ~BonusManager();
    BonusManager(const BonusManager&) = delete;
    BonusManager& operator=(const BonusManager&) = delete;

    // freeRatio: the free length ahead of the queue over the path's length.
    // The bonus is kept (and owned) here.
    Bonus* CreateBonus(float freeRatio);
    // Every bonus's update with factor; those that no longer exist are
    // deleted, the rest keep their order. The first argument is not used.
    void Update(int unused, float factor);

    const std::vector<Bonus*>& GetBonuses() const { return bonuses_; }
    // Whether b is still one of the live objects here (for checks).
    bool Holds(const Bonus* b) const;

private:
    GameTools::DataKeeper* registry_;
    KorvaneEngine::GUIWindow* container_ = nullptr;
    GameTools::RandomSelecter* chooser_ = nullptr;
    std::vector<Bonus*> bonuses_;
    bool relax_;
};

} // namespace Puzzle
