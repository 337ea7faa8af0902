#include "gui/GUIManager.h"

#include "puzzle/logic/DepositoryElement.h"

#include <algorithm>

#include "puzzle/logic/Bonus.h"
#include "puzzle/logic/PuzzleElement.h"

namespace Puzzle {

using KorvaneEngine::Vector2;

DepositoryElement::DepositoryElement(PuzzleElement* p, float d) : piece(p), distance(d) {}

DepositoryElement::DepositoryElement(Bonus* b, float d) : bonus(b), distance(d) {}

DepositoryElement::~DepositoryElement() {}

Vector2 DepositoryElement::GetSize() const
{
    return piece ? piece->GetSize() : Vector2(kSlotSize, kSlotSize);
}

float DepositoryElement::GetFit() const
{
    if (!piece)
        return 1.0f;
    const Vector2 size = piece->GetBaseSize();
    if (!(size.x > 0.0f) || !(size.y > 0.0f))
        return 1.0f;
    return std::min(kSlotSize / size.x, kSlotSize / size.y);
}

bool DepositoryElement::IsVisible() const
{
    if (piece)
        return piece->IsVisible();
    if (bonus)
        return bonus->IsVisible();
    return false;
}

void DepositoryElement::SetVisible(bool visible)
{
    if (piece)
        piece->SetVisible(visible);
    else if (bonus)
        bonus->SetVisible(visible);
}

void DepositoryElement::SetScale(float s)
{
    if (piece) {
        piece->SetScale(1.0f);
        piece->SetScale(s);
    } else if (bonus) {
        bonus->scale = s;
    }
}

void DepositoryElement::SetPosition(const Vector2& position)
{
    if (piece)
        piece->SetPosition(position);
    else if (bonus)
        bonus->position = position;
}

} // namespace Puzzle
