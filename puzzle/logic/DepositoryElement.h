#pragma once
#include "engine/foundation/Vector.h"

namespace Puzzle {

class Bonus;
class PuzzleElement;

// One slot of the path's queue: a piece or a bonus (neither owned) at a
// distance along the path. The path treats both alike through it.
class DepositoryElement {
public:
    DepositoryElement(PuzzleElement* piece, float distance);
    DepositoryElement(Bonus* bonus, float distance);
    virtual ~DepositoryElement();
    DepositoryElement(const DepositoryElement&) = delete;
    DepositoryElement& operator=(const DepositoryElement&) = delete;

    float GetPosition() const { return distance; }
    void SetDistance(float d) { distance = d; }
    // The piece's current size, or 40 x 40 for a bonus.
    KorvaneEngine::Vector2 GetSize() const;
    // The scale at which the element fits the path's 40 x 40 slot, from the
    // piece's own size (not the size it has shrunk to); 1 for a bonus.
    float GetFit() const;
    bool IsVisible() const;
    void SetVisible(bool visible);
    // A piece gets scale 1 and then s; a bonus's scale becomes s.
    void SetScale(float s);
    // A piece moves at once; a bonus takes the place at its next update.
    void SetPosition(const KorvaneEngine::Vector2& position);

    PuzzleElement* GetPiece() const { return piece; }
    Bonus* GetBonus() const { return bonus; }

    static constexpr float kSlotSize = 40.0f;

private:
    PuzzleElement* piece = nullptr;
    Bonus* bonus = nullptr;
    float distance;
};

} // namespace Puzzle
