#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <vector>

namespace KorvaneEngine {
class GUIWindow;
}

namespace GameTools {
class DataKeeper;
}

namespace GameFramework {
class SoundController;
}

namespace Puzzle {

class GameLogicData;
class PuzzleElement;

// The level's movable pieces, made in the random order in which they come
// onto the path, and their per-frame update.
class PuzzleElementManager {
public:
    // One movable piece per piece of the loaded puzzle, in an invisible
    // container at height 210 under parent, then shuffled with the engine's
    // random numbers.
    PuzzleElementManager(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData,
                         GameLogicData* data, KorvaneEngine::GUIWindow* parent);
    virtual ~PuzzleElementManager();
    PuzzleElementManager(const PuzzleElementManager&) = delete;
    PuzzleElementManager& operator=(const PuzzleElementManager&) = delete;

    void Update(bool paused, float scale);

    // The pieces, in the order they are fed (owned).
    const std::vector<PuzzleElement*>& GetPieces() const { return pieces_; }
    // The first piece in the hand (taken and visible), or null.
    PuzzleElement* GetHeldPiece() const;
    KorvaneEngine::GUIWindow* GetContainer() const { return container_; }

private:
    GameFramework::SoundController* sounds_;
    GameTools::DataKeeper* gameData_;
    GameLogicData* data_;
    KorvaneEngine::GUIWindow* container_ = nullptr;
    std::vector<PuzzleElement*> pieces_;
};

} // namespace Puzzle
