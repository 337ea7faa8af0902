#pragma once
#include <string>

#include "engine/foundation/Vector.h"
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUISlider;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

// A slider ("slider"): a track with a draggable thumb (the toddler). The
// widget is made at the defaults and the description's thumb layout is handed
// to it every frame in which it is visible.
class GUISliderControl : public GUIControl {
public:
    GUISliderControl(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUISliderControl() override;
    void Update() override;

    // Makes the thumb with the toddler size from "ui/" + model and shader
    // (none for an empty name).
    void SetToddler(const std::string& modelName, const std::string& shaderName, const KorvaneEngine::Vector2& uv);

    KorvaneEngine::GUISlider* GetSlider() const { return slider; }
    const std::string& GetToddlerModelName() const { return toddlerModelName; }
    const std::string& GetToddlerShaderName() const { return toddlerShaderName; }

    // Set from the description.
    std::string orientation = "horizontal";  // containing "vertical": vertical
    KorvaneEngine::Vector2 toddlerMinPosition = KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 toddlerMaxPosition = KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 toddlerSize = KorvaneEngine::Vector2(1, 1);
    bool toddlerHitAreaOn = false;
    KorvaneEngine::Vector2 toddlerHitAreaOffset = KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 toddlerHitAreaSize = KorvaneEngine::Vector2(0, 0);

protected:
    // The scroll control's base part: the fields only; it makes its own widget.
    GUISliderControl(GameTools::DataKeeper* registry, const std::string& key);

    KorvaneEngine::GUISlider* slider = nullptr;

private:
    std::string toddlerModelName;
    std::string toddlerShaderName;
    KorvaneEngine::Vector2 toddlerUV = KorvaneEngine::Vector2(1, 1);
};

} // namespace GUITools
