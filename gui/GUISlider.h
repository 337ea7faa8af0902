#pragma once
#include <cstdint>
#include <memory>

#include "gui/GUIWindow.h"

namespace KorvaneEngine {

class GUIButton;
class GUISoundManager;

// A value of valueCount steps chosen by dragging a thumb (the "toddler", a
// button the slider owns, outside every registry) along a straight track.
// The thumb's hit rectangle covers the whole track, so a press anywhere on it
// grabs the thumb. Thumb and step buttons use the camera the slider was given.
class GUISlider : public GUIWindow {
public:
    enum State { kNormal = 0, kMouseOver = 1, kDisabled = 2 };

    ~GUISlider() override;
    bool UpdateInput(const Vector2& cursor, bool held, bool pressed) override;
    bool Render() override;
    void SetColor(const Color& color) override;
    void SetAlpha(float alpha) override;
    void UpdateVisibility() override;
    // Replaces the thumb.
    virtual void CreateToddler(const Vector2& toddlerSize, const Model* source, const ShaderDescriptor* shader);
    virtual void SetEnabled(bool enabled);
    // The thumb is held.
    virtual bool IsPressed() const;

    // orientation 0 horizontal, else vertical; the toddler positions are the
    // thumb's lower-left corner at the lowest and the highest value.
    GUISlider(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
        const Vector2& position, const Vector2& size, const Model* source, const ShaderDescriptor* shader,
        int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax, uint32_t valueCount,
        GUIWindow* parent);

    // Clamped to valueCount - 1.
    void SetValue(uint32_t v);
    // At least 2; the value is clamped again.
    void SetValueCount(uint32_t count);
    bool IsEnabled() const { return state != kDisabled; }
    void SetToddlerMinPosition(const Vector2& p);
    void SetToddlerMaxPosition(const Vector2& p);
    void SetToddlerSize(const Vector2& s);
    const Vector2& GetToddlerMinPosition() const { return toddlerMin_; }
    const Vector2& GetToddlerMaxPosition() const { return toddlerMax_; }
    const Vector2& GetToddlerSize() const { return toddlerSize_; }
    GUIButton* GetToddler() const { return toddler_.get(); }
    GUISoundManager* GetSoundManager() const { return soundManager_; }

    int32_t state = kNormal;
    int32_t orientation;
    bool inverted = false;
    uint32_t valueCount = 2;
    uint32_t value = 0;

protected:
    // A step button or thumb: flag word 1 (plus 2 when the slider's has it),
    // this slider's managers and camera, parent this slider.
    std::unique_ptr<GUIButton> MakeButton(const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader);
    void FitToddler();

    std::unique_ptr<GUIButton> toddler_;

private:
    GUISoundManager* soundManager_;
    Vector2 toddlerMin_, toddlerMax_, toddlerSize_;
};

} // namespace KorvaneEngine
