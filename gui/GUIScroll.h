#pragma once
#include <memory>

#include "gui/GUISlider.h"

namespace KorvaneEngine {

// A slider with two step buttons that move the value by step: once when the
// button goes down, then every 0.15 s of frame time while it is held with the
// pointer over it.
class GUIScroll : public GUISlider {
public:
    static constexpr float kRepeatInterval = 0.15f;

    ~GUIScroll() override;
    bool UpdateInput(const Vector2& cursor, bool held, bool pressed) override;
    bool Render() override;
    void SetColor(const Color& color) override;
    void SetAlpha(float alpha) override;
    void CreateToddler(const Vector2& toddlerSize, const Model* source, const ShaderDescriptor* shader) override;
    void SetEnabled(bool enabled) override;
    // The thumb or a step button is held.
    bool IsPressed() const override;

    GUIScroll(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
        const Vector2& position, const Vector2& size, const Model* source, const ShaderDescriptor* shader,
        int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax, uint32_t valueCount,
        GUIWindow* parent);

    // Replace the step buttons (positions relative to the scroll bar).
    void CreateIncreaseButton(const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader);
    void CreateDecreaseButton(const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader);
    GUIButton* GetIncreaseButton() const { return increase_.get(); }
    GUIButton* GetDecreaseButton() const { return decrease_.get(); }

    uint32_t step = 1;
    float repeatClock = 0.0f;

private:
    std::unique_ptr<GUIButton> MakeStepButton(const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader);

    std::unique_ptr<GUIButton> increase_;
    std::unique_ptr<GUIButton> decrease_;
};

} // namespace KorvaneEngine
