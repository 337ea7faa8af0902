#include "puzzle/logic/PuzzleElementManager.h"

#include <utility>

#include "engine/foundation/Random.h"
#include "gui/GUIWindow.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/PuzzleElement.h"

namespace Puzzle {

namespace {
// Above the board, below the floating texts.
const int32_t kContainerHeight = 210;
} // namespace

PuzzleElementManager::PuzzleElementManager(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData,
                                           GameLogicData* data, KorvaneEngine::GUIWindow* parent)
    : sounds_(sounds), gameData_(gameData), data_(data)
{
    container_ = KorvaneEngine::GUIManager::Instance()->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown,
                                                                               parent);
    container_->SetHeight(kContainerHeight);
    const uint32_t total = data_->GetTotal();
    pieces_.reserve(total);
    for (uint32_t i = 0; i < total; ++i)
        pieces_.push_back(new PuzzleElement(sounds_, gameData_, data_, i, PuzzleElement::kMovablePiece, container_));
    for (uint32_t i = 1; i < total; ++i)
        std::swap(pieces_[i], pieces_[KorvaneEngine::RandomBelow(i + 1)]);
}

PuzzleElementManager::~PuzzleElementManager()
{
    for (PuzzleElement* p : pieces_)
        delete p;
    pieces_.clear();
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(container_);
}

void PuzzleElementManager::Update(bool paused, float scale)
{
    for (PuzzleElement* p : pieces_)
        p->Update(paused, scale);
}

PuzzleElement* PuzzleElementManager::GetHeldPiece() const
{
    for (PuzzleElement* p : pieces_)
        if (p->IsVisible() && p->IsTaken())
            return p;
    return nullptr;
}

} // namespace Puzzle
