#pragma once
// The Win32 header defines CreateWindow as a function-like macro, which would
// break the factory of that name: the header is taken in here first and the
// macro dropped, so every unit that sees this one sees the member (Win32 code
// calls CreateWindowExA).
#include <windows.h>
#undef CreateWindow

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class GUIButton;
class GUICheckBox;
class GUICursor;
class GUIEditBox;
class GUIFontManager;
class GUIScroll;
class GUISlider;
class GUISoundManager;
class GUIWindow;
class Model;
class ShaderDescriptor;

// The engine's GUI service: owns every widget and cursor (one registry per
// kind), the GUI camera, the font manager, the GUI sound manager, the default
// cursor and the black borders that fill a full-screen display wider or
// narrower than 4:3. Update is the input pass of the engine's input step;
// Render the render pass before the model manager draws.
class GUIManager : public GlobalPointerHolder<GUIManager> {
public:
    virtual ~GUIManager();
    // Needs the camera and model managers; the window (for the borders), the
    // input controls and the sound manager are used when they exist.
    GUIManager();
    GUIManager(const GUIManager&) = delete;
    GUIManager& operator=(const GUIManager&) = delete;

    GUIWindow* CreateWindow(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, GUIWindow* parent);
    // No rectangle and no model: a group of other widgets.
    GUIWindow* CreateContainerWindow(uint32_t flags, GUIWindow* parent);
    GUICursor* CreateCursor(const Model* source, const ShaderDescriptor* shader, float size);
    GUIButton* CreateButton(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, GUIWindow* parent);
    GUICheckBox* CreateCheckBox(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, GUIWindow* parent);
    GUISlider* CreateSlider(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax,
        uint32_t valueCount, GUIWindow* parent);
    GUIScroll* CreateScroll(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax,
        uint32_t valueCount, GUIWindow* parent);
    GUIEditBox* CreateEditBox(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
        const ShaderDescriptor* shader, int32_t fontId, const Color& fontColor, const Vector2& textOffset,
        uint32_t maxCount, float maxLength, float visibleWidth, uint16_t cursorCharacter, GUIWindow* parent);

    // Each deletes an object of its own registry (and takes it off the
    // exclusive list); null, unregistered and other kinds are left alone.
    void DestroyWindow(GUIWindow* window);
    void DestroyButton(GUIButton* button);
    void DestroyCheckBox(GUICheckBox* box);
    void DestroyEditBox(GUIEditBox* box);
    void DestroySlider(GUISlider* slider);
    void DestroyScroll(GUIScroll* scroll);
    void DestroyCursor(GUICursor* cursor);

    // While the list is not empty only its widgets see the pointer and the
    // button; the others see the pointer far away.
    void AddExclusiveWindow(GUIWindow* widget);
    void RemoveExclusiveWindow(GUIWindow* widget);
    const std::vector<GUIWindow*>& GetExclusiveWindows() const { return exclusive_; }

    // The GUI screen in GUI units (the camera's width and height).
    void SetScreenSize(float width, float height);
    float GetScreenWidth() const;
    float GetScreenHeight() const;
    Vector2 GetCursorPosition() const;

    void Update();
    void Render();

    Camera* GetCamera() const { return camera_; }
    GUIFontManager* GetFontManager() const { return fontManager_.get(); }
    GUISoundManager* GetSoundManager() const { return soundManager_.get(); }
    GUICursor* GetDefaultCursor() const { return defaultCursor_; }
    const std::vector<GUIWindow*>& GetBorders() const { return borders_; }

    const std::vector<GUICursor*>& GetCursors() const { return cursors_.GetObjects(); }
    const std::vector<GUIWindow*>& GetWindows() const { return windows_.GetObjects(); }
    const std::vector<GUIButton*>& GetButtons() const { return buttons_.GetObjects(); }
    const std::vector<GUICheckBox*>& GetCheckBoxes() const { return checkBoxes_.GetObjects(); }
    const std::vector<GUIEditBox*>& GetEditBoxes() const { return editBoxes_.GetObjects(); }
    const std::vector<GUISlider*>& GetSliders() const { return sliders_.GetObjects(); }
    const std::vector<GUIScroll*>& GetScrolls() const { return scrolls_.GetObjects(); }
    // Widgets of every registry.
    uint32_t GetWidgetCount() const;

private:
    bool IsRegistered(const GUIWindow* widget) const;
    bool IsExclusive(const GUIWindow* widget) const;
    void PlaceBorders();

    // Destroyed last to first: scrolls ... cursors.
    ObjectManager<GUICursor> cursors_;
    ObjectManager<GUIWindow> windows_;
    ObjectManager<GUIButton> buttons_;
    ObjectManager<GUICheckBox> checkBoxes_;
    ObjectManager<GUIEditBox> editBoxes_;
    ObjectManager<GUISlider> sliders_;
    ObjectManager<GUIScroll> scrolls_;
    Camera* camera_ = nullptr;
    std::unique_ptr<GUIFontManager> fontManager_;
    std::unique_ptr<GUISoundManager> soundManager_;
    GUICursor* defaultCursor_ = nullptr;
    std::vector<GUIWindow*> borders_;
    std::vector<GUIWindow*> exclusive_;
};

} // namespace KorvaneEngine
