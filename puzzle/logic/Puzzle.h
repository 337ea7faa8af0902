#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <vector>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class AnimationControl;
class GUIWindow;
class Model;
class ParticleSystem;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {
class GUITextTool;
}

namespace GameFramework {
class GUIGameCursorBase;
class ScoreKeeper;
class SoundController;
} // namespace GameFramework

namespace Puzzle {

class GameLogicData;
class GUIGameLogicTextManager;
class Profile;
class PuzzleElement;
class PuzzleElementManager;

// The board of one level: the framed picture area with one slot per piece.
// It puts a held piece on its slot when a click comes close enough, scores
// the put by the combo rule, carries out the tip and magnet modes, sets the
// game cursor's look, dims itself while the level is paused, and plays the
// level-complete sequence once the last piece is in.
class Puzzle {
public:
    // The board's frame lies at (60, 54) and has the puzzle's board size.
    static constexpr float kLeft = 60.0f;
    static constexpr float kBottom = 54.0f;
    // A held piece is put when a click comes closer than this to its slot.
    static constexpr float kPutDistance = 26.0f;
    // Puts closer together than this (scaled seconds) build a combo.
    static constexpr float kComboWindow = 2.8f;

    // cursor, textTool and profile may be null (no cursor changes, no combo
    // text, no stars). gameData holds "board/level_complete" (model and
    // particles) and "board/tip"; data the loaded puzzle.
    Puzzle(GameFramework::GUIGameCursorBase* cursor, GameFramework::SoundController* sounds,
           GUITools::GUITextTool* textTool, GameTools::DataKeeper* gameData, GameLogicData* data,
           GUIGameLogicTextManager* texts, PuzzleElementManager* pieces, GameFramework::ScoreKeeper* scoreKeeper,
           Profile* profile, bool relax, KorvaneEngine::GUIWindow* parent);
    virtual ~Puzzle();
    Puzzle(const Puzzle&) = delete;
    Puzzle& operator=(const Puzzle&) = delete;

    void Update(bool paused, float scale);

    // Every slot counts as filled (a cheat).
    void Complete();
    bool IsFull() const { return placed_ == total_; }
    // Full, and the level-complete animation has been started and has ended.
    bool IsCompleted() const;

    // The two modes exclude each other.
    void ArmMagnet();
    void ArmTip();
    bool IsMagnetMode() const { return magnetMode_; }
    bool IsTipMode() const { return tipMode_; }
    bool IsMagnetUsed() const { return magnetUsed_; }

    // The combo put of this frame outside relax mode (the number of earlier
    // puts in the running combo, 1 to 4), else 0.
    int32_t GetComboEvent() const { return comboEvent_; }
    int32_t GetComboLevel() const { return comboLevel_; }
    float GetComboTimer() const { return comboTimer_; }
    uint32_t GetPlaced() const { return placed_; }
    uint32_t GetTotal() const { return total_; }
    const KorvaneEngine::BoundingBox& GetRectangle() const { return rectangle_; }

    // Slot i is piece i's board piece (owned).
    const std::vector<PuzzleElement*>& GetSlots() const { return slots_; }
    // A slot's centre in GUI units.
    KorvaneEngine::Vector2 GetSlotPosition(const PuzzleElement* slot) const;

    KorvaneEngine::GUIWindow* GetBackground() const { return background_; }
    KorvaneEngine::GUIWindow* GetSlotContainer() const { return slotContainer_; }
    KorvaneEngine::GUIWindow* GetPicture() const { return picture_; }
    KorvaneEngine::GUIWindow* GetPauseOverlay() const { return pauseOverlay_; }
    KorvaneEngine::GUIWindow* GetLevelComplete() const { return levelComplete_; }
    KorvaneEngine::ParticleSystem* GetLevelCompleteEffect() const { return effect_; }
    bool IsCompleteAnimationStarted() const { return animationStarted_; }

private:
    void Put(PuzzleElement* held, PuzzleElement* slot);
    void UpdateCursor(PuzzleElement* held, bool paused, float scale);
    void UpdateLevelComplete(float dt);

    GameFramework::GUIGameCursorBase* cursor_;
    GameFramework::SoundController* sounds_;
    GUITools::GUITextTool* textTool_;
    GameTools::DataKeeper* gameData_;
    GameLogicData* data_;
    GUIGameLogicTextManager* texts_;
    PuzzleElementManager* pieces_;
    GameFramework::ScoreKeeper* scoreKeeper_;
    Profile* profile_;
    bool relax_;
    KorvaneEngine::GUIWindow* background_ = nullptr;
    KorvaneEngine::GUIWindow* slotContainer_ = nullptr;
    KorvaneEngine::GUIWindow* picture_ = nullptr;
    KorvaneEngine::GUIWindow* pauseOverlay_ = nullptr;
    KorvaneEngine::GUIWindow* levelComplete_ = nullptr;
    KorvaneEngine::Model* completeModel_ = nullptr;
    KorvaneEngine::AnimationControl* completeAnimation_ = nullptr;
    KorvaneEngine::ParticleSystem* effect_ = nullptr;
    std::vector<PuzzleElement*> slots_;
    PuzzleElement* rememberedHeld_ = nullptr;
    uint32_t placed_ = 0;
    uint32_t total_ = 0;
    KorvaneEngine::BoundingBox rectangle_;
    bool magnetMode_ = false, magnetUsed_ = false, tipMode_ = false;
    int32_t comboEvent_ = 0;
    int32_t comboLevel_ = 1;
    float comboTimer_ = 100000.0f;
    bool animationStarted_ = false;
};

} // namespace Puzzle
