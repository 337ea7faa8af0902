#pragma once
#include <string>

#include "engine/foundation/Vector.h"
#include "gui/GUISliderControl.h"

namespace KorvaneEngine {
class GUIButton;
class GUIScroll;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

// A scroll bar ("scroll"): a slider with an increase and a decrease button,
// drawn above the bar ("upper") or below it ("lower").
class GUIScrollControl : public GUISliderControl {
public:
    // One step button as the description gives it.
    struct StepButton {
        std::string modelName;
        std::string shaderName;
        KorvaneEngine::Vector2 uv = KorvaneEngine::Vector2(1, 1);
        KorvaneEngine::Vector2 position = KorvaneEngine::Vector2(0, 0);
        KorvaneEngine::Vector2 size = KorvaneEngine::Vector2(1, 1);
        bool hitAreaOn = false;
        KorvaneEngine::Vector2 hitAreaOffset = KorvaneEngine::Vector2(0, 0);
        KorvaneEngine::Vector2 hitAreaSize = KorvaneEngine::Vector2(0, 0);
    };

    GUIScrollControl(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUIScrollControl() override;
    void Update() override;

    // Make the step buttons at their position and size, from "ui/" + model
    // and shader (none for an empty name).
    void SetIncreaseButton(const std::string& modelName, const std::string& shaderName,
        const KorvaneEngine::Vector2& uv);
    void SetDecreaseButton(const std::string& modelName, const std::string& shaderName,
        const KorvaneEngine::Vector2& uv);

    KorvaneEngine::GUIScroll* GetScroll() const { return scroll; }

    // Set from the description.
    StepButton increaseButton;
    StepButton decreaseButton;
    std::string buttonsAlignment = "upper";  // exactly "lower": below the bar

private:
    void Apply(KorvaneEngine::GUIButton* button, const StepButton& description);

    KorvaneEngine::GUIScroll* scroll = nullptr;
};

} // namespace GUITools
