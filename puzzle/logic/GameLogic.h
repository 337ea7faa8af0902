#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <string>

#include "framework/GameLogicBase.h"

namespace KorvaneEngine {
class GUIWindow;
}

namespace GUITools {
class GUIFontTool;
class GUITextTool;
class GUIToolManager;
} // namespace GUITools

namespace GameFramework {
class GUIGameCursorBase;
}

namespace Puzzle {

class BonusManager;
class GameData;
class GameLogicData;
class GUIGameLogicTextManager;
class Profile;
class ProfileManager;
class Puzzle;
class PuzzleDepository;
class PuzzleElement;
class PuzzleElementManager;

// One puzzle level being played: it builds the floating texts, the pieces,
// the bonuses, the board and the path, runs them in a fixed order every
// frame, fades the play out and in around a pause, pulls a held piece towards
// its slot while the magnet works, ends the level as won (2) or lost (3) and
// carries out the cheat keys.
//
// The scene root of the game data is the parent of the board and the path;
// its overlay widget that of the pieces, bonuses and texts.
class GameLogic : public GameFramework::GameLogicBase {
public:
    // cursor may be null. The current profile of profiles is the player's;
    // without one the level plays in normal mode and no stars are kept.
    // data must be loaded; gameData must have made its containers.
    // profileFolder is not used.
    GameLogic(GameFramework::GUIGameCursorBase* cursor, ProfileManager* profiles,
              GameFramework::SoundController* sounds, GameData* gameData, GameLogicData* data,
              GUITools::GUIToolManager* tools, const GameFramework::Stage* stage, const GameFramework::Level* level,
              int32_t carryOver, const std::string* profileFolder);
    ~GameLogic() override;

    void Update() override;
    // Shift+F1 completes the board; F1 rolls back, F2 pauses the queue, F3
    // arms the tip, F4 the magnet.
    void ApplyCheatKey(bool shift, int32_t key) override;

    float GetTimeScale() const { return timeScale; }
    bool IsRelax() const { return relax; }
    float GetMagnetStep() const { return magnetStep; }
    // The last piece found in the hand in the last update, or null.
    PuzzleElement* GetHeldPiece() const { return heldPiece; }

    Puzzle* GetBoard() const { return board; }
    PuzzleDepository* GetPath() const { return path; }
    PuzzleElementManager* GetPieces() const { return pieces; }
    BonusManager* GetBonuses() const { return bonuses; }
    GUIGameLogicTextManager* GetTexts() const { return texts; }
    KorvaneEngine::GUIWindow* GetContainer() const { return container; }
    Profile* GetProfile() const { return profile; }

private:
    void UpdateHeldPiece(float dt);
    void EndLevel();

    GameFramework::GUIGameCursorBase* cursor;
    ProfileManager* profileManager;
    GameData* gameData;
    GameLogicData* data;
    GUITools::GUIToolManager* tools;
    GUITools::GUIFontTool* fontTool = nullptr;
    GUITools::GUITextTool* textTool = nullptr;
    const GameFramework::Level* levelRecord;
    const GameFramework::Stage* stageRecord;
    Profile* profile = nullptr;
    KorvaneEngine::GUIWindow* container = nullptr;
    GUIGameLogicTextManager* texts = nullptr;
    PuzzleElementManager* pieces = nullptr;
    PuzzleDepository* path = nullptr;
    BonusManager* bonuses = nullptr;
    Puzzle* board = nullptr;
    float timeScale = 1.0f;
    bool relax = false;
    float magnetStep = 0.0f;
    PuzzleElement* heldPiece = nullptr;
};

} // namespace Puzzle
