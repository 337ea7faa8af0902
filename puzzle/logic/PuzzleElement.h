#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class ParticleSystem;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace GameFramework {
class SoundController;
}

namespace Puzzle {

class GameLogicData;

// One piece of the picture as a widget, placed by its centre and scaled
// uniformly. Every piece exists twice: a movable piece (kind 1) that rides the
// path, is held in the hand and casts a shadow, and a board piece (kind 0)
// that stands in the piece's slot and can blink to show where a piece belongs
// (the tip, with a particle outline, and the plainer hint).
class PuzzleElement {
public:
    enum Kind { kBoardPiece = 0, kMovablePiece = 1 };

    // gameData holds the "board/tip" particle template; data the puzzle (its
    // texture pack makes the widgets). The widgets start hidden.
    PuzzleElement(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData, GameLogicData* data,
                  uint32_t index, int kind, KorvaneEngine::GUIWindow* parent);
    virtual ~PuzzleElement();
    PuzzleElement(const PuzzleElement&) = delete;
    PuzzleElement& operator=(const PuzzleElement&) = delete;

    // The centre, and the scale of the piece's own size.
    void SetPosition(const KorvaneEngine::Vector2& centre);
    void SetScale(float scale);
    const KorvaneEngine::Vector2& GetPosition() const { return centre_; }
    float GetScale() const { return scale_; }
    // The widget's current (scaled) size.
    const KorvaneEngine::Vector2& GetSize() const;
    // The piece's own size in the picture, whatever the scale.
    KorvaneEngine::Vector2 GetBaseSize() const;

    bool IsVisible() const;
    // Showing also makes the piece opaque white, ends both blinks and stops
    // the tip effect's emission.
    void SetVisible(bool visible);
    // Strictly inside the widget's rectangle (x and y of point).
    bool Contains(const KorvaneEngine::Vector3& point) const;

    // Off the path: in the hand (visible) or on the board (hidden).
    void SetTaken(bool taken) { taken_ = taken; }
    bool IsTaken() const { return taken_; }

    // Board pieces only (nothing for movable pieces).
    void ShowTip();
    void StopTip();
    void ShowHint();
    void StopHint();
    bool IsTipOn() const { return tipOn_; }
    bool IsHintOn() const { return hintOn_; }

    // factor is the game's fade factor (0..1).
    void Update(bool paused, float factor);

    uint32_t GetIndex() const { return index_; }
    int GetKind() const { return kind_; }
    KorvaneEngine::GUIWindow* GetWindow() const { return window_; }
    KorvaneEngine::GUIWindow* GetShadow() const { return shadow_; }
    KorvaneEngine::ParticleSystem* GetTipEffect() const { return tipEffect_; }

    // The board slot a held piece is pulled to while the magnet works; the
    // board links and drops it, the game logic reads it.
    PuzzleElement* magnetSlot = nullptr;

private:
    void Layout();
    // One frame of a blink (tip or hint) on the widget's alpha.
    void Blink(bool& on, bool& fading, float& phase, float step);

    GameFramework::SoundController* sounds_;
    GameTools::DataKeeper* gameData_;
    GameLogicData* data_;
    KorvaneEngine::GUIWindow* window_ = nullptr;
    KorvaneEngine::GUIWindow* shadow_ = nullptr;
    KorvaneEngine::ParticleSystem* tipEffect_ = nullptr;
    uint32_t index_;
    int kind_;
    // The file's values for this piece, kept with it.
    std::vector<uint32_t> values_;
    float scale_ = 1.0f;
    KorvaneEngine::Vector2 centre_;
    bool taken_ = false;
    bool tipOn_ = false, tipFading_ = false;
    float tipPhase_ = 0.0f;
    bool hintOn_ = false, hintFading_ = false;
    float hintPhase_ = 0.0f;
};

} // namespace Puzzle
