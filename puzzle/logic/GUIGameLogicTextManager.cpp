#include "puzzle/logic/GUIGameLogicTextManager.h"

#include <algorithm>

#include "gui/GUIWindow.h"
#include "puzzle/logic/GUIGameLogicText.h"

namespace Puzzle {

namespace {
// In front of the pieces, the bonuses and the held piece.
const int32_t kContainerHeight = 490;
} // namespace

GUIGameLogicTextManager::GUIGameLogicTextManager(int32_t fontId, KorvaneEngine::GUIWindow* parent) : fontId_(fontId)
{
    container_ = KorvaneEngine::GUIManager::Instance()->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown,
                                                                               parent);
    container_->SetHeight(kContainerHeight);
}

GUIGameLogicTextManager::~GUIGameLogicTextManager()
{
    for (GUIGameLogicText* t : texts_)
        delete t;
    texts_.clear();
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(container_);
}

GUIGameLogicText* GUIGameLogicTextManager::CreateText(const std::wstring& text, const KorvaneEngine::Vector2& position)
{
    GUIGameLogicText* t = new GUIGameLogicText(position, text, fontId_, container_);
    texts_.push_back(t);
    return t;
}

void GUIGameLogicTextManager::Update()
{
    for (GUIGameLogicText*& t : texts_) {
        t->Update();
        if (!t->IsAlive()) {
            delete t;
            t = nullptr;
        }
    }
    texts_.erase(std::remove(texts_.begin(), texts_.end(), nullptr), texts_.end());
}

} // namespace Puzzle
