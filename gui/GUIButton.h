#pragma once
#include <string>

#include "gui/GUIWindow.h"

namespace KorvaneEngine {

class GUISoundManager;

// A widget with press, hover and disabled states from the GUI manager's input
// pass. clicked is true for exactly the frame in which a press that began over
// the button is released over it; the click cue sounds on the press, the
// select cue once each time the pointer enters. The model shows the state as
// its frame (a button model has one frame per state).
class GUIButton : public GUIWindow {
public:
    enum State { kNormal = 0, kMouseOver = 1, kPressed = 2, kDisabled = 3 };

    ~GUIButton() override;
    bool UpdateInput(const Vector2& cursor, bool held, bool pressed) override;
    bool Render() override;
    void UpdateVisibility() override;
    // false: state 3, true: state 0. Either way a press in progress is
    // forgotten, so a held button gives no click when it comes back.
    virtual void SetEnabled(bool enabled);
    virtual int32_t GetState() const;

    GUIButton(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
        const Vector2& position, const Vector2& size, const Model* source, const ShaderDescriptor* shader,
        GUIWindow* parent);

    bool IsEnabled() const { return state_ != kDisabled; }
    // The press began over the button and is still held.
    bool IsPressActive() const { return pressActive_; }
    GUISoundManager* GetSoundManager() const { return soundManager_; }

    bool clicked = false;
    std::string selectSoundName = "gui_default_button_select";
    std::string clickSoundName = "gui_default_button_click";

protected:
    int32_t state_ = kNormal;

private:
    GUISoundManager* soundManager_;
    bool pressActive_ = false;
    // Starts true, so the first frame sounds no select cue even when the
    // pointer is already over the button.
    bool previousMouseOver_ = true;
};

} // namespace KorvaneEngine
