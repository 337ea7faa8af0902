#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace Puzzle {

class GUIGameLogicText;

// Owns the floating texts of a level and removes each once it has died.
class GUIGameLogicTextManager {
public:
    // The texts print on an invisible container at height 490 under parent.
    GUIGameLogicTextManager(int32_t fontId, KorvaneEngine::GUIWindow* parent);
    virtual ~GUIGameLogicTextManager();
    GUIGameLogicTextManager(const GUIGameLogicTextManager&) = delete;
    GUIGameLogicTextManager& operator=(const GUIGameLogicTextManager&) = delete;

    // A new text centred on position (GUI units).
    GUIGameLogicText* CreateText(const std::wstring& text, const KorvaneEngine::Vector2& position);
    // Every text in creation order; the dead are deleted, the rest keep order.
    void Update();

    const std::vector<GUIGameLogicText*>& GetTexts() const { return texts_; }
    int32_t GetFontId() const { return fontId_; }
    KorvaneEngine::GUIWindow* GetContainer() const { return container_; }

private:
    int32_t fontId_;
    KorvaneEngine::GUIWindow* container_ = nullptr;
    std::vector<GUIGameLogicText*> texts_;
};

} // namespace Puzzle
